// Live data costs: reading a cached value from the UI thread while the
// polling thread runs, and polling cycles against the simulated KZD unit.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "Channelmanager.h"
#include "Devmanagersource.h"
#include "Simulator.h"
#include "Timeout.h"
#include "Uibridge.h"

namespace {

// A controller that takes its time to answer, and answers with zeros of the
// right length: the reader must never wait for it.
class TSlowQC7 : public TQC7 {
public:
    explicit TSlowQC7(int replyMs) : FReplyMs(replyMs) {}
    int ReadChannels(int, const std::uint8_t*, int expectedLength, std::uint8_t* reply) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(FReplyMs));
        for (int i = 0; i < expectedLength; ++i)
            reply[i] = static_cast<std::uint8_t>(i);
        return 0;
    }

private:
    int FReplyMs;
};

class TOneDeviceSource : public TLiveSource {
public:
    TOneDeviceSource(const TDeviceID& id, TQC7* driver) : FDriver(driver) { FIds.Append(new TDeviceID(id)); }
    TQC7* ControllerDriver(const TDeviceID&, TDriverLookup) override { return FDriver; }
    TLiveWidebandDriver* WidebandDriver(const TDeviceID&, TDriverLookup) override { return nullptr; }
    int Subscribe(THandler) override { return 1; }
    void Unsubscribe(int) override {}
    const TDeviceIDList& ConnectedIds() const override { return FIds; }
    const TDeviceIDList& ConnectedKinds() const override { return FIds; }

private:
    TQC7* FDriver;
    TDeviceIDList FIds;
};

const TDeviceID KKzd(nullptr, 0x0506, KConnUSB, KDevKindKZD);

// The first count direct channels of the device, subscribed.
std::vector<int> SubscribeDirect(TChanManager& manager, const TDeviceID& id, int count) {
    std::vector<int> ids;
    for (TRawChannel* ch : manager.Devices().Items(0)->Channels().Snapshot())
        if (ch->Direct() && static_cast<int>(ids.size()) < count)
            ids.push_back(ch->ID());
    for (int channel : ids)
        manager.SubscribeChannel(id, channel);
    return ids;
}

// One GetChannelValue of a derived channel while the polling thread stores
// 60 channels per cycle (arg: the device's reply time in ms).
void BM_GetChannelValueWhilePolling(benchmark::State& state) {
    TSlowQC7 driver(static_cast<int>(state.range(0)));
    TOneDeviceSource source(KKzd, &driver);
    TChanManager manager(&source, 1);
    manager.DevicesChanged();
    SubscribeDirect(manager, KKzd, 60);
    manager.SubscribeChannel(KKzd, 260);
    double sum = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(sum += manager.GetChannelValue(KKzd, 260));
}
BENCHMARK(BM_GetChannelValueWhilePolling)->Arg(0)->Arg(20)->Arg(200);

double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// Polling cycles of the simulated unit through the whole device stack, with
// arg active channels: cycles per second against the 50 ms period, and the
// CPU the process spends per second of polling (the simulator included).
void BM_PollingCycleSimulator(benchmark::State& state) {
    TSimulator sim;
    sim.AddUnit();
    TPlainUIBridge ui;
    TDevManager devices(ui, MakeHIDBackend(TDeviceSource{sim.LinkDir()}));
    TDevManagerSource source(devices);
    TChanManager manager(&source, 1);
    if (!devices.RunEnumeration(10000) || manager.Devices().Count() != 1) {
        state.SkipWithError("no simulated unit");
        return;
    }
    const TDeviceID id = manager.Devices().Items(0)->ID();
    // The device time (192) and arg - 1 further channels.
    const std::vector<int> ids = SubscribeDirect(manager, id, static_cast<int>(state.range(0)) - 1);
    manager.SubscribeChannel(id, 192);
    TTimeout online(5000);
    while (!manager.IsOnline(id) && !online.Expired())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double cpuStart = ThreadCpuMs();
    const TTimerStat wall;
    long cycles = 0;
    for (auto _ : state) {
        // One cycle: wait until the device time channel changes.
        const double before = manager.GetChannelValue(id, 192);
        while (manager.GetChannelValue(id, 192) == before)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ++cycles;
    }
    const double seconds = wall.ElapsedMs() / 1000.0;
    state.counters["cycle_ms"] = seconds * 1000.0 / static_cast<double>(cycles);
    state.counters["cpu_ms_per_s"] = (ThreadCpuMs() - cpuStart) / seconds;
    state.counters["channels"] = static_cast<double>(ids.size() + 1);
}
BENCHMARK(BM_PollingCycleSimulator)->Arg(10)->Arg(60)->Iterations(40)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
