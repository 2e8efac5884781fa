#include "path/bucket_queue.h"

#include <algorithm>

namespace delve {

namespace {
constexpr QueueEntry EmptyEntry{0, -1, -1, -1, -1};
constexpr QueueBucket EmptyBucket{0, -1, -1, -1.0f, -1, -1};
} // namespace

BucketQueue::BucketQueue(int entryCount)
    : buckets_(BucketCount, EmptyBucket), entries_(size_t(entryCount), EmptyEntry),
      freeEntries_(entryCount), freeBuckets_(BucketCount) {}

void BucketQueue::reset() {
    for (int i = 0; i < entriesWritten_; ++i) {
        entries_[size_t(i)] = EmptyEntry;
        freeEntries_.setFree(i);
    }
    entriesWritten_ = 0;
    for (int b = 0; b < BucketCount; ++b) {
        buckets_[size_t(b)] = EmptyBucket;
        freeBuckets_.setFree(b);
    }
    headBucket_ = 0;
}

void BucketQueue::freeEntry(int e) {
    entries_[size_t(e)] = EmptyEntry;
    freeEntries_.setFree(e);
}

void BucketQueue::freeBucket(int b) {
    buckets_[size_t(b)] = EmptyBucket;
    freeBuckets_.setFree(b);
}

void BucketQueue::insert(int node, float k) {
    for (;;) {
        int found = -1;
        for (int b = headBucket_; b != -1; b = buckets_[size_t(b)].next) {
            if (buckets_[size_t(b)].inUse == 1 && buckets_[size_t(b)].key == k) {
                found = b;
                break;
            }
            if (buckets_[size_t(b)].next == -1) break;
        }
        if (found != -1) {
            QueueBucket& B = buckets_[size_t(found)];
            const int e = freeEntries_.lowestFree();
            if (e == -1) return;
            if (B.last == -1) {
                if (B.first == -1) B.first = e;
                entries_[size_t(e)] = QueueEntry{1, found, -1, -1, node};
            } else {
                int t = B.last;
                while (entries_[size_t(t)].next != -1) t = entries_[size_t(t)].next;
                entries_[size_t(t)].next = e;
                entries_[size_t(e)] = QueueEntry{1, found, t, -1, node};
            }
            freeEntries_.setUsed(e);
            entriesWritten_ = std::max(entriesWritten_, e + 1);
            B.last = e;
            return;
        }
        if (buckets_[size_t(headBucket_)].inUse == 0) {
            buckets_[size_t(headBucket_)] = QueueBucket{1, -1, -1, k, -1, -1};
            freeBuckets_.setUsed(headBucket_);
            continue;
        }
        const int N = freeBuckets_.lowestFree();
        if (N == -1) return;
        int C = headBucket_;
        for (;;) {
            QueueBucket& c = buckets_[size_t(C)];
            const bool isHead = C == headBucket_;
            if (c.key >= k && !isHead) {
                const int p = c.prev;
                buckets_[size_t(p)].next = N;
                c.prev = N;
                buckets_[size_t(N)] = QueueBucket{1, p, C, k, -1, -1};
                break;
            }
            if (k > c.key && c.next == -1) { // after the tail, head or not
                c.next = N;
                buckets_[size_t(N)] = QueueBucket{1, C, -1, k, -1, -1};
                break;
            }
            if (c.key >= k && isHead) {
                c.prev = N;
                buckets_[size_t(N)] = QueueBucket{1, -1, C, k, -1, -1};
                headBucket_ = N;
                break;
            }
            C = c.next;
            if (C == -1) return; // a key that compares with nothing (NaN) is not queued
        }
        freeBuckets_.setUsed(N);
    }
}

int BucketQueue::popCheapest() {
    if (headBucket_ == -1) return -1;
    QueueBucket& head = buckets_[size_t(headBucket_)];
    if (head.first == -1 || entries_[size_t(head.first)].node == -1) return -1;
    const int e = head.first;
    const int n = entries_[size_t(e)].node;
    const int f = entries_[size_t(e)].next;
    if (f != -1) {
        head.first = f;
        entries_[size_t(f)].prev = -1;
        freeEntry(e);
        return n;
    }
    freeEntry(e);
    const int following = head.next;
    if (following == -1) {
        freeBucket(headBucket_);
        return n;
    }
    const int old = headBucket_;
    headBucket_ = following;
    buckets_[size_t(following)].prev = -1;
    freeBucket(old);
    return n;
}

} // namespace delve
