// Runs the component tests under a QApplication (offscreen under CTest).
// With --screenshots=DIR it renders the component gallery into DIR instead
// (the small windows with the pictures of src/app/pictures), and with
// --pictures=DIR it draws the program's pictures into DIR.
#include <gtest/gtest.h>

#include <QApplication>
#include <QString>

int RenderGallery(const QString& folder);
int DrawPictures(const QString& folder);

int main(int argc, char** argv) {
    // Headless unless a platform is chosen (test discovery runs without one).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith(QStringLiteral("--screenshots=")))
            return RenderGallery(arg.section(u'=', 1));
        if (arg.startsWith(QStringLiteral("--pictures=")))
            return DrawPictures(arg.section(u'=', 1));
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
