#pragma once
#include <QObject>
#include <QString>
#include <vector>

#include "Qzstringgrid.h"

class QLabel;
class TMapTreeViewManager;
class TQCTableData;
class TStringGridPanel;

// Axis and value texts of the grid: "0." plus one "0" per decimal, and a
// value that is whole at the table's decimals shows without decimals.
QString AxisText(double value, int axisId);
QString ValueText(double value, int decimals);
// "Map 2 - Cylinder 1,2", with "SFM - " or "IM - " in front for those modules.
QString TableTitle(const TQCTableData& table);

// Puts the table selected in the map tree into the grid and takes the edited
// texts back into the table; the clipboard operations of the table. UI thread.
class TQCStringGridManager : public QObject {
    Q_OBJECT
public:
    TQCStringGridManager(TStringGridPanel* panel, TMapTreeViewManager* treeManager, QLabel* titleLabel,
                         QObject* parent = nullptr);

    void ShowTable(TQCTableData* table);
    void ClearTable();
    void ClearGrid();
    // Takes the cells whose text was changed since they were shown into the
    // shown table. False when a text is no number (reported; later cells are
    // not taken).
    bool CommitCells();
    void EndEdit();
    void UpdateColumnWidths();

    bool CanPaste() const;
    void CopySelection();
    void PasteSelection();
    void SelectAllCells();
    // The clipboard operations on text directly (what the clipboard calls use).
    QString SelectionText() const;
    void PasteText(const QString& text);

    TQCTableData* Table() const { return FTable; }
    TGridRect SavedSelection() const { return FSavedSelection; }

signals:
    void OnTableSelected(TQCTableData* table);

private:
    void SetEditText(int col, int row, const QString& text);
    bool WriteCell(TQCTableData& table, int col, int row, const QString& text, bool report);
    bool GridHasFocus() const;
    QString& ShownText(int col, int row);

    TStringGridPanel* FPanel;
    TMapTreeViewManager* FTreeManager;
    QLabel* FTitleLabel;
    TQCTableData* FTable = nullptr;
    TGridRect FSavedSelection;
    std::vector<QString> FShownTexts;  // the text the grid wrote per cell
};
