#pragma once
#include <QLabel>

// The top-left point at which text of width textWidth and height textHeight
// starts so that, drawn at orientation tenths of a degree (counter-clockwise),
// it is centred in a label of width x height.
QPoint RotatedTextOrigin(int width, int height, int textWidth, int textHeight, int orientation);

// A label that draws its text rotated about its start point: at orientation
// 900 the text runs upward, centred in the label. Opaque, not auto-sized.
class TRotateLabel : public QLabel {
    Q_OBJECT
public:
    explicit TRotateLabel(QWidget* owner = nullptr);

    int Orientation() const { return FOrientation; }
    void SetOrientation(int tenths);
    void SetFont(const QFont& font);
    void SetColor(const QColor& color);
    QColor Color() const { return FColor; }
    void SetFontColor(const QColor& color);
    QColor FontColor() const { return FFontColor; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int FOrientation = 0;
    QColor FColor = QColor(240, 240, 240);
    QColor FFontColor = Qt::black;
};
