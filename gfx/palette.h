#pragma once
#include <cstdint>

#include "gfx/framebuffer.h"

namespace delve {

// A colour as red, green and blue bytes.
struct Rgb {
    uint8_t r, g, b;
};

// Fills the w x h rectangle whose lower-left pixel is (x0, y0); pixels off
// the screen are skipped.
inline void fillRect(Screen& s, int x0, int y0, int w, int h, Rgb c) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) plotPixel(s, x, y, c.r, c.g, c.b);
}

// The colour contest group `group` wears in the map view and in delve-sim's
// pictures: colours that stand out against the terrain, reused when there
// are more groups than colours.
inline Rgb groupColour(int group) {
    constexpr Rgb colours[] = {
        {255, 230, 0},   {0, 235, 255},   {255, 60, 230},  {255, 140, 0},
        {255, 255, 255}, {120, 255, 120}, {160, 110, 255}, {255, 170, 170},
    };
    constexpr int count = int(sizeof colours / sizeof colours[0]);
    return colours[((group - 1) % count + count) % count];
}

} // namespace delve
