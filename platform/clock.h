#pragma once
#include <cstdint>

namespace delve {

// How a real wait blocks the program: by default the thread sleeps. A
// backend whose host must keep running meanwhile (the browser page, which
// shows frames and takes events while the program waits) installs its own;
// none puts the sleep back. Process-wide, as the one thread is.
using BlockingWait = void (*)(uint64_t nanoseconds);
void setBlockingWait(BlockingWait wait);

// Every wait of the program goes through this clock. A fast clock never
// blocks: a wait only advances its virtual time, so tests and scripted runs
// finish at once while still seeing how long the program meant to wait.
class Clock {
public:
    // The speed the game was made for: its movement and blinking are
    // counted in frames of a 60 Hz display.
    static constexpr int DefaultFramesPerSecond = 60;

    explicit Clock(bool fast = false);

    void sleep(int milliseconds);
    // Milliseconds since the clock was made: real time, plus virtual waits
    // and paced frames for a fast clock.
    uint64_t nowMs() const;
    // Total milliseconds requested through sleep().
    uint64_t waitedMs() const { return waited_; }
    bool fast() const { return fast_; }

    // Frame pacing: at most `framesPerSecond` main-loop frames a second; 0
    // leaves the loop unpaced.
    void setFramePace(int framesPerSecond);
    int framePace() const { return fps_; }
    // Ends a main-loop frame: waits until the frame's time slot has passed
    // (a fast clock only counts it). A loop that falls behind, in a slow
    // frame or a long pause, starts a new schedule instead of hurrying to
    // catch up. Frame waits are not counted in waitedMs().
    void endFrame();
    // The game's own time: every wait plus one frame period for each ended
    // frame (a 60 Hz frame when unpaced). It depends only on what the game
    // did, so a live session and its replay agree on it.
    uint64_t gameMs() const { return waited_ + gameFrameNs_ / 1000000u; }

private:
    uint64_t nowNs() const;

    bool fast_;
    int fps_ = 0;
    uint64_t waited_ = 0;
    uint64_t startNs_;
    uint64_t pacedNs_ = 0;      // virtual time of paced frames (fast clock)
    uint64_t nextFrameNs_ = 0;  // when the next frame may begin, 0 = not scheduled
    uint64_t gameFrameNs_ = 0;
};

} // namespace delve
