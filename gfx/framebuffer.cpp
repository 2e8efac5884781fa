#include "gfx/framebuffer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace delve {

void Screen::setMode(int newWidth, int newHeight) {
    // assign keeps the buffers' memory: switching between the two view
    // modes asks for none after the first switch.
    width = newWidth;
    height = newHeight;
    framebuffer.assign(size_t(width) * size_t(height) * 4, 0);
    workCanvas.assign(size_t(width) * size_t(height) * 4, 0);
}

void Screen::release() {
    std::vector<uint8_t>().swap(framebuffer);
    std::vector<uint8_t>().swap(workCanvas);
    width = height = 0;
}

void Screen::clearFramebuffer() {
    std::memset(framebuffer.data(), 0, framebuffer.size());
}

void TrigTables::build() {
    if (ready()) return;
    sineTable_ = ZeroedArray<float>(size_t(TrigEntries));
    cosineTable_ = ZeroedArray<float>(size_t(TrigEntries));
    std::fill(std::begin(filled_), std::end(filled_), 0);
}

void TrigTables::fillBlock(int block) const {
    constexpr double degreeToRadian = 0.017453292516666667; // 3.141592653 / 180
    const int end = std::min(TrigEntries, (block + 1) * TrigBlockEntries);
    for (int i = block * TrigBlockEntries; i < end; ++i) {
        double angle = i * degreeToRadian / 1000.0;
        sineTable_[size_t(i)] = float(std::sin(angle));
        cosineTable_[size_t(i)] = float(std::cos(angle));
    }
    filled_[size_t(block) / 64] |= uint64_t(1) << (block % 64);
}

int TrigTables::blocksFilled() const {
    int n = 0;
    for (uint64_t w : filled_) n += std::popcount(w);
    return n;
}

void TrigTables::release() {
    sineTable_ = ZeroedArray<float>();
    cosineTable_ = ZeroedArray<float>();
    std::fill(std::begin(filled_), std::end(filled_), 0);
}

// Integer line walk whose error term starts at the minor delta; it always
// ends exactly on (x1, y1).
void drawLine(Screen& s, int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t b) {
    int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    int stepX = x1 > x0 ? 1 : (x1 < x0 ? -1 : 0);
    int stepY = y1 > y0 ? 1 : (y1 < y0 ? -1 : 0);
    int x = x0, y = y0;
    plotPixel(s, x, y, r, g, b);
    if (dx > dy) {
        int error = dy;
        for (int i = 0; i < dx; ++i) {
            error += dy;
            if (error > dx) { error -= dx; y += stepY; }
            x += stepX;
            plotPixel(s, x, y, r, g, b);
        }
    } else {
        int error = dx;
        for (int i = 0; i < dy; ++i) {
            error += dx;
            if (error > dy) { error -= dy; x += stepX; }
            y += stepY;
            plotPixel(s, x, y, r, g, b);
        }
    }
}

namespace {

// Walks the outline from the lowest point up both sides at once, reading
// the tables instead of calling sine and cosine.
template <typename Plot>
void walkCircle(const TrigTables& trig, double centreX, double centreY, double radius, Plot plot) {
    if (radius < 0.0) radius = 0.0;
    if (radius > 9999.0) radius = 9999.0;
    if (!trig.ready()) return;
    double step = 1.0 / radius * 50.0; // infinite for radius 0: one pass
    int cx = int(centreX);
    int cy = int(centreY);
    for (double a = 0.0; a <= 180.0; a += step) {
        int i = int(a * 1000.0);
        double dxf = double(trig.sine(i)) * radius;
        double dyf = -radius * double(trig.cosine(i));
        int dxi = int(dxf);
        int y = int(dyf) + cy;
        plot(cx + dxi, y);
        plot(cx - dxi, y);
    }
}

} // namespace

void drawCircle(Screen& s, const TrigTables& trig, double centreX, double centreY, double radius,
                uint8_t r, uint8_t g, uint8_t b) {
    walkCircle(trig, centreX, centreY, radius, [&](int x, int y) { plotPixel(s, x, y, r, g, b); });
}

void drawCanvasCircle(Screen& s, const TrigTables& trig, double centreX, double centreY,
                      double radius, uint8_t r, uint8_t g, uint8_t b) {
    walkCircle(trig, centreX, centreY, radius,
               [&](int x, int y) { plotCanvasPixel(s, x, y, r, g, b); });
}

void drawCursorCross(Screen& s, int mx, int my) {
    drawLine(s, mx, my, mx + 5, my, 255, 255, 255);
    drawLine(s, mx, my, mx, my + 5, 255, 255, 255);
    drawLine(s, mx, my, mx - 5, my, 255, 255, 255);
    drawLine(s, mx, my, mx, my - 5, 255, 255, 255);
}

} // namespace delve
