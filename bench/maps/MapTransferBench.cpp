// A full device map read and send against the simulated unit with the
// report pacing of a full-speed endpoint (one report per millisecond each
// way). "bound_ms" is the report-count bound: for every request the larger
// of its request and reply report counts, times the interval (requests and
// replies alternate, so no transfer can be faster); "ratio" is the measured
// time over that bound.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "Devicemanager.h"
#include "Qcmaptransferdevice.h"
#include "Simulator.h"
#include "Simunit.h"
#include "Uibridge.h"

namespace {

constexpr int KIntervalUs = 1000;
constexpr int KPiece = 256;
constexpr int KStreamBytes = 60;   // message bytes per report
constexpr int KMessageHeader = 4;

int Reports(int messageData) { return (messageData + KMessageHeader + KStreamBytes - 1) / KStreamBytes; }

// Reports of the larger direction for one FRAM read or write of length bytes.
int ReadReports(int length) {
    int reports = 0;
    for (int at = 0; at < length; at += KPiece)
        reports += Reports(1 + std::min(KPiece, length - at));   // status + data in
    return reports;
}
int WriteReports(int length) {
    int reports = 0;
    for (int at = 0; at < length; at += KPiece)
        reports += Reports(6 + std::min(KPiece, length - at));   // address, length, data out
    return reports;
}
int Pieces(int length) { return (length + KPiece - 1) / KPiece; }

// Three positions of one fuel table each, on axes of their own, filling the
// 24576-byte table area; every position named.
void BuildFullMap(TQCDeviceMap& deviceMap) {
    const int shapes[3][2] = {{96, 96}, {96, 96}, {96, 64}};
    for (int p = 1; p <= 3; ++p) {
        auto* x = new TQCAxis;
        x->SetAxisId(QC_AXIS_TPS);
        x->SetCount(shapes[p - 1][0]);
        auto* y = new TQCAxis;
        y->SetAxisId(QC_AXIS_RPM);
        y->SetCount(shapes[p - 1][1]);
        for (TQCAxis* axis : {x, y}) {
            axis->FPosition = p;
            axis->FAddress = 10 * p + (axis == y);
            for (int i = 0; i < axis->Count(); ++i)
                axis->SetValue(i, 100 + 50 * i);
            deviceMap.FAxes.Append(axis);
        }
        auto* table = new TQCTableData;
        table->FModuleType = deviceMap.FModuleType;
        table->SetTableType(QC_TABLE_FUEL);
        table->SetXAxis(x);
        table->SetYAxis(y);
        table->FPosition = p;
        table->FAddress = 100 + p;
        for (int i = 0; i < table->DataSize(); ++i)
            table->Data()[i] = static_cast<std::uint8_t>(i * 7 + p);
        TQCPosition* position = deviceMap.FPositions.FindOrAdd(p);
        position->FTables.Append(table);
        position->FName = "Bench position " + std::to_string(p);
        auto* header = new TQCHeader;
        header->FRecord = {static_cast<std::uint8_t>(0xC0 | p), QC_TABLE_FUEL, 0x3F, 208};
        header->FPosition = p;
        header->FXAxis = x;
        header->FYAxis = y;
        header->FTable = table;
        deviceMap.FHeaders.Append(header);
    }
}

struct TBenchUnit {
    TSimulator Sim;
    TSimUnit* Unit = nullptr;
    TPlainUIBridge UI;
    std::unique_ptr<TDevManager> Manager;
    TDeviceID Id{nullptr, 0x0506, KConnUSB, KDevKindKZD};

    bool Open() {
        TSimUnitOptions options;
        options.ReportIntervalUs = KIntervalUs;
        Unit = &Sim.AddUnit(options);
        Manager = std::make_unique<TDevManager>(UI, MakeHIDBackend(TDeviceSource{Sim.LinkDir()}));
        for (int pass = 0; pass < 3 && !Manager->IsConnected(Id); ++pass)
            Manager->RunEnumeration(10000);
        return Manager->IsConnected(Id);
    }
    ~TBenchUnit() { Manager.reset(); }
};

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Report(benchmark::State& state, double totalMs, double boundMs) {
    state.counters["bound_ms"] = boundMs;
    state.counters["ratio"] = totalMs / static_cast<double>(state.iterations()) / boundMs;
}

void BM_SendFullMap(benchmark::State& state) {
    TBenchUnit bench;
    if (!bench.Open()) {
        state.SkipWithError("unit not connected");
        return;
    }
    TQCMap map;
    BuildFullMap(*map.KZDMap());
    double totalMs = 0, boundMs = 0;
    for (auto _ : state) {
        bench.Unit->ResetCounts();
        const auto start = std::chrono::steady_clock::now();
        TQCMapTransferDevice transfer(&map);
        if (transfer.SendMap(bench.Manager.get(), bench.Id) != 0) {
            state.SkipWithError("send failed");
            return;
        }
        totalMs += Ms(std::chrono::steady_clock::now() - start);
        // Tables, directory, headers, axes and names; begin and end one report each.
        int reports = 2, pieces = 0;
        const TQCDeviceMap& kzd = *map.KZDMap();
        auto add = [&](int length) { reports += WriteReports(length); pieces += Pieces(length); };
        for (const TQCPosition* p : kzd.FPositions.Snapshot()) {
            for (const TQCTableData* t : p->FTables.Snapshot())
                add(t->DataSize());
            add(static_cast<int>(p->FName.size()) + 1);
        }
        int axisBytes = 0;
        for (const TQCAxis* axis : kzd.FAxes.Snapshot())
            axisBytes += 4 + axis->ByteSize();
        add(8);
        add(16 * kzd.FHeaders.Count());
        add(axisBytes);
        boundMs = (reports + (bench.Unit->RequestTotal() - 2 - pieces)) * KIntervalUs / 1000.0;
    }
    state.SetBytesProcessed(state.iterations() * map.KZDMap()->TableBytes());
    Report(state, totalMs, boundMs);
}
BENCHMARK(BM_SendFullMap)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ReadFullMap(benchmark::State& state) {
    TBenchUnit bench;
    if (!bench.Open()) {
        state.SkipWithError("unit not connected");
        return;
    }
    {
        TQCMap full;
        BuildFullMap(*full.KZDMap());
        TQCMapTransferDevice transfer(&full);
        if (transfer.SendMap(bench.Manager.get(), bench.Id) != 0) {
            state.SkipWithError("send failed");
            return;
        }
    }
    double totalMs = 0, boundMs = 0;
    int tableBytes = 0;
    for (auto _ : state) {
        bench.Unit->ResetCounts();
        TQCMap map;
        const auto start = std::chrono::steady_clock::now();
        TQCMapTransferDevice transfer(&map);
        if (transfer.ReadMap(bench.Manager.get(), bench.Id) != 0) {
            state.SkipWithError("read failed");
            return;
        }
        totalMs += Ms(std::chrono::steady_clock::now() - start);
        const TQCDeviceMap& kzd = *map.KZDMap();
        int reports = 0, pieces = 0;
        auto add = [&](int length) { reports += ReadReports(length); pieces += Pieces(length); };
        add(8);
        add(16 * kzd.FHeaders.Count());
        for (int i = 0; i < kzd.FAxes.Count(); ++i)
            add(TQCAxis::BlockSize);
        for (const TQCPosition* p : kzd.FPositions.Snapshot()) {
            for (const TQCTableData* t : p->FTables.Snapshot())
                add(t->DataSize());
            add(128);
        }
        // The configuration and root table reads: one report each way.
        boundMs = (reports + (bench.Unit->RequestTotal() - pieces)) * KIntervalUs / 1000.0;
        tableBytes = kzd.TableBytes();
    }
    state.SetBytesProcessed(state.iterations() * tableBytes);
    Report(state, totalMs, boundMs);
}
BENCHMARK(BM_ReadFullMap)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
