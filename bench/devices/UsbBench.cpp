// The device stack against the simulated unit over the report link.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

#include "Kzdusb.h"
#include "Linkbackend.h"
#include "Simulator.h"
#include "Usb.h"

namespace {

constexpr int KReadLength = 24 * 1024;

// Reports that one ReadFram of length needs on the way in: each 256-byte
// piece comes back as 1 + 256 data bytes + 4 header bytes in 60-byte reports.
int InputReportsFor(int length) {
    int reports = 0;
    for (int offset = 0; offset < length; offset += 256) {
        const int piece = std::min(256, length - offset);
        reports += (piece + 1 + 4 + 59) / 60;
    }
    return reports;
}

// A 24 KB ReadFram; range(0) is the unit's report interval in microseconds.
// With an interval, "ratio" compares the time with the bound of one report
// per millisecond on the way in (the busier direction: 480 reports).
void BM_ReadFram24KB(benchmark::State& state) {
    TSimulator sim;
    TSimUnitOptions options;
    options.ReportIntervalUs = static_cast<int>(state.range(0));
    sim.AddUnit(options);
    TUSB usb(std::make_shared<TLinkBackend>(sim.LinkDir()), 0x0506, FamilyVendorId());
    if (!usb.IsConnected()) {
        state.SkipWithError("unit not connected");
        return;
    }
    TKZDUSB driver(&usb);
    std::vector<std::uint8_t> buffer(KReadLength);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (driver.ReadFram(0, buffer.data(), KReadLength) != 0) {
            state.SkipWithError("ReadFram failed");
            return;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * KReadLength);
    if (options.ReportIntervalUs > 0) {
        const double boundMs = InputReportsFor(KReadLength) * options.ReportIntervalUs / 1000.0;
        state.counters["bound_ms"] = boundMs;
        const double elapsedMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        state.counters["ratio"] = elapsedMs / static_cast<double>(state.iterations()) / boundMs;
    }
}
BENCHMARK(BM_ReadFram24KB)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// CPU used by the process while an opened unit has been unplugged and the
// read thread found it gone (it must not spin on a failing read).
void BM_ReadThreadIdleCpuAfterUnplug(benchmark::State& state) {
    TSimulator sim;
    TSimUnit& unit = sim.AddUnit();
    TUSB usb(std::make_shared<TLinkBackend>(sim.LinkDir()), 0x0506, FamilyVendorId());
    if (!usb.IsConnected()) {
        state.SkipWithError("unit not connected");
        return;
    }
    unit.Detach();
    double cpuFraction = 0;
    for (auto _ : state) {
        const std::clock_t cpu = std::clock();
        const auto wall = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const double wallS = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
        cpuFraction = (std::clock() - cpu) / double(CLOCKS_PER_SEC) / wallS;
    }
    state.counters["cpu_fraction"] = cpuFraction;
}
BENCHMARK(BM_ReadThreadIdleCpuAfterUnplug)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
