#pragma once
#include <cstdint>

namespace delve {

// The program's one random generator: a 15-bit linear congruential generator
// with the classic C library constants, so a seed gives the same world on
// every machine and compiler.
class Rng {
public:
    void srand(uint32_t seed) { state_ = seed; }
    // Next value in 0..32767.
    int rand() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }
    uint32_t state() const { return state_; }

private:
    uint32_t state_ = 1;
};

} // namespace delve
