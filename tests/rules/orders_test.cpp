#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "rules/orders.h"
#include "tests/path/path_finder_inspector.h"
#include "rules_fixture.h"

namespace delve {
namespace {

constexpr int Layer = 0;

class Orders : public ::testing::Test {
protected:
    void SetUp() override {
        test::fillLayer(world.map, Layer, Cell::Plain);
        finder.pathStep.assign(unitCapacity, PathNone);
    }
    UnitRecord& place(int i, int x, int y) {
        UnitRecord& u = units[i];
        u.active = 1;
        u.side = 9;
        u.x = uint16_t(x);
        u.y = uint16_t(y);
        u.z = Layer;
        return u;
    }
    OrderPassReport pass(int frame = 0) { return advanceOrders(pw, units, frame); }

    World& world = test::rulesWorld();
    PathFinder& finder = test::rulesFinder();
    Units units;
    PathWorld pw{world.map, world.marks, world.stepCosts, finder};
};

TEST_F(Orders, AnOrderChasesTheLowestUnitOnTheCellOrWalksThere) {
    place(10, 40, 40);
    place(7, 60, 60);
    place(5, 60, 60);
    struct Case {
        int x, y;
        int moveState, target, destX, destY;
    } cases[] = {
        {60, 60, 2, 5, 60, 60}, // two units there: the lower index
        {61, 60, 1, 0, 61, 60}, // nobody there
        {40, 40, 2, 10, 40, 40}, // its own cell: it chases itself
    };
    for (const Case& c : cases) {
        UnitRecord& u = units[10];
        u.chaseSteps = 9;
        orderUnit(units, finder, 10, c.x, c.y);
        EXPECT_EQ(u.moveState, c.moveState);
        EXPECT_EQ(u.targetUnit, c.target);
        EXPECT_EQ(u.destX, c.destX);
        EXPECT_EQ(u.destY, c.destY);
        EXPECT_EQ(u.replanned, 1);
        EXPECT_EQ(u.chaseSteps, 0);
        EXPECT_EQ(finder.pathStep[10], PathNone);
    }
    // Chasing itself: the first pass finds start and goal equal and stops.
    pass();
    EXPECT_EQ(units[10].moveState, 0);
    EXPECT_EQ(units[10].x, 40);
}

TEST_F(Orders, OnlyEveryThirtiethFrameDoesAnything) {
    place(3, 10, 10);
    orderUnit(units, finder, 3, 20, 10);
    const auto before = std::make_unique<Units>(units);
    for (int frame : {1, 29, 31, 59, 61}) {
        EXPECT_FALSE(pass(frame).ran);
        EXPECT_EQ(std::memcmp(before->bytes(), units.bytes(), Units::byteSize()), 0) << frame;
    }
    EXPECT_TRUE(pass(60).ran);
    EXPECT_EQ(units[3].x, 11);
}

TEST_F(Orders, APassAcknowledgesFifteenFreshPlansThenStops) {
    for (int i = 1; i <= 20; ++i) {
        place(i, 10, 10 + 5 * i);
        orderUnit(units, finder, i, 30, 10 + 5 * i);
    }
    OrderPassReport r = pass();
    EXPECT_EQ(r.replanned, 15);
    EXPECT_EQ(r.moved, 15);
    for (int i = 1; i <= 20; ++i) {
        EXPECT_EQ(units[i].x, i <= 15 ? 11 : 10) << i;
        EXPECT_EQ(units[i].replanned, i <= 15 ? 0 : 1) << i;
    }
    r = pass(30);
    EXPECT_EQ(r.replanned, 5);
    EXPECT_EQ(r.moved, 20);
    for (int i = 1; i <= 20; ++i) EXPECT_EQ(units[i].x, i <= 15 ? 12 : 11) << i;
}

TEST_F(Orders, WalkersArriveOnTheirCell) {
    place(2, 10, 10);
    orderUnit(units, finder, 2, 50, 12); // far: follows its stored path, then near
    int passes = 0;
    while (units[2].moveState == 1 && passes < 100) pass(30 * ++passes);
    EXPECT_EQ(units[2].x, 50);
    EXPECT_EQ(units[2].y, 12);
    EXPECT_EQ(passes, 40);
}

TEST_F(Orders, AChaserRetargetsAfterTwentyFiveSteps) {
    UnitRecord& chaser = place(20, 20, 100);
    UnitRecord& target = place(21, 60, 100);
    orderUnit(units, finder, 20, 60, 100);
    ASSERT_EQ(chaser.moveState, 2);
    // The target slips away; the chaser keeps its old destination for a while.
    target.y = 130;
    for (int step = 1; step <= 25; ++step) {
        pass();
        ASSERT_EQ(chaser.chaseSteps, step);
        ASSERT_EQ(chaser.destY, 100) << step;
    }
    pass();
    EXPECT_EQ(chaser.chaseSteps, 0);
    EXPECT_EQ(chaser.destX, 60);
    EXPECT_EQ(chaser.destY, 130);
    EXPECT_EQ(chaser.moveState, 2);
    EXPECT_EQ(chaser.replanned, 1);
    EXPECT_EQ(finder.pathStep[20], PathNone);
}

TEST_F(Orders, AChaserEndsNextToItsTarget) {
    UnitRecord& chaser = place(4, 30, 30);
    place(5, 36, 30);
    orderUnit(units, finder, 4, 36, 30);
    int passes = 0;
    while (chaser.moveState == 2 && passes < 50) pass(30 * ++passes);
    EXPECT_EQ(chaser.moveState, 2) << "near the target it waits beside it";
    EXPECT_EQ(chaser.x, 35);
    EXPECT_EQ(chaser.y, 30);
}

TEST_F(Orders, PathStepsNearTheGoal) {
    struct Case {
        const char* name;
        int goalX;
        int expected;
        int nextX; // -1: nextX unchanged
    } cases[] = {
        {"stepNear far", 15, 1, 11},
        {"stepNear adjacent", 11, 2, -1},
        {"stepNearAlways adjacent", 11, 1, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UnitRecord& u = place(6, 10, 10);
        u.nextX = 99;
        const bool always = std::strstr(c.name, "Always") != nullptr;
        const int r = always ? stepNearAlways(pw, units, 6, c.goalX, 10, OrderWindow, 0)
                             : stepNear(pw, units, 6, c.goalX, 10, OrderWindow, 0);
        EXPECT_EQ(r, c.expected);
        EXPECT_EQ(u.nextX, c.nextX < 0 ? 99 : c.nextX);
    }
    // Blocked all round: no path, the unit stops.
    UnitRecord& u = place(6, 100, 100);
    u.moveState = 2;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx || dy) world.map.setCell(100 + dx, 100 + dy, Layer, Cell::Mountain);
    EXPECT_EQ(stepNear(pw, units, 6, 110, 100, OrderWindow, 0), 0);
    EXPECT_EQ(u.moveState, 0);
}

TEST_F(Orders, APlacedWindowIsKeptOnTheMap) {
    UnitRecord& u = place(8, 240, 240);
    EXPECT_EQ(stepNearAlwaysFrom(pw, units, 8, 245, 240, OrderWindow, 250, 250, 0), 1);
    EXPECT_EQ(PathFinderInspector{finder}.windowX, MapSide - 1 - OrderWindow);
    EXPECT_EQ(PathFinderInspector{finder}.windowY, MapSide - 1 - OrderWindow);
    EXPECT_EQ(u.nextX, 241);
    // A window placed away from the unit pulls the start into its interior.
    place(8, 10, 10);
    EXPECT_EQ(stepNearFrom(pw, units, 8, 100, 100, OrderWindow, 80, 80, 0), 1);
    EXPECT_EQ(PathFinderInspector{finder}.windowX, 80);
    EXPECT_EQ(PathFinderInspector{finder}.startX, 81);
    EXPECT_EQ(PathFinderInspector{finder}.startY, 81);
}

TEST_F(Orders, TheMouseOrdersUnitZeroOnACoarseGrid) {
    struct Case {
        int cursorX, cursorY, SX, SY;
        bool taken;
        int destX, destY;
    } cases[] = {
        {64, 48, 10, 20, true, 12, 22},
        {10, 100, 0, 5, false, 0, 0},   // column 0
        {0, 0, 245, 10, false, 0, 0},   // border column
        {31, 23, 1, 1, true, 1, 1},
        {0, 24 * 4, 50, 241, false, 0, 0}, // border row
    };
    for (const Case& c : cases) {
        UnitRecord& u = units[0];
        u = UnitRecord{};
        finder.pathStep[0] = 7;
        mouseOrderUnitZero(units, true, c.cursorX, c.cursorY, c.SX, c.SY);
        EXPECT_EQ(u.moveState, c.taken ? 1 : 0);
        EXPECT_EQ(u.destX, c.destX);
        EXPECT_EQ(u.destY, c.destY);
        EXPECT_EQ(finder.pathStep[0], 7) << "a plan in progress is kept";
    }
    units[0] = UnitRecord{};
    mouseOrderUnitZero(units, false, 64, 48, 10, 20); // button up
    EXPECT_EQ(units[0].moveState, 0);
}

TEST_F(Orders, ATargetOutsideTheTableEndsTheChase) {
    for (int bad : {-4, 3000, 32767}) {
        UnitRecord& u = place(9, 50, 50);
        u.moveState = 2;
        u.targetUnit = int16_t(bad);
        u.destX = 70;
        u.destY = 50;
        finder.pathStep[9] = 3; // near: would read the target's cell
        pass();
        EXPECT_EQ(u.moveState, 0) << bad;
        EXPECT_EQ(u.x, 50) << bad;
    }
}

} // namespace
} // namespace delve
