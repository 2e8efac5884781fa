#include <gtest/gtest.h>

#include <cmath>

#include "search_fixtures.h"
#include "tests/path/path_finder_inspector.h"

namespace delve {
namespace {

class BucketQueue : public ::testing::Test {
protected:
    void SetUp() override {
        pf().beginSearch(world.marks, units, 1, 100, 100, 120, 120, 70, 256, 1);
    }
    void insert(int node, float cost) {
        in().nodeCost[size_t(node)] = cost;
        in().queueInsert(node);
    }
    static PathFinder& pf() {
        static PathFinder* p = new PathFinder;
        return *p;
    }
    static PathFinderInspector in() { return {pf()}; }
    // Buckets in use, walked from the head: strictly increasing keys.
    std::vector<float> keys() {
        std::vector<float> k;
        for (int b = in().headBucket; b != -1 && in().buckets[size_t(b)].inUse == 1; b = in().buckets[size_t(b)].next)
            k.push_back(in().buckets[size_t(b)].key);
        return k;
    }
    World& world = test::sharedWorld();
    Units units;
};

// Cheapest first, first in first out within a cost, and keys one bit apart
// kept apart. Whole queue-mode searches are compared with the literal
// search in OpenListOracle.
TEST_F(BucketQueue, CheapestFirstInInsertionOrderWithKeysOneBitApartKeptApart) {
    EXPECT_EQ(in().queuePopCheapest(), -1);
    const float k = 7.25f;
    const float next = std::nextafter(k, 100.0f);
    insert(1, next);
    insert(2, k);
    insert(3, next);
    insert(4, 9.0f);
    insert(5, 1.0f);
    insert(6, 8.0f);
    EXPECT_EQ(keys(), (std::vector<float>{1.0f, k, next, 8.0f, 9.0f}));
    std::vector<int> order;
    for (int n; (n = in().queuePopCheapest()) != -1;) order.push_back(n);
    EXPECT_EQ(order, (std::vector<int>{5, 2, 1, 3, 6, 4}));
}

TEST_F(BucketQueue, EmptiedQueueStartsAFreshListInTheHeadBucket) {
    insert(1, 4.0f);
    insert(2, 2.0f);
    const int head = in().headBucket;
    EXPECT_EQ(in().queuePopCheapest(), 2);
    EXPECT_EQ(in().queuePopCheapest(), 1);
    EXPECT_EQ(in().buckets[size_t(in().headBucket)].inUse, 0);
    EXPECT_NE(in().headBucket, head) << "the head moved on to the 4.0 bucket before it emptied";
    const int stays = in().headBucket;
    insert(9, 6.0f);
    EXPECT_EQ(in().headBucket, stays);
    EXPECT_EQ(in().queuePopCheapest(), 9);
    // Entries and buckets are given back and taken again from the lowest index.
    EXPECT_EQ(in().findFreeEntry(), 0);
    EXPECT_EQ(in().findFreeBucket(), 0);
}

TEST_F(BucketQueue, MoreDistinctCostsThanBucketsDropsTheNewcomers) {
    for (int i = 0; i < BucketCount; ++i) insert(i + 1, float(i + 1));
    EXPECT_EQ(in().findFreeBucket(), -1);
    insert(5000, 0.5f);           // a new cost with no bucket left: not queued
    insert(5001, float(10));     // an existing cost still joins its bucket
    std::vector<int> order;
    for (int n; (n = in().queuePopCheapest()) != -1;) order.push_back(n);
    ASSERT_EQ(order.size(), size_t(BucketCount) + 1);
    EXPECT_EQ(order[0], 1);
    EXPECT_EQ(order[9], 10);
    EXPECT_EQ(order[10], 5001);
    EXPECT_EQ(order.back(), BucketCount);
}

} // namespace
} // namespace delve
