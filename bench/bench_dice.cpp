// Rolling speed: sum and keep rolls at the bounds, a table roll (which reads
// Chart.ini afresh each time) and each delivered plug-in. Every roll must stay
// within a few milliseconds even at the largest allowed sizes.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "dice/CDiceTable.h"
#include "dice/CMersenneTwister.h"
#include "dice/CPluginRegistry.h"
#include "dice/DiceRolls.h"
#include "platform/ProgramFolder.h"

namespace {

using namespace yarrow;

void BM_RollSum(benchmark::State& state, const char* expression) {
    CMersenneTwister rng;
    std::string text;
    std::int32_t total = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(RollSum(expression, rng, false, text, total));
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK_CAPTURE(BM_RollSum, small, "3D6+1");
BENCHMARK_CAPTURE(BM_RollSum, largest, "1000D1000000+1000000");

void BM_RollKeep(benchmark::State& state, const char* expression) {
    CMersenneTwister rng;
    std::string text;
    for (auto _ : state) {
        benchmark::DoNotOptimize(RollKeep(expression, rng, text));
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK_CAPTURE(BM_RollKeep, small, "+2,4D6");
BENCHMARK_CAPTURE(BM_RollKeep, largest, "+500,1000D1000000");

void BM_RollTable(benchmark::State& state) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "yarrow-bench-Chart.ini";
    {
        std::ofstream out(path, std::ios::binary);
        for (int t = 0; t < 20; ++t) {
            out << "[Table" << t << "]\r\nUseDice=2D6\r\nMaxResult=high\r\n";
            for (int v = 2; v <= 12; ++v)
                out << v << "=result " << v << "\r\n";
        }
    }
    CDiceTable table(path.string());
    CMersenneTwister rng;
    std::string text;
    for (auto _ : state) {
        std::int32_t total = 0;
        benchmark::DoNotOptimize(table.RollTable("#Table19,+1", text, total, rng));
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_RollTable);

void BM_Plugin(benchmark::State& state, const char* expression) {
    static CPluginRegistry registry(ProgramFolder() + "Plugin");
    CMersenneTwister rng;
    std::string text;
    if (!registry.RollPlugin(expression, text, rng)) {
        state.SkipWithError("plug-in not found in the Plugin folder");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(registry.RollPlugin(expression, text, rng));
    }
}
BENCHMARK_CAPTURE(BM_Plugin, kestrel_small, "$KS,6");
BENCHMARK_CAPTURE(BM_Plugin, kestrel_largest, "$KS,1000");
BENCHMARK_CAPTURE(BM_Plugin, brightmoor_small, "$BM,5,8,2");
BENCHMARK_CAPTURE(BM_Plugin, brightmoor_largest, "$BM,1000,2");

}  // namespace

BENCHMARK_MAIN();
