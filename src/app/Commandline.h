#pragma once
#include <QString>
#include <QStringList>

// The program's command line: "--device SPEC" (or "--device=SPEC") picks the
// devices to work with (as in kzdctl); the last other argument is the file
// the main window may open at start.
struct TCommandLine {
    QString Device;        // empty when not given
    QString LastArgument;  // empty when there is none
};

// arguments without the program name (QCoreApplication::arguments() less
// its first entry).
TCommandLine ParseCommandLine(const QStringList& arguments);
