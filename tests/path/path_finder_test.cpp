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
    int search(int sx, int sy, int gx, int gy, int w) {
        pf.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, sx, sy, gx, gy, Layer, w, 0);
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
} // namespace delve
