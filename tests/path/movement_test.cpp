#include <gtest/gtest.h>

#include <tuple>

#include "path/movement.h"
#include "search_fixtures.h"
#include "tests/hero_fixture.h"

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

} // namespace
} // namespace delve
