#include <gtest/gtest.h>

#include <cstdlib>

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
    // The fixed spots as the draws after `skip` numbers give them.
    static void fixedSpots(uint32_t seed, int skip, int spots[3][2]) {
        Rng r;
        r.srand(seed);
        for (int i = 0; i < skip; ++i) r.rand();
        const int baseX[3] = {145, 113, 93}, baseY[3] = {43, 32, 24};
        for (int k = 0; k < 3; ++k) {
            spots[k][0] = baseX[k] + r.rand() % 20;
            spots[k][1] = baseY[k] + r.rand() % 20;
        }
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

// With one member there is no pair to compare: the spreading makes one
// attempt (two draws) and units 1 to 3 still take their fixed spots; 2 and
// 3 then become the first monsters.
TEST_F(Generation, PartyOfOneSpreadsOnceAndStillFillsTheFixedSpots) {
    generate(1, 21);
    int spots[3][2];
    fixedSpots(21, 1 + 2, spots);
    EXPECT_EQ(units[1].x, spots[0][0]);
    EXPECT_EQ(units[1].y, spots[0][1]);
    EXPECT_EQ(units[1].side, PartySide);
    for (int k = 2; k <= 3; ++k) {
        EXPECT_EQ(units[k].side, MonsterSide) << k;
        EXPECT_EQ(units[k].group, MonsterGroup) << k;
    }
    EXPECT_EQ(units.nextFreeUnit, 212);
}

// Three members must stand at least 85 apart after spreading; the spread
// ends at the first attempt that manages it, so the fixed spots come from
// the draws right after it.
TEST_F(Generation, PartyOfThreeSpreadsUntilEveryPairIsFarApart) {
    for (uint32_t seed : {1u, 2u, 3u, 40u}) {
        Rng r;
        r.srand(seed);
        int drawn = 0;
        for (int k = 0; k < 3; ++k, ++drawn) r.rand();
        for (int attempt = 0; attempt < SpreadAttempts; ++attempt) {
            int x[3], y[3];
            for (int k = 0; k < 3; ++k) {
                x[k] = r.rand() % 254 + 1;
                y[k] = r.rand() % 254 + 1;
                drawn += 2;
            }
            bool close = false;
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    close |= i != j && std::abs(x[i] - x[j]) + std::abs(y[i] - y[j]) < 85;
            if (!close) break;
        }
        Units fresh;
        units = fresh;
        generate(3, seed);
        int spots[3][2];
        fixedSpots(seed, drawn, spots);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(units[k + 1].x, spots[k][0]) << seed;
            EXPECT_EQ(units[k + 1].y, spots[k][1]) << seed;
        }
    }
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
