#include <gtest/gtest.h>

#include "platform/shell.h"
#include "gfx/framebuffer.h"
#include "platform/rng.h"
#include "views/screensaver.h"

namespace delve {
namespace {

// A repaint every period: blue noise under four circle outlines, standing
// still (and drawing no random number) until the next.
TEST(Screensaver, RepaintsBlueNoiseUnderFourCirclesOncePerPeriod) {
    Screen screen;
    screen.setMode(320, 240);
    TrigTables trig;
    trig.build();
    Rng rng;
    rng.srand(1234);
    Shell shell; // a 320 x 240 screen
    auto draw = [&](int frame) {
        shell.frameCounter = frame;
        drawScreensaverView(screen, trig, rng, shell);
    };
    draw(0);
    int coloured = 0;
    for (size_t i = 0; i < screen.framebuffer.size(); i += 4) {
        const uint8_t* p = &screen.framebuffer[i];
        ASSERT_EQ(p[3], 255);
        if (p[0] || p[1]) ++coloured;
        else ASSERT_LT(p[2], 255); // noise blue is 0..254
    }
    // Four outlines of radius 64: some hundreds of pixels, far from all.
    EXPECT_GT(coloured, 50);
    EXPECT_LT(coloured, 4 * 4 * 320);
    const std::vector<uint8_t> picture = screen.framebuffer;
    const uint32_t state = rng.state();
    for (int f = 1; f < 50; ++f) {
        screen.clearFramebuffer();
        draw(f);
        ASSERT_EQ(screen.framebuffer, picture) << f;
    }
    EXPECT_EQ(rng.state(), state);
    draw(50);
    EXPECT_NE(screen.framebuffer, picture);
}

} // namespace
} // namespace delve
