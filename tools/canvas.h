#pragma once
// A small RGB painting surface for the asset generator. Coordinates run
// from the top-left corner (y grows downward) as pixel artists draw; the
// file writers turn rows the right way round for each format.
#include <cstdint>
#include <string>
#include <vector>

namespace delve::art {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

constexpr Rgb Key{255, 0, 246}; // transparent colour of unit pictures
// Darkest colour the art uses: pure black is transparent when units are drawn.
constexpr Rgb Ink{22, 18, 26};

Rgb mix(Rgb a, Rgb b, float t);            // t = 0 gives a, 1 gives b
Rgb shade(Rgb c, float f);                 // f < 1 darkens, > 1 lightens
Rgb hex(uint32_t rrggbb);
// Never returns pure black, so keyed drawing keeps every painted pixel.
Rgb safe(Rgb c);

// Deterministic hash noise in 0..1 for integer coordinates and a seed.
float hash01(int x, int y, uint32_t seed);
// Smooth value noise in 0..1, period `cell` pixels, tiling over `wrap` pixels
// when wrap > 0 (so textures repeat seamlessly).
float valueNoise(float x, float y, int cell, uint32_t seed, int wrap = 0);

class Canvas {
public:
    Canvas(int w, int h, Rgb fill = Key);

    int width() const { return w_; }
    int height() const { return h_; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
    Rgb get(int x, int y) const;
    void set(int x, int y, Rgb c);
    // Blends c over the pixel with opacity a (0..1).
    void blend(int x, int y, Rgb c, float a);
    bool isKey(int x, int y) const { return inside(x, y) && get(x, y) == Key; }

    void fill(Rgb c);
    void rect(int x, int y, int w, int h, Rgb c);
    void frame(int x, int y, int w, int h, Rgb c);
    void line(int x0, int y0, int x1, int y1, Rgb c);
    void disc(float cx, float cy, float r, Rgb c);
    void ring(float cx, float cy, float r, float thickness, Rgb c);
    void ellipse(float cx, float cy, float rx, float ry, Rgb c);

    // Paints a pixel map: one string per row, '.' and ' ' leave the pixel,
    // any other character is looked up in the palette string pairs
    // ("aRRGGBB" entries given through `legend`).
    struct Legend {
        char ch;
        Rgb c;
    };
    void stamp(int x, int y, const std::vector<std::string>& rows, const std::vector<Legend>& legend,
               bool mirrorX = false);

    // Dark outline around every non-key pixel that touches the key colour.
    void outline(Rgb c = Ink);
    // Flood of the key colour with c (for finishing tiles).
    void replace(Rgb from, Rgb to);
    // Copies another canvas at (x, y), skipping its key pixels.
    void paste(const Canvas& other, int x, int y);

    const std::vector<Rgb>& pixels() const { return px_; }

private:
    int w_, h_;
    std::vector<Rgb> px_;
};

} // namespace delve::art
