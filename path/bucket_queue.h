#pragma once
#include <cstdint>
#include <vector>

#include "path/free_slots.h"

namespace delve {

constexpr int BucketCount = 1000; // most different costs the queue holds at once

struct QueueBucket {
    uint8_t inUse;
    int32_t prev;
    int32_t next;
    float key;
    int32_t first;
    int32_t last;
};

struct QueueEntry {
    uint8_t inUse;
    int32_t bucket;
    int32_t prev;
    int32_t next;
    int32_t node;
};

// The open list of the path finder's queue mode: one bucket per exact cost,
// the buckets linked by rising cost, and in each bucket its nodes first in,
// first out. A node that finds no free entry or no free bucket, or whose
// cost compares with nothing (NaN), is not queued.
class BucketQueue {
public:
    explicit BucketQueue(int entryCount);

    // Empties the queue; only the entries used since the last reset are cleared.
    void reset();
    void insert(int node, float cost);
    // Takes the first node of the cheapest bucket; -1 when the queue is empty.
    int popCheapest();

private:
    void freeEntry(int e);
    void freeBucket(int b);

    std::vector<QueueBucket> buckets_;
    std::vector<QueueEntry> entries_;
    int32_t headBucket_ = 0;
    int entriesWritten_ = 0; // entries that may differ from their empty state
    FreeSlots freeEntries_;
    FreeSlots freeBuckets_;
};

} // namespace delve
