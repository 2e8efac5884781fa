#pragma once
// The started game the frame, save and load benchmarks share: headless, the
// fast clock, a fixed seed, the pictures of the build. Only one game (and so
// one GL context) exists at a time; main() ends it before the exit handlers.
#include <cstdlib>
#include <memory>
#include <string>

#include "app/game.h"
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

inline Game& sharedGame() {
    std::unique_ptr<Game>& g = sharedGameSlot();
    if (!g) {
        Options opts;
        opts.headless = true;
        opts.fastClock = true;
        opts.haveSeed = true;
        opts.seed = 12345;
        opts.dataDir = dataDir();
        g = std::make_unique<Game>(opts, makeHeadlessPlatform());
        startGame(*g);
    }
    return *g;
}

inline void endSharedGame() {
    if (auto& g = sharedGameSlot()) {
        shutdownGame(*g);
        g.reset();
    }
}

} // namespace delve::bench
