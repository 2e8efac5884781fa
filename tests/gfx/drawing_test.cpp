// Drawing on the software framebuffer: pixels, lines, circles and the
// sine tables they read, and the two fonts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "gfx/framebuffer.h"
#include "gfx/text.h"

namespace delve {
namespace {

using Points = std::vector<std::pair<int, int>>;

Screen makeScreen(int w, int h) {
    Screen s;
    s.setMode(w, h);
    return s;
}

// Every lit pixel, in row-major order.
Points litPixels(const Screen& s) {
    Points out;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            if (s.framebuffer[(size_t(y) * size_t(s.width) + size_t(x)) * 4 + 3] != 0) out.emplace_back(x, y);
    return out;
}

bool has(const Points& points, std::pair<int, int> p) {
    return std::find(points.begin(), points.end(), p) != points.end();
}

std::set<int> columnsOf(const Points& px) {
    std::set<int> cols;
    for (auto [x, y] : px) cols.insert(x);
    return cols;
}

TEST(Plot, ClipsAtEveryEdgeAndWritesRgbaBottomUp) {
    Screen s = makeScreen(320, 240);
    for (auto [x, y] : Points{{-1, 0}, {320, 0}, {0, -1}, {0, 240}}) plotPixel(s, x, y, 1, 2, 3);
    EXPECT_TRUE(litPixels(s).empty());
    plotPixel(s, 0, 0, 10, 20, 30);
    EXPECT_EQ(std::vector<uint8_t>(s.framebuffer.begin(), s.framebuffer.begin() + 4),
              (std::vector<uint8_t>{10, 20, 30, 255}));
}

TEST(Line, EndsOnTheEndPointInEveryDirection) {
    Screen s = makeScreen(64, 64);
    const int ends[][2] = {{50, 10}, {10, 50}, {-20, 5}, {5, -20}, {-30, -7}, {13, 13}, {0, 40}};
    for (auto& e : ends) {
        s.clearFramebuffer();
        int x1 = 30 + e[0] / 2, y1 = 30 + e[1] / 2;
        drawLine(s, 30, 30, x1, y1, 1, 1, 1);
        Points lit = litPixels(s);
        EXPECT_EQ(int(lit.size()), std::max(std::abs(x1 - 30), std::abs(y1 - 30)) + 1);
        EXPECT_TRUE(has(lit, {x1, y1}));
    }
}

// Every plot within 1.5 pixels of the radius, the four extremes exact; the
// tables fill only the 73 blocks read, and the canvas variant gives the same
// outline in the work canvas.
TEST(Circle, RadiusTwentyLiesOnTheCircleThroughItsFourExtremes) {
    Screen s = makeScreen(200, 200);
    TrigTables fresh;
    fresh.build();
    drawCircle(s, fresh, 100.0, 100.0, 20.0, 255, 255, 255);
    EXPECT_EQ(fresh.blocksFilled(), 73);
    Points lit = litPixels(s);
    for (auto p : Points{{100, 80}, {100, 120}, {80, 100}, {120, 100}}) EXPECT_TRUE(has(lit, p));
    for (auto [x, y] : lit) EXPECT_NEAR(std::hypot(x - 100.0, y - 100.0), 20.0, 1.5) << x << "," << y;
    Screen c = makeScreen(200, 200);
    drawCanvasCircle(c, fresh, 100.0, 100.0, 20.0, 255, 255, 255);
    EXPECT_EQ(c.workCanvas, s.framebuffer);
}

TEST(Circle, DegenerateRadiiAndMissingTables) {
    Screen s = makeScreen(50, 50);
    TrigTables trig;
    trig.build();
    for (double radius : {0.0, -5.0}) {
        s.clearFramebuffer();
        drawCircle(s, trig, 10.0, 10.0, radius, 1, 2, 3);
        EXPECT_EQ(litPixels(s), (Points{{10, 10}})) << radius;
    }
    s.clearFramebuffer();
    TrigTables none;
    drawCircle(s, none, 10.0, 10.0, 5.0, 1, 2, 3);
    EXPECT_TRUE(litPixels(s).empty());
    // A huge radius far off screen costs its walk but draws nothing visible
    // and never reads past the tables.
    drawCircle(s, trig, -50000.0, -50000.0, 1e9, 1, 2, 3);
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
    EXPECT_EQ(t.blocksFilled(), 6); // 0, 1 and 1023 share the first block
}

TEST(TextBuffer, FormatsAndCutsAt255Characters) {
    TextBuffer t;
    t.format("SX=%d,SY=%d,SZ=%d", 120, 7, -3);
    EXPECT_STREQ(t.text, "SX=120,SY=7,SZ=-3");
    const std::string longText(300, 'x');
    t.format("%s", longText.c_str());
    EXPECT_EQ(std::strlen(t.text), 255u);
    t.set(longText.c_str());
    EXPECT_EQ(std::strlen(t.text), 255u);
    t.set(nullptr);
    EXPECT_STREQ(t.text, "");
}

TEST(SmallText, PlacesGlyphsOnePixelApartBelowThePen) {
    Screen s = makeScreen(320, 240);
    TextBuffer t;
    t.set("AB");
    EXPECT_EQ(drawSmallText(s, t, 12, 100, 10, 20, 30), 20);
    const auto px = litPixels(s);
    EXPECT_EQ(columnsOf(px), (std::set<int>{12, 13, 14, 16, 17, 18}));
    for (auto [x, y] : px) EXPECT_TRUE(y >= 95 && y <= 99) << y;
}

TEST(LargeText, AdvancesEightPixelsAndClipsAtTheEdge) {
    TextBuffer t;
    t.set(std::string(40, '-').c_str());
    Screen wide = makeScreen(400, 240);
    EXPECT_EQ(drawLargeText(wide, t, 12, 100, 255, 255, 255), 332);
    const auto wideCols = columnsOf(litPixels(wide));
    EXPECT_TRUE(*wideCols.begin() == 12 && *wideCols.rbegin() == 12 + 39 * 8 + 5);

    Screen narrow = makeScreen(320, 240);
    EXPECT_EQ(drawLargeText(narrow, t, 12, 100, 255, 255, 255), 332);
    Points expected;
    for (auto p : litPixels(wide))
        if (p.first < 320) expected.push_back(p);
    EXPECT_EQ(litPixels(narrow), expected);
    EXPECT_TRUE(has(expected, {319, 100 - 6}));
}

TEST(Text, EmptyTextAndCharactersWithoutGlyphDrawNothingAndKeepTheLineInPlace) {
    Screen s = makeScreen(320, 64);
    TextBuffer t; // empty: nothing drawn, the pen stays
    EXPECT_EQ(drawSmallText(s, t, 7, 30, 255, 255, 255), 7);
    EXPECT_EQ(drawLargeText(s, t, 7, 30, 255, 255, 255), 7);
    // Codes below the glyphs, between them, above them, and past 127.
    t.set("\x01`{\x80\xff");
    EXPECT_EQ(drawSmallText(s, t, 0, 30, 255, 255, 255), 4 * 5);
    t.set("\x01\x7f\x80\xff");
    EXPECT_EQ(drawLargeText(s, t, 0, 30, 255, 255, 255), 8 * 4);
    EXPECT_TRUE(litPixels(s).empty());
}

TEST(Text, DrawsOffScreenAndUnterminatedTextSafely) {
    Screen s = makeScreen(32, 32);
    TextBuffer t;
    std::memset(t.text, 'M', sizeof t.text); // no terminating zero anywhere
    EXPECT_EQ(drawSmallText(s, t, -100, 5, 255, 255, 255), -100 + 256 * 6);
    EXPECT_EQ(drawLargeText(s, t, 20, 40, 255, 255, 255), 20 + 256 * 8);
    EXPECT_EQ(drawLargeText(s, t, -5000, -5000, 255, 255, 255), -5000 + 256 * 8);
    EXPECT_FALSE(litPixels(s).empty());
}

} // namespace
} // namespace delve
