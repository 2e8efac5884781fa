#include <gtest/gtest.h>

#include "search_fixtures.h"
#include "tests/path/path_finder_inspector.h"

namespace delve {
namespace {

constexpr int Layer = 60;

class PathFinderTest : public ::testing::Test {
protected:
    void SetUp() override { test::fillLayer(world.map, Layer, Cell::Floor); }

    World& world = test::sharedWorld();
    Units units;
    static inline PathFinder& pf = *new PathFinder; // one for the program: its tables are large
    PathFinderInspector in{pf};
};

TEST_F(PathFinderTest, OutlandishWindowsAndLayersStayInsideTheArrays) {
    pf.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, 5, 5, 9, 9, 900, 100000, 0);
    EXPECT_EQ(in.windowSize, MapSide);
    EXPECT_EQ(in.layer, LayerCount - 1);
    pf.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, 5, 5, 9, 9, -3, -7, 0);
    EXPECT_EQ(in.layer, 0);
    EXPECT_EQ(in.windowSize, 3) << "narrower than 3 widens to 3";
    EXPECT_EQ(pf.runSearch(world.map, world.stepCosts, 1000), SearchTrivial)
        << "the smallest window has one inner cell";
    pf.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, 5, 5, 9, 9, Layer, 40, 0);
    EXPECT_EQ(pf.runSearch(world.map, world.stepCosts, 2147483647), SearchFound)
        << "a huge budget does not overflow the limit test";
}

TEST_F(PathFinderTest, PathLongerThanTheShareKeepsTheCellsNearestTheUnit) {
    // A serpentine corridor: rows 2, 4, 6 ... joined at alternate ends.
    test::fillLayer(world.map, Layer, Cell::Rock);
    for (int row = 2; row <= 40; row += 2) {
        for (int x = 2; x <= 250; ++x) world.map.setCell(x, row, Layer, Cell::Floor);
        if (row < 40) world.map.setCell(row % 4 == 2 ? 250 : 2, row + 1, Layer, Cell::Floor);
    }
    for (int i = 0; i < PathCapacity; ++i) pf.pathX[size_t(6) * PathCapacity + size_t(i)] = -77;
    pf.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, 2, 2, 2, 40, Layer, 256, 0);
    ASSERT_EQ(pf.runSearch(world.map, world.stepCosts, LayerSize), SearchFound);
    const int links = pf.storeUnitPath(5);
    EXPECT_GT(links, 4000);
    EXPECT_EQ(pf.pathLength[5], PathCapacity);
    EXPECT_EQ(pf.pathStep[5], PathCapacity - 1);
    for (int i = 0; i < PathCapacity; ++i)
        ASSERT_EQ(pf.pathX[size_t(6) * PathCapacity + size_t(i)], -77) << "unit 6's share untouched";
    std::vector<std::pair<int, int>> p;
    for (size_t k = 0; k < size_t(PathCapacity); ++k) p.emplace_back(pf.pathX[5000 + k], pf.pathY[5000 + k]);
    EXPECT_EQ(p.back(), (std::pair<int, int>{3, 2})) << "the entry next to the unit is kept";
    EXPECT_EQ(p.front(), (std::pair<int, int>{2, 10})) << "1000 cells along rows 2, 4, 6, 8 and their joins";
    EXPECT_EQ((std::pair<int, int>{pf.pathGoalX[5], pf.pathGoalY[5]}), p.front()) << "the far end is the goal";
}

} // namespace
} // namespace delve
