#pragma once
#include <cstddef>
#include <cstdint>

namespace delve {

// FNV-1a, 64-bit: the digest of the world and unit tables in state dumps,
// seed catalogues and save-slot check files.
inline uint64_t fnv1a64(const uint8_t* data, size_t size, uint64_t hash = 0xcbf29ce484222325ull) {
    for (size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

} // namespace delve
