// The production open list against the literal scan over all nodes: the same
// node must be expanded at every step, with the same results, nodes, marks
// and counters, on random grids, generated dungeon levels, overworld land and
// step-cost tables of every shape.
#include <gtest/gtest.h>

#include <functional>

#include "search_fixtures.h"
#include "tests/path/path_finder_inspector.h"

namespace delve {
namespace {

// The search exactly as the open list was first written: a scan over all
// nodes picks the next one, or in queue mode a FIFO per exact cost, cheapest
// cost first. Mirrors the PathFinder's state.
struct LiteralSearch {
    std::vector<int16_t> nodeX = std::vector<int16_t>(LayerSize), nodeY = nodeX;
    std::vector<uint32_t> nodeParent = std::vector<uint32_t>(LayerSize);
    std::vector<uint8_t> nodeState = std::vector<uint8_t>(LayerSize), marks = nodeState;
    std::vector<float> nodeCost = std::vector<float>(LayerSize);
    int startX = 0, startY = 0, goalX = 0, goalY = 0, windowX = 0, windowY = 0, windowSize = 0;
    int layer = 0, queueMode = 0, currentNode = 0, lastNode = 0, firstOpen = 0;
    uint8_t foundFlag = 0, ready = 0;
    std::vector<std::pair<float, std::vector<int>>> fifo;

    uint8_t& mark(int x, int y) { return marks[size_t((y - windowY) * windowSize + (x - windowX))]; }

    void begin(const Units& units, int mode, int sx, int sy, int gx, int gy, int searchLayer, int w,
               int useQueue) {
        layer = searchLayer;
        queueMode = useQueue;
        windowSize = w;
        auto onMap = [](int v) { return std::clamp(v, 0, MapSide - 1); };
        windowX = std::clamp(onMap(sx) - w / 2, 0, MapSide - w);
        windowY = std::clamp(onMap(sy) - w / 2, 0, MapSide - w);
        startX = std::clamp(onMap(sx), windowX + 1, windowX + w - 2);
        startY = std::clamp(onMap(sy), windowY + 1, windowY + w - 2);
        goalX = std::clamp(onMap(gx), windowX + 1, windowX + w - 2);
        goalY = std::clamp(onMap(gy), windowY + 1, windowY + w - 2);
        const size_t n = size_t(w * w);
        for (auto* v : {&nodeX, &nodeY}) std::fill_n(v->begin(), n, 0);
        for (auto* v : {&nodeState, &marks}) std::fill_n(v->begin(), n, 0); // NodeOpen, MarkFree
        std::fill_n(nodeParent.begin(), n, 0);
        std::fill_n(nodeCost.begin(), n, 0.0f);
        fifo.clear();
        for (int i = 0; i < w; ++i)
            for (int m : {i, (w - 1) * w + i, i * w, i * w + w - 1}) marks[size_t(m)] = MarkQueued;
        auto inside = [&](int x, int y) {
            return x - windowX > 0 && y - windowY > 0 && x - windowX < w - 1 && y - windowY < w - 1;
        };
        for (int i = 0; i <= 9 && mode <= 2; ++i) {
            const UnitRecord& u = units[i];
            if (u.active != 1 || u.side == 0 || u.blocking != 1 || u.z != layer) continue;
            if (inside(u.x, u.y)) mark(u.x, u.y) = MarkUnit;
            if (u.moveState == 1 && inside(u.nextX, u.nextY)) mark(u.nextX, u.nextY) = MarkUnitNext;
        }
        uint8_t &sm = mark(startX, startY), &gm = mark(goalX, goalY);
        if (mode == 0 || mode == 1 || (mode == 2 && sm == MarkUnit)) sm = MarkFree;
        if (mode == 1 || (mode == 2 && gm == MarkUnit)) gm = MarkFree;
        nodeX[0] = int16_t(startX);
        nodeY[0] = int16_t(startY);
        nodeCost[0] = 1.0f;
        currentNode = lastNode = firstOpen = 0;
        foundFlag = 0;
        ready = 1;
    }

    int run(const WorldMap& world, const StepCostTable& costs, int budget) {
        static constexpr int order[8][2] = {{0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}};
        if (ready == 0) return 5;
        const int limit = windowSize * windowSize - 9;
        if (startX == goalX && startY == goalY) {
            foundFlag = 3;
            return 4;
        }
        if (lastNode + budget >= limit) budget = limit - lastNode;
        for (int it = 0; it < budget; ++it) {
            const int cx = nodeX[size_t(currentNode)], cy = nodeY[size_t(currentNode)];
            for (const auto& [dx, dy] : order) {
                const bool diagonal = dx != 0 && dy != 0;
                if (diagonal && queueMode == 0 &&
                    (!permitsCorner(world.cell(cx + dx, cy, layer)) || !permitsCorner(world.cell(cx, cy + dy, layer))))
                    continue;
                const int nx = cx + dx, ny = cy + dy;
                if (mark(nx, ny) != MarkFree || !isPassable(world.cell(nx, ny, layer))) continue;
                const int n = ++lastNode;
                nodeX[size_t(n)] = int16_t(nx);
                nodeY[size_t(n)] = int16_t(ny);
                nodeParent[size_t(n)] = uint32_t(currentNode);
                nodeState[size_t(n)] = NodeOpen;
                float c = 1.0f * (diagonal ? 1.4142f : 1.0f);
                c = c + nodeCost[size_t(currentNode)];
                c = c + costs[world.cell(nx, ny, layer)];
                nodeCost[size_t(n)] = c;
                mark(nx, ny) = MarkQueued;
                if (queueMode == 0) continue;
                auto same = std::find_if(fifo.begin(), fifo.end(), [&](auto& b) { return b.first == c; });
                if (same != fifo.end()) {
                    same->second.push_back(n);
                } else if (fifo.size() < size_t(BucketCount)) {
                    auto pos = std::find_if(fifo.begin(), fifo.end(), [&](auto& b) { return b.first > c; });
                    fifo.insert(pos, {c, std::vector<int>{n}});
                }
            }
            nodeState[size_t(currentNode)] = NodeClosed;
            mark(cx, cy) = MarkClosed;
            if (queueMode != 0) {
                if (!fifo.empty()) {
                    auto& front = fifo.front().second;
                    currentNode = front.front();
                    front.erase(front.begin());
                    if (front.empty()) fifo.erase(fifo.begin());
                }
            } else {
                float bestCost = 131072.0f;
                int bestNode = lastNode;
                for (int i = firstOpen; i <= lastNode; ++i)
                    if (nodeState[size_t(i)] == NodeOpen && bestCost >= nodeCost[size_t(i)]) {
                        bestCost = nodeCost[size_t(i)];
                        bestNode = i;
                    }
                for (int i = firstOpen; i <= lastNode; ++i)
                    if (nodeState[size_t(i)] == NodeOpen) {
                        firstOpen = i;
                        break;
                    }
                currentNode = bestNode > lastNode ? lastNode + 1 : bestNode;
            }
            if (nodeX[size_t(currentNode)] == goalX && nodeY[size_t(currentNode)] == goalY) {
                foundFlag = 1;
                return 1;
            }
        }
        return 0;
    }
};

struct Trial {
    int mode, sx, sy, gx, gy, layer, window, queueMode;
};

std::pair<int, int> pick(const std::vector<std::pair<int, int>>& cells, Rng& rng) {
    return cells[size_t(rng.rand() * 32768 + rng.rand()) % cells.size()];
}

class OpenListOracle : public ::testing::Test {
protected:
    // One of each for the whole program: their tables are large.
    static inline PathFinder& finder = *new PathFinder;
    static inline LiteralSearch& oracle = *new LiteralSearch;

    // Runs both searches in the same chunks of budget and compares them
    // after every chunk and node by node at the end. `beforeChunk` (given
    // the budget spent) asks for small chunks and may change the world.
    ::testing::AssertionResult same(World& world, const Units& units, const Trial& t, Rng& rng,
                                    int totalBudget, const std::function<void(int)>& beforeChunk = {}) {
        PathFinder& pf = finder;
        PathFinderInspector in{pf};
        LiteralSearch& lit = oracle;
        pf.beginSearch(world.marks, units, SearchMode(t.mode), t.sx, t.sy, t.gx, t.gy, t.layer, t.window, t.queueMode);
        lit.begin(units, t.mode, t.sx, t.sy, t.gx, t.gy, t.layer, t.window, t.queueMode);
        for (int spent = 0; spent < totalBudget;) {
            if (beforeChunk) beforeChunk(spent);
            const int chunk = beforeChunk ? 1 + rng.rand() % 40
                              : rng.rand() % 4 == 0 ? 1 + rng.rand() % 50 : totalBudget - spent;
            spent += chunk;
            const int a = pf.runSearch(world.map, world.stepCosts, chunk);
            const int b = lit.run(world.map, world.stepCosts, chunk);
            if (a != b || in.currentNode != lit.currentNode || in.lastNode != lit.lastNode ||
                pf.foundFlag != lit.foundFlag || (t.queueMode == 0 && in.firstOpen != lit.firstOpen))
                return ::testing::AssertionFailure()
                       << "after " << spent << ": result " << a << "/" << b << " current " << in.currentNode << "/"
                       << lit.currentNode << " last " << in.lastNode << "/" << lit.lastNode << " found "
                       << int(pf.foundFlag) << "/" << int(lit.foundFlag) << " firstOpen " << in.firstOpen << "/"
                       << lit.firstOpen;
            if (a != 0) break;
        }
        for (size_t i = 0; i <= size_t(lit.lastNode); ++i)
            if (in.nodeX[i] != lit.nodeX[i] || in.nodeY[i] != lit.nodeY[i] || in.nodeParent[i] != lit.nodeParent[i] ||
                in.nodeState[i] != lit.nodeState[i] || in.nodeCost[i] != lit.nodeCost[i])
                return ::testing::AssertionFailure() << "node " << i << " differs";
        for (size_t i = 0; i < size_t(t.window * t.window); ++i) {
            if (in.windowMarks[i] != lit.marks[i])
                return ::testing::AssertionFailure() << "window mark " << i << " differs";
            // A blocking unit's cell is also marked in layer 1 of the grid.
            const int x = in.windowX + int(i) % t.window, y = in.windowY + int(i) / t.window;
            if (lit.marks[i] == MarkUnit && world.marks.cell(x, y, 1) != MarkUnit)
                return ::testing::AssertionFailure() << "no grid mark at " << x << "," << y;
        }
        return ::testing::AssertionSuccess();
    }

    // Units 0..10 around (x0, y0), each active or not, on a side or not,
    // blocking or not, on the layer or the next, standing or moving.
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
        const int w = 3 + rng.rand() % 38, mode = rng.rand() % 4, queue = rng.rand() % 3 == 0 ? 1 : 0;
        // Start and goal sometimes off the map or outside the window: both clamp.
        const int sx = rng.rand() % 270 - 7, sy = rng.rand() % 270 - 7;
        const Trial t{mode, sx, sy, std::clamp(sx + rng.rand() % (w + 8) - w / 2 - 4, -5, 260),
                      std::clamp(sy + rng.rand() % (w + 8) - w / 2 - 4, -5, 260), layer, w, queue};
        scatterUnits(units, rng, layer, std::clamp(t.sx - t.window / 2, 0, 250),
                     std::clamp(t.sy - t.window / 2, 0, 250), std::max(2, t.window));
        ASSERT_TRUE(same(world, units, t, rng, t.window * t.window)) << "trial " << trial;
    }
}

// Step-cost tables the open list's buckets cannot size (zero, negative or
// enormous steps), or swapped mid-search, still give the literal scan's
// order. With the dearest tables most open nodes soon cost more than the
// selection ceiling: they are never chosen, and the newest node is expanded
// instead.
TEST_F(OpenListOracle, AnyStepCostTableKeepsTheOrderOfTheScan) {
    World& world = test::sharedWorld();
    const StepCostTable saved = world.stepCosts;
    Units units;
    Rng rng;
    rng.srand(41);
    constexpr int layer = 52;
    auto table = [&](int kind) {
        StepCostTable t{};
        for (auto& c : t) {
            switch (kind) {
            case 0: c = float(rng.rand() % 3); break;             // zero-cost steps: equal costs
            case 1: c = float(rng.rand() % 7) - 1.2f; break;      // some steps lower the cost
            case 2: c = float(rng.rand() % 5) * 1e6f; break;      // one step passes the ceiling
            case 3: c = float(rng.rand() % 1000) / 64.0f; break; // fine fractions
            case 4: c = float(4000 + rng.rand() % 16000); break;  // every step dear
            default: c = float(rng.rand() % 3000); break;        // far dearer than fractions
            }
        }
        return t;
    };
    int aboveCeiling = 0;
    for (int trial = 0; trial < 200; ++trial) {
        test::randomGrid(world.map, rng, layer, rng.rand() % 30);
        const int w = 8 + rng.rand() % 33;
        const int sx = 60 + rng.rand() % 40, sy = 60 + rng.rand() % 40;
        const Trial t{1, sx, sy, sx + rng.rand() % w - w / 2, sy + rng.rand() % w - w / 2, layer, w, 0};
        world.stepCosts = table(trial % 5);
        bool swapped = trial % 5 != 3; // a third of the way, steps far dearer than the buckets were sized for
        ASSERT_TRUE(same(world, units, t, rng, w * w, [&](int spent) {
            if (!swapped && spent > w * w / 3) world.stepCosts = table(5), swapped = true;
        })) << "trial " << trial;
        PathFinderInspector in{finder};
        for (int n = 0; n <= in.lastNode; ++n)
            if (in.nodeCost[size_t(n)] > SelectionCeiling) { ++aboveCeiling; break; }
    }
    world.stepCosts = saved;
    EXPECT_GT(aboveCeiling, 50);
}

TEST_F(OpenListOracle, GeneratedLevelsAndOverworldMatchTheLiteralScan) {
    World& world = test::generatedWorld();
    Units units;
    Rng rng;
    rng.srand(7);
    std::vector<std::vector<std::pair<int, int>>> open(19);
    for (int z = 0; z <= 18; z += 2) open[size_t(z)] = test::passableCells(world.map, z);
    static constexpr int windows[] = {8, 16, 24, 32, 48, 64};
    for (int trial = 0; trial < 4000; ++trial) {
        const int z = trial % 4 == 0 ? 0 : 2 * (1 + rng.rand() % 9);
        const auto& cells = open[size_t(z)];
        ASSERT_FALSE(cells.empty());
        // Now and then the window is the whole layer: tens of thousands of nodes.
        const int window = trial % 600 == 1 || trial % 600 == 4 ? MapSide : windows[rng.rand() % 6];
        Trial t{1, 0, 0, 0, 0, z, window, rng.rand() % 4 == 0 ? 1 : 0};
        std::tie(t.sx, t.sy) = pick(cells, rng);
        if (rng.rand() % 3 == 0) { // often unreachable: any cell of the window
            t.gx = t.sx + rng.rand() % t.window - t.window / 2;
            t.gy = t.sy + rng.rand() % t.window - t.window / 2;
        } else {
            std::tie(t.gx, t.gy) = pick(cells, rng);
        }
        scatterUnits(units, rng, z, std::clamp(t.sx - 10, 0, 235), std::clamp(t.sy - 10, 0, 235), 20);
        ASSERT_TRUE(same(world, units, t, rng, t.window * t.window)) << "trial " << trial;
    }
}

} // namespace
} // namespace delve
