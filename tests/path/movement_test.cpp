#include <gtest/gtest.h>

#include "path/movement.h"
#include "search_fixtures.h"

namespace delve {
namespace {

constexpr int Layer = 80;

class Movement : public ::testing::Test {
protected:
    void SetUp() override {
        test::fillLayer(world.map, Layer, Cell::Floor);
        finder().pathStep.assign(unitCapacity, PathNone);
        hero().active = 1;
        hero().side = 1;
        hero().z = Layer;
        hero().x = 50;
        hero().y = 50;
    }
    static PathFinder& finder() {
        static PathFinder* p = new PathFinder;
        return *p;
    }
    UnitRecord& hero() { return units[1]; }
    int step() const { return finder().pathStep[1]; }
    void pass() { advanceUnits(pw, units); }

    World& world = test::sharedWorld();
    Units units;
    PathWorld pw{world.map, world.marks, world.stepCosts, finder()};
};

TEST_F(Movement, WalksOneCellPerPassAndStopsOnTheGoal) {
    orderMove(units, finder(), 1, 55, 50);
    EXPECT_EQ(hero().moveState, 1);
    EXPECT_EQ(step(), PathNone);
    pass(); // plans 5 cells and steps onto the first
    EXPECT_EQ(hero().x, 51);
    EXPECT_EQ(finder().pathLength[1], 5);
    EXPECT_EQ(step(), 3);
    EXPECT_EQ(hero().nextX, 51);
    for (int expected = 52; expected <= 54; ++expected) {
        pass();
        EXPECT_EQ(hero().x, expected);
        EXPECT_EQ(hero().moveState, 1);
    }
    EXPECT_EQ(step(), 0);
    pass(); // takes the goal entry: stands on the goal, done
    EXPECT_EQ(hero().x, 55);
    EXPECT_EQ(hero().y, 50);
    EXPECT_EQ(hero().moveState, 0);
    EXPECT_EQ(step(), PathNone);
    pass();
    EXPECT_EQ(hero().x, 55) << "a standing unit is not touched";
}

TEST_F(Movement, GoalOneCellAwayLeavesStepAtMinusOne) {
    orderMove(units, finder(), 1, 51, 51);
    pass();
    EXPECT_EQ(hero().x, 51);
    EXPECT_EQ(hero().y, 51);
    EXPECT_EQ(hero().moveState, 1);
    EXPECT_EQ(step(), -1);
    pass();
    EXPECT_EQ(hero().moveState, 0);
    EXPECT_EQ(step(), -1);
    EXPECT_EQ(hero().x, 51);
}

TEST_F(Movement, OwnCellAndUnreachableGoalsStopAtOnce) {
    orderMove(units, finder(), 1, 50, 50);
    pass();
    EXPECT_EQ(hero().moveState, 0);
    EXPECT_EQ(step(), PathNone);
    EXPECT_EQ(hero().x, 50);

    world.map.setCell(70, 70, Layer, Cell::Rock);
    finder().pathLength[1] = 12;
    orderMove(units, finder(), 1, 70, 70);
    pass();
    EXPECT_EQ(hero().moveState, 0);
    EXPECT_EQ(step(), PathNone);
    EXPECT_EQ(finder().pathLength[1], 0);
    EXPECT_EQ(hero().x, 50);
}

TEST_F(Movement, GoalOnTheMapEdgeIsReachedAfterTheClampedSearch) {
    hero().x = 250;
    orderMove(units, finder(), 1, 255, 50);
    for (int i = 0; i < 10 && hero().moveState == 1; ++i) pass();
    EXPECT_EQ(hero().x, 255) << "placed on the recorded goal itself";
    EXPECT_EQ(hero().moveState, 0);

    hero().x = 253;
    orderMove(units, finder(), 1, 255, 50);
    pass();
    pass();
    EXPECT_EQ(hero().x, 254) << "a one-entry path ends on the clamped cell";
    EXPECT_EQ(hero().moveState, 0);
}

TEST_F(Movement, OnlyLivingActiveWalkersMove) {
    for (int i = 2; i <= 5; ++i) {
        units[i] = hero();
        orderMove(units, finder(), i, 60, 50);
    }
    units[2].active = 2;
    units[3].dead = 1;
    units[4].moveState = 2;
    units[5].z = Layer + 40; // another layer: moves all the same
    test::fillLayer(world.map, Layer + 40, Cell::Floor);
    pass();
    EXPECT_EQ(units[2].x, 50);
    EXPECT_EQ(units[3].x, 50);
    EXPECT_EQ(units[4].x, 50);
    EXPECT_EQ(units[5].x, 51);
}

TEST_F(Movement, ChangedDestinationWithoutNewOrderKeepsThePath) {
    orderMove(units, finder(), 1, 58, 50);
    pass();
    hero().destX = 40;
    pass();
    EXPECT_EQ(hero().x, 52);
    orderMove(units, finder(), 1, 40, 50);
    pass();
    EXPECT_EQ(hero().x, 51);
}

TEST_F(Movement, ALoadedWalkerWithoutAPlanSearchesAnew) {
    hero().moveState = 1;
    hero().destX = 53;
    hero().destY = 50;
    pass();
    EXPECT_EQ(hero().x, 51);
    EXPECT_EQ(finder().pathGoalX[1], 53);
}

TEST_F(Movement, DamagedUnitFieldsStayInsideTheTables) {
    // Fields as a hostile save file may carry them.
    hero().x = 65535;
    hero().y = 40000;
    orderMove(units, finder(), 1, 65535, 65535);
    pass();
    EXPECT_EQ(hero().moveState, 0) << "start and goal clamp onto the same corner cell";
    orderMove(units, finder(), 1, 200, 200);
    pass();
    EXPECT_EQ(hero().x, 253) << "the search starts from the nearest inner cell";
    EXPECT_EQ(hero().y, 253);
    hero().x = 250;
    hero().y = 250;
    orderMove(units, finder(), 1, 65535, 65535);
    for (int i = 0; i < 300 && hero().moveState == 1; ++i) pass();
    EXPECT_EQ(hero().x, 255) << "the goal is kept on the map";
    EXPECT_EQ(hero().y, 255);

    hero().z = 60000;
    orderMove(units, finder(), 1, 10, 10);
    pass();
    EXPECT_EQ(hero().moveState, 0) << "a unit off every layer cannot plan";
    EXPECT_EQ(hero().x, 255);

    hero().z = Layer;
    hero().moveState = 1;
    finder().pathStep[1] = 5000; // not a step the finder could have written
    pass();
    EXPECT_EQ(hero().moveState, 0);
    EXPECT_EQ(step(), PathNone);

    EXPECT_EQ(stepAlongPath(pw, units, unitCapacity, 1, 1, 256, 0, 1), 0);
    EXPECT_EQ(stepAlongPath(pw, units, -4, 1, 1, 256, 0, 1), 0);
    orderMove(units, finder(), 7000, 1, 1); // ignored
}

TEST_F(Movement, LongWalkContinuesInLegsWhileTheOrderIsRepeated) {
    test::fillLayer(world.map, Layer, Cell::Rock);
    for (int row = 2; row <= 40; row += 2) {
        for (int x = 2; x <= 250; ++x) world.map.setCell(x, row, Layer, Cell::Floor);
        if (row < 40) world.map.setCell(row % 4 == 2 ? 250 : 2, row + 1, Layer, Cell::Floor);
    }
    hero().x = 2;
    hero().y = 2;
    // Without a repeated order the walk ends where the first leg ends.
    orderMove(units, finder(), 1, 2, 40);
    int passes = 0;
    while (hero().moveState == 1 && passes < 5000) { pass(); ++passes; }
    EXPECT_EQ(passes, PathCapacity);
    EXPECT_EQ(hero().x, 2);
    EXPECT_EQ(hero().y, 10);
    // A new order at each leg's end walks on from there until the goal.
    int legs = 1;
    while (passes < 6000 && !(hero().x == 2 && hero().y == 40)) {
        if (hero().moveState == 0) {
            orderMove(units, finder(), 1, 2, 40);
            ++legs;
        }
        pass();
        ++passes;
    }
    EXPECT_EQ(legs, 5);
    EXPECT_EQ(hero().x, 2);
    EXPECT_EQ(hero().y, 40);
}

} // namespace
} // namespace delve
