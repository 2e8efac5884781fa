#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "gfx/framebuffer.h"
#include "gfx/text.h"

namespace delve {
namespace {

using Pixel = std::pair<int, int>;

Screen makeScreen(int w, int h) {
    Screen s;
    s.setMode(w, h);
    return s;
}

std::set<Pixel> inkedPixels(const Screen& s) {
    std::set<Pixel> out;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            if (s.framebuffer[(size_t(y) * size_t(s.width) + size_t(x)) * 4 + 3] != 0) out.insert({x, y});
    return out;
}

std::set<int> columnsOf(const std::set<Pixel>& px) {
    std::set<int> cols;
    for (auto [x, y] : px) cols.insert(x);
    return cols;
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
    const auto px = inkedPixels(s);
    EXPECT_EQ(columnsOf(px), (std::set<int>{12, 13, 14, 16, 17, 18}));
    for (auto [x, y] : px) EXPECT_TRUE(y >= 95 && y <= 99) << y;
}

TEST(LargeText, AdvancesEightPixelsAndClipsAtTheEdge) {
    TextBuffer t;
    t.set(std::string(40, '-').c_str());
    Screen wide = makeScreen(400, 240);
    EXPECT_EQ(drawLargeText(wide, t, 12, 100, 255, 255, 255), 332);
    const auto wideCols = columnsOf(inkedPixels(wide));
    EXPECT_TRUE(*wideCols.begin() == 12 && *wideCols.rbegin() == 12 + 39 * 8 + 5);

    Screen narrow = makeScreen(320, 240);
    EXPECT_EQ(drawLargeText(narrow, t, 12, 100, 255, 255, 255), 332);
    std::set<Pixel> expected;
    for (auto p : inkedPixels(wide))
        if (p.first < 320) expected.insert(p);
    EXPECT_EQ(inkedPixels(narrow), expected);
    EXPECT_TRUE(expected.count({319, 100 - 6}));
}

TEST(Text, EmptyTextAndCharactersWithoutGlyphDrawNothingAndKeepTheLineInPlace) {
    Screen s = makeScreen(2000, 64);
    TextBuffer t; // empty: nothing drawn, the pen stays
    EXPECT_EQ(drawSmallText(s, t, 7, 30, 255, 255, 255), 7);
    EXPECT_EQ(drawLargeText(s, t, 7, 30, 255, 255, 255), 7);
    std::string smallMissing, largeMissing;
    for (int c = 1; c < 256; ++c) {
        if (!smallGlyphExists(c)) smallMissing += char(c);
        if (!largeGlyphExists(c)) largeMissing += char(c);
    }
    t.set(smallMissing.c_str());
    EXPECT_EQ(drawSmallText(s, t, 0, 30, 255, 255, 255), 4 * int(smallMissing.size()));
    t.set(largeMissing.c_str());
    EXPECT_EQ(drawLargeText(s, t, 0, 30, 255, 255, 255), 8 * int(largeMissing.size()));
    EXPECT_TRUE(inkedPixels(s).empty());
}

TEST(Text, DrawsOffScreenAndUnterminatedTextSafely) {
    Screen s = makeScreen(32, 32);
    TextBuffer t;
    std::memset(t.text, 'M', sizeof t.text); // no terminating zero anywhere
    EXPECT_EQ(drawSmallText(s, t, -100, 5, 255, 255, 255), -100 + 256 * 6);
    EXPECT_EQ(drawLargeText(s, t, 20, 40, 255, 255, 255), 20 + 256 * 8);
    EXPECT_EQ(drawLargeText(s, t, -5000, -5000, 255, 255, 255), -5000 + 256 * 8);
    const auto px = inkedPixels(s);
    EXPECT_FALSE(px.empty());
    for (auto [x, y] : px) EXPECT_TRUE(x < 32 && y < 32);
}

} // namespace
} // namespace delve
