#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "Devicemanager.h"
#include "Simulator.h"

namespace {

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace

// The CPU a process spends with one unit connected and nothing subscribed,
// over 10 s of enumeration passes once a second (as the main window runs
// them). The simulated unit runs in the same process, so the figure is an
// upper bound for the program's own share. Counter "cpu_percent": percent of
// one core.
static void BM_EnumerationIdleCpu(benchmark::State& state) {
    TSimulator sim;
    sim.AddUnit();
    TPlainUIBridge ui;
    TDevManager manager(ui, MakeHIDBackend(TDeviceSource{sim.LinkDir()}));
    manager.RunEnumeration();
    double percent = 0;
    for (auto _ : state) {
        const auto wallStart = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        for (int pass = 0; pass < 10; ++pass) {
            manager.RunEnumeration();
            std::this_thread::sleep_until(wallStart + std::chrono::seconds(pass + 1));
        }
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        percent = 100.0 * (ProcessCpuSeconds() - cpuStart) / wall;
        state.SetIterationTime(wall);
    }
    if (!manager.IsConnected(TDeviceID(nullptr, 0x0506, KConnUSB, KDevKindKZD)))
        state.SkipWithError("the simulated unit was not connected");
    state.counters["cpu_percent"] = percent;
}
BENCHMARK(BM_EnumerationIdleCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
