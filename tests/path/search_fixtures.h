#pragma once
// Worlds for the path and rules tests: one shared grid (11.8 MB), one with
// generated dungeon levels and the shipped overworld, and random layers.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "path/path_finder.h"
#include "platform/clock.h"
#include "platform/rng.h"
#include "tests/world/world_fixture.h"
#include "world/overworld.h"
#include "world/world.h"

namespace delve::test {

inline World& sharedWorld() {
    static World* w = [] {
        auto* world = new World;
        fillStepCostTable(world->stepCosts);
        return world;
    }();
    return *w;
}

inline void fillLayer(WorldMap& map, int z, uint8_t code) {
    std::memset(map.data() + cellIndex(0, 0, z), code, LayerSize);
}

// Every cell of layer z drawn from open codes, or with the given percentage
// from rock and impassable codes.
inline void randomGrid(WorldMap& map, Rng& rng, int z, int blockedPercent) {
    static constexpr uint8_t open[] = {Cell::Floor, Cell::Floor, Cell::Floor, Cell::Plain, Cell::Forest,
                                       Cell::Hills, Cell::Road,  Cell::Water, Cell::Door,  Cell::Trap,
                                       Cell::Swamp, 200,         Cell::Village};
    static constexpr uint8_t blocked[] = {Cell::Rock, Cell::Empty, Cell::Mountain, Cell::MountainHigh,
                                          Cell::Impassable5};
    for (int y = 0; y < MapSide; ++y)
        for (int x = 0; x < MapSide; ++x)
            map.setCell(x, y, z, rng.rand() % 100 < blockedPercent ? blocked[rng.rand() % 5]
                                                                   : open[rng.rand() % 13]);
}

// A start-up world (dungeon levels stacked on layers 2..18) with the
// shipped overworld on layer 0.
inline World& generatedWorld() {
    static World& w = []() -> World& {
        World& world = *startupWorld(1234).world;
        Clock clock(true);
        const char* data = std::getenv("DELVE_TEST_DATA");
        loadOverworld(world.map, clock, data ? data : DELVE_BUILD_DIR "/data", 1);
        return world;
    }();
    return w;
}

// Cells of layer z, off the map's edge, that a node may stand on.
inline std::vector<std::pair<int, int>> passableCells(const WorldMap& map, int z) {
    std::vector<std::pair<int, int>> cells;
    for (int y = 1; y < MapSide - 1; ++y)
        for (int x = 1; x < MapSide - 1; ++x)
            if (isPassable(map.cell(x, y, z))) cells.emplace_back(x, y);
    return cells;
}

} // namespace delve::test
