#pragma once
// Worlds built the way start-up builds them, cached per seed because a
// full generation is the expensive part of these tests.
#include <cstdint>
#include <map>
#include <memory>

#include "platform/rng.h"
#include "world/generator.h"
#include "world/world.h"

namespace delve::test {

struct StartedWorld {
    std::unique_ptr<World> world = std::make_unique<World>();
    Rng rng; // as generation left it: start-up places the hero with it next
};

// Start-up's world steps after the overworld.
inline const StartedWorld& startupWorld(uint32_t seed) {
    static std::map<uint32_t, std::unique_ptr<StartedWorld>> cache;
    auto& s = cache[seed];
    if (s) return *s;
    s = std::make_unique<StartedWorld>();
    World& w = *s->world;
    fillStepCostTable(w.stepCosts);
    allocateGeneratorTables(w);
    s->rng.srand(seed);
    freeGeneratorTables(w);
    allocateGeneratorTables(w);
    generateDungeon(w, s->rng, 128, 128, 33, 9, 255, 2400);
    stackDungeonLevels(w.map);
    return *s;
}

} // namespace delve::test
