#include <gtest/gtest.h>

#include "platform/clock.h"

using namespace delve;

// Game time counts frames whatever the pace, so a live session and its replay
// read the same time for the same frame; a paced virtual clock gives each
// frame its slot of virtual time, an unpaced one adds none.
TEST(FramePace, GameTimeCountsFramesAndOnlyAPacedVirtualClockAddsTheirTime) {
    for (int pace : {60, 0}) {
        Clock clock(true);
        clock.setFramePace(pace);
        const uint64_t start = clock.nowMs();
        for (int i = 0; i < 600; ++i) clock.endFrame();
        EXPECT_EQ(clock.gameMs(), 9999u) << pace; // 600 whole nanosecond periods, rounded down
        EXPECT_EQ(clock.waitedMs(), 0u);          // the state dump's waits stay the program's own
        EXPECT_GE(clock.nowMs() - start, pace ? 9999u : 0u) << pace;
        EXPECT_LT(clock.nowMs() - start, pace ? 10500u : 1000u) << pace;
        clock.sleep(120);
        EXPECT_EQ(clock.waitedMs(), 120u);
        EXPECT_EQ(clock.gameMs(), 10119u);
    }
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
