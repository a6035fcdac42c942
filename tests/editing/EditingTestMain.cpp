// Runs the editing tests inside one QApplication (offscreen unless the
// environment picks another platform). With --screenshots=DIR it renders
// the grid and the tree into DIR instead.
#include <gtest/gtest.h>

#include <QApplication>

int RenderEditingGallery(const QString& folder);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith(QStringLiteral("--screenshots=")))
            return RenderEditingGallery(arg.section(u'=', 1));
    }
    return RUN_ALL_TESTS();
}
