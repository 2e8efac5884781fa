#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/zeroed_array.h"

namespace delve {

// The two software pixel buffers of the current screen mode. Pixels are
// red, green, blue, alpha bytes; row 0 is the bottom row of the window.
struct Screen {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> framebuffer; // presented every frame
    std::vector<uint8_t> workCanvas;  // GL read-back target and screensaver canvas

    // Releases both buffers and allocates new ones of the given size (the
    // only place the buffers are ever allocated).
    void setMode(int newWidth, int newHeight);
    void release();
    void clearFramebuffer();
};

// Sine and cosine of every thousandth of a degree from 0 to 3599.999.
constexpr int TrigEntries = 3600000;
// Entries computed together on first read: one 4 KB page of each table.
constexpr int TrigBlockEntries = 1024;
constexpr int TrigBlocks = (TrigEntries + TrigBlockEntries - 1) / TrigBlockEntries;
struct TrigTables {
    // Both tables hold every entry. Their pages start as the kernel's zero
    // pages, and each block of entries is computed the first time one of
    // them is read: a circle reads a few hundred entries of the first
    // half-turn, so most pages never exist and start-up computes nothing.
    // Reads return exactly what filling the whole table at once would.
    float sine(int i) const {
        fillBlockOf(i);
        return sineTable_[size_t(i)];
    }
    float cosine(int i) const {
        fillBlockOf(i);
        return cosineTable_[size_t(i)];
    }

    // Makes both tables; does nothing when they already exist.
    void build();
    void release();
    bool ready() const { return !sineTable_.empty() && !cosineTable_.empty(); }
    // Blocks computed so far (each a page of both tables).
    int blocksFilled() const;
    size_t residentBytes() const { return sineTable_.residentBytes() + cosineTable_.residentBytes(); }

private:
    void fillBlockOf(int i) const {
        const int block = i / TrigBlockEntries;
        if (!(filled_[size_t(block) / 64] >> (block % 64) & 1)) fillBlock(block);
    }
    void fillBlock(int block) const;

    mutable ZeroedArray<float> sineTable_;
    mutable ZeroedArray<float> cosineTable_;
    mutable uint64_t filled_[(TrigBlocks + 63) / 64] = {}; // bit set: block computed
};

// Writes one framebuffer pixel (alpha 255) when (x, y) lies on the screen.
inline void plotPixel(Screen& s, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) return;
    uint8_t* p = s.framebuffer.data() + (size_t(y) * size_t(s.width) + size_t(x)) * 4;
    p[0] = r; p[1] = g; p[2] = b; p[3] = 255;
}

// The same into the work canvas, in its RGBA layout.
inline void plotCanvasPixel(Screen& s, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) return;
    uint8_t* p = s.workCanvas.data() + (size_t(y) * size_t(s.width) + size_t(x)) * 4;
    p[0] = r; p[1] = g; p[2] = b; p[3] = 255;
}

void drawLine(Screen& s, int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t b);
void drawCircle(Screen& s, const TrigTables& trig, double centreX, double centreY, double radius,
                uint8_t r, uint8_t g, uint8_t b);
void drawCanvasCircle(Screen& s, const TrigTables& trig, double centreX, double centreY,
                      double radius, uint8_t r, uint8_t g, uint8_t b);
// The white plus-shaped cursor at framebuffer position (mx, my).
void drawCursorCross(Screen& s, int mx, int my);

} // namespace delve
