#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/zeroed_array.h"
#include "world/world_map.h"

namespace delve {

// What the open list reads of the path finder's node tables: each node's
// cost and cell.
struct OpenNodes {
    const float* cost;
    const int16_t* x;
    const int16_t* y;
    int cellOf(int node) const { return y[size_t(node)] * MapSide + x[size_t(node)]; }
};

// Nodes costing more than this are never chosen.
constexpr float SelectionCeiling = 2.0f * MapSide * MapSide; // 131072.0

// The open list of the path finder's linear mode: gives the node the
// cheapest-first scan over all nodes would pick (cheapest, newest among
// equals). Nodes wait in buckets by their cost scaled and truncated (a
// circle of buckets that always spans the dearest step), and the nodes of
// the cheapest bucket in a binary heap ordered by (cost, newest first).
// The hot operations are defined here so the search can inline them.
class OpenList {
public:
    explicit OpenList(int nodeCount);

    // Empties the list and forgets the scale.
    void reset();
    bool scaleChosen() const { return scaleChosen_; }
    // Sizes the buckets for a search whose dearest step enters a cell of
    // cost `dearestCell`.
    void chooseScale(float dearestCell);
    void push(int node, float cost, int cell, const OpenNodes& nodes);
    // Takes the cheapest open node (newest among equals) out of the list and
    // returns it with its cell, or -1 when none is held.
    int takeCheapest(const OpenNodes& nodes, int& cell);

private:
    static constexpr int CostBuckets = 4096;

    void spillToHeap(const OpenNodes& nodes);
    void heapPush(uint64_t key);
    void heapPopTop();

    // Cost as an unsigned key whose order follows float order (-0.0 ties with 0.0).
    static uint32_t costKey(float cost) {
        if (cost == 0.0f) cost = 0.0f;
        uint32_t bits;
        std::memcpy(&bits, &cost, sizeof bits); // std::bit_cast, which not every libc++ has
        return (bits & 0x80000000u) ? ~bits : (bits | 0x80000000u);
    }
    // Heap key: smaller = chosen first; the cost above the node index
    // reversed, so among equal costs the newest node comes first. Every key
    // is distinct. The node's cell (row * MapSide + column) rides in the low
    // bits, so the search knows where the node taken stands without reading
    // the node tables.
    static_assert(MapSide * MapSide <= 0x10000, "a node index and a cell each fit 16 bits");
    static uint64_t openKey(uint32_t cost, int node, int cell) {
        return (uint64_t(cost) << 32) | (uint64_t(0xFFFFu - uint32_t(node)) << 16) | uint64_t(uint32_t(cell));
    }
    static int keyNode(uint64_t key) { return int(0xFFFFu - uint32_t(key >> 16 & 0xFFFF)); }
    static int keyCell(uint64_t key) { return int(key & 0xFFFF); }

    ZeroedArray<uint64_t> heap_;
    int heapSize_ = 0;
    ZeroedArray<int32_t> bucketNext_; // next node of the same bucket, by node
    int32_t bucketHead_[CostBuckets] = {};
    uint64_t bucketUsed_[CostBuckets / 64] = {}; // bit set: the bucket holds nodes
    int bucketsHeld_ = 0;
    int32_t heapBucket_ = 0;   // scaled cost of the nodes the heap was filled with
    float bucketScale_ = 1.0f; // a power of two; 0 = every node goes to the heap
    bool scaleChosen_ = false;
};

// Nodes above the selection ceiling (and NaN costs) can never be chosen, so
// they are not kept. A node whose scaled cost is no more than that of the
// nodes in the heap joins the heap; a dearer one waits in its bucket. The
// scaled cost truncates toward zero, which keeps its order with the cost
// also below zero (a step-cost table may lower costs).
inline void OpenList::push(int node, float cost, int cell, const OpenNodes& nodes) {
    if (!(cost <= SelectionCeiling)) return;
    if (bucketScale_ != 0.0f) {
        const int32_t scaled = int32_t(cost * bucketScale_);
        if (scaled > heapBucket_) {
            if (scaled - heapBucket_ >= CostBuckets) [[unlikely]] {
                // Only a step dearer than the scale allows lands here (a
                // cost table changed during a search): the heap alone
                // keeps the order from now on.
                spillToHeap(nodes);
            } else {
                const int b = scaled & (CostBuckets - 1);
                uint64_t& used = bucketUsed_[b >> 6];
                const uint64_t bit = uint64_t(1) << (b & 63);
                bucketNext_[size_t(node)] = (used & bit) ? bucketHead_[b] : -1;
                bucketHead_[b] = node;
                bucketsHeld_ += (used & bit) ? 0 : 1;
                used |= bit;
                return;
            }
        }
    }
    heapPush(openKey(costKey(cost), node, cell));
}

// The node taken is the one the search expands next, so it never needs to
// be found again.
inline int OpenList::takeCheapest(const OpenNodes& nodes, int& cell) {
    if (heapSize_ == 0) {
        if (bucketsHeld_ == 0) return -1;
        // The next bucket round the circle after the heap's one holds the
        // cheapest waiting nodes; they all go to the heap.
        const int from = (heapBucket_ + 1) & (CostBuckets - 1);
        int b = -1;
        for (int i = 0, word = from >> 6; i <= CostBuckets / 64; ++i, word = (word + 1) & (CostBuckets / 64 - 1)) {
            uint64_t bits = bucketUsed_[word];
            if (i == 0) bits &= ~uint64_t(0) << (from & 63);
            if (bits != 0) {
                b = word * 64 + std::countr_zero(bits);
                break;
            }
        }
        heapBucket_ += ((b - from) & (CostBuckets - 1)) + 1;
        bucketUsed_[b >> 6] &= ~(uint64_t(1) << (b & 63));
        --bucketsHeld_;
        const int first = bucketHead_[b];
        if (bucketNext_[size_t(first)] == -1) { // alone in its bucket: no ordering to do
            cell = nodes.cellOf(first);
            return first;
        }
        const float* const cost = nodes.cost;
        for (int n = first; n != -1; n = bucketNext_[size_t(n)])
            heapPush(openKey(costKey(cost[size_t(n)]), n, nodes.cellOf(n)));
    }
    const int node = keyNode(heap_[0]);
    cell = keyCell(heap_[0]);
    heapPopTop();
    return node;
}

inline void OpenList::heapPush(uint64_t key) {
    int i = heapSize_++;
    while (i > 0) {
        const int parent = (i - 1) / 2;
        if (heap_[size_t(parent)] <= key) break;
        heap_[size_t(i)] = heap_[size_t(parent)];
        i = parent;
    }
    heap_[size_t(i)] = key;
}

inline void OpenList::heapPopTop() {
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

} // namespace delve
