#include <gtest/gtest.h>

#include <tuple>

#include "rules/orders.h"
#include "tests/path/search_fixtures.h"

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
        std::tie(u.active, u.side, u.x, u.y, u.z) = std::tuple(1, 9, x, y, Layer);
        return u;
    }
    OrderPassReport pass(int frame = 0) { return advanceOrders(pw, units, frame); }

    World& world = test::sharedWorld();
    static inline PathFinder& finder = *new PathFinder; // one for the program: its tables are large
    Units units;
    PathWorld pw{world.map, world.marks, world.stepCosts, finder};
};

TEST_F(Orders, APassAcknowledgesFifteenFreshPlansThenStops) {
    for (int i = 1; i <= 20; ++i) {
        place(i, 10, 10 + 5 * i);
        orderUnit(units, finder, i, 30, 10 + 5 * i);
    }
    OrderPassReport r = pass();
    EXPECT_EQ(r.replanned, 15);
    EXPECT_EQ(r.moved, 15);
    for (int i = 1; i <= 20; ++i) EXPECT_EQ(units[i].replanned, i <= 15 ? 0 : 1) << i;
    r = pass(30);
    EXPECT_EQ(r.replanned, 5);
    EXPECT_EQ(r.moved, 20);
    for (int i = 1; i <= 20; ++i) EXPECT_EQ(units[i].x, i <= 15 ? 12 : 11) << i;
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
    EXPECT_EQ(chaser.destY, 130);
    EXPECT_EQ(chaser.moveState, 2);
    EXPECT_EQ(chaser.replanned, 1);
}

TEST_F(Orders, ATargetOutsideTheTableEndsTheChase) {
    for (int bad : {-4, 3000, 32767}) {
        UnitRecord& u = place(9, 50, 50);
        std::tie(u.moveState, u.targetUnit, u.destX, u.destY) = std::tuple(2, bad, 70, 50);
        finder.pathStep[9] = 3; // near: would read the target's cell
        pass();
        EXPECT_EQ(u.moveState, 0) << bad;
        EXPECT_EQ(u.x, 50) << bad;
    }
}

} // namespace
} // namespace delve
