#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace delve {

namespace {
uint64_t steadyNs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}
} // namespace

Clock::Clock(bool fast) : fast_(fast), startNs_(steadyNs()) {}

void Clock::sleep(int milliseconds) {
    if (milliseconds <= 0) return;
    waited_ += static_cast<uint64_t>(milliseconds);
    if (!fast_) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint64_t Clock::nowMs() const {
    uint64_t real = (steadyNs() - startNs_) / 1000000u;
    return fast_ ? real + waited_ : real;
}

} // namespace delve
