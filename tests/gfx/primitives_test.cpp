#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "gfx/framebuffer.h"

using namespace delve;

namespace {

using Points = std::vector<std::pair<int, int>>;

// Every lit pixel, in row-major order.
Points litPixels(const Screen& s) {
    Points out;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            if (s.framebuffer[(size_t(y) * s.width + x) * 4 + 3] != 0) out.emplace_back(x, y);
    return out;
}

const TrigTables& trig() {
    static TrigTables t = [] {
        TrigTables tt;
        tt.build();
        return tt;
    }();
    return t;
}

} // namespace

TEST(Plot, ClipsAtEveryEdgeAndWritesRgbaBottomUp) {
    Screen s;
    s.setMode(320, 240);
    for (auto [x, y] : Points{{-1, 0}, {320, 0}, {0, -1}, {0, 240}}) plotPixel(s, x, y, 1, 2, 3);
    EXPECT_TRUE(litPixels(s).empty());
    plotPixel(s, 0, 0, 10, 20, 30);
    EXPECT_EQ(std::vector<uint8_t>(s.framebuffer.begin(), s.framebuffer.begin() + 4),
              (std::vector<uint8_t>{10, 20, 30, 255}));
}

TEST(Line, EndsOnTheEndPointInEveryDirection) {
    Screen s;
    s.setMode(64, 64);
    const int ends[][2] = {{50, 10}, {10, 50}, {-20, 5}, {5, -20}, {-30, -7}, {13, 13}, {0, 40}};
    for (auto& e : ends) {
        s.clearFramebuffer();
        int x1 = 30 + e[0] / 2, y1 = 30 + e[1] / 2;
        drawLine(s, 30, 30, x1, y1, 1, 1, 1);
        Points lit = litPixels(s);
        int expected = std::max(std::abs(x1 - 30), std::abs(y1 - 30)) + 1;
        EXPECT_EQ(int(lit.size()), expected);
        EXPECT_NE(std::find(lit.begin(), lit.end(), std::make_pair(x1, y1)), lit.end());
    }
}

// Every plot within 1.5 pixels of the radius, the four extremes exact; the
// tables fill only the 73 blocks read, and the canvas variant drawn with
// whole tables gives the same outline.
TEST(Circle, RadiusTwentyLiesOnTheCircleThroughItsFourExtremes) {
    Screen s;
    s.setMode(200, 200);
    TrigTables fresh;
    fresh.build();
    drawCircle(s, fresh, 100.0, 100.0, 20.0, 255, 255, 255);
    EXPECT_EQ(fresh.blocksFilled(), 73);
    Points lit = litPixels(s);
    for (auto p : Points{{100, 80}, {100, 120}, {80, 100}, {120, 100}})
        EXPECT_NE(std::find(lit.begin(), lit.end(), p), lit.end());
    for (auto [x, y] : lit) EXPECT_NEAR(std::hypot(x - 100.0, y - 100.0), 20.0, 1.5) << x << "," << y;
    Screen c;
    c.setMode(200, 200);
    drawCanvasCircle(c, trig(), 100.0, 100.0, 20.0, 255, 255, 255);
    EXPECT_EQ(c.workCanvas, s.framebuffer);
}

TEST(Circle, DegenerateRadiiAndMissingTables) {
    Screen s;
    s.setMode(50, 50);
    drawCircle(s, trig(), 10.0, 10.0, 0.0, 1, 2, 3);
    EXPECT_EQ(litPixels(s), (Points{{10, 10}}));
    s.clearFramebuffer();
    drawCircle(s, trig(), 10.0, 10.0, -5.0, 1, 2, 3);
    EXPECT_EQ(litPixels(s), (Points{{10, 10}}));
    s.clearFramebuffer();
    TrigTables none;
    drawCircle(s, none, 10.0, 10.0, 5.0, 1, 2, 3);
    EXPECT_TRUE(litPixels(s).empty());
    // A huge radius far off screen costs its walk but draws nothing visible
    // and never reads past the tables.
    drawCircle(s, trig(), -50000.0, -50000.0, 1e9, 1, 2, 3);
    EXPECT_TRUE(litPixels(s).empty());
}

TEST(TrigTables, EntriesReadAsIfFilledWholeAndOnlyReadPagesAreComputed) {
    TrigTables t;
    t.build();
    EXPECT_EQ(t.blocksFilled(), 0);
    constexpr double degreeToRadian = 0.017453292516666667;
    // Block edges, the quarter turns and the very last entry.
    for (int i : {0, 1, 1023, 1024, 90000, 180000, 1799999, TrigEntries - 1}) {
        const double angle = i * degreeToRadian / 1000.0;
        EXPECT_EQ(t.sine(i), float(std::sin(angle))) << i;
        EXPECT_EQ(t.cosine(i), float(std::cos(angle))) << i;
    }
    EXPECT_EQ(t.blocksFilled(), 6);
    EXPECT_EQ(t.sine(1023), t.sine(1023)); // a second read computes nothing new
    EXPECT_EQ(t.blocksFilled(), 6);
}
