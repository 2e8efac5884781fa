// The production open list against the literal scan over all nodes: the same
// node must be expanded at every step, with the same results, paths and
// counters, on random grids, generated dungeon levels and overworld land.
#include <gtest/gtest.h>

#include "search_fixtures.h"
#include "tests/path/path_finder_inspector.h"

namespace delve {
namespace {

using test::LiteralSearch;

struct Trial {
    int mode, sx, sy, gx, gy, layer, window, queueMode;
};

class OpenListOracle : public ::testing::Test {
protected:
    static PathFinder& finder() {
        static PathFinder* pf = new PathFinder;
        return *pf;
    }
    static LiteralSearch& oracle() {
        static LiteralSearch* s = new LiteralSearch;
        return *s;
    }

    // Runs both searches in the same chunks of budget and compares them
    // after every chunk and node by node at the end.
    ::testing::AssertionResult same(World& world, const Units& units, const Trial& t, Rng& rng,
                                    int totalBudget) {
        PathFinder& pf = finder();
        PathFinderInspector in{pf};
        LiteralSearch& lit = oracle();
        pf.beginSearch(world.marks, units, SearchMode(t.mode), t.sx, t.sy, t.gx, t.gy, t.layer, t.window, t.queueMode);
        lit.begin(units, t.mode, t.sx, t.sy, t.gx, t.gy, t.layer, t.window, t.queueMode);
        int spent = 0;
        while (spent < totalBudget) {
            int chunk = rng.rand() % 4 == 0 ? 1 + rng.rand() % 50 : totalBudget - spent;
            spent += chunk;
            int a = pf.runSearch(world.map, world.stepCosts, chunk);
            int b = lit.run(world.map, world.stepCosts, chunk);
            if (a != b || in.currentNode != lit.currentNode || in.lastNode != lit.lastNode ||
                pf.foundFlag != lit.foundFlag || (t.queueMode == 0 && in.firstOpen != lit.firstOpen))
                return ::testing::AssertionFailure()
                       << "after " << spent << ": result " << a << "/" << b << " current "
                       << in.currentNode << "/" << lit.currentNode << " last " << in.lastNode << "/"
                       << lit.lastNode << " found " << int(pf.foundFlag) << "/" << int(lit.foundFlag)
                       << " firstOpen " << in.firstOpen << "/" << lit.firstOpen;
            if (a != 0) break;
        }
        for (int n = 0; n <= lit.lastNode; ++n) {
            size_t i = size_t(n);
            if (in.nodeX[i] != lit.nodeX[i] || in.nodeY[i] != lit.nodeY[i] ||
                in.nodeParent[i] != lit.nodeParent[i] || in.nodeState[i] != lit.nodeState[i] ||
                in.nodeCost[i] != lit.nodeCost[i])
                return ::testing::AssertionFailure() << "node " << n << " differs";
        }
        for (int i = 0; i < t.window * t.window; ++i)
            if (in.windowMarks[size_t(i)] != lit.marks[size_t(i)])
                return ::testing::AssertionFailure() << "window mark " << i << " differs";
        if (pf.foundFlag == 1) {
            auto expected = lit.path();
            pf.storeUnitPath(7);
            if (expected.size() <= size_t(PathCapacity)) {
                if (pf.pathLength[7] != int(expected.size()))
                    return ::testing::AssertionFailure() << "path length differs";
                for (size_t k = 0; k < expected.size(); ++k)
                    if (pf.pathX[7000 + k] != expected[k].first || pf.pathY[7000 + k] != expected[k].second)
                        return ::testing::AssertionFailure() << "path entry " << k << " differs";
            }
        }
        return ::testing::AssertionSuccess();
    }

    static void scatterUnits(Units& units, Rng& rng, int layer, int x0, int y0, int span) {
        for (int i = 0; i <= 10; ++i) {
            UnitRecord& u = units[i];
            u = UnitRecord{};
            u.active = uint8_t(rng.rand() % 4 == 0 ? 2 : 1);
            u.side = uint16_t(rng.rand() % 5 == 0 ? 0 : 1);
            u.blocking = uint16_t(rng.rand() % 3 == 0 ? 0 : 1);
            u.z = uint16_t(rng.rand() % 6 == 0 ? layer + 1 : layer);
            u.x = uint16_t(x0 + rng.rand() % span);
            u.y = uint16_t(y0 + rng.rand() % span);
            u.moveState = uint16_t(rng.rand() % 3);
            u.nextX = uint16_t(u.x + rng.rand() % 3 - 1);
            u.nextY = uint16_t(u.y + rng.rand() % 3 - 1);
        }
    }
};

TEST_F(OpenListOracle, RandomGridsMatchTheLiteralScan) {
    World& world = test::sharedWorld();
    Units units;
    Rng rng;
    rng.srand(99);
    constexpr int layer = 50;
    for (int trial = 0; trial < 6000; ++trial) {
        if (trial % 200 == 0) test::randomGrid(world.map, rng, layer, rng.rand() % 50);
        Trial t{};
        t.window = 3 + rng.rand() % 38;
        t.mode = rng.rand() % 4;
        t.layer = layer;
        t.queueMode = rng.rand() % 3 == 0 ? 1 : 0;
        // Start and goal sometimes off the map or outside the window: both clamp.
        t.sx = rng.rand() % 270 - 7;
        t.sy = rng.rand() % 270 - 7;
        t.gx = std::clamp(t.sx + rng.rand() % (t.window + 8) - t.window / 2 - 4, -5, 260);
        t.gy = std::clamp(t.sy + rng.rand() % (t.window + 8) - t.window / 2 - 4, -5, 260);
        scatterUnits(units, rng, layer, std::clamp(t.sx - t.window / 2, 0, 250), std::clamp(t.sy - t.window / 2, 0, 250),
                     std::max(2, t.window));
        ASSERT_TRUE(same(world, units, t, rng, t.window * t.window)) << "trial " << trial;
    }
}

// With steps this dear most open nodes soon cost more than the selection
// ceiling: they are never chosen, and the newest node is expanded instead.
TEST_F(OpenListOracle, CostsAboveTheCeilingMatchTheLiteralScan) {
    World& world = test::sharedWorld();
    const StepCostTable saved = world.stepCosts;
    Units units;
    Rng rng;
    rng.srand(5);
    constexpr int layer = 51;
    int aboveCeiling = 0;
    for (int trial = 0; trial < 400; ++trial) {
        if (trial % 50 == 0) {
            test::randomGrid(world.map, rng, layer, rng.rand() % 40);
            for (auto& c : world.stepCosts) c = float(4000 + rng.rand() % 16000);
        }
        Trial t{1, 20 + rng.rand() % 200, 20 + rng.rand() % 200, 0, 0, layer, 10 + rng.rand() % 31, 0};
        t.gx = t.sx + rng.rand() % t.window - t.window / 2;
        t.gy = t.sy + rng.rand() % t.window - t.window / 2;
        ASSERT_TRUE(same(world, units, t, rng, t.window * t.window)) << "trial " << trial;
        PathFinderInspector in{finder()};
        for (int n = 0; n <= in.lastNode; ++n)
            if (in.nodeCost[size_t(n)] > SelectionCeiling) { ++aboveCeiling; break; }
    }
    world.stepCosts = saved;
    EXPECT_GT(aboveCeiling, 150);
}

TEST_F(OpenListOracle, GeneratedLevelsAndOverworldMatchTheLiteralScan) {
    World& world = test::generatedWorld();
    Units units;
    Rng rng;
    rng.srand(7);
    std::vector<std::vector<std::pair<int, int>>> open(19);
    for (int z = 0; z <= 18; z += 2) open[size_t(z)] = test::passableCells(world.map, z);
    for (int trial = 0; trial < 4000; ++trial) {
        const int z = trial % 4 == 0 ? 0 : 2 * (1 + rng.rand() % 9);
        const auto& cells = open[size_t(z)];
        ASSERT_FALSE(cells.empty());
        Trial t{};
        static constexpr int windows[] = {8, 16, 24, 32, 48, 64};
        t.window = windows[rng.rand() % 6];
        t.mode = 1;
        t.layer = z;
        t.queueMode = rng.rand() % 4 == 0 ? 1 : 0;
        auto s = cells[size_t(rng.rand() * 32768 + rng.rand()) % cells.size()];
        t.sx = s.first;
        t.sy = s.second;
        if (rng.rand() % 3 == 0) { // often unreachable: any cell of the window
            t.gx = s.first + rng.rand() % t.window - t.window / 2;
            t.gy = s.second + rng.rand() % t.window - t.window / 2;
        } else {
            auto g = cells[size_t(rng.rand() * 32768 + rng.rand()) % cells.size()];
            t.gx = g.first;
            t.gy = g.second;
        }
        scatterUnits(units, rng, z, std::clamp(t.sx - 10, 0, 235), std::clamp(t.sy - 10, 0, 235), 20);
        ASSERT_TRUE(same(world, units, t, rng, t.window * t.window)) << "trial " << trial;
    }
}

TEST_F(OpenListOracle, WholeLayerSearchesMatchTheLiteralScan) {
    World& world = test::generatedWorld();
    Units units;
    Rng rng;
    rng.srand(3);
    for (int trial = 0; trial < 12; ++trial) {
        const int z = trial % 3 == 0 ? 0 : 2 * (1 + trial % 9);
        auto cells = test::passableCells(world.map, z);
        auto s = cells[size_t(rng.rand() * 32768 + rng.rand()) % cells.size()];
        auto g = cells[size_t(rng.rand() * 32768 + rng.rand()) % cells.size()];
        Trial t{1, s.first, s.second, g.first, g.second, z, MapSide, 0};
        if (trial % 2 == 1) { // a goal on a cell no node may take: the whole budget is spent
            for (int i = rng.rand() % 1000; i < LayerSize; ++i)
                if (i % MapSide > 0 && i / MapSide > 0 && !isPassable(world.map.cell(i % MapSide, i / MapSide, z))) {
                    t.gx = i % MapSide;
                    t.gy = i / MapSide;
                    break;
                }
        }
        ASSERT_TRUE(same(world, units, t, rng, MapSide * MapSide)) << "trial " << trial;
    }
}

} // namespace
} // namespace delve
