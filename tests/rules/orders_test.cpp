#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <tuple>
#include <vector>

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

// Cells reachable from (sx, sy) by the search's steps inside the interior
// of the w x w window at (wx, wy): onto passable cells, and diagonally only
// between two cells that permit corners. By row-major cell index.
std::vector<bool> reachableInWindow(const WorldMap& map, int z, int wx, int wy, int w, int sx, int sy) {
    std::vector<bool> seen(LayerSize);
    std::vector<std::pair<int, int>> stack{{sx, sy}};
    seen[size_t(sy * MapSide + sx)] = true;
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if (nx <= wx || ny <= wy || nx >= wx + w - 1 || ny >= wy + w - 1) continue;
                if (seen[size_t(ny * MapSide + nx)] || !isPassable(map.cell(nx, ny, z))) continue;
                if (dx != 0 && dy != 0 && !(permitsCorner(map.cell(nx, y, z)) && permitsCorner(map.cell(x, ny, z))))
                    continue;
                seen[size_t(ny * MapSide + nx)] = true;
                stack.emplace_back(nx, ny);
            }
    }
    return seen;
}

bool stepAllowed(const WorldMap& map, int z, int x, int y, int nx, int ny) {
    const int dx = nx - x, dy = ny - y;
    if (std::max(std::abs(dx), std::abs(dy)) != 1 || !isPassable(map.cell(nx, ny, z))) return false;
    return dx == 0 || dy == 0 || (permitsCorner(map.cell(nx, y, z)) && permitsCorner(map.cell(x, ny, z)));
}

// The four fresh-search steps on the generated levels and overworld-like
// land, against a flood of the window: 0 exactly when the goal cannot be
// reached or is the unit's own cell; 2 (nothing stored, the next cell
// untouched) exactly when the goal is one step away and that step is not to
// be taken; else 1, with a stored path of allowed steps inside the window
// that starts next to the unit and ends on the goal brought into the window.
TEST_F(Orders, FreshSearchStepsAnswerAsAFloodOfTheirWindow) {
    World& generated = test::generatedWorld();
    PathWorld gw{generated.map, generated.marks, generated.stepCosts, finder};
    const WorldMap& map = generated.map;
    struct Variant {
        const char* name;
        bool placed, always;
    } variants[] = {{"stepNear", false, false},
                    {"stepNearAlways", false, true},
                    {"stepNearFrom", true, false},
                    {"stepNearAlwaysFrom", true, true}};
    Rng rng;
    rng.srand(77);
    std::array<int, 3> seen{};
    int clamped = 0;
    for (int z : {0, 2, 4, 6}) {
        const auto open = test::passableCells(map, z);
        std::vector<std::pair<int, int>> nearEdge;
        for (auto [x, y] : open)
            if (std::min({x, y, MapSide - 1 - x, MapSide - 1 - y}) < 8) nearEdge.emplace_back(x, y);
        for (int trial = 0; trial < 150; ++trial) {
            const Variant& v = variants[trial % 4];
            const int w = 8 + rng.rand() % 23; // the interior holds fewer cells than one path share
            // Every third placed window stands at the map's edge, its goal past it.
            const bool atEdge = v.placed && trial % 3 == 0 && !nearEdge.empty();
            const auto [sx, sy] = atEdge ? nearEdge[size_t(rng.rand()) % nearEdge.size()]
                                         : open[size_t(rng.rand()) % open.size()];
            // A placed window is brought onto the map; an origin past the
            // edge is passed far past it. The unit stays in the interior.
            int wx, wy, originX, originY;
            if (v.placed) {
                const int last = MapSide - 1 - w;
                originX = sx - 1 - rng.rand() % (w - 2);
                originY = sy - 1 - rng.rand() % (w - 2);
                wx = std::clamp(originX, 0, last);
                wy = std::clamp(originY, 0, last);
                if (sx <= wx || sy <= wy || sx >= wx + w - 1 || sy >= wy + w - 1) continue;
                for (int* o : {&originX, &originY}) *o += *o < 0 ? -500 : *o > last ? 500 : 0;
                clamped += originX != wx || originY != wy;
            } else {
                wx = std::clamp(sx - w / 2, 0, MapSide - w);
                wy = std::clamp(sy - w / 2, 0, MapSide - w);
                originX = originY = 0;
            }
            // Now and then a goal next to the unit.
            const int reach = trial % 5 == 1 ? 3 : w + 6;
            const int past = atEdge ? 300 : 0;
            const int gx = sx + rng.rand() % reach - reach / 2 + (sx < MapSide / 2 ? -past : past);
            const int gy = sy + rng.rand() % reach - reach / 2 + (sy < MapSide / 2 ? -past : past);
            const int goalX = std::clamp(gx, wx + 1, wx + w - 2), goalY = std::clamp(gy, wy + 1, wy + w - 2);
            SCOPED_TRACE(testing::Message() << v.name << " layer " << z << " unit " << sx << "," << sy << " goal "
                                            << gx << "," << gy << " window " << wx << "," << wy << " side " << w);

            Units units;
            UnitRecord& u = units[20];
            std::tie(u.active, u.side, u.x, u.y, u.z, u.moveState, u.nextX, u.nextY) =
                std::tuple(1, 9, sx, sy, z, 1, 999, 999);
            finder.pathStep[20] = PathNone;
            const int result =
                v.placed ? (v.always ? stepNearAlwaysFrom : stepNearFrom)(gw, units, 20, gx, gy, w, originX, originY, 0)
                         : (v.always ? stepNearAlways(gw, units, 20, gx, gy, w, 0) : stepNear(gw, units, 20, gx, gy, w, 0));

            // A goal brought onto the unit's own cell gives no path.
            const bool reachable = (goalX != sx || goalY != sy) &&
                                   reachableInWindow(map, z, wx, wy, w, sx, sy)[size_t(goalY * MapSide + goalX)];
            const bool oneStep = stepAllowed(map, z, sx, sy, goalX, goalY);
            const int expected = !reachable ? 0 : oneStep && !v.always ? 2 : 1;
            ASSERT_EQ(result, expected);
            ++seen[size_t(result)];
            if (result != 1) {
                EXPECT_EQ(u.moveState, result == 0 ? 0 : 1);
                EXPECT_EQ(std::tuple(u.nextX, u.nextY), std::tuple(999, 999));
                EXPECT_EQ(finder.pathStep[20], PathNone);
                continue;
            }
            const int length = finder.pathLength[20];
            ASSERT_EQ(finder.pathStep[20], length - 1);
            const int32_t* px = &finder.pathX[20 * size_t(PathCapacity)];
            const int32_t* py = &finder.pathY[20 * size_t(PathCapacity)];
            EXPECT_EQ(std::tuple(int(u.nextX), int(u.nextY)), std::tuple(px[length - 1], py[length - 1]));
            EXPECT_EQ(std::tuple(px[0], py[0]), std::tuple(goalX, goalY));
            if (oneStep) {
                EXPECT_EQ(length, 1);
            }
            int x = sx, y = sy;
            for (int k = length - 1; k >= 0; --k) {
                ASSERT_TRUE(stepAllowed(map, z, x, y, px[k], py[k])) << "entry " << k;
                ASSERT_TRUE(px[k] > wx && py[k] > wy && px[k] < wx + w - 1 && py[k] < wy + w - 1) << "entry " << k;
                x = px[k];
                y = py[k];
            }
        }
    }
    for (int r = 0; r < 3; ++r) EXPECT_GT(seen[size_t(r)], 3) << "result " << r << " too rarely met";
    EXPECT_GT(clamped, 3) << "too few windows placed past an edge";
}

// The cursor's cell on a 32 x 24 grid from the view origin, refused in the
// outer border; a plan unit 0 already has is kept.
TEST_F(Orders, MouseOrderSendsUnitZeroToTheCellUnderTheCursor) {
    struct Case {
        bool down;
        int cursorX, cursorY, SX, SY;
        int destX, destY; // -1: refused
    } cases[] = {
        {false, 100, 100, 10, 10, -1, -1}, {true, 31, 23, 0, 5, -1, -1},   {true, 32, 23, 0, 5, 1, 5},
        {true, 40, 23, 5, 0, -1, -1},      {true, 40, 24, 5, 0, 6, 1},     {true, 0, 0, 244, 244, 244, 244},
        {true, 0, 0, 245, 10, -1, -1},     {true, 0, 0, 10, 245, -1, -1},  {true, 639, 479, 100, 50, 119, 69},
        {true, -31, -23, 1, 1, 1, 1}, // truncated toward zero
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cursorX << "," << c.cursorY << " from " << c.SX << "," << c.SY);
        Units units;
        UnitRecord& u = units[0];
        std::tie(u.destX, u.destY, u.moveState) = std::tuple(7, 7, 0);
        finder.pathStep[0] = 5;
        mouseOrderUnitZero(units, c.down, c.cursorX, c.cursorY, c.SX, c.SY);
        if (c.destX < 0)
            EXPECT_EQ(std::tuple(int(u.destX), int(u.destY), int(u.moveState)), std::tuple(7, 7, 0));
        else
            EXPECT_EQ(std::tuple(int(u.destX), int(u.destY), int(u.moveState)), std::tuple(c.destX, c.destY, 1));
        EXPECT_EQ(finder.pathStep[0], 5);
    }
}

} // namespace
} // namespace delve
