#pragma once
// Shared tables for the rules tests: the grid and the path finder are
// large, so one of each serves the whole test program.
#include <cstring>

#include "path/path_finder.h"
#include "world/world.h"

namespace delve::test {

inline World& rulesWorld() {
    static World* w = [] {
        auto* world = new World;
        fillStepCostTable(world->stepCosts);
        return world;
    }();
    return *w;
}

inline PathFinder& rulesFinder() {
    static PathFinder* p = new PathFinder;
    return *p;
}

inline void fillLayer(WorldMap& map, int z, uint8_t code) {
    std::memset(map.data() + cellIndex(0, 0, z), code, LayerSize);
}

} // namespace delve::test
