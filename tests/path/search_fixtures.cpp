#include "search_fixtures.h"

#include <cstring>
#include <deque>
#include <map>

namespace delve::test {

World& sharedWorld() {
    static World* w = [] {
        auto* world = new World;
        fillStepCostTable(world->stepCosts);
        return world;
    }();
    return *w;
}

World& generatedWorld() {
    static World* w = [] {
        auto* world = new World;
        fillStepCostTable(world->stepCosts);
        Rng rng;
        rng.srand(1234);
        overworldLike(world->map, rng, 0);
        allocateGeneratorTables(*world);
        generateDungeon(*world, rng, 128, 128, FirstWorkLayer, WorkLayerCount, 255, 2400);
        stackDungeonLevels(world->map);
        freeGeneratorTables(*world);
        return world;
    }();
    return *w;
}

void fillLayer(WorldMap& map, int z, uint8_t code) {
    std::memset(map.data() + cellIndex(0, 0, z), code, LayerSize);
}

void randomGrid(WorldMap& map, Rng& rng, int z, int blockedPercent) {
    static constexpr uint8_t open[] = {Cell::Floor, Cell::Floor, Cell::Floor, Cell::Plain, Cell::Forest,
                                       Cell::Hills, Cell::Road,  Cell::Water, Cell::Door,  Cell::Trap,
                                       Cell::Swamp, 200,         Cell::Village};
    static constexpr uint8_t blocked[] = {Cell::Rock, Cell::Empty, Cell::Mountain, Cell::MountainHigh,
                                          Cell::Impassable5};
    for (int y = 0; y < MapSide; ++y)
        for (int x = 0; x < MapSide; ++x) {
            uint8_t c = rng.rand() % 100 < blockedPercent ? blocked[rng.rand() % 5]
                                                          : open[rng.rand() % 13];
            map.setCell(x, y, z, c);
        }
}

void overworldLike(WorldMap& map, Rng& rng, int z) {
    static constexpr uint8_t land[] = {Cell::Plain,  Cell::Forest, Cell::ForestFruit, Cell::ForestGray,
                                       Cell::Water,  Cell::WaterDeep, Cell::Swamp,    Cell::Desert,
                                       Cell::Hills,  Cell::Mountain,  Cell::MountainHigh, Cell::ForestLeaf,
                                       Cell::ForestB, Cell::ForestC};
    // Patches of 8 x 8 cells with a ragged mix inside, then roads and villages.
    for (int py = 0; py < MapSide; py += 8)
        for (int px = 0; px < MapSide; px += 8) {
            uint8_t main = land[rng.rand() % 14];
            uint8_t other = land[rng.rand() % 14];
            for (int y = py; y < py + 8; ++y)
                for (int x = px; x < px + 8; ++x)
                    map.setCell(x, y, z, rng.rand() % 4 == 0 ? other : main);
        }
    for (int r = 0; r < 12; ++r) {
        int x = rng.rand() % MapSide, y = rng.rand() % MapSide;
        for (int s = 0; s < 120; ++s) {
            map.setCell(x, y, z, Cell::Road);
            if (rng.rand() % 2) x = std::clamp(x + (rng.rand() % 3) - 1, 0, MapSide - 1);
            else y = std::clamp(y + (rng.rand() % 3) - 1, 0, MapSide - 1);
        }
        map.setCell(x, y, z, uint8_t(Cell::Village + rng.rand() % 5));
    }
}

std::vector<std::pair<int, int>> passableCells(const WorldMap& map, int z) {
    std::vector<std::pair<int, int>> cells;
    for (int y = 1; y < MapSide - 1; ++y)
        for (int x = 1; x < MapSide - 1; ++x)
            if (isPassable(map.cell(x, y, z))) cells.emplace_back(x, y);
    return cells;
}

LiteralSearch::LiteralSearch()
    : nodeX(LayerSize), nodeY(LayerSize), nodeParent(LayerSize), nodeState(LayerSize),
      nodeCost(LayerSize), marks(LayerSize) {}

void LiteralSearch::begin(const Units& units, int mode, int sx, int sy, int gx, int gy,
                          int searchLayer, int w, int useQueue) {
    layer = searchLayer;
    auto clampMap = [](int v) { return v < 0 ? 0 : (v > MapSide - 1 ? MapSide - 1 : v); };
    sx = clampMap(sx); sy = clampMap(sy); gx = clampMap(gx); gy = clampMap(gy);
    windowX = sx - w / 2;
    windowY = sy - w / 2;
    windowSize = w;
    if (windowX < 0) windowX = 0;
    if (windowY < 0) windowY = 0;
    if (windowX > MapSide - w) windowX = MapSide - w;
    if (windowY > MapSide - w) windowY = MapSide - w;
    auto inner = [&](int v, int o) {
        if (v < o + 1) v = o + 1;
        if (v > o + w - 2) v = o + w - 2;
        return v;
    };
    startX = inner(sx, windowX); startY = inner(sy, windowY);
    goalX = inner(gx, windowX); goalY = inner(gy, windowY);
    for (int i = 0; i < w * w; ++i) {
        nodeX[size_t(i)] = nodeY[size_t(i)] = 0;
        nodeParent[size_t(i)] = 0;
        nodeCost[size_t(i)] = 0;
        nodeState[size_t(i)] = NodeOpen;
        marks[size_t(i)] = MarkFree;
    }
    fifo_.clear();
    for (int i = 0; i < w; ++i) {
        marks[size_t(i)] = marks[size_t((w - 1) * w + i)] = MarkQueued;
        marks[size_t(i * w)] = marks[size_t(i * w + w - 1)] = MarkQueued;
    }
    if (mode >= 0 && mode <= 2) {
        auto inside = [&](int x, int y) {
            return x - windowX > 0 && y - windowY > 0 && x - windowX < w - 1 && y - windowY < w - 1;
        };
        for (int i = 0; i <= 9; ++i) {
            const UnitRecord& u = units[i];
            if (u.active != 1 || u.side == 0 || u.blocking != 1 || u.z != layer) continue;
            if (inside(u.x, u.y)) marks[size_t(markAt(u.x, u.y))] = MarkUnit;
            if (u.moveState == 1 && inside(u.nextX, u.nextY))
                marks[size_t(markAt(u.nextX, u.nextY))] = MarkUnitNext;
        }
    }
    uint8_t& sm = marks[size_t(markAt(startX, startY))];
    uint8_t& gm = marks[size_t(markAt(goalX, goalY))];
    if (mode == 0) sm = MarkFree;
    if (mode == 1) { sm = MarkFree; gm = MarkFree; }
    if (mode == 2) {
        if (sm == MarkUnit) sm = MarkFree;
        if (gm == MarkUnit) gm = MarkFree;
    }
    nodeX[0] = int16_t(startX);
    nodeY[0] = int16_t(startY);
    nodeParent[0] = 0;
    nodeState[0] = NodeOpen;
    nodeCost[0] = 1.0f;
    currentNode = lastNode = firstOpen = 0;
    bestCost = 0.0f;
    foundFlag = 0;
    ready = 1;
    queueMode = useQueue;
}

int LiteralSearch::run(const WorldMap& world, const StepCostTable& costs, int budget) {
    static constexpr int order0[8][2] = {{0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}};
    if (ready == 0) return 5;
    int limit = windowSize * windowSize - 9;
    if (startX == goalX && startY == goalY) {
        foundFlag = 3;
        return 4;
    }
    if (lastNode + budget >= limit) budget = limit - lastNode;
    for (int it = 0; it < budget; ++it) {
        int cx = nodeX[size_t(currentNode)], cy = nodeY[size_t(currentNode)];
        for (const auto& dir : order0) {
            int dx = dir[0], dy = dir[1];
            bool diagonal = dx != 0 && dy != 0;
            if (diagonal && queueMode == 0 &&
                (!permitsCorner(world.cell(cx + dx, cy, layer)) || !permitsCorner(world.cell(cx, cy + dy, layer))))
                continue;
            int nx = cx + dx, ny = cy + dy;
            if (marks[size_t(markAt(nx, ny))] != MarkFree || !isPassable(world.cell(nx, ny, layer))) continue;
            int n = ++lastNode;
            nodeX[size_t(n)] = int16_t(nx);
            nodeY[size_t(n)] = int16_t(ny);
            nodeParent[size_t(n)] = uint32_t(currentNode);
            nodeState[size_t(n)] = NodeOpen;
            float c = 1.0f * (diagonal ? 1.4142f : 1.0f);
            c = c + nodeCost[size_t(currentNode)];
            c = c + costs[world.cell(nx, ny, layer)];
            nodeCost[size_t(n)] = c;
            marks[size_t(markAt(nx, ny))] = MarkQueued;
            if (queueMode != 0) {
                auto it2 = std::find_if(fifo_.begin(), fifo_.end(), [&](auto& b) { return b.first == c; });
                if (it2 != fifo_.end()) {
                    it2->second.push_back(n);
                } else if (fifo_.size() < size_t(BucketCount)) {
                    auto pos = std::find_if(fifo_.begin(), fifo_.end(), [&](auto& b) { return b.first > c; });
                    fifo_.insert(pos, {c, std::vector<int>{n}});
                }
            }
        }
        nodeState[size_t(currentNode)] = NodeClosed;
        marks[size_t(markAt(cx, cy))] = MarkClosed;
        if (queueMode != 0) {
            if (!fifo_.empty()) {
                currentNode = fifo_.front().second.front();
                fifo_.front().second.erase(fifo_.front().second.begin());
                if (fifo_.front().second.empty()) fifo_.erase(fifo_.begin());
            }
        } else {
            bestCost = 131072.0f;
            bestNode = lastNode;
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

std::vector<std::pair<int, int>> LiteralSearch::path() const {
    std::vector<std::pair<int, int>> p;
    int n = currentNode;
    p.emplace_back(nodeX[size_t(n)], nodeY[size_t(n)]);
    while (nodeParent[size_t(n)] != 0) {
        n = int(nodeParent[size_t(n)]);
        p.emplace_back(nodeX[size_t(n)], nodeY[size_t(n)]);
    }
    return p;
}

} // namespace delve::test
