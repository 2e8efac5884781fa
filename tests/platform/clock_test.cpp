#include <gtest/gtest.h>

#include "platform/clock.h"

using namespace delve;

TEST(FramePace, PacedFramesTakeTheirSlotOfVirtualTimeWithoutCountingAsWaits) {
    Clock clock(true);
    clock.setFramePace(60);
    const uint64_t start = clock.nowMs();
    for (int i = 0; i < 600; ++i) clock.endFrame();
    // 600 frames at 60 a second are 10 s, whatever the real time took.
    EXPECT_GE(clock.nowMs() - start, 9999u);
    EXPECT_LT(clock.nowMs() - start, 10500u);
    EXPECT_EQ(clock.gameMs(), 9999u); // 600 whole nanosecond periods, rounded down
    EXPECT_EQ(clock.waitedMs(), 0u);  // the state dump's waits stay the program's own
    clock.sleep(120);
    EXPECT_EQ(clock.waitedMs(), 120u);
    EXPECT_EQ(clock.gameMs(), 10119u);
}

// Game time must not depend on how fast the machine ran the frames: a live
// session and its replay read the same time for the same frame.
TEST(FramePace, AnUnpacedLoopRunsFreeButItsGameTimeStillCountsFrames) {
    Clock clock(true);
    clock.setFramePace(0);
    const uint64_t start = clock.nowMs();
    for (int i = 0; i < 600; ++i) clock.endFrame();
    EXPECT_LT(clock.nowMs() - start, 1000u); // nothing virtual was added
    EXPECT_EQ(clock.gameMs(), 9999u);
}

// 12 frames at 240 a second on the real clock take about 50 ms, and pacing
// sleeps are not waits the program asked for.
TEST(FramePace, ARealClockSleepsOnlyForTheRestOfTheFrameSlot) {
    Clock clock(false);
    clock.setFramePace(240);
    const uint64_t start = clock.nowMs();
    for (int i = 0; i < 12; ++i) clock.endFrame();
    EXPECT_GE(clock.nowMs() - start, 40u);
    EXPECT_EQ(clock.waitedMs(), 0u);
}
