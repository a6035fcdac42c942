#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTreeWidget>

#include "Maptreeviewmanager.h"
#include "Qcmap.h"

namespace {
using TCylinders = std::array<std::uint8_t, 4>;
constexpr TCylinders KAll = {1, 1, 1, 1};

// Builds maps table by table: a KZD (or other) device map with 4 cylinders.
class TMapBuilder {
public:
    explicit TMapBuilder(TQCMap& map) : FMap(map) {
        FMap.FSource = 2;
        for (TQCDeviceMap* deviceMap : FMap.FDeviceMaps.Snapshot())
            deviceMap->FOutputConfig[1] = 4;
    }

    TQCTableData* Table(int position, int type, int xAxisId = QC_AXIS_TPS, TCylinders cylinders = KAll,
                        int module = QC_MODULE_KZD) {
        TQCDeviceMap* deviceMap = FMap.GetDeviceMap(module);
        auto* table = new TQCTableData;
        table->FPosition = position;
        table->FModuleType = std::uint8_t(module);
        table->SetConfig(&deviceMap->FOutputConfig);
        table->SetTableType(type);
        table->SetXAxis(Axis(*deviceMap, position, xAxisId));
        table->SetYAxis(Axis(*deviceMap, position, QC_AXIS_RPM));
        for (int i = 0; i < 4; ++i)
            table->SetCylinder(i, cylinders[std::size_t(i)]);
        deviceMap->FPositions.FindOrAdd(position)->FTables.Append(table);
        return table;
    }

private:
    TQCAxis* Axis(TQCDeviceMap& deviceMap, int position, int id) {
        auto* axis = new TQCAxis;
        axis->FPosition = position;
        axis->SetAxisId(id);
        axis->SetCount(4);
        deviceMap.FAxes.Append(axis);
        return axis;
    }

    TQCMap& FMap;
};

QStringList Children(const QTreeWidgetItem* item) {
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

// The item reached from the root through the captions of path.
QTreeWidgetItem* Find(QTreeWidget& tree, const QStringList& path) {
    QTreeWidgetItem* item = tree.topLevelItem(0);
    for (const QString& text : path) {
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; item && i < item->childCount() && !next; ++i)
            if (item->child(i)->text(0) == text)
                next = item->child(i);
        item = next;
    }
    return item;
}

TQCTableData* TableOf(QTreeWidgetItem* item) {
    auto* mapItem = dynamic_cast<TMapTreeItem*>(item);
    return mapItem ? mapItem->Node().Table : nullptr;
}

class MapTreeTest : public ::testing::Test {
protected:
    QTreeWidget Tree;
    TMapTreeViewManager Manager{&Tree};
    TQCMap Map;
    TMapBuilder Builder{Map};
};

TEST_F(MapTreeTest, CylinderTablesGetACylinderNodeBesideTheCommonTable) {
    TQCTableData* common = Builder.Table(2, QC_TABLE_FUEL);
    TQCTableData* some = Builder.Table(2, QC_TABLE_FUEL, QC_AXIS_TPS, {1, 1, 0, 0});
    Manager.SetMap(&Map);
    EXPECT_EQ(Children(Tree.topLevelItem(0)), QStringList({"Map Position 2"}));
    QTreeWidgetItem* fuel = Find(Tree, {"Map Position 2", "Fuel"});
    ASSERT_NE(fuel, nullptr);
    EXPECT_EQ(Children(fuel), QStringList({"Cylinder 1,2", "Fuel"}));
    EXPECT_EQ(TableOf(fuel->child(1)), common);
    EXPECT_EQ(Children(fuel->child(0)), QStringList({"Fuel"}));
    EXPECT_EQ(TableOf(fuel->child(0)->child(0)), some);
    EXPECT_EQ(TableOf(fuel), nullptr);
}

TEST_F(MapTreeTest, PressureTablesShareOnePressureOffsetNode) {
    Builder.Table(1, QC_TABLE_FUEL, QC_AXIS_PRESSURE);
    Builder.Table(1, QC_TABLE_FUEL, QC_AXIS_PRESSURE, {0, 0, 1, 1});
    Builder.Table(1, QC_TABLE_FUEL);
    Manager.SetMap(&Map);
    QTreeWidgetItem* fuel = Find(Tree, {"Map Position 1", "Fuel"});
    ASSERT_NE(fuel, nullptr);
    EXPECT_EQ(Children(fuel), QStringList({"Fuel", "Pressure Offset"}));
    QTreeWidgetItem* offset = fuel->child(1);
    EXPECT_EQ(Children(offset), QStringList({"Cylinder 3,4", "Fuel (Pressure)"}));
    EXPECT_EQ(Manager.DrawColor(offset), QColor(0x80, 0x80, 0x80));
}

TEST_F(MapTreeTest, AutoTuneTablesAreNotListed) {
    Builder.Table(1, QC_TABLE_TARGET_AFR);
    Builder.Table(1, QC_TABLE_INTEGRATOR);
    Builder.Table(1, QC_TABLE_TRIM);
    Builder.Table(1, QC_TABLE_IGNITION);
    Manager.SetMap(&Map);
    EXPECT_EQ(Children(Find(Tree, {"Map Position 1"})), QStringList({"Ignition"}));
}

TEST_F(MapTreeTest, IgnitionIsGreyAndTheShownTableLimeAndBold) {
    Builder.Table(1, QC_TABLE_FUEL);
    Builder.Table(1, QC_TABLE_IGNITION);
    Manager.SetMap(&Map);
    QTreeWidgetItem* ignitionGroup = Find(Tree, {"Map Position 1", "Ignition"});
    QTreeWidgetItem* ignition = Find(Tree, {"Map Position 1", "Ignition", "Ignition"});
    QTreeWidgetItem* fuel = Find(Tree, {"Map Position 1", "Fuel", "Fuel"});
    ASSERT_TRUE(ignition && fuel);
    const QColor grey(0x80, 0x80, 0x80), white(255, 255, 255), lime(0, 255, 0);
    EXPECT_EQ(Manager.DrawColor(ignitionGroup), grey);
    EXPECT_EQ(Manager.DrawColor(ignition), grey);
    EXPECT_EQ(Manager.DrawColor(fuel), white);
    QSignalSpy selected(&Manager, &TMapTreeViewManager::OnTableSelected);
    Tree.setCurrentItem(ignition);
    emit Tree.itemClicked(ignition, 0);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(Manager.Table(), TableOf(ignition));
    EXPECT_EQ(Manager.DrawColor(ignition), lime);
    EXPECT_TRUE(Manager.DrawBold(ignition));
    EXPECT_EQ(Manager.DrawColor(fuel), white);
    EXPECT_FALSE(Manager.DrawBold(fuel));
}

TEST_F(MapTreeTest, KeyboardSelectionAloneSelectsNoTable) {
    Builder.Table(1, QC_TABLE_FUEL);
    Manager.SetMap(&Map);
    QSignalSpy selected(&Manager, &TMapTreeViewManager::OnTableSelected);
    Tree.setCurrentItem(Find(Tree, {"Map Position 1", "Fuel", "Fuel"}));
    EXPECT_EQ(selected.count(), 0);
    EXPECT_EQ(Manager.Table(), nullptr);
    Manager.SelectFirstTable();
    EXPECT_EQ(selected.count(), 1);
    EXPECT_NE(Manager.Table(), nullptr);
}

TEST_F(MapTreeTest, TheShownTableIsSelectedAgainInTheNextMap) {
    Builder.Table(1, QC_TABLE_FUEL);
    Builder.Table(3, QC_TABLE_FUEL, QC_AXIS_TPS, {1, 0, 0, 0});
    Manager.SetMap(&Map);
    Manager.SelectTable(TableOf(Find(Tree, {"Map Position 3", "Fuel", "Cylinder 1", "Fuel"})));

    TQCMap next;
    TMapBuilder nextBuilder(next);
    nextBuilder.Table(1, QC_TABLE_FUEL);
    TQCTableData* same = nextBuilder.Table(3, QC_TABLE_FUEL, QC_AXIS_TPS, {1, 0, 0, 0});
    QSignalSpy restored(&Manager, &TMapTreeViewManager::OnTableRestored);
    Manager.SetMap(&next);
    EXPECT_EQ(restored.count(), 1);
    EXPECT_EQ(Manager.Table(), same);

    TQCMap other;
    TMapBuilder otherBuilder(other);
    otherBuilder.Table(3, QC_TABLE_FUEL);  // all cylinders: another table
    Manager.SetMap(&other);
    EXPECT_EQ(restored.count(), 1);
    EXPECT_EQ(Manager.Table(), nullptr);
    ASSERT_NE(Manager.SelectedID(), nullptr);  // still remembered for later maps
}

TEST_F(MapTreeTest, EmptyOrNoMapGivesAnEmptyTree) {
    Manager.SetMap(&Map);
    EXPECT_EQ(Tree.topLevelItemCount(), 0);
    Builder.Table(1, QC_TABLE_FUEL);
    Manager.SetMap(&Map);
    EXPECT_EQ(Tree.topLevelItemCount(), 1);
    Manager.SetMap(nullptr);
    EXPECT_EQ(Tree.topLevelItemCount(), 0);
    EXPECT_EQ(Manager.Table(), nullptr);
}

TEST_F(MapTreeTest, RootTextFollowsTheSource) {
    Builder.Table(1, QC_TABLE_FUEL);
    Map.FFileName = "Street.kzm";
    Map.FSource = 1;
    Manager.SetMap(&Map);
    EXPECT_EQ(Tree.topLevelItem(0)->text(0), "Street.kzm");
    Map.FSource = 2;
    Manager.Rebuild();
    EXPECT_TRUE(Tree.topLevelItem(0)->text(0).contains(QRegularExpression(R"(^Device \[Memory Usage \d+%\]$)")));
    Map.FSource = 7;
    Manager.Rebuild();
    EXPECT_EQ(Tree.topLevelItem(0)->text(0), "???");
}

TEST_F(MapTreeTest, PositionsAreListedByNumberWithTheirChildrenSorted) {
    Builder.Table(10, QC_TABLE_FUEL);
    Builder.Table(2, QC_TABLE_IGNITION);
    Builder.Table(2, QC_TABLE_FUEL);
    Manager.SetMap(&Map);
    EXPECT_EQ(Children(Tree.topLevelItem(0)), QStringList({"Map Position 2", "Map Position 10"}));
    EXPECT_EQ(Children(Find(Tree, {"Map Position 2"})), QStringList({"Fuel", "Ignition"}));
}

TEST_F(MapTreeTest, SecondaryTablesJoinAPrimaryPositionOnlyWhenSwitchedOn) {
    Builder.Table(1, QC_TABLE_FUEL, QC_AXIS_TPS, KAll, QC_MODULE_PRIMARY);
    Builder.Table(1, QC_TABLE_IGNITION, QC_AXIS_TPS, KAll, QC_MODULE_SECONDARY);
    Manager.SetMap(&Map);
    EXPECT_EQ(Children(Find(Tree, {"Map Position 1"})), QStringList({"Fuel"}));
    Map.PrimaryMap()->FPositions.Find(1)->FSfmMode = 2;
    Manager.Rebuild();
    EXPECT_EQ(Children(Find(Tree, {"Map Position 1"})), QStringList({"Fuel", "Ignition"}));
}
}  // namespace

#include "Treeimages.h"

namespace {
TEST(TreeImagesTest, EveryImageOfTheTreeHasAPicture) {
    for (int index : {18, 20, 21, 24, 26})
        EXPECT_FALSE(TreeImage(index).isNull()) << index;
    EXPECT_TRUE(TreeImage(-1).isNull());
}
}  // namespace
