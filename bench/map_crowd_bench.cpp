// The map view's worst frames a loaded slot can ask for: every unit of the
// table on the screen, each drawn with the largest picture the game ships
// (the 320 x 240 title picture), all on one cell or one on every cell.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/bench_game.h"
#include "views/map_view.h"

namespace delve {
namespace {

constexpr int TitlePicture = 1000;

struct Crowd {
    std::unique_ptr<WorldMap> map = std::make_unique<WorldMap>();
    Units units;
    std::unique_ptr<PathFinder> finder = std::make_unique<PathFinder>();
    BitmapCatalogue pictures;
    TrigTables trig;
    Screen screen;
    TextBuffer text;
    Shell shell;

    explicit Crowd(bool oneCell) {
        loadAllBitmaps(pictures, bench::dataDir());
        trig.build();
        screen.setMode(640, 480);
        shell.screenWidth = 640;
        shell.screenHeight = 480;
        for (int i = 1; i < unitCapacity; ++i) {
            UnitRecord& u = units[i];
            u.active = 1;
            u.side = 9;
            u.spriteId = TitlePicture;
            u.hitPoints = u.maxHitPoints = 10.0f;
            u.x = uint16_t(oneCell ? 5 : i % 40);
            u.y = uint16_t(oneCell ? 5 : (i / 40) % 30);
        }
    }
    void frame() {
        screen.clearFramebuffer();
        drawMapView(screen, text, pictures, *map, units, *finder, trig, shell);
    }
};

void runCrowd(benchmark::State& state, bool oneCell) {
    static Crowd* crowds[2] = {};
    Crowd*& c = crowds[oneCell ? 1 : 0];
    if (!c) c = new Crowd(oneCell);
    if (c->pictures[TitlePicture].width == 0) {
        state.SkipWithError("the title picture is missing");
        return;
    }
    for (auto _ : state) {
        c->frame();
        benchmark::DoNotOptimize(c->screen.framebuffer.data());
    }
}

void BM_MapViewCrowdOnOneCell(benchmark::State& state) { runCrowd(state, true); }
void BM_MapViewCrowdOnEveryCell(benchmark::State& state) { runCrowd(state, false); }

BENCHMARK(BM_MapViewCrowdOnOneCell)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapViewCrowdOnEveryCell)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace delve
