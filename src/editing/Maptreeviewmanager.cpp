#include "Maptreeviewmanager.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <algorithm>

#include "Qcmap.h"
#include "Qzliquidindicator.h"
#include "Treeimages.h"

namespace {
// Draws the captions with the manager's colour and weight.
class TMapTreeDelegate : public QStyledItemDelegate {
public:
    TMapTreeDelegate(const TMapTreeViewManager& manager, QTreeWidget* tree)
        : QStyledItemDelegate(tree), FManager(manager), FTree(tree) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QTreeWidgetItem* item = FTree->itemFromIndex(index);
        const QColor color = FManager.DrawColor(item);
        option->palette.setColor(QPalette::Text, color);
        option->palette.setColor(QPalette::HighlightedText, color);
        option->font.setBold(FManager.DrawBold(item));
    }

private:
    const TMapTreeViewManager& FManager;
    QTreeWidget* FTree;
};

const TMapTreeNode* NodeOf(const QTreeWidgetItem* item) {
    const auto* mapItem = dynamic_cast<const TMapTreeItem*>(item);
    return mapItem ? &mapItem->Node() : nullptr;
}

// Sorts the children of item by caption, and theirs, recursively.
void SortChildren(QTreeWidgetItem* item) {
    QList<QTreeWidgetItem*> children = item->takeChildren();
    std::stable_sort(children.begin(), children.end(), [](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        return QString::localeAwareCompare(a->text(0), b->text(0)) < 0;
    });
    item->addChildren(children);
    for (QTreeWidgetItem* child : children)
        SortChildren(child);
}

QString Text(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

TMapTreeViewManager::TMapTreeViewManager(QTreeWidget* treeView, QObject* parent)
    : QObject(parent), FTreeView(treeView) {
    FTreeView->clear();
    FTreeView->setHeaderHidden(true);
    FTreeView->setColumnCount(1);
    FTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette palette = FTreeView->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, Qt::white);
    FTreeView->setPalette(palette);
    FTreeView->setItemDelegate(new TMapTreeDelegate(*this, FTreeView));
    connect(FTreeView, &QTreeWidget::itemClicked, this, [this] { Clicked(); });
    connect(FTreeView, &QTreeWidget::itemDoubleClicked, this, [this] { emit OnTreeAction(); });
}

TMapTreeViewManager::~TMapTreeViewManager() = default;

void TMapTreeViewManager::SetMap(TQCMap* map) {
    FMap = map;
    Rebuild();
}

void TMapTreeViewManager::SetImportImage(int index) {
    if (index == FImportImage)
        return;
    FImportImage = index;
    Rebuild();
}

void TMapTreeViewManager::SetFolderImage(int index) {
    if (index == FFolderImage)
        return;
    FFolderImage = index;
    Rebuild();
}

void TMapTreeViewManager::ExpandAll() {
    FTreeView->expandAll();
    emit OnTreeAction();
}

void TMapTreeViewManager::CollapseAll() {
    FTreeView->collapseAll();
    emit OnTreeAction();
}

void TMapTreeViewManager::SelectFirstTable() {
    for (QTreeWidgetItemIterator it(FTreeView); *it; ++it) {
        const TMapTreeNode* node = NodeOf(*it);
        if (node && node->Table) {
            FTreeView->setCurrentItem(*it);
            Clicked();
            return;
        }
    }
}

void TMapTreeViewManager::Clear() {
    FTable = nullptr;
    FTreeView->clear();  // destroys the items and the nodes they own
}

void TMapTreeViewManager::Rebuild() {
    Clear();
    if (FMap && !FMap->IsEmpty()) {
        auto* root = AddNode(nullptr, RootText(), FNormalColor, nullptr);
        root->setIcon(0, TreeImage(RootImage()));
        if (TQCDeviceMap* kzd = FMap->KZDMap()) {
            kzd->FPositions.SortByNumber();
            for (TQCPosition* position : kzd->FPositions.Snapshot())
                AddPosition(root, position->FNumber);
        }
        if (TQCDeviceMap* primary = FMap->PrimaryMap())
            for (TQCPosition* position : primary->FPositions.Snapshot())
                AddPosition(root, position->FNumber);
        for (int i = 0; i < root->childCount(); ++i)
            SortChildren(root->child(i));
        FTreeView->expandAll();
        FTreeView->scrollToTop();
    }
    RestoreSelection();
}

QString TMapTreeViewManager::RootText() const {
    if (FMap->FSource == 1)
        return Text(FMap->FFileName);
    if (FMap->FSource == 0 || FMap->FSource == 2) {
        const TQCDeviceMap* kzd = FMap->KZDMap();
        const double usage = kzd ? std::max(kzd->TableMemoryUsage(), kzd->HeaderMemoryUsage()) : 0;
        return QStringLiteral("Device [Memory Usage ") + FormatFixed(usage, 0) + QStringLiteral("%]");
    }
    return QStringLiteral("???");
}

int TMapTreeViewManager::RootImage() const {
    const QString name = Text(FMap->FFileName);
    if (name.endsWith(QStringLiteral(".qzm"), Qt::CaseInsensitive))
        return 24;
    if (name.endsWith(QStringLiteral(".qkm"), Qt::CaseInsensitive))
        return FImportImage;
    return 26;
}

void TMapTreeViewManager::AddPosition(QTreeWidgetItem* root, int number) {
    if (TQCDeviceMap* kzd = FMap->KZDMap())
        if (TQCPosition* position = kzd->FPositions.Find(number))
            AddTables(AddNode(root, Text(position->DisplayName()), FNormalColor, nullptr), *position);
    TQCDeviceMap* primary = FMap->PrimaryMap();
    TQCPosition* position = primary ? primary->FPositions.Find(number) : nullptr;
    if (!position)
        return;
    QTreeWidgetItem* node = AddNode(root, Text(position->DisplayName()), FNormalColor, nullptr);
    AddTables(node, *position);
    if (TQCDeviceMap* secondary = FMap->SecondaryMap())
        if (TQCPosition* sfm = secondary->FPositions.Find(number); sfm && position->FSfmMode == 2)
            AddTables(node, *sfm);
    if (TQCDeviceMap* ignition = FMap->IgnitionMap())
        if (TQCPosition* spark = ignition->FPositions.Find(number))
            AddTables(node, *spark);
}

void TMapTreeViewManager::AddTables(QTreeWidgetItem* node, const TQCPosition& position) {
    for (TQCTableData* table : position.FTables.Snapshot()) {
        const int type = table->TableType();
        if (type != QC_TABLE_TARGET_AFR && type != QC_TABLE_INTEGRATOR && type != QC_TABLE_TRIM)
            AddTable(node, table);
    }
}

void TMapTreeViewManager::AddTable(QTreeWidgetItem* parent, TQCTableData* table) {
    const QColor color = table->TableType() == QC_TABLE_IGNITION ? QColor(KGreyColor) : FNormalColor;
    QTreeWidgetItem* node = ChildOrNew(parent, Text(table->GroupName()), color);
    if (table->XAxis() && table->XAxis()->AxisId() == QC_AXIS_PRESSURE)
        node = ChildOrNew(node, QStringLiteral("Pressure Offset"), QColor(KGreyColor));
    if (table->IsCylinderSpecific())
        node = ChildOrNew(node, Text(table->CylinderText()), color);
    if (table->IsGearSpecific())
        node = ChildOrNew(node, Text(table->GearText()), color);
    AddNode(node, Text(table->TypeName()), color, table);
}

QTreeWidgetItem* TMapTreeViewManager::ChildOrNew(QTreeWidgetItem* parent, const QString& text, const QColor& color) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    return AddNode(parent, text, color, nullptr);
}

QTreeWidgetItem* TMapTreeViewManager::AddNode(QTreeWidgetItem* parent, const QString& text, const QColor& color,
                                              TQCTableData* table) {
    auto* item = new TMapTreeItem(TMapTreeNode{text, color, table});
    item->setIcon(0, TreeImage(table ? KTableImage : FFolderImage));
    if (parent)
        parent->addChild(item);
    else
        FTreeView->addTopLevelItem(item);
    return item;
}

void TMapTreeViewManager::RestoreSelection() {
    if (!FMap || !FSelectedID)
        return;
    for (TQCDeviceMap* deviceMap : FMap->FDeviceMaps.Snapshot()) {
        TQCPosition* position = deviceMap->FPositions.Find(FSelectedID->FPosition);
        TQCTableData* table = position ? position->FTables.FindMatching(*FSelectedID, true) : nullptr;
        if (table) {
            SelectTable(table);
            emit OnTableRestored();
            emit OnTreeAction();
            return;
        }
    }
}

void TMapTreeViewManager::SelectTable(TQCTableData* table) {
    FSelectedID = std::make_unique<TQCTableID>(table->BuildID());
    FTable = table;
    emit OnTableSelected(table);
    FTreeView->viewport()->update();
}

void TMapTreeViewManager::Clicked() {
    const TMapTreeNode* node = NodeOf(FTreeView->currentItem());
    if (node && node->Table)
        SelectTable(node->Table);
    emit OnTreeAction();
}

QColor TMapTreeViewManager::DrawColor(const QTreeWidgetItem* item) const {
    const TMapTreeNode* node = NodeOf(item);
    if (!node)
        return FNormalColor;
    return node->Table && node->Table == FTable ? FCurrentColor : node->Color;
}

bool TMapTreeViewManager::DrawBold(const QTreeWidgetItem* item) const {
    const TMapTreeNode* node = NodeOf(item);
    return node && node->Table && node->Table == FTable;
}
