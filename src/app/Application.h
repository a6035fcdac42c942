#pragma once
#include <QApplication>

// The program's application object: an exception that escapes an event
// handler is shown by the standard error display (Errordisplay.h) instead of
// ending the process, and the program goes on.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
