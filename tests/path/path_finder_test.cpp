#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "search_fixtures.h"
#include "tests/path/path_finder_inspector.h"

namespace delve {
namespace {

constexpr int Layer = 60;

class PathFinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::fillLayer(world.map, Layer, Cell::Floor);
        test::fillLayer(world.marks, 1, 0);
    }
    int search(int sx, int sy, int gx, int gy, int w = 32, int mode = 1, int queue = 0) {
        pf.beginSearch(world.marks, units, SearchMode(mode), sx, sy, gx, gy, Layer, w, queue);
        return pf.runSearch(world.map, world.stepCosts, w * w);
    }
    std::vector<std::pair<int, int>> stored(int u) {
        std::vector<std::pair<int, int>> p;
        for (int k = 0; k < pf.pathLength[size_t(u)]; ++k)
            p.emplace_back(pf.pathX[size_t(u) * PathCapacity + size_t(k)],
                           pf.pathY[size_t(u) * PathCapacity + size_t(k)]);
        return p;
    }
    void set(int x, int y, uint8_t c) { world.map.setCell(x, y, Layer, c); }

    World& world = test::sharedWorld();
    Units units;
    PathFinder& pf = finder();
    PathFinderInspector in{pf};
    static PathFinder& finder() {
        static PathFinder* p = new PathFinder;
        return *p;
    }
};

TEST_F(PathFinderTest, OutlandishWindowsAndLayersStayInsideTheArrays) {
    pf.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, 5, 5, 9, 9, 900, 100000, 0);
    EXPECT_EQ(in.windowSize, MapSide);
    EXPECT_EQ(in.layer, LayerCount - 1);
    pf.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, 5, 5, 9, 9, -3, -7, 0);
    EXPECT_EQ(in.layer, 0);
    EXPECT_EQ(pf.runSearch(world.map, world.stepCosts, 1000), SearchTrivial)
        << "the smallest window has one inner cell";
    pf.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, 5, 5, 9, 9, Layer, 40, 0);
    EXPECT_EQ(pf.runSearch(world.map, world.stepCosts, 2147483647), SearchFound)
        << "a huge budget does not overflow the limit test";
}

// Window placement worked out by hand, apart from the oracle's copy of the
// rules: centred on the start, inside the map, ends one cell in from its edge.
TEST_F(PathFinderTest, WindowIsPlacedAroundTheStartAndEndsAreKeptInside) {
    struct Case {
        int sx, sy, gx, gy, w;
        int windowX, windowY, startX, startY, goalX, goalY;
    } cases[] = {
        {100, 50, 110, 60, 32, 84, 34, 100, 50, 110, 60},   // all inside
        {100, 50, 200, 10, 32, 84, 34, 100, 50, 114, 35},   // goal beyond the window
        {5, 3, 20, 20, 32, 0, 0, 5, 3, 20, 20},             // pushed to the top-left corner
        {0, -7, 3, 3, 32, 0, 0, 1, 1, 3, 3},                // start on and off the map edge
        {250, 255, 300, -40, 32, 224, 224, 250, 254, 254, 225}, // bottom-right corner
        {128, 128, 0, 0, 256, 0, 0, 128, 128, 1, 1},        // the whole map
        {60, 60, 61, 61, 1, 59, 59, 60, 60, 60, 60},        // narrower than 3 widens to 3: one cell inside
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sx << "," << c.sy << " -> " << c.gx << "," << c.gy);
        pf.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, c.sx, c.sy, c.gx, c.gy,
                       Layer, c.w, 0);
        EXPECT_EQ((std::array{in.windowX, in.windowY, in.startX, in.startY, in.goalX, in.goalY}),
                  (std::array{c.windowX, c.windowY, c.startX, c.startY, c.goalX, c.goalY}));
    }
}

// Marked: units 0 to 9, active, on a side, blocking, on the layer, strictly
// inside the window; modes 0 to 2 mark, mode 3 does not.
TEST_F(PathFinderTest, OnlyBlockingUnitsZeroToNineInsideTheWindowAreMarked) {
    struct Placed {
        int index, x, y, side, blocking, z;
        bool marked;
    } placed[] = {
        {0, 40, 40, 1, 1, Layer, true},      // unit 0 counts
        {9, 41, 40, 9, 1, Layer, true},      // so does unit 9
        {10, 42, 40, 9, 1, Layer, false},    // unit 10 never blocks
        {3, 43, 40, 0, 1, Layer, false},     // no side
        {4, 44, 40, 3, 0, Layer, false},     // not blocking
        {5, 45, 40, 3, 1, Layer + 1, false}, // another layer
        {6, 34, 40, 3, 1, Layer, false},     // on the window's edge ring (window 34..65)
        {7, 35, 41, 3, 1, Layer, true},      // one cell in from the edge
    };
    for (const Placed& p : placed) {
        UnitRecord& u = units[p.index];
        u.active = 1;
        u.x = uint16_t(p.x);
        u.y = uint16_t(p.y);
        u.side = uint8_t(p.side);
        u.blocking = uint8_t(p.blocking);
        u.z = uint16_t(p.z);
    }
    for (int mode : {0, 1, 2, 3}) {
        SCOPED_TRACE(mode);
        test::fillLayer(world.marks, 1, 0);
        pf.beginSearch(world.marks, units, SearchMode(mode), 50, 50, 60, 60, Layer, 32, 0);
        for (const Placed& p : placed)
            EXPECT_EQ(world.marks.cell(p.x, p.y, 1), (p.marked && mode != 3) ? MarkUnit : 0)
                << "unit " << p.index;
    }
}

TEST_F(PathFinderTest, PathLongerThanTheShareKeepsTheCellsNearestTheUnit) {
    // A serpentine corridor: rows 2, 4, 6 ... joined at alternate ends.
    test::fillLayer(world.map, Layer, Cell::Rock);
    for (int row = 2; row <= 40; row += 2) {
        for (int x = 2; x <= 250; ++x) set(x, row, Cell::Floor);
        if (row < 40) set(row % 4 == 2 ? 250 : 2, row + 1, Cell::Floor);
    }
    for (int i = 0; i < PathCapacity; ++i) pf.pathX[size_t(6) * PathCapacity + size_t(i)] = -77;
    ASSERT_EQ(search(2, 2, 2, 40, 256), SearchFound);
    const int links = pf.storeUnitPath(5);
    EXPECT_GT(links, 4000);
    EXPECT_EQ(pf.pathLength[5], PathCapacity);
    EXPECT_EQ(pf.pathStep[5], PathCapacity - 1);
    for (int i = 0; i < PathCapacity; ++i)
        ASSERT_EQ(pf.pathX[size_t(6) * PathCapacity + size_t(i)], -77) << "unit 6's share untouched";
    auto p = stored(5);
    EXPECT_EQ(p.back(), (std::pair<int, int>{3, 2})) << "the entry next to the unit is kept";
    for (size_t k = 1; k < p.size(); ++k)
        ASSERT_LE(std::max(std::abs(p[k].first - p[k - 1].first), std::abs(p[k].second - p[k - 1].second)), 1);
    EXPECT_EQ(p.front(), (std::pair<int, int>{2, 10})) << "1000 cells along rows 2, 4, 6, 8 and their joins";
    EXPECT_EQ((std::pair<int, int>{pf.pathGoalX[5], pf.pathGoalY[5]}), p.front()) << "the far end is the goal";
}

} // namespace
// Step-cost tables the open list's buckets cannot size (zero, negative or
// enormous steps), or swapped mid-search, still give the literal scan's order.
TEST_F(PathFinderTest, AnyStepCostTableKeepsTheOrderOfTheScan) {
    const StepCostTable saved = world.stepCosts;
    test::LiteralSearch lit;
    Rng rng;
    rng.srand(41);
    auto table = [&](int kind) {
        StepCostTable t{};
        for (auto& c : t) {
            switch (kind) {
            case 0: c = float(rng.rand() % 3); break;                  // zero-cost steps: equal costs
            case 1: c = float(rng.rand() % 7) - 1.2f; break;          // some steps lower the cost
            case 2: c = float(rng.rand() % 5) * 1e6f; break;          // one step passes the ceiling
            case 3: c = float(rng.rand() % 1000) / 64.0f; break;      // fine fractions
            default: c = float(rng.rand() % 3000); break;             // far dearer than fractions
            }
        }
        return t;
    };
    for (int trial = 0; trial < 120; ++trial) {
        test::randomGrid(world.map, rng, Layer, rng.rand() % 30);
        const int w = 8 + rng.rand() % 33;
        const int sx = 60 + rng.rand() % 40, sy = 60 + rng.rand() % 40;
        const int gx = sx + rng.rand() % w - w / 2, gy = sy + rng.rand() % w - w / 2;
        world.stepCosts = table(trial % 4);
        pf.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, sx, sy, gx, gy, Layer, w, 0);
        lit.begin(units, 1, sx, sy, gx, gy, Layer, w, 0);
        for (int spent = 0; spent < w * w;) {
            const int chunk = 1 + rng.rand() % 40;
            spent += chunk;
            // A third of the way, steps far dearer than the buckets were sized for.
            if (trial % 4 == 3 && spent > w * w / 3 && spent - chunk <= w * w / 3) world.stepCosts = table(4);
            const int a = pf.runSearch(world.map, world.stepCosts, chunk);
            const int b = lit.run(world.map, world.stepCosts, chunk);
            ASSERT_EQ(a, b) << "trial " << trial;
            ASSERT_EQ(in.currentNode, lit.currentNode) << "trial " << trial;
            ASSERT_EQ(in.lastNode, lit.lastNode) << "trial " << trial;
            if (a != 0) break;
        }
        for (int n = 0; n <= lit.lastNode; ++n)
            ASSERT_EQ(in.nodeParent[size_t(n)], lit.nodeParent[size_t(n)]) << "trial " << trial << " node " << n;
    }
    world.stepCosts = saved;
}

} // namespace delve
