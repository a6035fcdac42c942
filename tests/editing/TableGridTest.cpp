#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "Errordisplay.h"
#include "Qcdevicemap.h"
#include "Qcstringgridmanager.h"
#include "Qzstringgrid.h"
#include "Rotatelabel.h"
#include "Stringgridpanel.h"

namespace {
// A table of one type over cols x rows with axis values 1000, 2000, ... and
// 10, 20, ...; every cell set to value.
class TTableFixture {
public:
    TTableFixture(int type, int cols, int rows, double value, int xAxisId = QC_AXIS_RPM, int position = 2) {
        Config[1] = 4;
        X.SetAxisId(xAxisId);
        X.SetCount(cols);
        Y.SetAxisId(QC_AXIS_TPS);
        Y.SetCount(rows);
        for (int i = 0; i < cols; ++i)
            X.SetValue(i, 1000.0 * (i + 1));
        for (int i = 0; i < rows; ++i)
            Y.SetValue(i, 10.0 * (i + 1));
        Table.FPosition = position;
        Table.FModuleType = QC_MODULE_KZD;
        Table.SetConfig(&Config);
        Table.SetTableType(type);
        Table.SetXAxis(&X);
        Table.SetYAxis(&Y);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                Table.SetValue(c, r, value);
        for (int i = 0; i < 4; ++i)
            Table.SetCylinder(i, 1);
    }
    TQCOutputConfig Config{};
    TQCAxis X, Y;
    TQCTableData Table;
};

class TableGridTest : public ::testing::Test {
protected:
    TableGridTest() {
        Panel.resize(700, 400);
        Panel.show();
    }
    TQZStringGrid& Grid() { return *Panel.Grid(); }
    void Click(int col, int row) {
        const QRect cell = Grid().visualRect(Grid().model()->index(row, col));
        QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, cell.center());
    }

    TStringGridPanel Panel;
    QLabel Title;
    TQCStringGridManager Manager{&Panel, nullptr, &Title};
};

TEST(GridTextTest, WholeValuesShowWithoutDecimals) {
    EXPECT_EQ(ValueText(14.7, 1), "14.7");
    EXPECT_EQ(ValueText(14.0, 1), "14");
    EXPECT_EQ(ValueText(-0.25, 3), "-0.250");
    EXPECT_EQ(AxisText(1.5, QC_AXIS_PRESSURE), "1.50");
    EXPECT_EQ(AxisText(2500, QC_AXIS_RPM), "2500");
}

TEST_F(TableGridTest, ShowsAxesValuesAndTitle) {
    TTableFixture f(QC_TABLE_TARGET_AFR, 3, 2, 14.7, QC_AXIS_PRESSURE);
    f.X.SetValue(0, 1.5);
    Manager.ShowTable(&f.Table);
    EXPECT_EQ(Grid().ColCount(), 4);
    EXPECT_EQ(Grid().RowCount(), 3);
    EXPECT_EQ(Grid().Cell(1, 0), "1.50");
    EXPECT_EQ(Grid().Cell(0, 2), "20");
    EXPECT_EQ(Grid().Cell(3, 2), "14.7");
    EXPECT_EQ(Panel.XAxisTitle(), "Pressure");
    EXPECT_EQ(Panel.YAxisTitle(), "Throttle (%)");
    EXPECT_EQ(Title.text(), "Map 2 - Cylinder 1,2,3,4");
    f.Table.FModuleType = QC_MODULE_SECONDARY;
    Manager.ShowTable(&f.Table);
    EXPECT_EQ(Title.text(), "SFM - Map 2 - Cylinder 1,2,3,4");
}

TEST_F(TableGridTest, OnlyFuelAndIgnitionTablesTakeTyping) {
    TTableFixture offset(QC_TABLE_OFFSET, 3, 2, 0.5);
    const double stored = offset.Table.GetValue(0, 0);
    Manager.ShowTable(&offset.Table);
    EXPECT_FALSE(Panel.EditEnabled());
    Grid().SetCurrent(1, 1);
    Grid().SetSelection({1, 1, 1, 1});
    QTest::keyClicks(&Grid(), "7");
    QTest::keyClick(&Grid(), Qt::Key_PageUp);
    EXPECT_EQ(Grid().Cell(1, 1), "0.500");
    EXPECT_EQ(offset.Table.GetValue(0, 0), stored);
    TTableFixture ignition(QC_TABLE_IGNITION, 3, 2, 5);
    Manager.ShowTable(&ignition.Table);
    EXPECT_TRUE(Panel.EditEnabled());
}

TEST_F(TableGridTest, PageUpStepsEveryCellOfTheSelection) {
    TTableFixture f(QC_TABLE_FUEL, 3, 1, 0);
    Manager.ShowTable(&f.Table);
    Grid().SetCell(1, 1, QStringLiteral("10"));
    Grid().SetCell(2, 1, QStringLiteral("abc"));
    Grid().SetCell(3, 1, QStringLiteral("-2"));
    Grid().SetSelection({1, 1, 3, 1});
    QTest::keyClick(&Grid(), Qt::Key_PageUp);
    EXPECT_EQ(Grid().Cell(1, 1), "11");
    EXPECT_EQ(Grid().Cell(2, 1), "1");
    EXPECT_EQ(Grid().Cell(3, 1), "-1");
    EXPECT_EQ(f.Table.GetValue(0, 0), 11);
    EXPECT_EQ(f.Table.GetValue(1, 0), 1);
    EXPECT_EQ(f.Table.GetValue(2, 0), -1);
    EXPECT_FALSE(Grid().EntryOn());
    QTest::keyClick(&Grid(), Qt::Key_PageDown);
    EXPECT_EQ(Grid().Cell(1, 1), "10");
}

TEST_F(TableGridTest, PageUpOnAHugeNumberSaturates) {
    TTableFixture f(QC_TABLE_FUEL, 1, 1, 0);
    Manager.ShowTable(&f.Table);
    Grid().SetCell(1, 1, QStringLiteral("99999999999999999999"));
    Grid().SetSelection({1, 1, 1, 1});
    QTest::keyClick(&Grid(), Qt::Key_PageUp);
    EXPECT_EQ(Grid().Cell(1, 1), QString::number(std::numeric_limits<std::int64_t>::max()));
    EXPECT_EQ(f.Table.GetValue(0, 0), 250);  // the fuel type's limit
}

TEST_F(TableGridTest, TypingIntoOneCellFillsTheSelection) {
    TTableFixture f(QC_TABLE_FUEL, 3, 2, 5);
    Manager.ShowTable(&f.Table);
    Grid().SetCurrent(1, 1);
    Grid().SetSelection({1, 1, 3, 2});
    QTest::keyClicks(&Grid(), "12");
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 3; ++c) {
            EXPECT_EQ(Grid().Cell(c, r), "12") << c << "," << r;
            EXPECT_EQ(f.Table.GetValue(c - 1, r - 1), 12) << c << "," << r;
        }
    EXPECT_FALSE(Grid().EntryOn());
}

TEST_F(TableGridTest, BlankCellsAreNotFilled) {
    TTableFixture f(QC_TABLE_FUEL, 2, 1, 5);
    Manager.ShowTable(&f.Table);
    Grid().SetCell(2, 1, QStringLiteral(" "));
    Grid().SetCurrent(1, 1);
    Grid().SetSelection({1, 1, 2, 1});
    QTest::keyClicks(&Grid(), "9");
    EXPECT_EQ(Grid().Cell(1, 1), "9");
    EXPECT_EQ(Grid().Cell(2, 1), " ");
}

TEST_F(TableGridTest, HeaderClicksSelectColumnsRowsOrEverything) {
    TTableFixture f(QC_TABLE_FUEL, 5, 4, 5);
    Manager.ShowTable(&f.Table);
    Click(0, 0);
    EXPECT_EQ(Grid().Selection(), (TGridRect{1, 1, 5, 4}));
    Click(3, 0);
    EXPECT_EQ(Grid().Selection(), (TGridRect{3, 1, 3, 4}));
    Click(0, 2);
    EXPECT_EQ(Grid().Selection(), (TGridRect{1, 2, 5, 2}));
    Click(4, 3);
    EXPECT_EQ(Grid().Selection(), (TGridRect{4, 3, 4, 3}));
    EXPECT_EQ(Grid().Col(), 4);
}

TEST_F(TableGridTest, ColoursFollowTheSelectionAndTheTrace) {
    TTableFixture f(QC_TABLE_FUEL, 4, 4, 5);
    Manager.ShowTable(&f.Table);
    Grid().SetSelection({2, 2, 2, 2});
    const TCellStyle selected = Grid().StringGridGetCellColor(2, 2);
    EXPECT_EQ(selected.Brush, Grid().SelectedColor);
    EXPECT_EQ(selected.Font, Grid().TextHighlightColor);
    EXPECT_TRUE(selected.Bold);
    EXPECT_EQ(Grid().StringGridGetCellColor(2, 4).Brush, Grid().SelectedBlendColor);
    EXPECT_EQ(Grid().StringGridGetCellColor(4, 4).Brush, QColor(Qt::white));
    const TCellStyle header = Grid().StringGridGetCellColor(2, 0);
    EXPECT_EQ(header.Brush, Grid().FixedHighlightColor);
    EXPECT_EQ(header.Font, Grid().TextFixedHighlightColor);
    EXPECT_EQ(Grid().StringGridGetCellColor(4, 0).Brush, QColor(0x1F, 0x1F, 0x1F));

    Grid().SetCellTraceEnabled(true);
    Grid().SetTraceDuration(250);
    Grid().SetTraceUpdateRate(50);
    ASSERT_EQ(Grid().NumTraceCells(), 4);
    Grid().SetTraceValues(3900, 11);  // column 4, row 1
    Grid().SetTraceValues(4000, 40);  // column 4, row 4: newest
    const TCellStyle traced = Grid().StringGridGetCellColor(4, 4);
    EXPECT_EQ(traced.Brush, QColor(255, 255, 0));
    EXPECT_TRUE(traced.TraceFrame);
    const TCellStyle older = Grid().StringGridGetCellColor(4, 1);  // weight 3/4 over white
    EXPECT_EQ(older.Brush, QColor(255, 255, 63));
    EXPECT_FALSE(older.TraceFrame);
    EXPECT_EQ(Grid().StringGridGetCellColor(0, 4).Font, QColor(255, 255, 0));
    EXPECT_EQ(Grid().StringGridGetCellColor(4, 0).Font, QColor(255, 255, 0));
}

TEST_F(TableGridTest, TraceValuesMapToTheNearestAxisEntry) {
    TTableFixture f(QC_TABLE_FUEL, 3, 3, 5);
    Manager.ShowTable(&f.Table);
    EXPECT_EQ(Grid().LookupCol(1400), 1);
    EXPECT_EQ(Grid().LookupCol(1500), 1);  // halfway goes to the lower entry
    EXPECT_EQ(Grid().LookupCol(1600), 2);
    EXPECT_EQ(Grid().LookupCol(1e9), 3);
    EXPECT_EQ(Grid().LookupRow(24), 2);
    TTableFixture single(QC_TABLE_FUEL, 1, 1, 5);
    Manager.ShowTable(&single.Table);
    EXPECT_EQ(Grid().LookupCol(1000), -1);
}

TEST_F(TableGridTest, ClipboardTextIsTabsAndCrLf) {
    TTableFixture f(QC_TABLE_FUEL, 3, 3, 5);
    Manager.ShowTable(&f.Table);
    Grid().SetCell(2, 1, QStringLiteral("7"));
    Grid().SetSelection({1, 1, 2, 2});
    EXPECT_EQ(Manager.SelectionText(), "5\t7\r\n5\t5");
}

TEST_F(TableGridTest, PasteIntoTheLastColumnKeepsInsideTheGrid) {
    TTableFixture f(QC_TABLE_FUEL, 3, 3, 5);
    Manager.ShowTable(&f.Table);
    Grid().SetSelection({3, 1, 3, 1});
    Manager.PasteText(QStringLiteral("11\t12\r\n\r\n21\t22\n"));
    EXPECT_EQ(f.Table.GetValue(2, 0), 11);
    EXPECT_EQ(f.Table.GetValue(2, 1), 21);
    EXPECT_EQ(f.Table.GetValue(1, 0), 5);
    Grid().SetSelection({1, 1, 2, 1});  // a range keeps the paste inside itself
    Manager.PasteText(QStringLiteral("31\t32\t33\n41\t42"));
    EXPECT_EQ(f.Table.GetValue(0, 0), 31);
    EXPECT_EQ(f.Table.GetValue(1, 0), 32);
    EXPECT_EQ(f.Table.GetValue(2, 0), 11);
    EXPECT_EQ(f.Table.GetValue(0, 1), 5);
}

TEST_F(TableGridTest, ALongPasteIsTakenWhole) {
    TTableFixture f(QC_TABLE_FUEL, 40, 40, 5);
    Manager.ShowTable(&f.Table);
    QStringList lines;
    for (int r = 0; r < 40; ++r) {
        QStringList cells;
        for (int c = 0; c < 40; ++c)
            cells << QString::number(10 + (c + r) % 40);
        lines << cells.join(u'\t');
    }
    const QString text = lines.join(QStringLiteral("\r\n"));
    ASSERT_GT(text.size(), 4095);
    Grid().SetSelection({1, 1, 1, 1});
    Manager.PasteText(text);
    for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 40; ++c)
            ASSERT_EQ(f.Table.GetValue(c, r), 10 + (c + r) % 40) << c << "," << r;
}

TEST_F(TableGridTest, CommitLeavesUntouchedCellsAsTheyAre) {
    TTableFixture f(QC_TABLE_OFFSET, 2, 1, 0);
    const std::uint8_t raw[] = {0x06, 0xFF};  // -250: shown as "-0.250"
    std::copy(raw, raw + 2, f.Table.Data());
    Manager.ShowTable(&f.Table);
    const std::vector<std::uint8_t> before(f.Table.Data(), f.Table.Data() + f.Table.DataSize());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Manager.CommitCells());
    EXPECT_EQ(std::vector<std::uint8_t>(f.Table.Data(), f.Table.Data() + f.Table.DataSize()), before);
    Grid().SetCell(2, 1, QStringLiteral("1.5"));
    EXPECT_TRUE(Manager.CommitCells());
    EXPECT_NEAR(f.Table.GetValue(1, 0), 1.5, 1e-3);
}

TEST_F(TableGridTest, ATextThatIsNoNumberStopsTheCommitWithAnError) {
    TTableFixture f(QC_TABLE_FUEL, 3, 1, 5);
    Manager.ShowTable(&f.Table);
    QStringList errors;
    SetErrorDisplay([&](const QString& text, const QString&) { errors << text; });
    Grid().SetCell(1, 1, QStringLiteral("8"));
    Grid().SetCell(2, 1, QStringLiteral("x"));
    Grid().SetCell(3, 1, QStringLiteral("9"));
    EXPECT_FALSE(Manager.CommitCells());
    SetErrorDisplay(nullptr);
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(f.Table.GetValue(0, 0), 8);
    EXPECT_EQ(f.Table.GetValue(2, 0), 5);
}

TEST_F(TableGridTest, ColumnWidthsFillTheGridAboveAMinimum) {
    TTableFixture f(QC_TABLE_FUEL, 10, 2, 5);
    Manager.ShowTable(&f.Table);
    Grid().SetDefaultRowHeight(15);
    Grid().resize(1000, 300);
    Manager.UpdateColumnWidths();
    EXPECT_EQ(Grid().DefaultColWidth(), (1000 - 25) / 11);
    Grid().SetDefaultRowHeight(24);
    Grid().resize(300, 300);
    Manager.UpdateColumnWidths();
    EXPECT_EQ(Grid().DefaultColWidth(), 86);
    Manager.ClearGrid();
    EXPECT_EQ(Grid().DefaultColWidth(), 0);
    EXPECT_EQ(Grid().ColCount(), 2);
    EXPECT_EQ(Manager.Table(), nullptr);
}
}  // namespace

namespace {
TEST(StringGridPanelTest, TitlesFrameTheGrid) {
    TStringGridPanel panel;
    panel.resize(500, 300);
    panel.DoResize();
    const int h = panel.XAxisLabel()->height();
    ASSERT_GT(h, 0);
    EXPECT_EQ(panel.XAxisLabel()->geometry(), QRect(0, 0, 500, h));
    EXPECT_EQ(panel.YAxisLabel()->geometry(), QRect(0, 0, h, 300));
    EXPECT_EQ(panel.Grid()->geometry(), QRect(h, h, 500 - h, 300 - h));
    EXPECT_EQ(panel.XAxisTitle(), "X AXIS");
    EXPECT_EQ(panel.YAxisTitle(), "Y AXIS");
}
}  // namespace

#include <QApplication>
#include <QClipboard>
#include <QTreeWidget>

#include "Maptreeviewmanager.h"
#include "Qcmap.h"

namespace {
TEST_F(TableGridTest, ClipboardCallsWorkOnTheFocusedGrid) {
    TTableFixture f(QC_TABLE_FUEL, 3, 2, 5);
    Manager.ShowTable(&f.Table);
    Grid().SetSelection({1, 1, 1, 1});
    QApplication::clipboard()->setText(QStringLiteral("1\t2"));
    Manager.PasteSelection();  // the grid has no focus: nothing happens
    EXPECT_EQ(f.Table.GetValue(0, 0), 5);
    Panel.activateWindow();
    Grid().setFocus();
    if (!QTest::qWaitFor([&] { return Grid().hasFocus(); }, 2000))
        GTEST_SKIP() << "this platform gives no window the focus";
    EXPECT_TRUE(Manager.CanPaste());
    Manager.PasteSelection();
    EXPECT_EQ(f.Table.GetValue(0, 0), 1);
    EXPECT_EQ(f.Table.GetValue(1, 0), 2);
    Manager.SelectAllCells();
    EXPECT_EQ(Grid().Selection(), (TGridRect{1, 1, 3, 2}));
    EXPECT_EQ(Grid().Col(), 3);
    EXPECT_EQ(Grid().Row(), 2);
    Manager.CopySelection();
    EXPECT_EQ(QApplication::clipboard()->text(), "1\t2\t5\r\n5\t5\t5");
}

TEST(GridAndTreeTest, TheSelectionComesBackWithTheRestoredTable) {
    TQCMap map;
    map.FSource = 2;
    TQCDeviceMap* kzd = map.KZDMap();
    kzd->FOutputConfig[1] = 4;
    auto* x = new TQCAxis, *y = new TQCAxis;
    x->SetAxisId(QC_AXIS_TPS);
    x->SetCount(4);
    y->SetAxisId(QC_AXIS_RPM);
    y->SetCount(4);
    kzd->FAxes.Append(x);
    kzd->FAxes.Append(y);
    auto* table = new TQCTableData;
    table->FPosition = 1;
    table->FModuleType = QC_MODULE_KZD;
    table->SetConfig(&kzd->FOutputConfig);
    table->SetTableType(QC_TABLE_FUEL);
    table->SetXAxis(x);
    table->SetYAxis(y);
    for (int i = 0; i < 4; ++i)
        table->SetCylinder(i, 1);
    kzd->FPositions.FindOrAdd(1)->FTables.Append(table);

    QTreeWidget tree;
    TMapTreeViewManager treeManager(&tree);
    TStringGridPanel panel;
    TQCStringGridManager manager(&panel, &treeManager, nullptr);
    treeManager.SetMap(&map);
    treeManager.SelectFirstTable();
    ASSERT_EQ(manager.Table(), table);
    panel.Grid()->SetSelection({2, 3, 4, 4});
    manager.ClearGrid();
    EXPECT_EQ(manager.SavedSelection(), (TGridRect{2, 3, 4, 4}));
    panel.Grid()->SetSelection({1, 1, 1, 1});
    treeManager.Rebuild();  // finds the table again and shows it
    EXPECT_EQ(manager.Table(), table);
    EXPECT_EQ(panel.Grid()->Selection(), (TGridRect{2, 3, 4, 4}));
}
}  // namespace
