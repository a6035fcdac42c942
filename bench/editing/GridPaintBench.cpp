// Painting the largest table (96 x 96) with a full 400-entry cell trace.
// A frame of the main window has 20 ms: the window paints the cells in view
// (a 1200 x 600 grid area); the whole table at once is measured as well, and
// each with and without the trace, which shows what the trace lookup costs.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "Qcdevicemap.h"
#include "Qcstringgridmanager.h"
#include "Qzstringgrid.h"
#include "Stringgridpanel.h"

namespace {
struct TLargestTable {
    TLargestTable() {
        Config[1] = 4;
        X.SetAxisId(QC_AXIS_RPM);
        X.SetCount(96);
        Y.SetAxisId(QC_AXIS_RPM);
        Y.SetCount(96);
        for (int i = 0; i < 96; ++i) {
            X.SetValue(i, 100.0 * (i + 1));
            Y.SetValue(i, 100.0 * (i + 1));
        }
        Table.SetConfig(&Config);
        Table.SetTableType(QC_TABLE_FUEL);
        Table.SetXAxis(&X);
        Table.SetYAxis(&Y);
        for (int r = 0; r < 96; ++r)
            for (int c = 0; c < 96; ++c)
                Table.SetValue(c, r, (c + r) % 50);
    }
    TQCOutputConfig Config{};
    TQCAxis X, Y;
    TQCTableData Table;
};

// Arguments: trace drawn (1) or not (0); whole table (1) or the window's view (0).
void BM_PaintLargestTableWithFullTrace(benchmark::State& state) {
    const bool whole = state.range(1) != 0;
    TLargestTable table;
    TStringGridPanel panel;
    TQCStringGridManager manager(&panel, nullptr, nullptr);
    manager.ShowTable(&table.Table);
    TQZStringGrid& grid = *panel.Grid();
    grid.SetDefaultRowHeight(whole ? 16 : 24);
    grid.SetDefaultColWidth(whole ? 40 : 86);
    panel.resize(whole ? QSize(97 * 40 + 40, 97 * 16 + 40) : QSize(1200, 600));
    panel.show();
    grid.SetCellTraceEnabled(state.range(0) != 0);
    grid.SetTraceUpdateRate(50);
    grid.SetTraceDuration(20000);
    for (int i = 0; i < 400; ++i)
        grid.SetTraceValues(100.0 + (i * 37) % 9600, 100.0 + (i * 53) % 9600);
    QImage image(grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        grid.viewport()->render(&painter);
    }
    state.counters["cells"] = whole ? 97 * 97 : (1200 / 86 + 1) * (600 / 24 + 1);
    state.counters["ring"] = grid.NumTraceCells();
}
BENCHMARK(BM_PaintLargestTableWithFullTrace)
    ->Args({1, 0})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({0, 1})
    ->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
