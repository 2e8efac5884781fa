#include "path/path_finder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

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

constexpr QueueEntry EmptyEntry{0, -1, -1, -1, -1};
constexpr QueueBucket EmptyBucket{0, -1, -1, -1.0f, -1, -1};

} // namespace

FreeSlots::FreeSlots(int count)
    : words_(size_t((count + 63) / 64), 0), summary_(size_t((count + 4095) / 4096), 0) {
    for (int i = 0; i < count; ++i) setFree(i);
}

void FreeSlots::setFree(int i) {
    words_[size_t(i >> 6)] |= uint64_t(1) << (i & 63);
    summary_[size_t(i >> 12)] |= uint64_t(1) << ((i >> 6) & 63);
}

void FreeSlots::setUsed(int i) {
    uint64_t& w = words_[size_t(i >> 6)];
    w &= ~(uint64_t(1) << (i & 63));
    if (w == 0) summary_[size_t(i >> 12)] &= ~(uint64_t(1) << ((i >> 6) & 63));
}

int FreeSlots::lowestFree() const {
    for (size_t s = 0; s < summary_.size(); ++s) {
        if (summary_[s] == 0) continue;
        size_t word = s * 64 + size_t(std::countr_zero(summary_[s]));
        return int(word * 64 + size_t(std::countr_zero(words_[word])));
    }
    return -1;
}

PathFinder::PathFinder()
    : pathGoalX(unitCapacity, 0), pathGoalY(unitCapacity, 0),
      pathX(size_t(unitCapacity) * PathCapacity), pathY(size_t(unitCapacity) * PathCapacity),
      pathLength(unitCapacity, 0), pathStep(unitCapacity, PathNone),
      nodeX(NodeCapacity), nodeY(NodeCapacity), nodeParent(NodeCapacity),
      nodeState(NodeCapacity), nodeCost(NodeCapacity), windowMarks(NodeCapacity), buckets(BucketCount, EmptyBucket),
      queueEntries(NodeCapacity, EmptyEntry), heap_(NodeCapacity),
      radixLinks_(NodeCapacity),
      freeEntries_(NodeCapacity), freeBuckets_(BucketCount) {
    setScanOrder(0);
    ready = 0;
}

void PathFinder::setScanOrder(int order) {
    order = std::clamp(order, 0, 7);
    for (int d = 0; d < 8; ++d) {
        dirX[d] = ScanOrders[order][d][0];
        dirY[d] = ScanOrders[order][d][1];
        dirCost[d] = (dirX[d] != 0 && dirY[d] != 0) ? 1.4142f : 1.0f;
    }
    scanOrder = order;
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
    for (int i = 0; i < entriesWritten_; ++i) {
        queueEntries[size_t(i)] = EmptyEntry;
        freeEntries_.setFree(i);
    }
    entriesWritten_ = 0;
    for (int b = 0; b < BucketCount; ++b) {
        buckets[size_t(b)] = EmptyBucket;
        freeBuckets_.setFree(b);
    }
    headBucket = 0;
    openReset();
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

namespace {
// Cost as an unsigned key whose order follows float order (-0.0 ties with 0.0).
inline uint32_t costKey(float cost) {
    if (cost == 0.0f) cost = 0.0f;
    uint32_t bits;
    std::memcpy(&bits, &cost, sizeof bits); // std::bit_cast, which not every libc++ has
    return (bits & 0x80000000u) ? ~bits : (bits | 0x80000000u);
}
// Heap key: smaller = chosen first; the cost above the node index reversed,
// so among equal costs the newest node comes first. Every key is distinct.
inline uint64_t openKey(uint32_t cost, int node) {
    return (uint64_t(cost) << 32) | uint64_t(0xFFFFFFFFu - uint32_t(node));
}
inline int keyNode(uint64_t key) { return int(0xFFFFFFFFu - uint32_t(key)); }
inline int radixBucket(uint32_t differingBits) { return 32 - std::countl_zero(differingBits); }
} // namespace

void PathFinder::openReset() {
    std::fill(std::begin(radixHead_), std::end(radixHead_), -1);
    radixUsed_ = 0;
    radixLast_ = 0;
    heapSize_ = 0;
}

// Nodes above the selection ceiling (and NaN costs) can never be chosen, so
// they are not kept. Costs up to the last minimum taken from the radix
// buckets wait in a binary heap ordered by (cost, newest first); dearer ones
// wait in radix buckets by the highest bit in which their cost differs from
// that minimum, and move to the heap when the minimum reaches them.
void PathFinder::openPush(int node, float cost) {
    if (!(cost <= SelectionCeiling)) return;
    const uint32_t key = costKey(cost);
    if (key <= radixLast_) {
        heapPush(openKey(key, node));
        return;
    }
    const int b = radixBucket(key ^ radixLast_);
    radixLinks_[size_t(node)] = RadixLink{key, radixHead_[b]};
    radixHead_[b] = node;
    radixUsed_ |= 1u << (b - 1);
}

// The cheapest open node (newest among equals) still held, or -1.
int PathFinder::openCheapest() {
    for (;;) {
        while (heapSize_ > 0 && nodeState[size_t(keyNode(heap_[0]))] == NodeClosed) heapPopTop();
        if (heapSize_ > 0) return keyNode(heap_[0]);
        if (radixUsed_ == 0) return -1;
        const int b = 1 + std::countr_zero(radixUsed_);
        radixUsed_ &= radixUsed_ - 1;
        uint32_t least = ~0u;
        for (int n = radixHead_[b]; n != -1; n = radixLinks_[size_t(n)].next)
            least = std::min(least, radixLinks_[size_t(n)].key);
        radixLast_ = least;
        int n = radixHead_[b];
        radixHead_[b] = -1;
        while (n != -1) {
            RadixLink& link = radixLinks_[size_t(n)];
            const int next = link.next;
            const uint32_t key = link.key;
            if (key == least) {
                if (nodeState[size_t(n)] != NodeClosed) heapPush(openKey(key, n));
            } else {
                const int to = radixBucket(key ^ least);
                link.next = radixHead_[to];
                radixHead_[to] = n;
                radixUsed_ |= 1u << (to - 1);
            }
            n = next;
        }
    }
}

void PathFinder::heapPush(uint64_t key) {
    int i = heapSize_++;
    while (i > 0) {
        const int parent = (i - 1) / 2;
        if (heap_[size_t(parent)] <= key) break;
        heap_[size_t(i)] = heap_[size_t(parent)];
        i = parent;
    }
    heap_[size_t(i)] = key;
}

void PathFinder::heapPopTop() {
    const uint64_t moved = heap_[size_t(--heapSize_)];
    int i = 0;
    for (;;) {
        int child = 2 * i + 1;
        if (child >= heapSize_) break;
        if (child + 1 < heapSize_ && heap_[size_t(child + 1)] < heap_[size_t(child)]) ++child;
        if (moved <= heap_[size_t(child)]) break;
        heap_[size_t(i)] = heap_[size_t(child)];
        i = child;
    }
    heap_[size_t(i)] = moved;
}

void PathFinder::selectCheapestOpen() {
    bestCost = SelectionCeiling;
    bestNode = lastNode;
    const int n = openCheapest();
    if (n != -1 && bestCost >= nodeCost[size_t(n)]) {
        bestNode = n;
        bestCost = nodeCost[size_t(n)];
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

    // Offsets of each direction in the layer and in the window marks, and
    // the search's fixed values kept local so the loop holds them in registers.
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
    int stepX[8], stepY[8];
    float stepLength[8];
    for (int d = 0; d < 8; ++d) {
        stepX[d] = dirX[d];
        stepY[d] = dirY[d];
        stepLength[d] = dirCost[d];
    }

    // A diagonal step (in the linear mode) needs both cells beside it to
    // permit corners; for the other steps the two checked cells are the
    // current one and the target, and nothing is required of them.
    int cellStep[8], markStep[8], besideX[8], besideY[8];
    unsigned cornerNeed[8];
    for (int d = 0; d < 8; ++d) {
        cellStep[d] = dirY[d] * MapSide + dirX[d];
        markStep[d] = dirY[d] * w + dirX[d];
        besideX[d] = dirX[d];
        besideY[d] = dirY[d] * MapSide;
        cornerNeed[d] = dirX[d] != 0 && dirY[d] != 0 && queueMode == 0 ? CornerBit : 0;
    }

    for (int iteration = 0; iteration < budget; ++iteration) {
        const int current = currentNode;
        const int cx = nx[current];
        const int cy = ny[current];
        const int cell = cy * MapSide + cx;
        const int mark = (cy - wy) * w + (cx - wx);
        // Which of the eight steps are open, worked out without branches
        // first (each step reads its own target cell and mark, so adding a
        // node cannot change the answer for another step), then taken in
        // direction order.
        unsigned open = 0;
        for (int d = 0; d < 8; ++d) {
            const unsigned beside = CellClass[cells[cell + besideX[d]]] & CellClass[cells[cell + besideY[d]]];
            const unsigned cornersOk = (beside & cornerNeed[d]) == cornerNeed[d];
            const unsigned free = marks[mark + markStep[d]] == MarkFree;
            const unsigned passable = CellClass[cells[cell + cellStep[d]]] & PassableBit;
            open |= (cornersOk & free & passable) << d;
        }
        // Each open step becomes a new node: its cell, its parent, and the
        // parent's cost plus the step's length plus the cost of entering
        // the cell, added in that order in single precision.
        const float here = cost[current];
        int n = lastNode;
        for (; open != 0; open &= open - 1) {
            const int d = std::countr_zero(open);
            ++n;
            nx[n] = int16_t(cx + stepX[d]);
            ny[n] = int16_t(cy + stepY[d]);
            parent[n] = uint32_t(current);
            state[n] = NodeOpen;
            float c = 1.0f * stepLength[d];
            c = c + here;
            c = c + stepCost[cells[cell + cellStep[d]]];
            cost[n] = c;
            marks[mark + markStep[d]] = MarkQueued;
            if (linear)
                openPush(n, c);
            else
                queueInsert(n);
        }
        lastNode = n;
        nodesWritten_ = std::max(nodesWritten_, n + 1);
        state[current] = NodeClosed;
        marks[mark] = MarkClosed;

        if (queueMode != 0) {
            const int n = queuePopCheapest();
            if (n != -1) currentNode = n;
        } else {
            selectCheapestOpen();
            currentNode = advanceOpenCursor();
        }
        if (nodeX[size_t(currentNode)] == goalX && nodeY[size_t(currentNode)] == goalY) {
            foundFlag = GoalReached;
            return SearchFound;
        }
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

// ---- bucket queue ----

int PathFinder::findFreeEntry() const { return freeEntries_.lowestFree(); }

int PathFinder::findFreeBucket() const { return freeBuckets_.lowestFree(); }

void PathFinder::freeEntry(int e) {
    queueEntries[size_t(e)] = EmptyEntry;
    freeEntries_.setFree(e);
}

void PathFinder::freeBucket(int b) {
    buckets[size_t(b)] = EmptyBucket;
    freeBuckets_.setFree(b);
}

void PathFinder::queueInsert(int node) {
    const float k = nodeCost[size_t(node)];
    for (;;) {
        int found = -1;
        for (int b = headBucket; b != -1; b = buckets[size_t(b)].next) {
            if (buckets[size_t(b)].inUse == 1 && buckets[size_t(b)].key == k) {
                found = b;
                break;
            }
            if (buckets[size_t(b)].next == -1) break;
        }
        if (found != -1) {
            QueueBucket& B = buckets[size_t(found)];
            const int e = findFreeEntry();
            if (e == -1) return;
            if (B.last == -1) {
                if (B.first == -1) B.first = e;
                queueEntries[size_t(e)] = QueueEntry{1, found, -1, -1, node};
            } else {
                int t = B.last;
                while (queueEntries[size_t(t)].next != -1) t = queueEntries[size_t(t)].next;
                queueEntries[size_t(t)].next = e;
                queueEntries[size_t(e)] = QueueEntry{1, found, t, -1, node};
            }
            freeEntries_.setUsed(e);
            entriesWritten_ = std::max(entriesWritten_, e + 1);
            B.last = e;
            return;
        }
        if (buckets[size_t(headBucket)].inUse == 0) {
            buckets[size_t(headBucket)] = QueueBucket{1, -1, -1, k, -1, -1};
            freeBuckets_.setUsed(headBucket);
            continue;
        }
        const int N = findFreeBucket();
        if (N == -1) return;
        int C = headBucket;
        for (;;) {
            QueueBucket& c = buckets[size_t(C)];
            const bool isHead = C == headBucket;
            if (c.key >= k && !isHead) {
                const int p = c.prev;
                buckets[size_t(p)].next = N;
                c.prev = N;
                buckets[size_t(N)] = QueueBucket{1, p, C, k, -1, -1};
                break;
            }
            if (k > c.key && c.next == -1) { // after the tail, head or not
                c.next = N;
                buckets[size_t(N)] = QueueBucket{1, C, -1, k, -1, -1};
                break;
            }
            if (c.key >= k && isHead) {
                c.prev = N;
                buckets[size_t(N)] = QueueBucket{1, -1, C, k, -1, -1};
                headBucket = N;
                break;
            }
            C = c.next;
            if (C == -1) return; // a key that compares with nothing (NaN) is not queued
        }
        freeBuckets_.setUsed(N);
    }
}

int PathFinder::queuePopCheapest() {
    if (headBucket == -1) return -1;
    QueueBucket& head = buckets[size_t(headBucket)];
    if (head.first == -1 || queueEntries[size_t(head.first)].node == -1) return -1;
    const int e = head.first;
    const int n = queueEntries[size_t(e)].node;
    const int f = queueEntries[size_t(e)].next;
    if (f != -1) {
        head.first = f;
        queueEntries[size_t(f)].prev = -1;
        freeEntry(e);
        return n;
    }
    freeEntry(e);
    const int following = head.next;
    if (following == -1) {
        freeBucket(headBucket);
        return n;
    }
    const int old = headBucket;
    headBucket = following;
    buckets[size_t(following)].prev = -1;
    freeBucket(old);
    return n;
}

} // namespace delve
