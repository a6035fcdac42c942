#include "Qzstringgrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <charconv>
#include <limits>

namespace {
const QString KBlank = QStringLiteral(" ");
const QColor KYellow(255, 255, 0);

// Paints every cell by the grid's colour rules.
class TGridDelegate : public QStyledItemDelegate {
public:
    explicit TGridDelegate(TQZStringGrid* grid) : QStyledItemDelegate(grid), FGrid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const TCellStyle style = FGrid->StringGridGetCellColor(index.column(), index.row());
        const QRect r = option.rect;
        painter->fillRect(r, style.Brush);
        painter->setPen(QColor(0x60, 0x60, 0x60));
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        if (style.TraceFrame) {
            painter->setPen(QPen(Qt::black, 1));
            painter->drawRect(r.adjusted(0, 0, -1, -1));
            painter->drawRect(r.adjusted(1, 1, -2, -2));
        }
        if (option.font != FBase) {
            FBase = option.font;
            FBold = option.font;
            FBold.setBold(true);
        }
        const QFont& font = style.Bold ? FBold : FBase;
        painter->setFont(font);
        painter->setPen(style.Font);
        const QString text = FGrid->Cell(index.column(), index.row());
        if (text.isEmpty())
            return;
        const QFontMetrics metrics(font);
        const int x = r.left() + (r.width() - metrics.horizontalAdvance(text)) / 2;
        const int y = r.top() + (r.height() - metrics.height()) / 2 + metrics.ascent();
        painter->drawText(QPoint(x, y), text);
    }

private:
    TQZStringGrid* FGrid;
    mutable QFont FBase;
    mutable QFont FBold;
};

bool IsDigitKey(int key) { return key >= Qt::Key_0 && key <= Qt::Key_9; }
bool IsHexLetter(int key) { return key >= Qt::Key_A && key <= Qt::Key_F; }
}  // namespace

std::int64_t LeadingInteger(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range)
        return first != last && *first == '-' ? std::numeric_limits<std::int64_t>::min()
                                              : std::numeric_limits<std::int64_t>::max();
    return error == std::errc() ? value : 0;
}

TQZStringGrid::TQZStringGrid(QWidget* parent) : QTableWidget(2, 2, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::StrongFocus);
    setItemDelegate(new TGridDelegate(this));
    setShowGrid(false);
    setMouseTracking(false);
    ApplyCellSizes();
}

void TQZStringGrid::SetColCount(int count) {
    setColumnCount(std::max(count, 0));
    ApplyCellSizes();
}

void TQZStringGrid::SetRowCount(int count) {
    setRowCount(std::max(count, 0));
    ApplyCellSizes();
}

QString TQZStringGrid::Cell(int col, int row) const {
    const QTableWidgetItem* cell = item(row, col);
    return cell ? cell->text() : QString();
}

void TQZStringGrid::SetCell(int col, int row, const QString& text) {
    if (col < 0 || row < 0 || col >= columnCount() || row >= rowCount())
        return;
    if (QTableWidgetItem* cell = item(row, col))
        cell->setText(text);
    else
        setItem(row, col, new QTableWidgetItem(text));
}

void TQZStringGrid::SetDefaultRowHeight(int height) {
    FDefaultRowHeight = std::max(height, 0);
    ApplyCellSizes();
}

void TQZStringGrid::SetDefaultColWidth(int width) {
    FDefaultColWidth = std::max(width, 0);
    ApplyCellSizes();
}

void TQZStringGrid::ApplyCellSizes() {
    verticalHeader()->setDefaultSectionSize(FDefaultRowHeight);
    horizontalHeader()->setDefaultSectionSize(FDefaultColWidth);
    for (int r = 0; r < rowCount(); ++r)
        setRowHeight(r, FDefaultRowHeight);
    for (int c = 0; c < columnCount(); ++c)
        setColumnWidth(c, FDefaultColWidth);
}

void TQZStringGrid::SetSelection(const TGridRect& rect) {
    FSelection = rect;
    viewport()->update();
}

void TQZStringGrid::SetCurrent(int col, int row) {
    FCol = col;
    FRow = row;
    FAnchorCol = col;
    FAnchorRow = row;
    if (row >= 0 && row < rowCount() && col >= 0 && col < columnCount())
        scrollTo(model()->index(row, col));
}

void TQZStringGrid::EndEditing() { FTyping = false; }

void TQZStringGrid::SetEditEnable(bool on) {
    FEditEnabled = on;
    viewport()->update();
}

void TQZStringGrid::SetCellTraceEnabled(bool on) {
    FCellTraceEnabled = on;
    viewport()->update();
}

// Mouse: header clicks select rows, columns or everything; a data click
// starts a selection that a drag extends.
void TQZStringGrid::mousePressEvent(QMouseEvent* event) {
    FEntryOn = false;
    EndEditing();
    setFocus(Qt::MouseFocusReason);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && event->button() == Qt::LeftButton) {
        const int col = index.column(), row = index.row();
        const int lastCol = ColCount() - FixedCols(), lastRow = RowCount() - FixedRows();
        if (col < FixedCols() && row < FixedRows())
            FSelection = {FixedCols(), FixedRows(), lastCol, lastRow};
        else if (row < FixedRows())
            FSelection = {col, FixedRows(), col, lastRow};
        else if (col < FixedCols())
            FSelection = {FixedCols(), row, lastCol, row};
        else {
            SetCurrent(col, row);
            FSelection = {col, row, col, row};
            FDragging = true;
        }
    }
    viewport()->update();
}

void TQZStringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (FDragging && index.isValid() && index.column() >= FixedCols() && index.row() >= FixedRows())
        FSelection = {std::min(FAnchorCol, index.column()), std::min(FAnchorRow, index.row()),
                      std::max(FAnchorCol, index.column()), std::max(FAnchorRow, index.row())};
    viewport()->update();
}

void TQZStringGrid::mouseReleaseEvent(QMouseEvent*) {
    FDragging = false;
    viewport()->update();
}

bool TQZStringGrid::SelectionHasText() const {
    for (int r = FSelection.Top; r <= FSelection.Bottom; ++r)
        for (int c = FSelection.Left; c <= FSelection.Right; ++c)
            if (Cell(c, r) != KBlank)
                return true;
    return false;
}

void TQZStringGrid::SetCellByUser(int col, int row, const QString& text) {
    SetCell(col, row, text);
    emit OnSetEditText(col, row, text);
}

void TQZStringGrid::StepSelection(int delta) {
    for (int r = FSelection.Top; r <= FSelection.Bottom; ++r)
        for (int c = FSelection.Left; c <= FSelection.Right; ++c) {
            const std::int64_t n = LeadingInteger(Cell(c, r));
            std::int64_t stepped = 0;
            if (__builtin_add_overflow(n, delta, &stepped))
                stepped = n;
            SetCellByUser(c, r, QString::number(stepped));
        }
    viewport()->update();
}

bool TQZStringGrid::KeyTypes(const QKeyEvent& event) const {
    const int key = event.key();
    return IsDigitKey(key) || key == Qt::Key_Minus || key == Qt::Key_Backspace || key == Qt::Key_Delete ||
           (HexMode && IsHexLetter(key));
}

// Typing into the current cell: the first key of a session replaces the text.
void TQZStringGrid::TypeInto(const QKeyEvent& event) {
    QString text = FTyping ? Cell(FCol, FRow) : QString();
    FTyping = true;
    const int key = event.key();
    if (key == Qt::Key_Backspace)
        text.chop(1);
    else if (key == Qt::Key_Delete)
        text.clear();
    else if (key == Qt::Key_Minus)
        text += u'-';
    else if (IsDigitKey(key) || IsHexLetter(key))
        text += event.text().toUpper();
    SetCellByUser(FCol, FRow, text);
    viewport()->update();
}

void TQZStringGrid::MoveCurrent(int dCol, int dRow, bool extend) {
    const int col = std::clamp(FCol + dCol, FixedCols(), std::max(FixedCols(), ColCount() - 1));
    const int row = std::clamp(FRow + dRow, FixedRows(), std::max(FixedRows(), RowCount() - 1));
    if (extend) {
        FCol = col;
        FRow = row;
        FSelection = {std::min(FAnchorCol, col), std::min(FAnchorRow, row), std::max(FAnchorCol, col),
                      std::max(FAnchorRow, row)};
        scrollTo(model()->index(row, col));
    } else {
        SetCurrent(col, row);
        FSelection = {col, row, col, row};
    }
    viewport()->update();
}

void TQZStringGrid::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (FEditEnabled && SelectionHasText())
        FEntryOn = true;
    if (FEditEnabled && (key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
        EndEditing();
        StepSelection(key == Qt::Key_PageUp ? 1 : -1);
        FEntryOn = false;
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    switch (key) {
    case Qt::Key_Left: EndEditing(); MoveCurrent(-1, 0, extend); return;
    case Qt::Key_Right: EndEditing(); MoveCurrent(1, 0, extend); return;
    case Qt::Key_Up: EndEditing(); MoveCurrent(0, -1, extend); return;
    case Qt::Key_Down: EndEditing(); MoveCurrent(0, 1, extend); return;
    case Qt::Key_Home: EndEditing(); MoveCurrent(-ColCount(), 0, extend); return;
    case Qt::Key_End: EndEditing(); MoveCurrent(ColCount(), 0, extend); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: EndEditing(); return;
    default: break;
    }
    if (FEditEnabled && FEntryOn && KeyTypes(*event))
        TypeInto(*event);
}

// Releasing a typing key copies the current cell into the rest of the selection.
void TQZStringGrid::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat() || !FEditEnabled)
        return;
    const int key = event->key();
    const bool keypadMinus = key == Qt::Key_Minus && (event->modifiers() & Qt::KeypadModifier);
    const bool fills = IsDigitKey(key) || keypadMinus || key == Qt::Key_Backspace || key == Qt::Key_Delete ||
                       (HexMode && IsHexLetter(key) && Cell(FCol, FRow).size() < 3);
    if (fills && FTyping) {
        const QString text = HexMode ? Cell(FCol, FRow).toUpper() : Cell(FCol, FRow);
        for (int r = FSelection.Top; r <= FSelection.Bottom; ++r)
            for (int c = FSelection.Left; c <= FSelection.Right; ++c)
                if ((c != FCol || r != FRow) && Cell(c, r) != KBlank)
                    SetCellByUser(c, r, text);
        viewport()->update();
    }
    FEntryOn = false;
}

TCellStyle TQZStringGrid::StringGridGetCellColor(int col, int row) {
    TCellStyle style{Qt::white, Qt::black, false, false};
    const bool blank = Cell(col, row) == KBlank;
    bool header = col < FixedCols() || row < FixedRows();
    if (header) {
        style.Brush = FixedColor;
        style.Font = TextFixedColor;
    }
    const bool traceRow = FCellTraceEnabled && row == FTraceRow;
    const bool traceCol = FCellTraceEnabled && col == FTraceCol;
    const bool traceCell = traceRow && traceCol && row > 0 && col > 0;
    const bool selected = FSelection.Contains(col, row);
    if (!header) {
        if (blank) {
            style = {FixedColor, Qt::black, true, false};
            header = true;
        } else {
            style = selected ? TCellStyle{SelectedColor, TextHighlightColor, true, false}
                             : TCellStyle{Qt::white, Qt::black, true, false};
        }
    }
    const bool inSpan = (col >= FSelection.Left && col <= FSelection.Right) ||
                        (row >= FSelection.Top && row <= FSelection.Bottom);
    if (!traceCell && !selected && inSpan) {
        if (header) {
            style.Brush = FixedHighlightColor;
            style.Font = TextFixedHighlightColor;
        } else {
            style.Brush = SelectedBlendColor;
        }
    }
    if (!header && FCellTraceEnabled) {
        const QColor t = GetTraceColor(col, row, style.Brush);
        if (t != style.Brush)
            style = {t, Qt::black, true, false};
    }
    style.TraceFrame = traceCell;
    if (header && (traceRow || traceCol))
        style.Font = KYellow;
    return style;
}

QColor TQZStringGrid::GetTraceColor(int col, int row, const QColor& base) {
    std::lock_guard<std::recursive_mutex> guard(FLock);
    const double w = FTrace.WeightAt(col, row);
    if (w < 0)
        return base;
    auto mix = [w](int yellow, int part) { return int(w * yellow + (1 - w) * part); };
    return QColor(mix(255, base.red()), mix(255, base.green()), mix(0, base.blue()));
}

double TQZStringGrid::AxisValue(int index, bool columns, bool& ok) const {
    const QString text = columns ? Cell(index, 0) : Cell(0, index);
    ok = !text.isEmpty();
    const double value = text.toDouble();
    return value;
}

int TQZStringGrid::Lookup(double value, int count, bool columns) const {
    int result = -1;
    for (int i = 1; i < count - 1; ++i) {
        bool okA = false, okB = false;
        const double a = AxisValue(i, columns, okA);
        const double b = AxisValue(i + 1, columns, okB);
        if (!okA || !okB)
            break;
        const double mid = b == a ? 0 : a + (b - a) / 2;
        if (value <= mid)
            return i;
        if (i + 2 == count)
            result = count - 1;
    }
    return result;
}

int TQZStringGrid::LookupRow(double value) const { return Lookup(value, RowCount(), false); }

int TQZStringGrid::LookupCol(double value) const { return Lookup(value, ColCount(), true); }

void TQZStringGrid::SetTraceValues(double columnValue, double rowValue) {
    if (FTrace.Count() > 0) {
        FTraceCol = LookupCol(columnValue);
        FTraceRow = LookupRow(rowValue);
        FTrace.Add(FTraceCol, FTraceRow);
    }
    viewport()->update();
}

void TQZStringGrid::SetNumTraceCells(int count) {
    std::lock_guard<std::recursive_mutex> guard(FLock);
    FTrace.Resize(count);
}

void TQZStringGrid::UpdateNumTraceCells() { SetNumTraceCells(TraceCount(FTraceDuration, FTraceUpdateRate)); }

void TQZStringGrid::SetTraceDuration(int ms) {
    FTraceDuration = std::clamp(ms, 0, 20000);
    UpdateNumTraceCells();
}

void TQZStringGrid::SetTraceUpdateRate(int ms) {
    FTraceUpdateRate = std::max(ms, 0);
    UpdateNumTraceCells();
}
