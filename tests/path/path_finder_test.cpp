#include <gtest/gtest.h>

#include <cmath>

#include "search_fixtures.h"

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
        pf.beginSearch(world.marks, units, mode, sx, sy, gx, gy, Layer, w, queue);
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
    static PathFinder& finder() {
        static PathFinder* p = new PathFinder;
        return *p;
    }
};

TEST(PathFinderBuild, ConstructorLeavesNoPlanAndNoSearch) {
    PathFinder pf;
    for (int u = 0; u < unitCapacity; ++u) ASSERT_EQ(pf.pathStep[size_t(u)], PathNone);
    EXPECT_EQ(pf.ready, 0);
    EXPECT_EQ(pf.scanOrder, 0);
    World& world = test::sharedWorld();
    EXPECT_EQ(pf.runSearch(world.map, world.stepCosts, 100), SearchNotReady);
    EXPECT_EQ(pf.pathX.size(), size_t(unitCapacity) * PathCapacity);
}

TEST(PathFinderBuild, ScanOrdersAlternateAndOddOrdersRunBackwards) {
    PathFinder pf;
    const int order2[8][2] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};
    pf.setScanOrder(2);
    for (int d = 0; d < 8; ++d) {
        EXPECT_EQ(pf.dirX[d], order2[d][0]);
        EXPECT_EQ(pf.dirY[d], order2[d][1]);
    }
    for (int order = 0; order < 8; order += 2) {
        PathFinder odd;
        pf.setScanOrder(order);
        odd.setScanOrder(order + 1);
        EXPECT_EQ(odd.scanOrder, order + 1);
        for (int d = 0; d < 8; ++d) {
            EXPECT_EQ(odd.dirX[d], pf.dirX[7 - d]) << order;
            EXPECT_EQ(odd.dirY[d], pf.dirY[7 - d]) << order;
            bool diagonal = pf.dirX[d] != 0 && pf.dirY[d] != 0;
            EXPECT_EQ(diagonal, d % 2 == 1) << "straight and diagonal alternate";
            EXPECT_EQ(pf.dirCost[d], diagonal ? 1.4142f : 1.0f);
        }
    }
}

TEST_F(PathFinderTest, WindowClampsStartGoalAndRing) {
    pf.beginSearch(world.marks, units, 1, 40, 40, 300, -4, Layer, 256, 0);
    EXPECT_EQ(pf.windowX, 0);
    EXPECT_EQ(pf.windowY, 0);
    EXPECT_EQ(pf.goalX, 254) << "a goal in column 255 is searched for at 254";
    EXPECT_EQ(pf.goalY, 1);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(pf.windowMarks[size_t(i)], MarkQueued);
        EXPECT_EQ(pf.windowMarks[size_t(255 * 256 + i)], MarkQueued);
        EXPECT_EQ(pf.windowMarks[size_t(i * 256)], MarkQueued);
        EXPECT_EQ(pf.windowMarks[size_t(i * 256 + 255)], MarkQueued);
    }
    EXPECT_EQ(pf.windowMarks[size_t(pf.markIndex(2, 2))], MarkFree);
    EXPECT_EQ(pf.nodeCost[0], 1.0f);
    EXPECT_EQ(pf.ready, 1);

    pf.beginSearch(world.marks, units, 1, 10, 10, 10, 10, Layer, 64, 0);
    EXPECT_EQ(pf.windowX, 0);
    pf.beginSearch(world.marks, units, 1, 250, 10, 10, 10, Layer, 64, 0);
    EXPECT_EQ(pf.windowX, 192);
    EXPECT_EQ(pf.goalX, 193) << "goal pulled into the window's interior";
    EXPECT_EQ(pf.startX, 250);
    pf.beginSearch(world.marks, units, 1, 100, 100, 0, 0, Layer, 64, 0);
    EXPECT_EQ(pf.windowX, 68);
    EXPECT_EQ(pf.goalX, 69);
}

TEST_F(PathFinderTest, OutlandishWindowsAndLayersStayInsideTheArrays) {
    pf.beginSearch(world.marks, units, 1, 5, 5, 9, 9, 900, 100000, 0);
    EXPECT_EQ(pf.windowSize, MapSide);
    EXPECT_EQ(pf.layer, LayerCount - 1);
    pf.beginSearch(world.marks, units, 1, 5, 5, 9, 9, -3, -7, 0);
    EXPECT_EQ(pf.layer, 0);
    EXPECT_EQ(pf.runSearch(world.map, world.stepCosts, 1000), SearchTrivial)
        << "the smallest window has one inner cell";
    pf.beginSearch(world.marks, units, 1, 5, 5, 9, 9, Layer, 40, 0);
    EXPECT_EQ(pf.runSearch(world.map, world.stepCosts, 2147483647), SearchFound)
        << "a huge budget does not overflow the limit test";
}

TEST_F(PathFinderTest, StartEqualsGoalIsTrivialAndStoresNothing) {
    pf.pathLength[3] = 17;
    EXPECT_EQ(search(20, 20, 20, 20), SearchTrivial);
    EXPECT_EQ(pf.foundFlag, 3);
    EXPECT_EQ(pf.pathLength[3], 17);
}

TEST_F(PathFinderTest, StraightPathIsStoredGoalFirstWithoutTheStart) {
    ASSERT_EQ(search(20, 20, 24, 20), SearchFound);
    EXPECT_EQ(pf.foundFlag, 1);
    EXPECT_EQ(pf.storeUnitPath(4), 3);
    auto p = stored(4);
    std::vector<std::pair<int, int>> want{{24, 20}, {23, 20}, {22, 20}, {21, 20}};
    EXPECT_EQ(p, want);
    EXPECT_EQ(pf.pathStep[4], 3);
    // The goal node's cost: start 1.0 plus four straight Floor steps of 1.0 + 3.0.
    EXPECT_EQ(pf.nodeCost[size_t(pf.currentNode)], 17.0f);

    ASSERT_EQ(search(20, 20, 21, 21), SearchFound);
    EXPECT_EQ(pf.storeUnitPath(4), 0);
    EXPECT_EQ(stored(4), (std::vector<std::pair<int, int>>{{21, 21}})) << "a neighbour gives one entry";
}

TEST_F(PathFinderTest, StepCostsAddInSinglePrecisionInOrder) {
    test::fillLayer(world.map, Layer, Cell::Plain);
    set(22, 22, Cell::Trap);
    ASSERT_EQ(search(20, 20, 22, 22), SearchFound);
    // Diagonal onto Plain, then diagonal onto Trap, each (1.0 * 1.4142) + cost + step.
    float c = 1.0f;
    c = 1.0f * 1.4142f + c + 30.0f;
    c = 1.0f * 1.4142f + c + 20.0f;
    EXPECT_EQ(pf.nodeCost[size_t(pf.currentNode)], c);
    pf.storeUnitPath(2);
    EXPECT_EQ(stored(2), (std::vector<std::pair<int, int>>{{22, 22}, {21, 21}}));
}

TEST_F(PathFinderTest, CornersAreCutOnlyBesideCornerPermittingCells) {
    // Floor diagonal with Rock on the column side: two straight steps through the Floor side cell.
    set(21, 20, Cell::Rock);
    set(22, 20, Cell::Rock);
    set(22, 21, Cell::Rock);
    set(20, 22, Cell::Rock);
    set(21, 22, Cell::Rock);
    set(19, 22, Cell::Rock);
    set(19, 21, Cell::Rock);
    set(19, 20, Cell::Rock);
    set(19, 19, Cell::Rock);
    set(20, 19, Cell::Rock);
    set(21, 19, Cell::Rock);
    set(22, 19, Cell::Rock);
    set(22, 22, Cell::Rock);
    // Open: (20,20) start, (20,21) side cell, (21,21) goal.
    ASSERT_EQ(search(20, 20, 21, 21), SearchFound);
    pf.storeUnitPath(1);
    EXPECT_EQ(stored(1), (std::vector<std::pair<int, int>>{{21, 21}, {20, 21}}));
    // The queue mode makes no corner test: one diagonal step.
    ASSERT_EQ(search(20, 20, 21, 21, 32, 1, 1), SearchFound);
    pf.storeUnitPath(1);
    EXPECT_EQ(stored(1), (std::vector<std::pair<int, int>>{{21, 21}}));
}

TEST_F(PathFinderTest, RoadRefusesDiagonalSteps) {
    test::fillLayer(world.map, Layer, Cell::Rock);
    for (int y = 30; y < 33; ++y)
        for (int x = 30; x < 33; ++x) set(x, y, Cell::Road);
    ASSERT_EQ(search(30, 30, 32, 32), SearchFound);
    pf.storeUnitPath(1);
    EXPECT_EQ(pf.pathLength[1], 4) << "four straight steps, no diagonal beside Road";
    for (int x = 30; x < 33; ++x)
        for (int y = 30; y < 33; ++y) set(x, y, Cell::Plain);
    ASSERT_EQ(search(30, 30, 32, 32), SearchFound);
    pf.storeUnitPath(1);
    EXPECT_EQ(pf.pathLength[1], 2) << "Plain permits the diagonal";
}

TEST_F(PathFinderTest, ImpassableCodesAreNeverEntered) {
    for (uint8_t c : {Cell::Empty, Cell::Block, Cell::Grass, Cell::Dirt, Cell::Corner, Cell::Impassable5,
                      Cell::Mountain, Cell::MountainHigh, Cell::Rock}) {
        EXPECT_FALSE(isPassable(c)) << int(c);
        set(25, 20, c);
        EXPECT_EQ(search(20, 20, 25, 20), SearchBudgetSpent) << "goal on code " << int(c);
        EXPECT_EQ(pf.foundFlag, 0);
    }
    for (int c = 0; c < 256; ++c) {
        bool open = !(c <= 5 || c == 19 || c == 20 || c == 61);
        EXPECT_EQ(isPassable(uint8_t(c)), open) << c;
        EXPECT_EQ(permitsCorner(uint8_t(c)), c == 10 || c == 11 || c == 18 || c == 60) << c;
    }
}

TEST_F(PathFinderTest, UnreachableGoalSpendsTheWholeLimit) {
    for (int y = 0; y < MapSide; ++y) set(40, y, Cell::Rock);
    EXPECT_EQ(search(20, 20, 60, 20, 256), SearchBudgetSpent);
    EXPECT_EQ(pf.foundFlag, 0);
    EXPECT_EQ(pf.lastNode + 1, 39 * 254) << "every reachable inner cell became a node once";
    int open = 0;
    for (int n = 0; n <= pf.lastNode; ++n) open += pf.nodeState[size_t(n)] == NodeOpen;
    EXPECT_EQ(open, 0);
}

TEST_F(PathFinderTest, BudgetChunksContinueTheSameSearch) {
    for (int y = 12; y < 40; ++y) set(30, y, Cell::Rock);
    ASSERT_EQ(search(20, 25, 40, 25), SearchFound);
    pf.storeUnitPath(5);
    const auto whole = stored(5);
    const int wholeNodes = pf.lastNode;

    pf.beginSearch(world.marks, units, 1, 20, 25, 40, 25, Layer, 32, 0);
    EXPECT_EQ(pf.runSearch(world.map, world.stepCosts, 5), SearchBudgetSpent);
    EXPECT_GT(pf.lastNode, 0);
    int calls = 1;
    while (pf.runSearch(world.map, world.stepCosts, 7) == SearchBudgetSpent) ASSERT_LT(++calls, 1000);
    pf.storeUnitPath(5);
    EXPECT_EQ(stored(5), whole);
    EXPECT_EQ(pf.lastNode, wholeNodes);
}

TEST_F(PathFinderTest, EqualCostsExpandTheNewestNodeFirst) {
    pf.beginSearch(world.marks, units, 1, 20, 20, 200, 200, Layer, 32, 0);
    pf.runSearch(world.map, world.stepCosts, 1);
    // Order 0 adds (0,1) (1,1) (1,0) (1,-1) (0,-1) (-1,-1) (-1,0) (-1,1): the
    // straight ones cost the same, and the last of them, (-1, 0), goes next.
    EXPECT_EQ(pf.lastNode, 8);
    EXPECT_EQ(pf.currentNode, 7);
    EXPECT_EQ(pf.nodeX[7], 19);
    EXPECT_EQ(pf.nodeY[7], 20);
    EXPECT_EQ(pf.firstOpen, 1);
}

TEST_F(PathFinderTest, BlockingUnitsAreWalkedAround) {
    for (int x = 10; x < 30; ++x) {
        set(x, 19, Cell::Rock);
        set(x, 21, Cell::Rock);
    }
    set(15, 19, Cell::Floor); // a way round the corridor
    set(15, 18, Cell::Floor);
    set(16, 18, Cell::Floor);
    set(17, 18, Cell::Floor);
    set(17, 19, Cell::Floor);
    UnitRecord& blocker = units[3];
    blocker.active = 1;
    blocker.side = 9;
    blocker.blocking = 1;
    blocker.z = Layer;
    blocker.x = 16;
    blocker.y = 20;
    ASSERT_EQ(search(12, 20, 25, 20), SearchFound);
    EXPECT_EQ(world.marks.cell(16, 20, 1), MarkUnit) << "the unit's cell is marked on layer 1 of the MarkGrid";
    pf.storeUnitPath(1);
    for (auto [x, y] : stored(1)) EXPECT_FALSE(x == 16 && y == 20);
    EXPECT_EQ(pf.pathLength[1], 17);

    // The same unit at index 10 never blocks, and neither does a non-blocking one.
    units[10] = blocker;
    blocker.active = 0;
    world.marks.setCell(16, 20, 1, 0);
    ASSERT_EQ(search(12, 20, 25, 20), SearchFound);
    pf.storeUnitPath(1);
    EXPECT_EQ(pf.pathLength[1], 13);
    EXPECT_EQ(world.marks.cell(16, 20, 1), 0);
}

TEST_F(PathFinderTest, ModesDecideWhetherUnitCellsAtStartAndGoalAreFree) {
    auto place = [&](int i, int x, int y) {
        UnitRecord& u = units[i];
        u.active = 1;
        u.side = 1;
        u.blocking = 1;
        u.z = Layer;
        u.x = uint16_t(x);
        u.y = uint16_t(y);
    };
    place(1, 20, 20);
    place(2, 24, 20);
    place(4, 22, 22);
    units[4].moveState = 1;
    units[4].nextX = 22;
    units[4].nextY = 23;
    auto markAt = [&](int x, int y) { return pf.windowMarks[size_t(pf.markIndex(x, y))]; };

    pf.beginSearch(world.marks, units, 0, 20, 20, 24, 20, Layer, 32, 0);
    EXPECT_EQ(markAt(20, 20), MarkFree);
    EXPECT_EQ(markAt(24, 20), MarkUnit);
    EXPECT_EQ(markAt(22, 22), MarkUnit);
    EXPECT_EQ(markAt(22, 23), MarkUnitNext);
    EXPECT_EQ(pf.runSearch(world.map, world.stepCosts, 1024), SearchBudgetSpent) << "mode 0 keeps the goal's unit";

    pf.beginSearch(world.marks, units, 1, 20, 20, 24, 20, Layer, 32, 0);
    EXPECT_EQ(markAt(20, 20), MarkFree);
    EXPECT_EQ(markAt(24, 20), MarkFree);
    EXPECT_EQ(pf.runSearch(world.map, world.stepCosts, 1024), SearchFound);

    pf.beginSearch(world.marks, units, 2, 20, 20, 22, 23, Layer, 32, 0);
    EXPECT_EQ(markAt(20, 20), MarkFree);
    EXPECT_EQ(markAt(22, 23), MarkUnitNext) << "mode 2 frees only MarkUnit";

    pf.beginSearch(world.marks, units, 3, 20, 20, 24, 20, Layer, 32, 0);
    EXPECT_EQ(markAt(20, 20), MarkFree);
    EXPECT_EQ(markAt(24, 20), MarkFree) << "other modes mark no units";
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
    EXPECT_EQ(pf.pathGoalX[5], p.front().first) << "the far end kept becomes the unit's goal";
    EXPECT_EQ(pf.pathGoalY[5], p.front().second);
    EXPECT_EQ(p.front(), (std::pair<int, int>{2, 10})) << "1000 cells along rows 2, 4, 6, 8 and their joins";
}

} // namespace
} // namespace delve
