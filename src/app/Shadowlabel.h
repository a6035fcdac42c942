#pragma once
#include <QLabel>

// A label drawn with a raised text effect: the text in its shadow colour one
// pixel down and right (Depth pixels), then in the font colour on top.
// Background is transparent, so it sits on gradient panels.
class TShadowLabel : public QLabel {
    Q_OBJECT
public:
    explicit TShadowLabel(const QString& text = {}, QWidget* parent = nullptr);

    void SetTextColor(const QColor& color);
    void SetShadowColor(const QColor& color);
    void SetDepth(int depth);
    QColor TextColor() const { return FTextColor; }
    QColor ShadowColor() const { return FShadowColor; }
    int Depth() const { return FDepth; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor FTextColor = Qt::black;
    QColor FShadowColor = Qt::gray;
    int FDepth = 1;
};
