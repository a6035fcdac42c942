#pragma once
#include <QWidget>
#include <memory>

// The splash window shown while the program starts; null while the program
// has none. The start-up shows it, repaints it, holds it for KSplashTime and
// destroys it when the main window is first shown.
std::unique_ptr<QWidget> CreateSplashWindow();
