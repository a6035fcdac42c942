#include "Qcstringgridmanager.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QRegularExpression>
#include <cmath>

#include "Errordisplay.h"
#include "Maptreeviewmanager.h"
#include "Qcdevicemap.h"
#include "Qcmapobj.h"
#include "Qctabledata.h"
#include "Qzliquidindicator.h"
#include "Stringgridpanel.h"
#include "Translate.h"

namespace {
QString AxisTitle(const TQCAxis* axis) {
    const int id = axis ? axis->AxisId() : -1;
    const char* name = id == QC_AXIS_RPM ? "Engine RPM"
                       : id == QC_AXIS_PRESSURE ? "Pressure"
                       : id == QC_AXIS_TPS ? "Throttle (%)"
                                           : "Unknown";
    return TranslateText(QString::fromLatin1(name));
}
}  // namespace

QString AxisText(double value, int axisId) { return FormatFixed(value, axisId == QC_AXIS_PRESSURE ? 2 : 0); }

QString ValueText(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double whole = std::trunc(scale * value);
    return std::fmod(whole, scale) == 0 ? FormatFixed(value, 0) : FormatFixed(value, decimals);
}

QString TableTitle(const TQCTableData& table) {
    const QString prefix = table.FModuleType == QC_MODULE_SECONDARY ? QStringLiteral("SFM - ")
                           : table.FModuleType == QC_MODULE_IGNITION ? QStringLiteral("IM - ")
                                                                     : QString();
    return prefix + QStringLiteral("Map %1 - ").arg(table.FPosition) + QString::fromStdString(table.CylinderText());
}

TQCStringGridManager::TQCStringGridManager(TStringGridPanel* panel, TMapTreeViewManager* treeManager,
                                           QLabel* titleLabel, QObject* parent)
    : QObject(parent), FPanel(panel), FTreeManager(treeManager), FTitleLabel(titleLabel) {
    connect(FPanel, &TStringGridPanel::OnSetEditText, this,
            [this](QObject*, int col, int row, const QString& text) { SetEditText(col, row, text); });
    FPanel->SetFixedColor(QColor(0x1F, 0x1F, 0x1F));
    if (FTreeManager) {
        connect(FTreeManager, &TMapTreeViewManager::OnTableSelected, this, [this](TQCTableData* table) {
            ShowTable(table);
            emit OnTableSelected(table);
        });
        connect(FTreeManager, &TMapTreeViewManager::OnTreeAction, this, [this] { EndEdit(); });
        connect(FTreeManager, &TMapTreeViewManager::OnTableRestored, this,
                [this] { FPanel->Grid()->SetSelection(FSavedSelection); });
    }
    ClearGrid();
}

QString& TQCStringGridManager::ShownText(int col, int row) {
    return FShownTexts[std::size_t(row * FPanel->Grid()->ColCount() + col)];
}

void TQCStringGridManager::ShowTable(TQCTableData* table) {
    if (!table)
        return;
    TQZStringGrid* grid = FPanel->Grid();
    if (FTitleLabel)
        FTitleLabel->setText(TableTitle(*table));
    const TQCAxis* x = table->XAxis();
    const TQCAxis* y = table->YAxis();
    FPanel->SetXAxisTitle(AxisTitle(x));
    FPanel->SetYAxisTitle(AxisTitle(y));
    grid->SetColCount((x ? x->Count() : 0) + 1);
    grid->SetRowCount((y ? y->Count() : 0) + 1);
    grid->SetCell(0, 0, QString());
    for (int i = 0; x && i < x->Count(); ++i)
        grid->SetCell(i + 1, 0, AxisText(x->GetValue(i), x->AxisId()));
    for (int i = 0; y && i < y->Count(); ++i)
        grid->SetCell(0, i + 1, AxisText(y->GetValue(i), y->AxisId()));
    FShownTexts.assign(std::size_t(grid->ColCount() * grid->RowCount()), QString());
    const int decimals = table->Decimals();
    for (int r = 1; r < grid->RowCount(); ++r)
        for (int c = 1; c < grid->ColCount(); ++c) {
            const QString text = ValueText(table->GetValue(c - 1, r - 1), decimals);
            grid->SetCell(c, r, text);
            ShownText(c, r) = text;
        }
    FTable = table;
    const int type = table->TableType();
    FPanel->SetEditEnabled(type == QC_TABLE_FUEL || type == QC_TABLE_IGNITION);
    UpdateColumnWidths();
    grid->viewport()->update();
}

void TQCStringGridManager::ClearTable() {
    if (FTreeManager)
        FTreeManager->SetMap(nullptr);
    ClearGrid();
}

void TQCStringGridManager::ClearGrid() {
    TQZStringGrid* grid = FPanel->Grid();
    if (FTable)
        FSavedSelection = grid->Selection();
    if (FTitleLabel) {
        FTitleLabel->setText(QString());
        FTitleLabel->repaint();
    }
    FPanel->SetEditEnabled(false);
    FPanel->SetXAxisTitle(QString());
    FPanel->SetYAxisTitle(QString());
    grid->SetColCount(2);
    grid->SetRowCount(2);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c)
            grid->SetCell(c, r, QString());
    FShownTexts.clear();
    FTable = nullptr;
    grid->SetDefaultColWidth(0);
    grid->viewport()->update();
}

bool TQCStringGridManager::WriteCell(TQCTableData& table, int col, int row, const QString& text, bool report) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok) {
        if (report)
            ShowErrorMessage(QStringLiteral("'%1' is not a valid floating point value").arg(text), QStringLiteral("Error"));
        return false;
    }
    table.SetValue(col - 1, row - 1, value);
    return true;
}

bool TQCStringGridManager::CommitCells() {
    TQCTableData* table = FTreeManager ? FTreeManager->Table() : FTable;
    if (!table || table != FTable)
        return true;
    const TQZStringGrid* grid = FPanel->Grid();
    for (int r = 1; r < grid->RowCount(); ++r)
        for (int c = 1; c < grid->ColCount(); ++c) {
            const QString text = grid->Cell(c, r);
            const std::size_t at = std::size_t(r * grid->ColCount() + c);
            const bool shown = at < FShownTexts.size() && FShownTexts[at] == text;
            if (text.isEmpty() || text == u'-' || shown)
                continue;
            if (!WriteCell(*table, c, r, text, true))
                return false;
        }
    return true;
}

void TQCStringGridManager::SetEditText(int col, int row, const QString& text) {
    if (!FTable || text.isEmpty() || text == u'-' || col < 1 || row < 1)
        return;
    WriteCell(*FTable, col, row, text, false);
}

void TQCStringGridManager::EndEdit() {
    TQZStringGrid* grid = FPanel->Grid();
    grid->EndEditing();
    if (grid->isVisible() && grid->isEnabled())
        grid->setFocus();
}

void TQCStringGridManager::UpdateColumnWidths() {
    TQZStringGrid* grid = FPanel->Grid();
    if (!FTable) {
        grid->SetDefaultColWidth(0);
        return;
    }
    const int m = int(grid->DefaultRowHeight() * 3.6);
    const int w = grid->ColCount() > 0 ? (grid->width() - 25) / grid->ColCount() : m;
    grid->SetDefaultColWidth(std::max(w, m));
}

bool TQCStringGridManager::GridHasFocus() const { return FPanel->Grid()->hasFocus(); }

bool TQCStringGridManager::CanPaste() const {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasText() && FTable;
}

QString TQCStringGridManager::SelectionText() const {
    const TQZStringGrid* grid = FPanel->Grid();
    const TGridRect s = grid->Selection();
    QStringList rows;
    for (int r = s.Top; r <= s.Bottom; ++r) {
        QStringList cells;
        for (int c = s.Left; c <= s.Right; ++c)
            cells << grid->Cell(c, r);
        rows << cells.join(u'\t');
    }
    return rows.join(QStringLiteral("\r\n"));
}

void TQCStringGridManager::CopySelection() {
    if (GridHasFocus())
        QApplication::clipboard()->setText(SelectionText());
}

void TQCStringGridManager::PasteText(const QString& text) {
    if (!FTable)
        return;
    TQZStringGrid* grid = FPanel->Grid();
    const TGridRect s = grid->Selection();
    const bool single = s.Left == s.Right && s.Top == s.Bottom;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts);
    for (int j = 0; j < lines.size(); ++j) {
        const QStringList tokens = lines[j].split(u'\t', Qt::SkipEmptyParts);
        for (int k = 0; k < tokens.size(); ++k) {
            const int col = s.Left + k, row = s.Top + j;
            const bool inside = single ? col < grid->ColCount() && row < grid->RowCount() : s.Contains(col, row);
            if (inside)
                grid->SetCell(col, row, tokens[k]);
        }
    }
    CommitCells();
    grid->viewport()->update();
}

void TQCStringGridManager::PasteSelection() {
    if (GridHasFocus() && CanPaste())
        PasteText(QApplication::clipboard()->text());
}

void TQCStringGridManager::SelectAllCells() {
    if (!GridHasFocus())
        return;
    EndEdit();
    TQZStringGrid* grid = FPanel->Grid();
    const int lastCol = std::max(1, grid->ColCount() - 1), lastRow = std::max(1, grid->RowCount() - 1);
    grid->SetCurrent(lastCol, lastRow);
    grid->SetSelection({1, 1, lastCol, lastRow});
}
