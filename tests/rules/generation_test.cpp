#include <gtest/gtest.h>

#include "rules/generation.h"
#include "tests/path/search_fixtures.h"

namespace delve {
namespace {

TEST(Generation, PartiesOfAnySizeStayInsideTheTableAndMonstersSeekHills) {
    WorldMap& map = test::sharedWorld().map;
    test::fillLayer(map, 0, Cell::Plain);
    for (int y = 0; y < MapSide; ++y)
        for (int x = 200; x < 230; ++x) map.setCell(x, y, 0, Cell::Hills);
    Rng rng;
    Units units;
    auto generate = [&](Units& u, int partySize) {
        u = Units{};
        u.partySize = partySize;
        generatePartyAndMonsters(u, map, rng, uint32_t(partySize + 5));
    };
    generate(units, 3);
    int onHills = 0;
    for (int i = 4; i < 214; ++i) onHills += map.cell(units[i].x, units[i].y, 0) == Cell::Hills;
    // A 30-column band is an eighth of the map: ten draws find it about seven times in ten.
    EXPECT_GT(onHills, 120);
    EXPECT_EQ(units[3].group, 3);
    EXPECT_EQ(units[214].active, 0);
    // With one member units 2 and 3 become the first monsters; with none, unit 1 does.
    generate(units, 1);
    EXPECT_EQ(units[1].side, PartySide);
    EXPECT_EQ(units[2].group, MonsterGroup);
    EXPECT_EQ(units.nextFreeUnit, 212);
    generate(units, 0);
    EXPECT_EQ(units.nextFreeUnit, 1 + MonsterCount);
    EXPECT_EQ(units[1].side, MonsterSide);
    generate(units, unitCapacity + 50);
    EXPECT_EQ(units.nextFreeUnit, unitCapacity);
    EXPECT_EQ(units[unitCapacity - 1].side, PartySide);
}

} // namespace
} // namespace delve
