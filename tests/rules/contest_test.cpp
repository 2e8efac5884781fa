#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <tuple>
#include <vector>

#include "rules/contest.h"
#include "rules/generation.h"
#include "tests/path/search_fixtures.h"

namespace delve {
namespace {

class ContestTurns : public ::testing::Test {
protected:
    void SetUp() override {
        test::fillLayer(map, 0, Cell::Road); // pays nothing
        units = Units{};
        contest.turnNumber = 1;
        units.partySize = 2;
        leader(1, 100, 100);
        leader(2, 200, 200);
        units.nextFreeUnit = 3;
        rng.srand(1);
    }
    UnitRecord& place(int i, int side, int group, int x, int y) {
        UnitRecord& u = units[i];
        std::tie(u.active, u.side, u.group, u.x, u.y, u.z) = std::tuple(1, side, group, x, y, 0);
        return u;
    }
    UnitRecord& leader(int k, int x, int y) {
        UnitRecord& u = place(k, 3, k, x, y);
        u.health = u.maxHealth = 10;
        u.stock = 100;
        return u;
    }
    void monster(int i, int x, int y, uint8_t terrain) {
        place(i, 9, 99, x, y);
        map.setCell(x, y, 0, terrain);
    }
    // One frame with the left button down on cell (x, y).
    int click(int x, int y) {
        const CellClick c = clickOnCell(x, y, 640, 480);
        std::tie(SX, SY) = std::tuple(c.SX, c.SY);
        return playExpansionTurn(contest, cw, c.leftClick());
    }

    WorldMap& map = test::sharedWorld().map;
    Units units;
    Rng rng;
    Clock clock{true};
    Contest contest;
    int SX = 0, SY = 0, SZ = 0;
    ContestWorld cw{units, map, rng, clock, SX, SY, SZ};
};

// A monster pays each member within 11 cells of it by its terrain: unit 1 at
// (100, 100) and the new member at (110, 100), the monster at (mx, 100).
TEST_F(ContestTurns, MonstersPayByTheirTerrain) {
    struct Case {
        uint8_t terrain;
        int mx, income;
    } cases[] = {
        {Cell::Forest, 105, 2}, {Cell::Water, 105, 0},
        {Cell::Forest, 89, 1}, // 11 from unit 1 only
        {Cell::Forest, 88, 0}, // 12 from unit 1: out of reach
    };
    // Unit 1's stock after the turn with or without the monster; the same seed, the same cost.
    auto stockAfterTurn = [&](const Case& c, bool withMonster) {
        SetUp();
        units.partySize = 1;
        units[2] = UnitRecord{};
        units.nextFreeUnit = 2;
        units[1].stock = 50;
        if (withMonster) monster(60, c.mx, 100, c.terrain);
        rng.srand(1 + c.terrain);
        EXPECT_EQ(click(110, 100), 1) << "one party: unit 1 wins";
        EXPECT_EQ(contest.turnNumber, 1);
        map.setCell(c.mx, 100, 0, Cell::Road);
        return units[1].stock;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.terrain) << " at " << c.mx);
        EXPECT_EQ(stockAfterTurn(c, true) - stockAfterTurn(c, false), c.income);
    }
}

TEST_F(ContestTurns, MembersFightCloserThanFourteenCells) {
    for (int apart : {13, 14}) {
        int hurt = 0;
        for (uint32_t seed = 1; seed <= 30; ++seed) {
            SetUp();
            units[3] = UnitRecord{};
            leader(2, 100 + apart, 100).health = 1;
            units[1].health = 1;
            rng.srand(seed);
            click(90, 100); // accepted: 10 from unit 1, far from unit 2
            for (int k = 1; k <= 2; ++k) {
                if (units[k].health >= 1) continue;
                ++hurt;
                EXPECT_TRUE(units[k].dead == 1 && units[k].active == 0);
            }
        }
        // Two draws per turn, each hitting one time in three.
        EXPECT_TRUE(apart == 13 ? hurt > 5 && hurt < 40 : hurt == 0) << apart << ": " << hurt;
    }
}

TEST_F(ContestTurns, TheLastActiveLeaderWins) {
    units.partySize = 3;
    leader(3, 50, 50);
    contest.turnNumber = 30; // late phase: a click anywhere plays upkeep
    units[2].active = 0;
    EXPECT_EQ(click(0, 0), 0) << "two leaders left";
    EXPECT_EQ(contest.turnNumber, 31);
    units[3].active = 0;
    const uint64_t waited = clock.waitedMs();
    EXPECT_EQ(click(0, 0), 1);
    EXPECT_EQ(click(0, 0), 1);
    EXPECT_EQ(clock.waitedMs(), waited) << "a decided contest does not pause";
}

// What a click on each of these cells says is the end-to-end test's.
TEST_F(ContestTurns, RefusedClicksSayWhyAndTheMarksFollowTheSameRule) {
    struct Case {
        int x, y;
        Founding verdict;
        int distance;
    } cases[] = {
        {100, 100, Founding::TooClose, 0}, {105, 102, Founding::TooClose, 7},
        {108, 100, Founding::Accepted, 0}, {113, 100, Founding::Accepted, 0},
        {107, 106, Founding::Accepted, 0}, {114, 100, Founding::TooFar, 0},
        {-1, 100, Founding::OffMap, 0},    {100, MapSide, Founding::OffMap, 0},
    };
    for (const Case& c : cases) {
        const FoundingCheck check = checkFounding(contest, units, c.x, c.y);
        EXPECT_EQ(std::pair(check.verdict, check.distance), std::pair(c.verdict, c.distance)) << c.x << "," << c.y;
    }
    // A click past the map's edge is refused, not moved onto the edge.
    SX = 250;
    TurnInput in;
    std::tie(in.leftButton, in.cursorX, in.cursorY) = std::tuple(true, 10 * 16, 0);
    EXPECT_EQ(playExpansionTurn(contest, cw, in), 0);
    EXPECT_EQ(contest.turnNumber, 1);

    // Two members of group 1 and an inactive record of it: every cell of a
    // view is marked exactly when a click there would be accepted.
    leader(5, 112, 104).group = 1;
    place(6, 3, 1, 95, 93).active = 0;
    units.nextFreeUnit = 7;
    const int x0 = 80, y0 = 85, columns = 40, rows = 30;
    std::vector<uint8_t> marks(size_t(columns * rows), 9);
    markFoundingCells(contest, units, x0, y0, columns, rows, marks.data());
    int marked = 0;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const bool accepted =
                checkFounding(contest, units, x0 + i, y0 + j).verdict == Founding::Accepted;
            ASSERT_EQ(marks[size_t(j * columns + i)], accepted ? 1 : 0) << i << "," << j;
            marked += accepted;
        }
    EXPECT_GT(marked, 100);
    contest.turnNumber = LastFoundingTurn + 1;
    markFoundingCells(contest, units, x0, y0, columns, rows, marks.data());
    EXPECT_EQ(std::count(marks.begin(), marks.end(), 1), 0) << "founding is over";
    EXPECT_EQ(checkFounding(contest, units, 108, 100).verdict, Founding::Over);
}

TEST_F(ContestTurns, ViewKeysCentreTheViewOnALeaderInsideTheMap) {
    units.partySize = 3;
    leader(3, 250, 3);
    struct Case {
        int key, SX, SY;
    } cases[] = {{1, 80, 85}, {2, 180, 185}, {3, 215, 1}};
    for (const Case& c : cases) {
        TurnInput in;
        in.viewKey[c.key - 1] = true;
        EXPECT_EQ(playExpansionTurn(contest, cw, in), 0);
        EXPECT_EQ(std::tuple(SX, SY, SZ), std::tuple(c.SX, c.SY, 0)) << c.key;
    }
    const ViewOrigin corner = centredViewOrigin(255, 255, 200, 40, 30);
    EXPECT_EQ(std::tuple(corner.SX, corner.SY, corner.SZ), std::tuple(215, 225, LayerCount - 1));
}

// Loaded stock and health at their type's limits stay there (the sanitizer build checks).
TEST_F(ContestTurns, StockAndHealthAtTheirLimitsDoNotOverflow) {
    units[1].stock = INT_MAX;
    // Two records from the end nothing is founded or paid for: the stock stays at the top.
    units.nextFreeUnit = unitCapacity - 2;
    monster(60, 104, 100, Cell::Forest);
    leader(2, 112, 100).health = INT_MIN; // within combat reach of group 1
    EXPECT_EQ(click(110, 100), 1) << "leader 2 falls in combat";
    EXPECT_TRUE(units.nextFreeUnit == unitCapacity - 2 && units[unitCapacity - 2].active == 0);
    EXPECT_EQ(units[1].stock, INT_MAX) << "income stops at the limit";
    EXPECT_EQ(units[2].health, INT_MIN);
    units[2].active = 1;
    units[2].stock = 0; // no healing
    contest.turnNumber = 30; // upkeep wears health down
    for (uint32_t seed = 1; seed < 20 && units[2].active == 1; ++seed) {
        rng.srand(seed);
        click(0, 0);
    }
    EXPECT_EQ(units[2].health, INT_MIN);
    units[2].active = 1;
    contest.turnNumber = INT_MAX;
    EXPECT_EQ(click(0, 0), 0);
    EXPECT_EQ(contest.turnNumber, INT_MAX);
}

TEST_F(ContestTurns, AFullTableFoundsNothingAndWritesNothingPastIt) {
    units.nextFreeUnit = unitCapacity;
    EXPECT_EQ(click(110, 100), 0);
    EXPECT_EQ(units.nextFreeUnit, unitCapacity);
}

// A member list past 1,000 entries is cut, not written past its end.
TEST_F(ContestTurns, AGroupOfMoreThanAThousandStillFounds) {
    for (int i = 100; i < 1600; ++i) place(i, 3, 2, 200 + i % 10, 200 + (i / 10) % 10).active = 0;
    units.nextFreeUnit = 1600;
    contest.turnNumber = 14; // growth: computer founding, then upkeep
    click(0, 0);
    EXPECT_EQ(contest.turnNumber, 15);
    EXPECT_EQ(units[1600].group, 2);
}

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
