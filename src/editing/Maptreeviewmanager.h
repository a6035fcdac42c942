#pragma once
#include <QColor>
#include <QObject>
#include <QString>
#include <QTreeWidgetItem>
#include <memory>

#include "Qctableid.h"

class QTreeWidget;
class TQCMap;
class TQCPosition;
class TQCTableData;

// What a node of the map tree carries: its caption, caption colour and,
// for a leaf, its table (not owned).
struct TMapTreeNode {
    QString Text;
    QColor Color;
    TQCTableData* Table = nullptr;
};

// A tree item owning its TMapTreeNode.
class TMapTreeItem : public QTreeWidgetItem {
public:
    explicit TMapTreeItem(const TMapTreeNode& node) : FNode(node) { setText(0, node.Text); }
    const TMapTreeNode& Node() const { return FNode; }

private:
    TMapTreeNode FNode;
};

// Lists the positions and tables of a map in the main window's tree view,
// draws the shown table in lime and bold, reports the table the user picks
// and, after a rebuild, selects the table shown before again. UI thread.
class TMapTreeViewManager : public QObject {
    Q_OBJECT
public:
    explicit TMapTreeViewManager(QTreeWidget* treeView, QObject* parent = nullptr);
    ~TMapTreeViewManager() override;

    void SetMap(TQCMap* map);
    void SetImportImage(int index);
    void SetFolderImage(int index);
    void ExpandAll();
    void CollapseAll();
    void SelectFirstTable();
    void Rebuild();
    void SelectTable(TQCTableData* table);

    TQCTableData* Table() const { return FTable; }
    const TQCTableID* SelectedID() const { return FSelectedID.get(); }
    QTreeWidget* TreeView() const { return FTreeView; }

    // How a node's caption is drawn: its colour, and bold for the shown table.
    QColor DrawColor(const QTreeWidgetItem* item) const;
    bool DrawBold(const QTreeWidgetItem* item) const;

    static constexpr QRgb KNormalColor = 0xFFFFFF;
    static constexpr QRgb KCurrentColor = 0x00FF00;
    static constexpr QRgb KGreyColor = 0x808080;
    static constexpr int KTableImage = 20;

signals:
    void OnTableSelected(TQCTableData* table);
    void OnTreeAction();
    void OnTableRestored();

private:
    void Clear();
    QString RootText() const;
    int RootImage() const;
    void AddPosition(QTreeWidgetItem* root, int number);
    void AddTables(QTreeWidgetItem* node, const TQCPosition& position);
    void AddTable(QTreeWidgetItem* parent, TQCTableData* table);
    QTreeWidgetItem* ChildOrNew(QTreeWidgetItem* parent, const QString& text, const QColor& color);
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& text, const QColor& color,
                             TQCTableData* table);
    void RestoreSelection();
    void Clicked();

    std::unique_ptr<TQCTableID> FSelectedID;
    QTreeWidget* FTreeView;
    TQCMap* FMap = nullptr;
    TQCTableData* FTable = nullptr;
    QColor FNormalColor = QColor(KNormalColor);
    QColor FCurrentColor = QColor(KCurrentColor);
    int FImportImage = -1;
    int FFolderImage = -1;
};
