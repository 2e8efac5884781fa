#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace delve {

// Lowest-free-index lookup over a fixed number of slots, two levels of
// 64-bit words, so taking the first free slot never scans the whole table.
class FreeSlots {
public:
    explicit FreeSlots(int count)
        : words_(size_t((count + 63) / 64), 0), summary_(size_t((count + 4095) / 4096), 0) {
        for (int i = 0; i < count; ++i) setFree(i);
    }

    void setFree(int i) {
        words_[size_t(i >> 6)] |= uint64_t(1) << (i & 63);
        summary_[size_t(i >> 12)] |= uint64_t(1) << ((i >> 6) & 63);
    }

    void setUsed(int i) {
        uint64_t& w = words_[size_t(i >> 6)];
        w &= ~(uint64_t(1) << (i & 63));
        if (w == 0) summary_[size_t(i >> 12)] &= ~(uint64_t(1) << ((i >> 6) & 63));
    }

    // -1 when none is free.
    int lowestFree() const {
        for (size_t s = 0; s < summary_.size(); ++s) {
            if (summary_[s] == 0) continue;
            size_t word = s * 64 + size_t(std::countr_zero(summary_[s]));
            return int(word * 64 + size_t(std::countr_zero(words_[word])));
        }
        return -1;
    }

private:
    std::vector<uint64_t> words_;   // bit set = slot free
    std::vector<uint64_t> summary_; // bit set = word has a free slot
};

} // namespace delve
