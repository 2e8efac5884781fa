// Hero placement on layer 2. The record's file layout itself is pinned by
// the static_asserts beside UnitRecord and by the save tests' byte compare;
// the draw order of x and y and the skipping of Rock by the seed catalogue's
// hero positions.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "units/hero.h"
#include "tests/hero_fixture.h"
#include "units/unit_record.h"

namespace delve {
namespace {

std::unique_ptr<WorldMap> rockLayerTwo() {
    auto map = std::make_unique<WorldMap>();
    std::memset(map->data() + cellIndex(0, 0, 2), Cell::Rock, LayerSize);
    return map;
}

TEST(HeroPlacement, WritesTheStartUpFieldsAndNothingElse) {
    auto map = rockLayerTwo();
    map->setCell(77, 150, 2, Cell::Floor);
    // Find a seed whose first draws land on the one open cell.
    uint32_t seed = 0;
    for (;; ++seed) {
        Rng probe;
        probe.srand(seed);
        if (probe.rand() % 254 + 1 == 77 && probe.rand() % 254 + 1 == 150) break;
    }
    Rng rng;
    rng.srand(seed);
    auto units = std::make_unique<Units>();
    ASSERT_EQ(placeHero(*map, *units, rng), 1);

    auto expected = std::make_unique<Units>();
    UnitRecord& hero = (*expected)[HeroUnit];
    test::standHero(hero, 77, 150, 2);
    hero.spriteId = 849;
    hero.maxHitPoints = hero.hitPoints = 24.0f;
    EXPECT_EQ(std::memcmp(units->bytes(), expected->bytes(), Units::byteSize()), 0);
}

TEST(HeroPlacement, AllRockLeavesTheHeroUnwrittenAfterAThousandTries) {
    auto map = rockLayerTwo();
    map->setCell(0, 0, 2, Cell::Floor); // outside the 1..254 range
    map->setCell(255, 255, 2, Cell::Floor);
    auto units = std::make_unique<Units>();
    Rng rng, expect;
    EXPECT_EQ(placeHero(*map, *units, rng), 0);
    for (int i = 0; i < 2000; ++i) expect.rand();
    EXPECT_EQ(rng.state(), expect.state());
    EXPECT_EQ((*units)[1].active, 0);
    EXPECT_EQ((*units)[1].spriteId, 0);
}

} // namespace
} // namespace delve
