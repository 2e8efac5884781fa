// Start-up's world work: dungeon generation with the start-up arguments,
// stacking, the world digest and the sine/cosine tables. Each benchmark
// reports the median of repeated runs.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "gfx/framebuffer.h"
#include "platform/rng.h"
#include "units/hero.h"
#include "platform/digest.h"
#include "world/generator.h"
#include "world/world.h"

namespace delve {
namespace {

// Empties the generator's work layers so the next call grows them again.
void clearWorkLayers(World& w) {
    std::memset(w.map.data() + cellIndex(0, 0, FirstWorkLayer), 0,
                size_t(WorkLayerCount) * LayerSize);
}

void BM_GenerateDungeon(benchmark::State& state) {
    auto world = std::make_unique<World>();
    allocateGeneratorTables(*world);
    uint32_t seed = 1;
    for (auto _ : state) {
        state.PauseTiming();
        clearWorkLayers(*world);
        Rng rng;
        rng.srand(seed++);
        state.ResumeTiming();
        generateDungeon(*world, rng, 128, 128, 33, 9, 255, 2400);
        benchmark::DoNotOptimize(world->map.data());
    }
    state.counters["rooms"] = world->gen.roomCount;
}
BENCHMARK(BM_GenerateDungeon)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_StartupWorldSteps(benchmark::State& state) {
    // Re-make the tables, generate, stack and place the hero, as start-up does.
    auto world = std::make_unique<World>();
    auto units = std::make_unique<Units>();
    for (auto _ : state) {
        state.PauseTiming();
        clearWorkLayers(*world);
        Rng rng;
        rng.srand(7);
        state.ResumeTiming();
        freeGeneratorTables(*world);
        allocateGeneratorTables(*world);
        generateDungeon(*world, rng, 128, 128, 33, 9, 255, 2400);
        stackDungeonLevels(world->map);
        benchmark::DoNotOptimize(placeHero(world->map, *units, rng));
    }
}
BENCHMARK(BM_StartupWorldSteps)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_WorldDigest(benchmark::State& state) {
    auto world = std::make_unique<World>();
    for (auto _ : state) benchmark::DoNotOptimize(fnv1a64(world->map.data(), WorldBytes));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(WorldBytes));
}
BENCHMARK(BM_WorldDigest)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Making the tables and reading every entry once: what filling them whole
// at start-up used to cost.
void BM_TrigTablesBuild(benchmark::State& state) {
    TrigTables trig;
    for (auto _ : state) {
        trig.release();
        trig.build();
        float sum = 0.0f;
        for (int i = 0; i < TrigEntries; i += TrigBlockEntries) sum += trig.sine(i) + trig.cosine(i);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_TrigTablesBuild)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
} // namespace delve
