#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include "Version.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Torvane - KZD Control Center [" KZD_FILE_VERSION "]"));
    window.setCentralWidget(new QLabel(QStringLiteral("KZD Control Center")));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
