#include <gtest/gtest.h>

#include "platform/shell.h"
#include "gfx/framebuffer.h"
#include "platform/rng.h"
#include "views/screensaver.h"

namespace delve {
namespace {

struct Saver {
    Screen screen;
    TrigTables trig;
    Rng rng;
    Shell shell;
    explicit Saver(int w, int h) {
        trig.build();
        screen.setMode(w, h);
        shell.screenWidth = w;
        shell.screenHeight = h;
        rng.srand(1234);
    }
    void draw(int frame) {
        shell.frameCounter = frame;
        drawScreensaverView(screen, trig, rng, shell);
    }
};

// A repaint every period: blue noise under four circle outlines, standing
// still (and drawing no random number) until the next.
TEST(Screensaver, RepaintsBlueNoiseUnderFourCirclesOncePerPeriod) {
    Saver s(320, 240);
    s.draw(0);
    int coloured = 0;
    for (size_t i = 0; i < s.screen.framebuffer.size(); i += 4) {
        const uint8_t* p = &s.screen.framebuffer[i];
        ASSERT_EQ(p[3], 255);
        if (p[0] || p[1]) ++coloured;
        else ASSERT_LT(p[2], 255); // noise blue is 0..254
    }
    // Four outlines of radius 64: some hundreds of pixels, far from all.
    EXPECT_GT(coloured, 50);
    EXPECT_LT(coloured, 4 * 4 * 320);
    const std::vector<uint8_t> picture = s.screen.framebuffer;
    const uint32_t state = s.rng.state();
    for (int f = 1; f < 50; ++f) {
        s.screen.clearFramebuffer();
        s.draw(f);
        ASSERT_EQ(s.screen.framebuffer, picture) << f;
    }
    EXPECT_EQ(s.rng.state(), state);
    s.draw(50);
    EXPECT_NE(s.screen.framebuffer, picture);
}

} // namespace
} // namespace delve
