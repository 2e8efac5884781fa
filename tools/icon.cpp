#include "tools/icon.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tools/art_common.h"
#include "tools/canvas.h"

namespace delve::art {

namespace {

struct Sample {
    Rgb c;
    float a; // coverage 0..1
};

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// Signed distance to a rounded square centred at 0.5 (negative inside).
float roundedSquare(float u, float v, float half, float radius) {
    float qx = std::fabs(u - 0.5f) - (half - radius);
    float qy = std::fabs(v - 0.5f) - (half - radius);
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

const Rgb StoneA = hex(0x4a4e5c);
const Rgb StoneB = hex(0x6a6c78);
const Rgb Mortar = hex(0x25232c);
const Rgb ArchStone = hex(0xa69a86);
const Rgb Dark = hex(0x120e16);
const Rgb Glow = hex(0xf0a040);

// The wall of mortared blocks behind the doorway.
Rgb wall(float u, float v) {
    const float rowH = 0.125f, blockW = 0.25f;
    int row = int(std::floor(v / rowH));
    float shift = (row % 2) ? blockW * 0.5f : 0.0f;
    int col = int(std::floor((u + shift) / blockW));
    float fu = (u + shift) / blockW - float(col), fv = v / rowH - float(row);
    float tone = hash01(col, row, 77);
    Rgb stone = mix(StoneA, StoneB, tone);
    const float mu = 0.05f, mv = 0.08f;
    if (fu < mu || fu > 1.0f - mu || fv < mv || fv > 1.0f - mv) return Mortar;
    // Bevel: lit from the top left.
    if (fv < mv + 0.09f || fu < mu + 0.04f) return shade(stone, 1.25f);
    if (fv > 0.84f || fu > 0.93f) return shade(stone, 0.75f);
    return shade(stone, 0.92f + 0.16f * valueNoise(u * 256, v * 256, 24, 5));
}

// The opening: darkness above, stairs going down into warm light.
Rgb opening(float u, float v) {
    // Light rises from below the stairs.
    float light = clamp01((v - 0.42f) / 0.5f);
    Rgb base = mix(Dark, shade(Glow, 0.55f), light * light);
    // Four steps, each nearer (lower) one wider and brighter.
    const float tops[4] = {0.62f, 0.70f, 0.79f, 0.89f};
    for (int i = 3; i >= 0; --i) {
        float top = tops[i];
        float halfWidth = 0.09f + 0.035f * float(i);
        if (v < top || std::fabs(u - 0.5f) > halfWidth) continue;
        float depth = v - top;
        float lit = 0.45f + 0.17f * float(i);
        Rgb tread = mix(hex(0x6a5240), Glow, lit * 0.55f);
        if (depth < 0.022f) return shade(tread, 1.3f);  // the lit edge
        return shade(tread, 0.55f + 0.1f * float(i));    // the riser
    }
    return base;
}

Sample iconAt(float u, float v) {
    float tile = roundedSquare(u, v, 0.46f, 0.14f);
    if (tile > 0.0f) return {Rgb{}, 0.0f};
    if (tile > -0.018f) return {Ink, 1.0f};

    // The doorway: an arch of radius r over the posts, centred at x 0.5.
    const float cx = 0.5f, cy = 0.47f, r = 0.22f, frame = 0.07f, bottom = 0.93f;
    float dx = u - cx, dy = v - cy;
    bool inOpening = (v >= cy && std::fabs(dx) < r && v < bottom) ||
                     (v < cy && std::hypot(dx, dy) < r);
    bool inFrame = !inOpening && ((v >= cy && std::fabs(dx) < r + frame && v < bottom) ||
                                  (v < cy && std::hypot(dx, dy) < r + frame));
    if (inOpening) return {opening(u, v), 1.0f};
    if (inFrame) {
        // Voussoirs around the arch, blocks down the posts.
        float edge;
        int block;
        if (v < cy) {
            float angle = std::atan2(dy, dx); // -pi..0 over the arch
            block = int(std::floor((angle + 3.14159265f) / (3.14159265f / 7.0f)));
            float frac = (angle + 3.14159265f) / (3.14159265f / 7.0f) - float(block);
            edge = std::min(frac, 1.0f - frac) * 0.3f;
            float radial = (std::hypot(dx, dy) - r) / frame;
            edge = std::min(edge, std::min(radial, 1.0f - radial) * 0.5f);
        } else {
            block = 20 + int(std::floor((v - cy) / 0.09f));
            float frac = (v - cy) / 0.09f - std::floor((v - cy) / 0.09f);
            float across = (std::fabs(dx) - r) / frame;
            edge = std::min(std::min(frac, 1.0f - frac) * 0.6f, std::min(across, 1.0f - across) * 0.5f);
        }
        Rgb stone = shade(ArchStone, 0.85f + 0.25f * hash01(block, dx < 0 ? 1 : 2, 9));
        if (edge < 0.04f) return {Mortar, 1.0f};
        if (edge < 0.09f) return {shade(stone, 1.15f), 1.0f};
        return {stone, 1.0f};
    }
    // A warm spill of light on the wall around the doorway's foot.
    Rgb w = wall(u, v);
    float spill = clamp01(1.0f - std::hypot(dx * 1.4f, v - 0.95f) / 0.55f);
    return {mix(w, Glow, spill * spill * 0.35f), 1.0f};
}

} // namespace

std::vector<uint8_t> paintIcon(int size) {
    if (size < 16 || size > 1024) throw std::invalid_argument("icon size out of range");
    // Smaller icons take more samples per pixel so thin lines stay soft.
    const int ss = std::max(4, 1024 / size);
    std::vector<uint8_t> out(size_t(size) * size_t(size) * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < ss; ++sy) {
                for (int sx = 0; sx < ss; ++sx) {
                    float u = (float(x) + (float(sx) + 0.5f) / float(ss)) / float(size);
                    float v = (float(y) + (float(sy) + 0.5f) / float(ss)) / float(size);
                    Sample s = iconAt(u, v);
                    r += float(s.c.r) * s.a;
                    g += float(s.c.g) * s.a;
                    b += float(s.c.b) * s.a;
                    a += s.a;
                }
            }
            uint8_t* px = &out[(size_t(y) * size_t(size) + size_t(x)) * 4];
            // Colour averaged over the covered samples only (straight alpha).
            float n = a > 0 ? a : 1.0f;
            px[0] = uint8_t(std::lround(r / n));
            px[1] = uint8_t(std::lround(g / n));
            px[2] = uint8_t(std::lround(b / n));
            px[3] = uint8_t(std::lround(a / float(ss * ss) * 255.0f));
        }
    }
    return out;
}

} // namespace delve::art
