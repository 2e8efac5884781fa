#pragma once
// 32-bit values in files, least significant byte first, whatever the
// machine's own order.
#include <cstdint>

namespace delve {

inline void putLittle32(uint8_t* p, uint32_t v) {
    for (int b = 0; b < 4; ++b) p[b] = uint8_t(v >> (8 * b));
}

inline uint32_t getLittle32(const uint8_t* p) {
    uint32_t v = 0;
    for (int b = 0; b < 4; ++b) v |= uint32_t(p[b]) << (8 * b);
    return v;
}

} // namespace delve
