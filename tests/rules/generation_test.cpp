#include <gtest/gtest.h>

#include "rules/generation.h"
#include "rules_fixture.h"

namespace delve {
namespace {

class Generation : public ::testing::Test {
protected:
    void SetUp() override {
        // Plain land with a band of hills the monsters look for.
        test::fillLayer(map, 0, Cell::Plain);
        for (int y = 0; y < MapSide; ++y)
            for (int x = 200; x < 230; ++x) map.setCell(x, y, 0, Cell::Hills);
    }
    void generate(int partySize, uint32_t seed) {
        units.partySize = partySize;
        generatePartyAndMonsters(units, map, rng, seed);
    }

    WorldMap& map = test::rulesWorld().map;
    Units units;
    Rng rng;
};

TEST_F(Generation, AThreePartyAndTwoHundredTenMonsters) {
    generate(3, 11);
    EXPECT_EQ(units.nextFreeUnit, 214);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(units[k].side, PartySide);
        EXPECT_EQ(units[k].group, k);
    }
    int onHills = 0;
    for (int i = 4; i < 214; ++i) {
        const UnitRecord& u = units[i];
        EXPECT_EQ(u.side, MonsterSide);
        onHills += map.cell(u.x, u.y, 0) == Cell::Hills;
    }
    // A 30-column band is an eighth of the map: ten draws find it for
    // about seven monsters in ten.
    EXPECT_GT(onHills, 120);
    EXPECT_EQ(units[214].active, 0);
}

// With one member there is no pair to compare; units 2 and 3 then become
// the first monsters.
TEST_F(Generation, PartyOfOneLeavesTheOtherFixedSpotsToMonsters) {
    generate(1, 21);
    EXPECT_EQ(units[1].side, PartySide);
    for (int k = 2; k <= 3; ++k) {
        EXPECT_EQ(units[k].side, MonsterSide) << k;
        EXPECT_EQ(units[k].group, MonsterGroup) << k;
    }
    EXPECT_EQ(units.nextFreeUnit, 212);
}

TEST_F(Generation, OversizedOrEmptyPartiesStayInsideTheTable) {
    generate(0, 5); // no members: nothing to divide the map among
    EXPECT_EQ(units.nextFreeUnit, 1 + MonsterCount);
    EXPECT_EQ(units[1].side, MonsterSide);

    Units big;
    big.partySize = unitCapacity + 50;
    generatePartyAndMonsters(big, map, rng, 5);
    EXPECT_EQ(big.nextFreeUnit, unitCapacity);
    EXPECT_EQ(big[unitCapacity - 1].side, PartySide);
}

} // namespace
} // namespace delve
