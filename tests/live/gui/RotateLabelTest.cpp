#include <gtest/gtest.h>

#include <QImage>

#include "Rotatelabel.h"

namespace {
// The bounding box of the pixels that differ from the background.
QRect InkBox(const QImage& image, const QColor& background) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(RotateLabelTest, UprightTextIsCentred) {
    const QPoint origin = RotatedTextOrigin(100, 30, 40, 14, 0);
    EXPECT_EQ(origin, QPoint(30, 8));
}

TEST(RotateLabelTest, TextAtNinetyDegreesRunsUpwardCentred) {
    TRotateLabel label;
    label.SetColor(Qt::white);
    label.SetFontColor(Qt::black);
    label.setText(QStringLiteral("Y AXIS TITLE"));
    label.SetOrientation(900);
    label.resize(30, 200);
    const QRect ink = InkBox(label.grab().toImage(), Qt::white);
    ASSERT_TRUE(ink.isValid());
    EXPECT_GT(ink.height(), 2 * ink.width());  // runs along the label
    EXPECT_NEAR(ink.center().y(), 100, 4);
    EXPECT_NEAR(ink.center().x(), 15, 4);
    EXPECT_EQ(label.Orientation(), 900);
}

TEST(RotateLabelTest, SetFontKeepsTheOrientation) {
    TRotateLabel label;
    label.SetOrientation(900);
    QFont font;
    font.setPixelSize(20);
    label.SetFont(font);
    EXPECT_EQ(label.font().pixelSize(), 20);
    EXPECT_EQ(label.Orientation(), 900);
}
}  // namespace
