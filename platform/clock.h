#pragma once
#include <cstdint>

namespace delve {

// Every wait of the program goes through this clock. A fast clock never
// blocks: a wait only advances its virtual time, so tests and scripted runs
// finish at once while still seeing how long the program meant to wait.
class Clock {
public:
    explicit Clock(bool fast = false);

    void sleep(int milliseconds);
    // Milliseconds since the clock was made: real time plus virtual waits
    // for a fast clock.
    uint64_t nowMs() const;
    // Total milliseconds requested through sleep().
    uint64_t waitedMs() const { return waited_; }
    bool fast() const { return fast_; }

private:
    bool fast_;
    uint64_t waited_ = 0;
    uint64_t startNs_;
};

} // namespace delve
