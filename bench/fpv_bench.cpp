// Frames per second of the first-person view, headless on Mesa's software
// rasteriser, standing in a generated level, through each renderer; and the
// CPU part of a frame (collecting the visible rock faces and moving the
// hero) on its own.
#include <benchmark/benchmark.h>

#include "app/game.h"
#include "platform/backends/backends.h"
#include "app/window.h"
#include "bench/bench_game.h"
#include "views/edge_overlay.h"
#include "views/first_person.h"

namespace delve {
namespace {

// Runs `drive` on the shared game's parts, platform and renderer, looking
// level along the corridor instead of down at the floor.
template <class Drive>
void onSharedGame(Drive drive) {
    bench::withSharedParts([&](StoppedGame& s) {
        s.parts->firstPerson.walk.cameraPitch = -90.0f;
        drive(*s.parts, *s.platform, *s.renderer);
    });
}

// A frame is drawn and its picture read back into the framebuffer, as a
// screenshot would have it, so both renderers finish the same work.
void runViewFrames(benchmark::State& state, GameParts& g, Platform& platform, Renderer& renderer,
                   bool immediate) {
    if (!platform.hasWindow()) {
        state.SkipWithError("no GL context");
        return;
    }
    g.firstPerson.immediateMode = immediate;
    int turn = 0;
    for (auto _ : state) {
        // Turn a little every frame so the picture is not the same each time.
        g.firstPerson.walk.cameraYaw = float(turn++ % 72) * 5.0f;
        beginFrame(platform, renderer, g.screen);
        drawFirstPersonView(g.firstPerson, g.screen, g.pictures, g.world.map, g.units, g.shell);
        resolvePicture(g.firstPerson, g.screen, g.shell);
        benchmark::DoNotOptimize(g.screen.framebuffer.data());
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()),
                                               benchmark::Counter::kIsRate);
    state.counters["quads"] = g.firstPerson.quadCount;
    g.firstPerson.immediateMode = false;
}

void runSharedViewFrames(benchmark::State& state, bool immediate) {
    onSharedGame([&](GameParts& g, Platform& platform, Renderer& renderer) {
        runViewFrames(state, g, platform, renderer, immediate);
    });
}

void BM_FirstPersonView(benchmark::State& state) { runSharedViewFrames(state, false); }

// The same frame through the OpenGL ES 2.0 renderer, in a game of its own
// (one context is current at a time: the shared game is ended first and
// made again after).
void BM_FirstPersonViewGles2(benchmark::State& state) {
    bench::endSharedGame();
    {
        Options opts;
        opts.headless = true;
        opts.fastClock = true;
        opts.haveSeed = true;
        opts.seed = 12345;
        opts.dataDir = bench::dataDir();
        opts.renderer = GraphicsApi::Gles2;
        auto es = std::make_unique<Game>(opts, makeHeadlessPlatform(GraphicsApi::Gles2),
                                         makeRenderer(GraphicsApi::Gles2));
        if (startGame(*es)) {
            StoppedGame s = stopGame(std::move(es));
            s.parts->firstPerson.walk.cameraPitch = -90.0f;
            runViewFrames(state, *s.parts, *s.platform, *s.renderer, false);
            es = std::make_unique<Game>(opts, std::move(s.platform), std::move(s.renderer),
                                        std::move(s.parts));
            startGame(*es);
        } else {
            state.SkipWithError("no OpenGL ES 2.0 context");
        }
        shutdownGame(*es);
    }
    bench::sharedGame();
}

// A frame of the view with the cell edge overlay on (the "edges" command):
// the picture, its depth and lattice points read back, the edges drawn.
void BM_FirstPersonViewWithEdges(benchmark::State& state) {
    onSharedGame([&](GameParts& g, Platform& platform, Renderer& renderer) {
        if (!platform.hasWindow()) {
            state.SkipWithError("no GL context");
            return;
        }
        if (!g.edgeOverlay.ready()) g.edgeOverlay.allocate();
        int turn = 0;
        for (auto _ : state) {
            g.firstPerson.walk.cameraYaw = float(turn++ % 72) * 5.0f;
            beginFrame(platform, renderer, g.screen);
            drawFirstPersonView(g.firstPerson, g.screen, g.pictures, g.world.map, g.units, g.shell);
            captureEdgeOverlay(g.edgeOverlay, g.units, g.shell, g.firstPerson);
            drawCellEdges(g.edgeOverlay, g.screen, g.world.map, g.units, g.shell, g.firstPerson);
            benchmark::DoNotOptimize(g.screen.framebuffer.data());
        }
        state.counters["fps"] = benchmark::Counter(double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
    });
}
void BM_FirstPersonViewImmediateMode(benchmark::State& state) { runSharedViewFrames(state, true); }

// The fixed GL cost of a frame: the clear and the read-back with nothing drawn.
void BM_ClearAndReadBack(benchmark::State& state) {
    onSharedGame([&](GameParts& g, Platform& platform, Renderer& renderer) {
        if (!platform.hasWindow()) {
            state.SkipWithError("no GL context");
            return;
        }
        for (auto _ : state) {
            beginFrame(platform, renderer, g.screen);
            renderer.clear();
            copyViewToFramebuffer(g.firstPerson, g.screen, g.shell);
            benchmark::DoNotOptimize(g.screen.framebuffer.data());
        }
        state.counters["fps"] = benchmark::Counter(double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
    });
}

// The frame's CPU work without GL: the 28 x 28 x 28 cube walk that collects
// the rock faces in view, and walking, push-out, bob and carry.
void BM_FirstPersonCpuPart(benchmark::State& state) {
    onSharedGame([&](GameParts& g, Platform& platform, Renderer& renderer) {
        const UnitRecord& hero = g.units[1];
        Input input; // no keys down: the hero stands
        // The camera matrix the view culls with, taken once from the renderer.
        float camera[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        if (platform.hasWindow()) {
            renderer.clear();
            renderer.beginCamera(Camera{g.firstPerson.walk.cameraPitch, g.firstPerson.walk.cameraYaw,
                                           hero.subX, hero.subY, hero.subZ},
                                    camera);
            renderer.endCamera();
        }
        for (auto _ : state) {
            float eye[3];
            const bool cull = backFacesNeverShow(g.world.map, hero, eye);
            collectRockFaces(g.firstPerson, g.world.map, hero.x, hero.y, hero.z, camera,
                             cull ? eye : nullptr);
            updateHero(g.firstPerson.walk, g.world.map, g.units[1], g.shell, input);
            benchmark::DoNotOptimize(g.firstPerson.quadCount);
        }
        state.counters["fps"] = benchmark::Counter(double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
    });
}

BENCHMARK(BM_FirstPersonView)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_FirstPersonViewGles2)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_FirstPersonViewWithEdges)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_FirstPersonViewImmediateMode)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_ClearAndReadBack)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_FirstPersonCpuPart)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace delve
