// Start-up to the first presented frame, headless with the fast clock: the
// tables, the 214 pictures, the offscreen GL context, the overworld, the
// nine dungeon levels and the hero, then one first-person frame.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "app/game.h"
#include "platform/backends/backends.h"

using namespace delve;

// A headless game with the fast clock and a fixed seed, started.
static std::unique_ptr<Game> startedGame() {
    Options o;
    o.headless = true;
    o.fastClock = true;
    o.haveSeed = true;
    o.seed = 12345;
    if (const char* d = std::getenv("DELVE_TEST_DATA")) o.dataDir = d;
    auto g = std::make_unique<Game>(o, makeHeadlessPlatform());
    startGame(*g);
    return g;
}

static void BM_StartupToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        auto g = startedGame();
        runFrame(*g);
        benchmark::DoNotOptimize(g->screen.framebuffer.data());
        shutdownGame(*g);
    }
}
BENCHMARK(BM_StartupToFirstFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// One idle frame of each mode once the game runs.
static void BM_Frame(benchmark::State& state) {
    auto g = startedGame();
    if (state.range(0) == 640) {
        g->input.setKey(Vk::F6, true);
        runFrame(*g);
        g->input.setKey(Vk::F6, false);
    }
    for (auto _ : state) runFrame(*g);
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    shutdownGame(*g);
}
BENCHMARK(BM_Frame)->Arg(320)->Arg(640)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
