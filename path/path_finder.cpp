#include "path/path_finder.h"

#include <algorithm>
#include <array>
#include <bit>

namespace delve {

namespace {

// The eight neighbour orders; orders 1, 3, 5 and 7 are 0, 2, 4 and 6 backwards.
constexpr int ScanOrders[8][8][2] = {
    {{0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}},
    {{-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}},
    {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}},
    {{-1, -1}, {-1, 0}, {-1, 1}, {0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}},
    {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}},
    {{1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}, {0, 1}, {1, 1}, {1, 0}},
    {{-1, 0}, {-1, 1}, {0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}},
    {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}},
};

// What the search asks of a cell code, one load per question.
constexpr uint8_t PassableBit = 1, CornerBit = 2;
constexpr std::array<uint8_t, 256> CellClass = [] {
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[size_t(c)] = uint8_t((isPassable(uint8_t(c)) ? PassableBit : 0) | (permitsCorner(uint8_t(c)) ? CornerBit : 0));
    return t;
}();

// The node and mark tables start as zero pages, which must read as open
// nodes and free cells.
static_assert(NodeOpen == 0 && MarkFree == 0);

} // namespace

PathFinder::PathFinder()
    : pathGoalX(unitCapacity, 0), pathGoalY(unitCapacity, 0),
      pathX(size_t(unitCapacity) * PathCapacity), pathY(size_t(unitCapacity) * PathCapacity),
      pathLength(unitCapacity, 0), pathStep(unitCapacity, PathNone),
      nodeX(NodeCapacity), nodeY(NodeCapacity), nodeParent(NodeCapacity),
      nodeState(NodeCapacity), nodeCost(NodeCapacity), windowMarks(NodeCapacity), open_(NodeCapacity),
      queue_(NodeCapacity) {
    setScanOrder(0);
    ready = 0;
}

void PathFinder::setScanOrder(int order) {
    order = std::clamp(order, 0, 7);
    // Every search sets order 0 up: the tables already hold it.
    if (order == tablesOrder_) return;
    tablesOrder_ = order;
    for (int d = 0; d < 8; ++d) {
        dirX[d] = ScanOrders[order][d][0];
        dirY[d] = ScanOrders[order][d][1];
        dirCost[d] = (dirX[d] != 0 && dirY[d] != 0) ? 1.4142f : 1.0f;
    }
    scanOrder = order;
    // The search finds the open neighbours in the order of scan order 0 and
    // takes them in the order set here.
    for (int mask = 0; mask < 256; ++mask) {
        unsigned inOrder = 0;
        for (int d = 0; d < 8; ++d)
            for (int k = 0; k < 8; ++k)
                if ((mask >> k & 1) && ScanOrders[0][k][0] == dirX[d] && ScanOrders[0][k][1] == dirY[d])
                    inOrder |= 1u << d;
        fromOrderZero_[mask] = uint8_t(inOrder);
    }
}

void PathFinder::resetSearch() {
    // Node and queue entries past what earlier searches wrote are still in
    // their empty state, so only the written prefix is cleared.
    const size_t nodes = size_t(nodesWritten_);
    std::fill_n(nodeX.begin(), nodes, int16_t(0));
    std::fill_n(nodeY.begin(), nodes, int16_t(0));
    std::fill_n(nodeParent.begin(), nodes, 0u);
    std::fill_n(nodeCost.begin(), nodes, 0.0f);
    std::fill_n(nodeState.begin(), nodes, NodeOpen);
    nodesWritten_ = 0;
    std::fill_n(windowMarks.begin(), size_t(windowSize) * size_t(windowSize), MarkFree);
    queue_.reset();
    open_.reset();
    closedBelow_ = 0;
}

void PathFinder::markUnits(MarkGrid& marks, const Units& units) {
    const int w = windowSize;
    auto strictlyInside = [&](int x, int y) {
        return x - windowX > 0 && y - windowY > 0 && x - windowX < w - 1 && y - windowY < w - 1;
    };
    for (int i = 0; i <= 9 && i < unitCapacity; ++i) {
        const UnitRecord& u = units[i];
        if (u.active != 1 || u.side == NoSide || u.blocking != 1 || int(u.z) != layer) continue;
        if (strictlyInside(u.x, u.y)) {
            windowMarks[size_t(markIndex(u.x, u.y))] = MarkUnit;
            marks.setCell(u.x, u.y, 1, MarkUnit);
        }
        if (u.moveState == 1 && strictlyInside(u.nextX, u.nextY))
            windowMarks[size_t(markIndex(u.nextX, u.nextY))] = MarkUnitNext;
    }
}

int PathFinder::beginSearch(MarkGrid& marks, const Units& units, SearchMode mode, int sx, int sy,
                            int gx, int gy, int searchLayer, int w, int useQueue) {
    return setUpSearch(marks, units, mode, sx, sy, gx, gy, searchLayer, w, true, 0, 0, useQueue);
}

int PathFinder::beginSearchAt(MarkGrid& marks, const Units& units, SearchMode mode, int sx, int sy,
                              int gx, int gy, int searchLayer, int w, int originX, int originY,
                              int useQueue) {
    return setUpSearch(marks, units, mode, sx, sy, gx, gy, searchLayer, w, false, originX, originY,
                       useQueue);
}

int PathFinder::setUpSearch(MarkGrid& marks, const Units& units, SearchMode mode, int sx, int sy,
                            int gx, int gy, int searchLayer, int w, bool centred, int originX, int originY,
                            int useQueue) {
    // A layer or window outside what the arrays hold is brought inside them.
    layer = std::clamp(searchLayer, 0, LayerCount - 1);
    w = std::clamp(w, 3, MapSide);

    sx = std::clamp(sx, 0, MapSide - 1);
    sy = std::clamp(sy, 0, MapSide - 1);
    gx = std::clamp(gx, 0, MapSide - 1);
    gy = std::clamp(gy, 0, MapSide - 1);

    windowSize = w;
    if (centred) {
        windowX = sx - w / 2;
        windowY = sy - w / 2;
        if (windowX < 0) windowX = 0;
        if (windowY < 0) windowY = 0;
        if (windowX > MapSide - w) windowX = MapSide - w;
        if (windowY > MapSide - w) windowY = MapSide - w;
    } else {
        // A caller-placed window keeps one column and row clear of the
        // map's far edge; a whole-map window can only start at 0.
        const int last = std::max(0, MapSide - 1 - w);
        windowX = std::clamp(originX, 0, last);
        windowY = std::clamp(originY, 0, last);
    }

    auto inner = [w](int v, int origin) {
        if (v < origin + 1) v = origin + 1;
        if (v > origin + w - 2) v = origin + w - 2;
        return v;
    };
    startX = inner(sx, windowX);
    startY = inner(sy, windowY);
    goalX = inner(gx, windowX);
    goalY = inner(gy, windowY);

    resetSearch();

    for (int i = 0; i < w; ++i) {
        windowMarks[size_t(i)] = MarkQueued;                       // (i, 0)
        windowMarks[size_t((w - 1) * w + i)] = MarkQueued;         // (i, w - 1)
        windowMarks[size_t(i * w)] = MarkQueued;                   // (0, i)
        windowMarks[size_t(i * w + w - 1)] = MarkQueued;           // (w - 1, i)
    }

    if (mode == SearchMode::FreeStart || mode == SearchMode::FreeStartAndGoal ||
        mode == SearchMode::FreeUnitEnds)
        markUnits(marks, units);

    uint8_t& startMark = windowMarks[size_t(markIndex(startX, startY))];
    uint8_t& goalMark = windowMarks[size_t(markIndex(goalX, goalY))];
    if (mode == SearchMode::FreeStart) {
        startMark = MarkFree;
    } else if (mode == SearchMode::FreeStartAndGoal) {
        startMark = MarkFree;
        goalMark = MarkFree;
    } else if (mode == SearchMode::FreeUnitEnds) {
        if (startMark == MarkUnit) startMark = MarkFree;
        if (goalMark == MarkUnit) goalMark = MarkFree;
    }

    nodeX[0] = int16_t(startX);
    nodeY[0] = int16_t(startY);
    nodeParent[0] = 0;
    nodeState[0] = NodeOpen;
    nodeCost[0] = 1.0f;
    nodesWritten_ = 1;
    currentNode = 0;
    lastNode = 0;
    firstOpen = 0;
    bestCost = 0.0f;
    foundFlag = GoalNotReached;
    ready = 1;

    setScanOrder(0);
    queueMode = useQueue;
    return 0;
}

// The open list's buckets are sized by the dearest step: a diagonal onto
// the dearest passable code.
void PathFinder::chooseOpenScale(const StepCostTable& costs) {
    float dearest = 0.0f;
    for (int code = 0; code < 256; ++code)
        if (CellClass[size_t(code)] & PassableBit) dearest = std::max(dearest, costs[size_t(code)]);
    open_.chooseScale(dearest);
}

void PathFinder::selectCheapestOpen() {
    bestCost = SelectionCeiling;
    bestNode = lastNode;
    const int n = open_.takeCheapest(openNodes(), takenCell_);
    if (n != -1 && bestCost >= nodeCost[size_t(n)]) {
        bestNode = n;
        bestCost = nodeCost[size_t(n)];
    } else {
        takenCell_ = -1;
    }
}

int PathFinder::advanceOpenCursor() {
    cursorFound = 0;
    for (scanCursor = std::max(firstOpen, closedBelow_); scanCursor <= lastNode; ++scanCursor) {
        if (nodeState[size_t(scanCursor)] == NodeOpen) {
            cursorFound = 1;
            firstOpen = scanCursor;
            break;
        }
    }
    closedBelow_ = scanCursor;
    return bestNode > lastNode ? lastNode + 1 : bestNode;
}

int PathFinder::runSearch(const WorldMap& world, const StepCostTable& costs, int budget) {
    if (ready == 0) return SearchNotReady;
    const int limit = windowSize * windowSize - 9;
    if (startX == goalX && startY == goalY) {
        foundFlag = GoalIsStart;
        return SearchTrivial;
    }
    if (int64_t(lastNode) + budget >= limit) budget = limit - lastNode;

    const uint8_t* cells = world.data() + size_t(layer) * LayerSize;

    // The search's fixed values kept local so the loop holds them in registers.
    const int w = windowSize, wx = windowX, wy = windowY;
    uint8_t* const marks = windowMarks.data();
    // The tables the loop writes, and the step directions, held locally:
    // byte stores may alias anything, so members would be read again after
    // every one of them.
    int16_t* const nx = nodeX.data();
    int16_t* const ny = nodeY.data();
    uint32_t* const parent = nodeParent.data();
    uint8_t* const state = nodeState.data();
    float* const cost = nodeCost.data();
    const float* const stepCost = costs.data();
    const bool linear = queueMode == 0;
    if (linear && !open_.scaleChosen()) chooseOpenScale(costs);
    const OpenNodes nodes{cost, nx, ny};
    int stepX[8], stepY[8];
    float stepLength[8];
    for (int d = 0; d < 8; ++d) {
        stepX[d] = dirX[d];
        stepY[d] = dirY[d];
        stepLength[d] = dirCost[d];
    }

    // Offsets of each direction in the layer and in the window marks.
    int cellStep[8], markStep[8];
    for (int d = 0; d < 8; ++d) {
        cellStep[d] = dirY[d] * MapSide + dirX[d];
        markStep[d] = dirY[d] * w + dirX[d];
    }
    const uint8_t* const inScanOrder = fromOrderZero_;

    // The cell of the node to expand when the open list handed it over
    // (read from the node tables otherwise).
    int knownCell = -1;
    const int goalCell = goalY * MapSide + goalX;
    for (int iteration = 0; iteration < budget; ++iteration) {
        const int current = currentNode;
        const int cell = knownCell >= 0 ? knownCell : ny[current] * MapSide + nx[current];
        const int cx = cell % MapSide;
        const int cy = cell / MapSide;
        const int mark = (cy - wy) * w + (cx - wx);
        // The eight neighbours read once each, in the order of scan order 0
        // (north, north-east, east, ... north-west; north is row + 1): a
        // step is open when its cell is passable and its mark free, and a
        // diagonal one (in the linear mode) also needs both cells beside it
        // to permit corners. Each step reads only its own target's mark, so
        // adding one node cannot change the answer for another step.
        const uint8_t* const below = cells + cell - MapSide;
        const uint8_t* const level = cells + cell;
        const uint8_t* const above = cells + cell + MapSide;
        const unsigned kN = CellClass[above[0]], kNE = CellClass[above[1]], kE = CellClass[level[1]],
                       kSE = CellClass[below[1]], kS = CellClass[below[0]], kSW = CellClass[below[-1]],
                       kW = CellClass[level[-1]], kNW = CellClass[above[-1]];
        const uint8_t* const mBelow = marks + mark - w;
        const uint8_t* const mLevel = marks + mark;
        const uint8_t* const mAbove = marks + mark + w;
        unsigned open = (kN & unsigned(mAbove[0] == MarkFree)) | (kNE & unsigned(mAbove[1] == MarkFree)) << 1 |
                        (kE & unsigned(mLevel[1] == MarkFree)) << 2 | (kSE & unsigned(mBelow[1] == MarkFree)) << 3 |
                        (kS & unsigned(mBelow[0] == MarkFree)) << 4 | (kSW & unsigned(mBelow[-1] == MarkFree)) << 5 |
                        (kW & unsigned(mLevel[-1] == MarkFree)) << 6 | (kNW & unsigned(mAbove[-1] == MarkFree)) << 7;
        if (linear) {
            static_assert(CornerBit == 2);
            open &= 0x55u | (kE & kN & CornerBit) | (kE & kS & CornerBit) << 2 | (kW & kS & CornerBit) << 4 |
                    (kW & kN & CornerBit) << 6;
        }
        open = inScanOrder[open];
        // Each open step becomes a new node: its cell, its parent, and the
        // parent's cost plus the step's length plus the cost of entering
        // the cell, added in that order in single precision.
        const float here = cost[current];
        const int before = lastNode;
        int n = before;
        for (; open != 0; open &= open - 1) {
            const int d = std::countr_zero(open);
            ++n;
            const int x = cx + stepX[d], y = cy + stepY[d];
            nx[n] = int16_t(x);
            ny[n] = int16_t(y);
            parent[n] = uint32_t(current);
            state[n] = NodeOpen;
            float c = 1.0f * stepLength[d];
            c = c + here;
            c = c + stepCost[cells[cell + cellStep[d]]];
            cost[n] = c;
            marks[mark + markStep[d]] = MarkQueued;
            if (linear)
                open_.push(n, c, y * MapSide + x, nodes);
            else
                queue_.insert(n, c);
        }
        lastNode = n;
        nodesWritten_ = std::max(nodesWritten_, n + 1);
        state[current] = NodeClosed;
        marks[mark] = MarkClosed;

        const bool addedNone = n == before;
        if (queueMode != 0) {
            const int n = queue_.popCheapest();
            if (n != -1) currentNode = n;
        } else {
            takenCell_ = -1;
            selectCheapestOpen();
            currentNode = advanceOpenCursor();
            knownCell = currentNode == bestNode ? takenCell_ : -1;
        }
        const int nextCell = knownCell >= 0 ? knownCell : ny[currentNode] * MapSide + nx[currentNode];
        if (nextCell == goalCell) {
            foundFlag = GoalReached;
            return SearchFound;
        }
        // Nothing was added and the selection handed back the node just
        // closed: every further iteration would expand it again, add
        // nothing and choose it again, so the rest of the budget changes no
        // state and is not walked.
        if (addedNone && currentNode == current) return SearchBudgetSpent;
    }
    return SearchBudgetSpent;
}

int PathFinder::storeUnitPath(int u) {
    if (u < 0 || u >= unitCapacity) return 0;
    // Count the whole chain first (parents always have lower indices, so it
    // ends), then keep only the cells nearest the unit: a path longer than
    // the share never spills into the next unit's share and still starts
    // next to the unit.
    int links = 0;
    for (int n = currentNode; nodeParent[size_t(n)] != 0 && int(nodeParent[size_t(n)]) < n; ++links)
        n = int(nodeParent[size_t(n)]);
    int n = currentNode;
    for (int skip = links + 1 - PathCapacity; skip > 0; --skip) n = int(nodeParent[size_t(n)]);

    const size_t base = size_t(u) * PathCapacity;
    int length = 0;
    for (;;) {
        pathX[base + size_t(length)] = nodeX[size_t(n)];
        pathY[base + size_t(length)] = nodeY[size_t(n)];
        ++length;
        if (length == PathCapacity || length > links) break;
        n = int(nodeParent[size_t(n)]);
    }
    pathLength[size_t(u)] = length;
    pathStep[size_t(u)] = length - 1;
    if (links + 1 > PathCapacity) {
        // The walk ends at the far end of what was kept; a new order goes on from there.
        pathGoalX[size_t(u)] = pathX[base];
        pathGoalY[size_t(u)] = pathY[base];
    }
    return std::min(links, ParentWalkGuard);
}

} // namespace delve
