// Where start-up and the other placements put units. Where the hero lands,
// and the fields written, are pinned by the seed catalogue and the save tests.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "units/hero.h"
#include "units/placement.h"
#include "world/terrain.h"

namespace delve {
namespace {

TEST(HeroPlacement, NeverOnRockNorOnTheOuterRing) {
    // Open only on the ring the search must not use: the hero stays unwritten.
    auto map = std::make_unique<WorldMap>();
    std::memset(map->data() + cellIndex(0, 0, 2), Cell::Rock, LayerSize);
    for (int i = 0; i < 256; ++i)
        for (auto [x, y] : {std::pair{i, 0}, {i, 255}, {0, i}, {255, i}}) map->setCell(x, y, 2, Cell::Floor);
    auto units = std::make_unique<Units>();
    Rng rng;
    EXPECT_EQ(placeHero(*map, *units, rng), 0);
    EXPECT_TRUE((*units)[1].active == 0 && (*units)[1].spriteId == 0);

    // Every other column open: wherever a seed puts the hero, it stands on
    // an open cell inside the ring, on layer 2.
    for (int x = 1; x < 255; x += 2)
        for (int y = 1; y < 255; ++y) map->setCell(x, y, 2, Cell::Floor);
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        *units = Units{};
        rng.srand(seed);
        ASSERT_EQ(placeHero(*map, *units, rng), 1) << seed;
        const UnitRecord& hero = (*units)[1];
        EXPECT_NE(map->cell(hero.x, hero.y, 2), Cell::Rock) << seed;
        EXPECT_TRUE(hero.x >= 1 && hero.x <= 254 && hero.y >= 1 && hero.y <= 254) << seed;
        EXPECT_TRUE(hero.z == 2 && hero.active == 1) << seed;
    }
}

TEST(Wanderers, LiveInTheNearCornerAvoidingMountains) {
    auto map = std::make_unique<WorldMap>();
    auto units = std::make_unique<Units>();
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            map->setCell(x, y, 0, (x + y) % 3 ? Cell::Mountain : Cell::Plain);
    map->setCell(10, 10, 0, Cell::MountainHigh);
    Rng rng;
    rng.srand(5);
    placeOverworldWanderers(*map, *units, rng);
    for (int u = 1; u <= 255; ++u) {
        const UnitRecord& w = (*units)[u];
        ASSERT_TRUE(w.active == 1 && w.side == 1 && w.spriteId == 981 && w.group == 1) << u;
        EXPECT_TRUE(w.maxHitPoints >= 5.0f && w.maxHitPoints <= 12.0f && w.hitPoints == w.maxHitPoints) << u;
        EXPECT_TRUE(w.x >= 1 && w.x <= 63 && w.y >= 1 && w.y <= 63 && w.z == 0) << u;
        EXPECT_EQ(map->cell(w.x, w.y, 0), Cell::Plain);
    }
    EXPECT_TRUE((*units)[0].active == 0 && (*units)[256].active == 0);
}

TEST(RandomBlocks, GrassStaysInsideAndUnitsStandOnIt) {
    auto world = std::make_unique<World>();
    auto units = std::make_unique<Units>();
    Rng rng;
    rng.srand(12);
    scatterRandomBlocks(world->map, world->marks, *units, rng, 3000, 1);
    int grass = 0;
    for (int z = 0; z < LayerCount; ++z)
        for (int y = 0; y < MapSide; ++y)
            for (int x = 0; x < MapSide; ++x) {
                const uint8_t c = world->map.cell(x, y, z);
                if (c == Cell::Empty) continue;
                ASSERT_EQ(c, Cell::Grass);
                ASSERT_TRUE(x >= 1 && x <= 254 && y >= 1 && y <= 254 && z >= 1 && z <= 178)
                    << x << "," << y << "," << z;
                ++grass;
            }
    EXPECT_GT(grass, 0);
    ASSERT_GT(units->nextFreeUnit, 2);
    EXPECT_EQ((*units)[1].active, 0);
    for (int u = 2; u < units->nextFreeUnit; ++u) {
        const UnitRecord& unit = (*units)[u];
        ASSERT_TRUE(unit.active == 1 && unit.hitPoints == 10.0f) << u;
        EXPECT_EQ(world->map.cell(unit.x, unit.y, unit.z), Cell::Grass);
        EXPECT_EQ(world->marks.cell(unit.x, unit.y, unit.z), 10);
    }
    EXPECT_EQ((*units)[units->nextFreeUnit].active, 0);
}

} // namespace
} // namespace delve
