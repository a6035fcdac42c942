#pragma once
#include <QColor>
#include <QTableWidget>
#include <cstdint>
#include <mutex>

#include "Tracering.h"

// A rectangle of cells, inclusive (VCL style: Left/Right columns, Top/Bottom rows).
struct TGridRect {
    int Left = 1, Top = 1, Right = 1, Bottom = 1;
    bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
    bool operator==(const TGridRect&) const = default;
};

// How one cell is drawn.
struct TCellStyle {
    QColor Brush;
    QColor Font;
    bool Bold = false;
    bool TraceFrame = false;  // the traced cell: a 2-pixel black frame
};

// The leading whole number of text (sign and digits), saturated to the
// 64-bit range; 0 when text does not start with one.
std::int64_t LeadingInteger(const QString& text);

// The table grid: one fixed header row and column, a selection rectangle,
// per-cell colours, typing switched on per key, Page Up/Down stepping, range
// filling, and the fading trace of the live operating point. Typing goes
// into the current cell directly (no separate editor window); every change of
// a cell's text by typing or stepping raises OnSetEditText. UI thread.
class TQZStringGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TQZStringGrid(QWidget* parent = nullptr);

    void Lock() { FLock.lock(); }
    void Unlock() { FLock.unlock(); }

    // Grid shape and texts.
    int ColCount() const { return columnCount(); }
    int RowCount() const { return rowCount(); }
    void SetColCount(int count);
    void SetRowCount(int count);
    int FixedCols() const { return 1; }
    int FixedRows() const { return 1; }
    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int height);
    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int width);

    TGridRect Selection() const { return FSelection; }
    void SetSelection(const TGridRect& rect);
    int Col() const { return FCol; }
    int Row() const { return FRow; }
    void SetCurrent(int col, int row);
    // Whether keyboard entry is on (the editing option).
    bool EntryOn() const { return FEntryOn; }
    // Ends a typing session.
    void EndEditing();

    bool GetEditEnable() const { return FEditEnabled; }
    void SetEditEnable(bool on);
    QColor SelectedColor = QColor(0x80, 0x80, 0x80);
    QColor SelectedBlendColor = QColor(0xC0, 0xC0, 0xC0);
    QColor TextFixedHighlightColor = QColor(0, 255, 0);
    QColor TextHighlightColor = QColor(255, 255, 0);
    QColor FixedHighlightColor = Qt::black;
    QColor TextFixedColor = Qt::black;
    QColor FixedColor = QColor(0xF0, 0xF0, 0xF0);
    bool HexMode = false;

    // Trace.
    bool CellTraceEnabled() const { return FCellTraceEnabled; }
    void SetCellTraceEnabled(bool on);
    void SetTraceValues(double columnValue, double rowValue);
    int LookupRow(double value) const;
    int LookupCol(double value) const;
    void SetNumTraceCells(int count);
    void UpdateNumTraceCells();
    void SetTraceDuration(int ms);
    void SetTraceUpdateRate(int ms);
    int TraceDuration() const { return FTraceDuration; }
    int NumTraceCells() const { return FTrace.Count(); }
    int TraceCol() const { return FTraceCol; }
    int TraceRow() const { return FTraceRow; }
    QColor GetTraceColor(int col, int row, const QColor& base);

    // The colour rules of a cell.
    TCellStyle StringGridGetCellColor(int col, int row);

signals:
    void OnSetEditText(int col, int row, const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void SetCellByUser(int col, int row, const QString& text);
    bool SelectionHasText() const;
    void StepSelection(int delta);
    void TypeInto(const QKeyEvent& event);
    void MoveCurrent(int dCol, int dRow, bool extend);
    bool KeyTypes(const QKeyEvent& event) const;
    int Lookup(double value, int count, bool columns) const;
    double AxisValue(int index, bool columns, bool& ok) const;
    void ApplyCellSizes();

    std::recursive_mutex FLock;
    bool FEditEnabled = false;
    bool FEntryOn = false;
    bool FTyping = false;
    bool FCellTraceEnabled = false;
    int FTraceCol = -1;
    int FTraceRow = -1;
    TTraceRing FTrace;
    int FTraceDuration = 0;
    int FTraceUpdateRate = 0;
    TGridRect FSelection;
    int FCol = 1, FRow = 1;
    int FAnchorCol = 1, FAnchorRow = 1;
    bool FDragging = false;
    int FDefaultRowHeight = 24;
    int FDefaultColWidth = 64;
};
