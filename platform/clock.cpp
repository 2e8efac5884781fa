#include "platform/clock.h"

#include <chrono>
#include <thread>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

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
    if (fast_) return;
#ifdef __EMSCRIPTEN__
    emscripten_sleep(unsigned(milliseconds)); // the page goes on while the program waits
#else
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
#endif
}

uint64_t Clock::nowMs() const {
    uint64_t real = (steadyNs() - startNs_) / 1000000u;
    return fast_ ? real + waited_ : real;
}

} // namespace delve
