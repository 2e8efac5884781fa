#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace delve {

// FNV-1a, 64-bit: the digest of the world and unit tables in state dumps,
// seed catalogues and save-slot check files. Kept out of line (it is called
// on whole buffers), so the fuzz build can leave its byte loop out of
// coverage (fuzz/coverage_ignore.txt) wherever it is called from.
// Reads eight bytes at a time and takes them in memory order: the same
// digest, one load (and one sanitizer check) per eight bytes.
[[gnu::noinline]] inline uint64_t fnv1a64(const uint8_t* data, size_t size,
                                          uint64_t hash = 0xcbf29ce484222325ull) {
    constexpr uint64_t prime = 0x100000001b3ull;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint8_t bytes[8];
        std::memcpy(bytes, data + i, 8);
        for (uint8_t b : bytes) {
            hash ^= b;
            hash *= prime;
        }
    }
    for (; i < size; ++i) {
        hash ^= data[i];
        hash *= prime;
    }
    return hash;
}

// Incremental FNV-1a 64 digest of a byte stream, used by the slot check files.
struct SlotDigest {
    uint64_t value = 0xcbf29ce484222325ull;

    void add(const void* data, size_t size) {
        value = fnv1a64(static_cast<const uint8_t*>(data), size, value);
    }
};

} // namespace delve
