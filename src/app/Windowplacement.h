#pragma once
class QWidget;
class TSWSettings;

// Restores the window's placement from the settings. A missing placement,
// or one that does not restore cleanly (damaged, of another length, written
// by another build), leaves the window as it is. True when restored.
bool RestoreWindowPlacement(QWidget& window, TSWSettings& settings);

// Stores the window's placement in the settings.
void StoreWindowPlacement(const QWidget& window, TSWSettings& settings);
