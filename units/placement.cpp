#include "units/placement.h"

#include <algorithm>

namespace delve {

void placeOverworldWanderers(const WorldMap& map, Units& units, Rng& rng) {
    constexpr int Reach = MapSide / 4 - 1; // 63
    for (int u = 1; u <= 255; ++u) {
        UnitRecord& unit = units[u];
        unit.active = 1;
        unit.side = HeroSide;
        unit.maxHitPoints = float(rng.rand() % 8 + 5);
        unit.hitPoints = unit.maxHitPoints;
        unit.spriteId = 981;
        unit.dead = 0;
        unit.condition = 0;
        unit.group = 1;
        unit.moveState = 0;
        unit.blocking = 0;
        for (int tries = 0; tries < 10000; ++tries) {
            unit.x = uint16_t(rng.rand() % Reach + 1);
            unit.y = uint16_t(rng.rand() % Reach + 1);
            unit.z = 0;
            const uint8_t c = map.cell(unit.x, unit.y, 0);
            if (c != Cell::Mountain && c != Cell::MountainHigh) break;
        }
    }
}

namespace {

void fillGrassBox(WorldMap& map, int x0, int y0, int z0, int width, int depth, int height) {
    for (int z = std::max(z0, 1); z < std::min(z0 + height, LayerCount - 1); ++z)
        for (int y = std::max(y0, 1); y < std::min(y0 + depth, MapSide - 1); ++y)
            for (int x = std::max(x0, 1); x < std::min(x0 + width, MapSide - 1); ++x)
                map.setCell(x, y, z, Cell::Grass);
}

void drawBox(WorldMap& map, Rng& rng) {
    const int width = rng.rand() % 5 + 1;
    const int depth = rng.rand() % 5 + 1;
    const int height = rng.rand() % 5 + 1;
    const int x0 = rng.rand() % MapSide;
    const int y0 = rng.rand() % MapSide;
    const int z0 = rng.rand() % LayerCount;
    fillGrassBox(map, x0, y0, z0, width, depth, height);
}

void drawBar(WorldMap& map, Rng& rng) {
    int width = rng.rand() % 5 + 1;
    int depth = rng.rand() % 5 + 1;
    int height = rng.rand() % 5 + 1;
    switch (rng.rand() % 3) {
    case 0: width = 1; depth = 1; height = 18; break;
    case 1: width = 18; depth = 1; height = 1; break;
    default: width = 1; depth = 18; height = 1; break;
    }
    const int x0 = rng.rand() % MapSide;
    const int y0 = rng.rand() % MapSide;
    const int z0 = rng.rand() % LayerCount;
    fillGrassBox(map, x0, y0, z0, width, depth, height);
}

} // namespace

void scatterRandomBlocks(WorldMap& map, MarkGrid& marks, Units& units, Rng& rng, int count,
                         int mode) {
    if (mode == 0) {
        for (int i = 0; i < count; ++i) drawBox(map, rng);
    } else if (mode == 1) {
        const int boxes = (count / 3) * 2;
        for (int i = 0; i < boxes; ++i) drawBox(map, rng);
        for (int i = 0; i < count; ++i) drawBar(map, rng);
    }
    int next = 2;
    for (int i = 0; i < unitCapacity; ++i) {
        const int x = rng.rand() % MapSide;
        const int y = rng.rand() % MapSide;
        const int z = rng.rand() % LayerCount;
        if (map.cell(x, y, z) == Cell::Empty) continue;
        marks.setCell(x, y, z, 10);
        if (next < unitCapacity) {
            UnitRecord& unit = units[next];
            unit.active = 1;
            unit.x = uint16_t(x);
            unit.y = uint16_t(y);
            unit.z = uint16_t(z);
            unit.maxHitPoints = 10.0f;
            unit.hitPoints = 10.0f;
            ++next;
        }
    }
    units.nextFreeUnit = next;
}

} // namespace delve
