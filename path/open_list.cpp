#include "path/open_list.h"

#include <algorithm>
#include <iterator>

namespace delve {

OpenList::OpenList(int nodeCount) : heap_(size_t(nodeCount)), bucketNext_(size_t(nodeCount)) {}

void OpenList::reset() {
    std::fill(std::begin(bucketUsed_), std::end(bucketUsed_), 0);
    bucketsHeld_ = 0;
    heapBucket_ = 0;
    heapSize_ = 0;
    scaleChosen_ = false;
}

// The scale of the bucket index: the largest power of two at which a
// node's dearest step (a diagonal onto the dearest passable code) spans
// fewer buckets than the circle holds, so every waiting node's bucket lies
// less than one turn ahead of the cheapest. A table too dear for any scale
// keeps every node in the heap.
void OpenList::chooseScale(float dearestCell) {
    scaleChosen_ = true;
    const double span = double(dearestCell) + 1.4142 + 1.0; // the start costs 1.0
    bucketScale_ = 0.0f;
    for (float scale = 32.0f; scale >= 1.0f / 65536.0f; scale *= 0.5f)
        if (span * scale + 4.0 <= double(CostBuckets)) {
            bucketScale_ = scale;
            return;
        }
}

void OpenList::spillToHeap(const OpenNodes& nodes) {
    for (int b = 0; b < CostBuckets; ++b) {
        if (!(bucketUsed_[b >> 6] >> (b & 63) & 1)) continue;
        for (int n = bucketHead_[b]; n != -1; n = bucketNext_[size_t(n)])
            heapPush(openKey(costKey(nodes.cost[size_t(n)]), n, nodes.cellOf(n)));
    }
    std::fill(std::begin(bucketUsed_), std::end(bucketUsed_), 0);
    bucketsHeld_ = 0;
    bucketScale_ = 0.0f;
}

} // namespace delve
