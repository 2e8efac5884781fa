// Hero placement on layer 2. Where the hero lands, and the fields written,
// are pinned by the seed catalogue's hero positions and the save tests.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "units/hero.h"
#include "units/unit_record.h"

namespace delve {
namespace {

std::unique_ptr<WorldMap> rockLayerTwo() {
    auto map = std::make_unique<WorldMap>();
    std::memset(map->data() + cellIndex(0, 0, 2), Cell::Rock, LayerSize);
    return map;
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
