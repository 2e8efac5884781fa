#pragma once
#include <cstddef>
#include <cstdint>

#include "world/digest.h"

namespace delve {

// Incremental FNV-1a 64 digest of a byte stream, used by the slot check files.
struct SlotDigest {
    uint64_t value = 0xcbf29ce484222325ull;

    void add(const void* data, size_t size) {
        value = fnv1a64(static_cast<const uint8_t*>(data), size, value);
    }
};

} // namespace delve
