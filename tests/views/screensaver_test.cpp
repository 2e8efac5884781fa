#include <gtest/gtest.h>

#include <array>

#include "platform/shell.h"
#include "gfx/framebuffer.h"
#include "platform/rng.h"
#include "views/screensaver.h"

namespace delve {
namespace {

// Built once: the circle tables take a while to fill.
const TrigTables& sharedTrig() {
    static const TrigTables trig = [] {
        TrigTables t;
        t.build();
        return t;
    }();
    return trig;
}

struct Saver {
    Screen screen;
    const TrigTables& trig = sharedTrig();
    Rng rng;
    Shell shell;
    explicit Saver(int w, int h) {
        screen.setMode(w, h);
        shell.screenWidth = w;
        shell.screenHeight = h;
        rng.srand(1234);
    }
    const uint8_t* fb(int x, int y) const {
        return &screen.framebuffer[size_t((y * screen.width + x) * 4)];
    }
};

struct CircleDraw {
    int red, green, blue, x, y;
};

// Replays the generator: the noise takes one draw per pixel, then five per circle.
std::array<CircleDraw, 4> expectedCircles(uint32_t seed, int w, int h) {
    Rng r;
    r.srand(seed);
    for (int i = 0; i < w * h; ++i) r.rand();
    std::array<CircleDraw, 4> c{};
    for (auto& d : c) {
        d.blue = r.rand() % 255;
        d.green = r.rand() % 255;
        d.red = r.rand() % 255;
        d.y = r.rand() % h;
        d.x = r.rand() % w;
    }
    return c;
}

TEST(Screensaver, RepaintIsBlueNoiseUnderFourCirclesTakingTheirDrawsInOrder) {
    int checked = 0;
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        const int w = seed % 2 ? 320 : 640, h = w * 3 / 4;
        Saver s(w, h);
        s.rng.srand(seed);
        s.shell.frameCounter = 100;
        drawScreensaverView(s.screen, s.trig, s.rng, s.shell);
        int coloured = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = s.fb(x, y);
                ASSERT_EQ(p[3], 255);
                if (p[0] || p[1]) ++coloured;
                else ASSERT_LT(p[2], 255); // noise blue is 0..254
            }
        // Four outlines of radius w / 5: some hundreds of pixels, far from all.
        EXPECT_GT(coloured, 50);
        EXPECT_LT(coloured, 4 * 4 * w);
        // The last circle's lowest point (x, y - radius) carries its colour.
        const CircleDraw c = expectedCircles(seed, w, h)[3];
        if (c.y - w / 5 < 0) continue;
        const uint8_t* p = s.fb(c.x, c.y - w / 5);
        EXPECT_EQ(p[0], c.red) << seed;
        EXPECT_EQ(p[1], c.green) << seed;
        EXPECT_EQ(p[2], c.blue) << seed;
        ++checked;
    }
    EXPECT_GE(checked, 3);
}

TEST(Screensaver, PictureStandsStillBetweenRepaints) {
    Saver s(320, 240);
    s.shell.frameCounter = 0;
    drawScreensaverView(s.screen, s.trig, s.rng, s.shell);
    const std::vector<uint8_t> picture = s.screen.framebuffer;
    const uint32_t state = s.rng.state();
    for (int f = 1; f < 50; ++f) {
        s.shell.frameCounter = f;
        s.screen.clearFramebuffer();
        drawScreensaverView(s.screen, s.trig, s.rng, s.shell);
        ASSERT_EQ(s.screen.framebuffer, picture) << f;
    }
    EXPECT_EQ(s.rng.state(), state); // no random draw between repaints
    s.shell.frameCounter = 50;
    drawScreensaverView(s.screen, s.trig, s.rng, s.shell);
    EXPECT_NE(s.screen.framebuffer, picture);
    EXPECT_NE(s.rng.state(), state);
}

TEST(Screensaver, BetweenRepaintsShowsWhateverTheCanvasHolds) {
    Saver s(320, 240);
    // The first-person read-back left packed RGB bytes in the canvas.
    for (size_t i = 0; i < s.screen.workCanvas.size(); ++i)
        s.screen.workCanvas[i] = uint8_t(i % 3 == 0 ? 10 : 20);
    s.shell.frameCounter = 7;
    drawScreensaverView(s.screen, s.trig, s.rng, s.shell);
    EXPECT_EQ(s.fb(0, 0)[0], 10);
    EXPECT_EQ(s.fb(0, 0)[1], 20);
    EXPECT_EQ(s.fb(0, 0)[2], 20);
    EXPECT_EQ(s.fb(0, 0)[3], 255); // alpha is never copied from the canvas
    EXPECT_EQ(s.fb(1, 0)[0], 20); // the next pixel starts mid-triple
    EXPECT_EQ(s.fb(1, 0)[2], 10);
}

} // namespace
} // namespace delve
