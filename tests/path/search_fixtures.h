#pragma once
// Worlds for the path and rules tests: one shared grid (11.8 MB), one with
// generated dungeon levels, and random or overworld-like layers.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "path/path_finder.h"
#include "platform/rng.h"
#include "tests/world/world_fixture.h"
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

// Overworld-like land: ragged 8 x 8 patches of land codes, then roads ending
// in villages.
inline void overworldLike(WorldMap& map, Rng& rng, int z) {
    static constexpr uint8_t land[] = {Cell::Plain,  Cell::Forest, Cell::ForestFruit, Cell::ForestGray,
                                       Cell::Water,  Cell::WaterDeep, Cell::Swamp,    Cell::Desert,
                                       Cell::Hills,  Cell::Mountain,  Cell::MountainHigh, Cell::ForestLeaf,
                                       Cell::ForestB, Cell::ForestC};
    for (int py = 0; py < MapSide; py += 8)
        for (int px = 0; px < MapSide; px += 8) {
            uint8_t main = land[rng.rand() % 14], other = land[rng.rand() % 14];
            for (int y = py; y < py + 8; ++y)
                for (int x = px; x < px + 8; ++x) map.setCell(x, y, z, rng.rand() % 4 == 0 ? other : main);
        }
    for (int r = 0; r < 12; ++r) {
        int x = rng.rand() % MapSide, y = rng.rand() % MapSide;
        for (int s = 0; s < 120; ++s) {
            map.setCell(x, y, z, Cell::Road);
            if (rng.rand() % 2) x = std::clamp(x + (rng.rand() % 3) - 1, 0, MapSide - 1);
            else y = std::clamp(y + (rng.rand() % 3) - 1, 0, MapSide - 1);
        }
        map.setCell(x, y, z, uint8_t(Cell::Village + rng.rand() % 5));
    }
}

// A start-up world (dungeon levels stacked on layers 2..18) with
// overworld-like land on layer 0.
inline World& generatedWorld() {
    static World& w = []() -> World& {
        World& world = *startupWorld(1234).world;
        Rng rng;
        rng.srand(1234);
        overworldLike(world.map, rng, 0);
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
