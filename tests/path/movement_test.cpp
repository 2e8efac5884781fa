// The finder's search window and stored paths, and units walking them.
#include <gtest/gtest.h>

#include <tuple>

#include "path/movement.h"
#include "search_fixtures.h"
#include "tests/hero_fixture.h"
#include "tests/path/path_finder_inspector.h"

namespace delve {
namespace {

constexpr int Layer = 80;

class Movement : public ::testing::Test {
protected:
    void SetUp() override {
        test::fillLayer(world.map, Layer, Cell::Floor);
        finder.pathStep.assign(unitCapacity, PathNone);
        test::standHero(hero(), 50, 50, Layer);
    }
    UnitRecord& hero() { return units[1]; }
    int step() const { return finder.pathStep[1]; }
    void pass() { advanceUnits(pw, units); }

    static inline PathFinder& finder = *new PathFinder; // one for the program: its tables are large
    World& world = test::sharedWorld();
    Units units;
    PathWorld pw{world.map, world.marks, world.stepCosts, finder};
};

TEST_F(Movement, WalksOneCellPerPassAndStopsOnTheGoal) {
    orderMove(units, finder, 1, 55, 50);
    EXPECT_EQ(hero().moveState, 1);
    EXPECT_EQ(step(), PathNone);
    for (int expected = 51; expected <= 54; ++expected) {
        pass(); // the first pass plans 5 cells and steps onto the first
        EXPECT_EQ(hero().x, expected);
        EXPECT_EQ(hero().moveState, 1);
    }
    EXPECT_EQ(step(), 0);
    pass(); // takes the goal entry: stands on the goal, done
    EXPECT_EQ(hero().x, 55);
    EXPECT_EQ(hero().moveState, 0);
    EXPECT_EQ(step(), PathNone);
    pass();
    EXPECT_EQ(hero().x, 55) << "a standing unit is not touched";
}

TEST_F(Movement, AnUnreachableGoalStopsAtOnce) {
    world.map.setCell(70, 70, Layer, Cell::Rock);
    finder.pathLength[1] = 12;
    orderMove(units, finder, 1, 70, 70);
    pass();
    EXPECT_EQ(hero().moveState, 0);
    EXPECT_EQ(step(), PathNone);
    EXPECT_EQ(finder.pathLength[1], 0);
    EXPECT_EQ(hero().x, 50);
}

TEST_F(Movement, DamagedUnitFieldsStayInsideTheTables) {
    // Fields as a hostile save file may carry them.
    std::tie(hero().x, hero().y) = std::tuple(65535, 40000);
    orderMove(units, finder, 1, 65535, 65535);
    pass();
    EXPECT_EQ(hero().moveState, 0) << "start and goal clamp onto the same corner cell";
    orderMove(units, finder, 1, 200, 200);
    pass();
    EXPECT_TRUE(hero().x == 253 && hero().y == 253) << "the search starts from the nearest inner cell";
    hero().x = hero().y = 250;
    orderMove(units, finder, 1, 65535, 65535);
    for (int i = 0; i < 300 && hero().moveState == 1; ++i) pass();
    EXPECT_TRUE(hero().x == 255 && hero().y == 255) << "the goal is kept on the map";

    hero().z = 60000;
    orderMove(units, finder, 1, 10, 10);
    pass();
    EXPECT_EQ(hero().moveState, 0) << "a unit off every layer cannot plan";
    EXPECT_EQ(hero().x, 255);

    std::tie(hero().z, hero().moveState) = std::tuple(Layer, 1);
    finder.pathStep[1] = 5000; // not a step the finder could have written
    pass();
    EXPECT_EQ(hero().moveState, 0);
    EXPECT_EQ(step(), PathNone);

    EXPECT_EQ(stepAlongPath(pw, units, unitCapacity, 1, 1, 256, 0, 1), 0);
    EXPECT_EQ(stepAlongPath(pw, units, -4, 1, 1, 256, 0, 1), 0);
    orderMove(units, finder, 7000, 1, 1); // ignored
}

TEST_F(Movement, OutlandishSearchWindowsAndLayersStayInsideTheArrays) {
    PathFinderInspector in{finder};
    finder.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, 5, 5, 9, 9, 900, 100000, 0);
    EXPECT_EQ(in.windowSize, MapSide);
    EXPECT_EQ(in.layer, LayerCount - 1);
    finder.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, 5, 5, 9, 9, -3, -7, 0);
    EXPECT_EQ(in.layer, 0);
    EXPECT_EQ(in.windowSize, 3) << "narrower than 3 widens to 3";
    EXPECT_EQ(finder.runSearch(world.map, world.stepCosts, 1000), SearchTrivial)
        << "the smallest window has one inner cell";
    finder.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, 5, 5, 9, 9, Layer, 40, 0);
    EXPECT_EQ(finder.runSearch(world.map, world.stepCosts, 2147483647), SearchFound)
        << "a huge budget does not overflow the limit test";
}

TEST_F(Movement, PathLongerThanTheShareKeepsTheCellsNearestTheUnit) {
    // A serpentine corridor: rows 2, 4, 6 ... joined at alternate ends.
    test::fillLayer(world.map, Layer, Cell::Rock);
    for (int row = 2; row <= 40; row += 2) {
        for (int x = 2; x <= 250; ++x) world.map.setCell(x, row, Layer, Cell::Floor);
        if (row < 40) world.map.setCell(row % 4 == 2 ? 250 : 2, row + 1, Layer, Cell::Floor);
    }
    for (int i = 0; i < PathCapacity; ++i) finder.pathX[size_t(6) * PathCapacity + size_t(i)] = -77;
    finder.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, 2, 2, 2, 40, Layer, 256, 0);
    ASSERT_EQ(finder.runSearch(world.map, world.stepCosts, LayerSize), SearchFound);
    const int links = finder.storeUnitPath(5);
    EXPECT_GT(links, 4000);
    EXPECT_EQ(finder.pathLength[5], PathCapacity);
    EXPECT_EQ(finder.pathStep[5], PathCapacity - 1);
    for (int i = 0; i < PathCapacity; ++i)
        ASSERT_EQ(finder.pathX[size_t(6) * PathCapacity + size_t(i)], -77) << "unit 6's share untouched";
    std::vector<std::pair<int, int>> p;
    for (size_t k = 0; k < size_t(PathCapacity); ++k) p.emplace_back(finder.pathX[5000 + k], finder.pathY[5000 + k]);
    EXPECT_EQ(p.back(), (std::pair<int, int>{3, 2})) << "the entry next to the unit is kept";
    EXPECT_EQ(p.front(), (std::pair<int, int>{2, 10})) << "1000 cells along rows 2, 4, 6, 8 and their joins";
    EXPECT_EQ((std::pair<int, int>{finder.pathGoalX[5], finder.pathGoalY[5]}), p.front()) << "the far end is the goal";
}

} // namespace
} // namespace delve
