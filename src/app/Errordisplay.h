#pragma once
#include <QString>
#include <exception>
#include <functional>

// The application's standard error display: a modal error box with an OK
// button. Where nobody can answer a box (no GUI application, or the
// offscreen and minimal platforms) the message goes to standard error.
// Main thread.
using TErrorDisplay = std::function<void(const QString& text, const QString& caption)>;

// Replaces the display (tests capture messages); an empty one restores the
// standard display.
void SetErrorDisplay(TErrorDisplay display);

// Shows text under caption. Texts use "\r\n" between lines.
void ShowErrorMessage(const QString& text, const QString& caption);

// Shows an exception that reached the application: its message, under the
// application title (SWSetup's Title) or "Error" before the setup exists.
void ShowException(const std::exception& error);
// The same for an exception of unknown type.
void ShowUnknownException();

// text with its "\r\n" line breaks as the toolkit shows them ("\n").
QString DisplayText(const QString& text);
