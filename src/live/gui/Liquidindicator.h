#pragma once
#include <QColor>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

// Segment shapes of a seven-segment display.
enum class TIndicatorStyle { Normal, Italic };

// One digit cell of a seven-segment display: the lit segments (bit 0 = a,
// top, clockwise to bit 5 = f, bit 6 = g, the middle bar) and the decimal
// point after it.
struct TSegmentCell {
    std::uint8_t Segments = 0;
    bool Point = false;
    bool operator==(const TSegmentCell&) const = default;
};

// The segments that show character c (digits, '-', '_', blank and the
// letters a seven-segment display can show); 0 for anything else.
std::uint8_t SegmentsOf(QChar c);

// Lays text out on cells digit cells: a '.' or ',' becomes the decimal point
// of the cell before it. When the text needs more cells, decimals are dropped
// first, then the leftmost cells, so the digits nearest the point stay; a
// shorter text is right-aligned.
std::vector<TSegmentCell> LayoutCells(const QString& text, int cells);

// A seven-segment display that draws its digits itself: lit segments in
// ForeColor, unlit ones in BackColor, on the background Color, inside an
// optional lowered inner bevel.
class TLiquidIndicator : public QWidget {
    Q_OBJECT
public:
    explicit TLiquidIndicator(QWidget* parent = nullptr);

    int NumDigits() const { return FNumDigits; }
    void SetNumDigits(int digits);  // 1 to 32
    QColor ForeColor() const { return FForeColor; }
    void SetForeColor(const QColor& color);
    QColor BackColor() const { return FBackColor; }
    void SetBackColor(const QColor& color);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& color);
    TIndicatorStyle Style() const { return FStyle; }
    void SetStyle(TIndicatorStyle style);
    // Inner bevel: 0 none, 1 raised, 2 lowered.
    int BevelInner() const { return FBevelInner; }
    void SetBevelInner(int style);

    // The text on the display, as the cells show it.
    QString ShownText() const { return FText; }
    const std::vector<TSegmentCell>& Cells() const { return FCells; }

    QSize sizeHint() const override;

protected:
    void SetShownText(const QString& text);
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintBevel(class QPainter& painter, QRect& area) const;
    void PaintCell(class QPainter& painter, const QRectF& glyph, const TSegmentCell& cell) const;

    int FNumDigits = 4;
    QColor FForeColor = QColor(0, 255, 0);
    QColor FBackColor = QColor(13, 13, 13);
    QColor FColor = Qt::black;
    TIndicatorStyle FStyle = TIndicatorStyle::Normal;
    int FBevelInner = 0;
    QString FText;
    std::vector<TSegmentCell> FCells;
};
