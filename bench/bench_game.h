#pragma once
// The started game the frame, save and load benchmarks share: headless, the
// fast clock, a fixed seed, the pictures of the build. Only one game (and so
// one GL context) exists at a time; main() ends it before the exit handlers.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/game.h"
#include "gfx/renderers/renderers.h"
#include "platform/backends/backends.h"

namespace delve::bench {

// The build's data folder, or DELVE_TEST_DATA when set.
inline std::string dataDir() {
    if (const char* d = std::getenv("DELVE_TEST_DATA")) return d;
#ifdef DELVE_BENCH_DATA
    return DELVE_BENCH_DATA;
#else
    return "data";
#endif
}

inline std::unique_ptr<Game>& sharedGameSlot() {
    static std::unique_ptr<Game> game;
    return game;
}

inline Options sharedGameOptions() {
    Options opts;
    opts.headless = true;
    opts.fastClock = true;
    opts.haveSeed = true;
    opts.seed = 12345;
    opts.dataDir = dataDir();
    // The save and load benchmarks write their slots here, not among the
    // player's.
    opts.saveDir = (std::filesystem::temp_directory_path() /
                    ("delve-bench-saves-" + std::to_string(::getpid())))
                       .string();
    return opts;
}

inline Game& sharedGame() {
    std::unique_ptr<Game>& g = sharedGameSlot();
    if (!g) {
        g = std::make_unique<Game>(sharedGameOptions(), makeHeadlessPlatform(), makeRenderer(GraphicsApi::Gl1));
        startGame(*g);
    }
    return *g;
}

// Runs `drive` on the shared game's parts, platform and renderer (the game
// stopped, its window kept), for a benchmark that drives one subsystem
// alone; then the game goes on from them.
template <class Drive>
void withSharedParts(Drive drive) {
    std::unique_ptr<Game>& g = sharedGameSlot();
    sharedGame();
    StoppedGame stopped = stopGame(std::move(g));
    drive(stopped);
    g = std::make_unique<Game>(sharedGameOptions(), std::move(stopped.platform),
                               std::move(stopped.renderer), std::move(stopped.parts));
    startGame(*g);
}

inline void endSharedGame() {
    if (auto& g = sharedGameSlot()) {
        std::error_code ec;
        std::filesystem::remove_all(g->saveDir(), ec);
        shutdownGame(*g);
        g.reset();
    }
}

} // namespace delve::bench
