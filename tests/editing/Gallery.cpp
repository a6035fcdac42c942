// Renders the grid panel and the map tree in the program's colours into PNG
// files (the editing test program's --screenshots=DIR).
#include <QDir>
#include <QLabel>
#include <QTreeWidget>

#include "Maptreeviewmanager.h"
#include "Qcmap.h"
#include "Qcstringgridmanager.h"
#include "Qzstringgrid.h"
#include "Stringgridpanel.h"

namespace {
TQCTableData* AddTable(TQCMap& map, int position, int type, int cols, int rows, std::array<std::uint8_t, 4> cylinders) {
    TQCDeviceMap* kzd = map.KZDMap();
    kzd->FOutputConfig[1] = 4;
    auto axis = [&](int id, int count, double step) {
        auto* a = new TQCAxis;
        a->FPosition = position;
        a->SetAxisId(id);
        a->SetCount(count);
        for (int i = 0; i < count; ++i)
            a->SetValue(i, step * (i + 1));
        kzd->FAxes.Append(a);
        return a;
    };
    auto* table = new TQCTableData;
    table->FPosition = position;
    table->FModuleType = QC_MODULE_KZD;
    table->SetConfig(&kzd->FOutputConfig);
    table->SetTableType(type);
    table->SetXAxis(axis(QC_AXIS_TPS, cols, 10));
    table->SetYAxis(axis(QC_AXIS_RPM, rows, 500));
    for (int i = 0; i < 4; ++i)
        table->SetCylinder(i, cylinders[std::size_t(i)]);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            table->SetValue(c, r, (c * 3 + r * 2) % 40 - 5);
    kzd->FPositions.FindOrAdd(position)->FTables.Append(table);
    return table;
}
}  // namespace

int RenderEditingGallery(const QString& folder) {
    QDir().mkpath(folder);
    TQCMap map;
    map.FSource = 2;
    AddTable(map, 1, QC_TABLE_FUEL, 10, 12, {1, 1, 1, 1});
    AddTable(map, 1, QC_TABLE_IGNITION, 10, 12, {1, 1, 1, 1});
    AddTable(map, 2, QC_TABLE_FUEL, 10, 12, {1, 1, 0, 0});
    AddTable(map, 2, QC_TABLE_FUEL, 10, 12, {1, 1, 1, 1});
    QTreeWidget tree;
    tree.resize(240, 300);
    TMapTreeViewManager treeManager(&tree);
    treeManager.SetFolderImage(21);
    TStringGridPanel panel;
    panel.resize(900, 360);
    QLabel title;
    TQCStringGridManager manager(&panel, &treeManager, &title);
    treeManager.SetMap(&map);
    treeManager.SelectFirstTable();
    TQZStringGrid& grid = *panel.Grid();
    grid.SetDefaultRowHeight(24);
    manager.UpdateColumnWidths();
    grid.SetSelection({3, 4, 5, 6});
    grid.SetCellTraceEnabled(true);
    grid.SetTraceUpdateRate(50);
    grid.SetTraceDuration(500);
    for (int i = 0; i < 6; ++i)
        grid.SetTraceValues(60 + i * 2, 3000 + i * 150);
    panel.show();
    tree.show();
    const QDir dir(folder);
    return panel.grab().save(dir.filePath(QStringLiteral("grid.png"))) &&
                   tree.grab().save(dir.filePath(QStringLiteral("tree.png")))
               ? 0
               : 1;
}
