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

uint64_t Clock::nowNs() const {
    const uint64_t real = steadyNs() - startNs_;
    return fast_ ? real + waited_ * 1000000u + pacedNs_ : real;
}

uint64_t Clock::nowMs() const { return nowNs() / 1000000u; }

void Clock::setFramePace(int framesPerSecond) {
    fps_ = framesPerSecond > 0 ? framesPerSecond : 0;
    nextFrameNs_ = 0;
}

void Clock::endFrame() {
    const uint64_t periodNs = 1000000000u / uint64_t(fps_ > 0 ? fps_ : DefaultFramesPerSecond);
    gameFrameNs_ += periodNs;
    if (fps_ == 0) return;
    if (fast_) {
        // The virtual frame takes its whole slot: N frames are N periods.
        pacedNs_ += periodNs;
        return;
    }
    const uint64_t now = nowNs();
    if (nextFrameNs_ == 0 || now > nextFrameNs_ + periodNs) {
        nextFrameNs_ = now + periodNs;
        return;
    }
    if (now < nextFrameNs_) {
#ifdef __EMSCRIPTEN__
        // The page shows the frame and takes events while the program waits.
        emscripten_sleep(unsigned((nextFrameNs_ - now) / 1000000u));
#else
        std::this_thread::sleep_for(std::chrono::nanoseconds(nextFrameNs_ - now));
#endif
    }
    nextFrameNs_ += periodNs;
}

} // namespace delve
