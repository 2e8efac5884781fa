// Hero placement on layer 2. Where the hero lands, and the fields written,
// are pinned by the seed catalogue's hero positions and the save tests.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "units/hero.h"
#include "units/unit_record.h"

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

} // namespace
} // namespace delve
