#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "Fifo.h"

// Moves 5132-byte message records from a producer thread to the consumer
// through the 204800-byte ring the USB message layer uses.
static void BM_FifoRecordsBetweenThreads(benchmark::State& state) {
    constexpr int kRecord = 5132;
    const int perIteration = static_cast<int>(state.range(0));
    TFIFO fifo(204800);
    std::atomic<bool> stop{false};
    std::atomic<long> produced{0};
    std::thread producer([&] {
        std::vector<std::uint8_t> rec(kRecord, 0x5A);
        while (!stop.load(std::memory_order_relaxed)) {
            if (fifo.Write(rec.data(), kRecord) == kRecord)
                produced.fetch_add(1, std::memory_order_relaxed);
            else
                std::this_thread::yield();
        }
    });
    std::vector<std::uint8_t> rec(kRecord);
    long consumed = 0;
    for (auto _ : state) {
        for (int i = 0; i < perIteration; ++i) {
            while (!fifo.HasAtLeast(kRecord))
                std::this_thread::yield();
            if (fifo.Read(rec.data(), kRecord) != kRecord)
                state.SkipWithError("short record read");
            ++consumed;
        }
        benchmark::DoNotOptimize(rec.data());
    }
    stop = true;
    producer.join();
    state.SetItemsProcessed(consumed);
    state.SetBytesProcessed(consumed * kRecord);
}
BENCHMARK(BM_FifoRecordsBetweenThreads)->Arg(100)->UseRealTime();

// One whole-record write and read on one thread: the cost per record with no
// contention.
static void BM_FifoWriteReadRecord(benchmark::State& state) {
    constexpr int kRecord = 5132;
    TFIFO fifo(204800);
    std::vector<std::uint8_t> in(kRecord, 1), out(kRecord);
    for (auto _ : state) {
        fifo.Write(in.data(), kRecord);
        fifo.Read(out.data(), kRecord);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<long>(state.iterations()) * kRecord);
}
BENCHMARK(BM_FifoWriteReadRecord);

