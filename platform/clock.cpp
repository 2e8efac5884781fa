#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace delve {

namespace {

void sleepThread(uint64_t nanoseconds) {
    std::this_thread::sleep_for(std::chrono::nanoseconds(nanoseconds));
}

BlockingWait blockingWait = sleepThread;

uint64_t steadyNs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}
} // namespace

void setBlockingWait(BlockingWait wait) { blockingWait = wait ? wait : sleepThread; }

Clock::Clock(bool fast) : fast_(fast), startNs_(steadyNs()) {}

void Clock::sleep(int milliseconds) {
    if (milliseconds <= 0) return;
    waited_ += static_cast<uint64_t>(milliseconds);
    if (fast_) return;
    blockingWait(uint64_t(milliseconds) * 1000000u);
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
    if (now < nextFrameNs_) blockingWait(nextFrameNs_ - now);
    nextFrameNs_ += periodNs;
}

} // namespace delve
