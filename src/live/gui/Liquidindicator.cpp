#include "Liquidindicator.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {
constexpr std::uint8_t KDigitSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

struct TLetter {
    char Letter;
    std::uint8_t Segments;
};
// Letters as a seven-segment display can draw them, in the case they read best.
constexpr TLetter KLetters[] = {
    {'A', 0x77}, {'b', 0x7C}, {'C', 0x39}, {'c', 0x58}, {'d', 0x5E}, {'E', 0x79}, {'F', 0x71},
    {'G', 0x3D}, {'H', 0x76}, {'h', 0x74}, {'I', 0x06}, {'J', 0x1E}, {'L', 0x38}, {'n', 0x54},
    {'o', 0x5C}, {'O', 0x3F}, {'P', 0x73}, {'r', 0x50}, {'S', 0x6D}, {'t', 0x78}, {'U', 0x3E},
    {'u', 0x1C}, {'y', 0x6E},
};

std::uint8_t LetterSegments(char c) {
    for (const TLetter& letter : KLetters)
        if (letter.Letter == c)
            return letter.Segments;
    return 0;
}

bool IsPoint(QChar c) { return c == u'.' || c == u','; }

// Cells of text and the index of the cell carrying the first point (-1: none).
std::vector<TSegmentCell> ParseCells(const QString& text, int& pointCell) {
    std::vector<TSegmentCell> cells;
    pointCell = -1;
    for (QChar c : text) {
        if (!IsPoint(c)) {
            cells.push_back({SegmentsOf(c), false});
            continue;
        }
        if (cells.empty() || cells.back().Point)
            cells.push_back({0, true});
        else
            cells.back().Point = true;
        if (pointCell < 0)
            pointCell = int(cells.size()) - 1;
    }
    return cells;
}

// The six corners of a segment along the centre line from p to q.
QPolygonF SegmentShape(QPointF p, QPointF q, double thickness) {
    const double half = thickness / 2;
    const double gap = thickness * 0.12 + 0.4;
    if (p.y() == q.y()) {
        const double y = p.y(), x1 = p.x() + gap, x2 = q.x() - gap;
        return QPolygonF({{x1, y}, {x1 + half, y - half}, {x2 - half, y - half},
                          {x2, y}, {x2 - half, y + half}, {x1 + half, y + half}});
    }
    const double x = p.x(), y1 = p.y() + gap, y2 = q.y() - gap;
    return QPolygonF({{x, y1}, {x + half, y1 + half}, {x + half, y2 - half},
                      {x, y2}, {x - half, y2 - half}, {x - half, y1 + half}});
}

// Proportions of a digit: glyph width to height, cell width to glyph width.
constexpr double KGlyphAspect = 0.55;
constexpr double KCellFactor = 1.45;
constexpr double KItalicShear = 0.12;
}  // namespace

std::uint8_t SegmentsOf(QChar c) {
    if (c >= u'0' && c <= u'9')
        return KDigitSegments[c.unicode() - u'0'];
    if (c == u'-')
        return 0x40;
    if (c == u'_')
        return 0x08;
    if (c.unicode() > 0x7F || !c.isLetter())
        return 0;
    const char ch = char(c.unicode());
    if (std::uint8_t s = LetterSegments(ch))
        return s;
    return LetterSegments(char(c.isUpper() ? c.toLower().unicode() : c.toUpper().unicode()));
}

std::vector<TSegmentCell> LayoutCells(const QString& text, int cells) {
    int pointCell = -1;
    std::vector<TSegmentCell> result = ParseCells(text, pointCell);
    const auto count = [&] { return int(result.size()); };
    bool dropped = false;
    while (count() > cells && pointCell >= 0 && count() - 1 > pointCell) {
        result.pop_back();
        dropped = true;
    }
    if (dropped && count() - 1 == pointCell) {
        // No decimals left: no point either.
        if (result.back().Segments)
            result.back().Point = false;
        else
            result.pop_back();
    }
    if (count() > cells)
        result.erase(result.begin(), result.begin() + (count() - std::max(cells, 0)));
    if (count() < cells)
        result.insert(result.begin(), std::size_t(cells - count()), TSegmentCell{});
    return result;
}

TLiquidIndicator::TLiquidIndicator(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    FCells = LayoutCells(FText, FNumDigits);
}

void TLiquidIndicator::SetNumDigits(int digits) {
    digits = std::clamp(digits, 1, 32);
    if (digits == FNumDigits)
        return;
    FNumDigits = digits;
    FCells = LayoutCells(FText, FNumDigits);
    update();
}

void TLiquidIndicator::SetForeColor(const QColor& color) {
    if (color == FForeColor)
        return;
    FForeColor = color;
    update();
}

void TLiquidIndicator::SetBackColor(const QColor& color) {
    FBackColor = color;
    update();
}

void TLiquidIndicator::SetColor(const QColor& color) {
    FColor = color;
    update();
}

void TLiquidIndicator::SetStyle(TIndicatorStyle style) {
    FStyle = style;
    update();
}

void TLiquidIndicator::SetBevelInner(int style) {
    FBevelInner = std::clamp(style, 0, 2);
    update();
}

void TLiquidIndicator::SetShownText(const QString& text) {
    if (text == FText)
        return;
    FText = text;
    FCells = LayoutCells(FText, FNumDigits);
    update();
}

QSize TLiquidIndicator::sizeHint() const {
    const int height = 40;
    return QSize(int(FNumDigits * height * 0.8 * KGlyphAspect * KCellFactor) + 12, height);
}

void TLiquidIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect area = rect();
    painter.fillRect(area, FColor);
    PaintBevel(painter, area);
    const double pad = std::max(2.0, area.height() * 0.1);
    const QRectF inner = QRectF(area).adjusted(pad, pad, -pad, -pad);
    if (inner.width() <= 0 || inner.height() <= 0 || FCells.empty())
        return;
    const int n = int(FCells.size());
    const double slant = FStyle == TIndicatorStyle::Italic ? KItalicShear : 0;
    const double byWidth = inner.width() / (n * KGlyphAspect * KCellFactor + slant);
    const double glyphHeight = std::min(inner.height(), byWidth);
    const double glyphWidth = glyphHeight * KGlyphAspect;
    const double cellWidth = glyphWidth * KCellFactor;
    const double left = inner.center().x() - n * cellWidth / 2 + (cellWidth - glyphWidth) / 2;
    const double top = inner.center().y() - glyphHeight / 2;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    if (slant != 0) {
        const double mid = top + glyphHeight / 2;
        painter.setTransform(QTransform(1, 0, -slant, 1, slant * mid, 0));
    }
    for (int i = 0; i < n; ++i)
        PaintCell(painter, QRectF(left + i * cellWidth, top, glyphWidth, glyphHeight), FCells[std::size_t(i)]);
}

void TLiquidIndicator::PaintBevel(QPainter& painter, QRect& area) const {
    if (FBevelInner == 0 || area.width() < 4 || area.height() < 4)
        return;
    const QColor shadow(72, 72, 72), light(150, 150, 150);
    const QColor topLeft = FBevelInner == 2 ? shadow : light;
    const QColor bottomRight = FBevelInner == 2 ? light : shadow;
    for (int i = 0; i < 2; ++i) {
        painter.fillRect(QRect(area.left(), area.top(), area.width(), 1), topLeft);
        painter.fillRect(QRect(area.left(), area.top(), 1, area.height()), topLeft);
        painter.fillRect(QRect(area.left(), area.bottom(), area.width(), 1), bottomRight);
        painter.fillRect(QRect(area.right(), area.top(), 1, area.height()), bottomRight);
        area.adjust(1, 1, -1, -1);
    }
}

void TLiquidIndicator::PaintCell(QPainter& painter, const QRectF& glyph, const TSegmentCell& cell) const {
    const double t = std::max(1.0, glyph.width() * 0.2);
    const double l = glyph.left() + t / 2, r = glyph.right() - t / 2;
    const double top = glyph.top() + t / 2, mid = glyph.center().y(), bottom = glyph.bottom() - t / 2;
    const QPointF ends[7][2] = {
        {{l, top}, {r, top}},   {{r, top}, {r, mid}},       {{r, mid}, {r, bottom}}, {{l, bottom}, {r, bottom}},
        {{l, mid}, {l, bottom}}, {{l, top}, {l, mid}}, {{l, mid}, {r, mid}},
    };
    for (int s = 0; s < 7; ++s) {
        painter.setBrush((cell.Segments >> s) & 1 ? FForeColor : FBackColor);
        painter.drawPolygon(SegmentShape(ends[s][0], ends[s][1], t));
    }
    painter.setBrush(cell.Point ? FForeColor : FBackColor);
    const double radius = t * 0.55;
    const double gapToNext = glyph.width() * (KCellFactor - 1);
    painter.drawEllipse(QPointF(glyph.right() + gapToNext / 2, glyph.bottom() - radius), radius, radius);
}
