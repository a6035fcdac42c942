// Loading and saving a full KZD map: 100 headers, 24480 bytes of tables.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "../../tests/maps/MapFixtures.h"
#include "Qcmaptransferfile.h"

namespace {

void BuildFullKzdMap(TQCMap& map) {
    TQCDeviceMap& kzd = *map.KZDMap();
    MapFixtures::SetTypicalConfig(kzd);
    MapFixtures::TDeviceMapBuilder build(kzd);
    TQCAxis* tps = build.AddAxis(QC_AXIS_TPS, 16, 0, 6.5);
    TQCAxis* rpm = build.AddAxis(QC_AXIS_RPM, 15, 500, 500);
    const int types[] = {QC_TABLE_FUEL, QC_TABLE_IGNITION, QC_TABLE_TARGET_AFR, QC_TABLE_INTEGRATOR, QC_TABLE_TRIM};
    for (int i = 0; i < 98; ++i)
        build.AddTable(types[i % 5], 208 + i % 4, 0x3F, tps, rpm);
    build.AddTable(QC_TABLE_OFFSET, 236, 0x3F, tps, rpm);
    build.AddTable(QC_TABLE_OFFSET, 237, 0x3F, tps, rpm);
    kzd.FPositions.Find(1)->FName = "Full map";
}

void BM_SaveFullMapToMemory(benchmark::State& state) {
    TQCMap map;
    BuildFullKzdMap(map);
    TQCMapTransferFile transfer(&map);
    std::vector<std::uint8_t> bytes;
    for (auto _ : state) {
        if (transfer.SaveToMemory(bytes) != 0)
            state.SkipWithError("save failed");
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["table_bytes"] = map.KZDMap()->TableBytes();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_SaveFullMapToMemory);

void BM_LoadFullMapFromMemory(benchmark::State& state) {
    TQCMap source;
    BuildFullKzdMap(source);
    std::vector<std::uint8_t> bytes;
    TQCMapTransferFile(&source).SaveToMemory(bytes);
    TQCMap map;
    TQCMapTransferFile transfer(&map);
    for (auto _ : state)
        if (transfer.LoadFromMemory(bytes.data(), bytes.size(), "full.kzm") != 0)
            state.SkipWithError("load failed");
    state.counters["headers"] = map.KZDMap()->FHeaders.Count();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadFullMapFromMemory);

// Through the file system: the atomic save (temporary file, rename) and the load.
void BM_SaveAndLoadFullMapFile(benchmark::State& state) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "kzd_bench_full_map.kzm";
    TQCMap source;
    BuildFullKzdMap(source);
    TQCMap loaded;
    TQCMapTransferFile saver(&source), loader(&loaded);
    for (auto _ : state)
        if (saver.SaveToFile(path.string()) != 0 || loader.LoadFromFile(path.string()) != 0)
            state.SkipWithError("save or load failed");
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveAndLoadFullMapFile);

}  // namespace

BENCHMARK_MAIN();
