#include "gfx/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "gfx/framebuffer.h"

namespace delve {

namespace {

// How a font's glyph strings are laid out and drawn.
struct FontLayout {
    const char* const* glyphs;
    bool (*exists)(int code);
    int rows;           // glyph rows drawn, rows 1..rows of the string
    int rowLength;      // characters a row takes in the glyph string
    int rise;           // glyph row n is drawn at y - n + rise
    int fixedWidth;     // columns of every glyph; 0: row 0's digit gives them
    int spacing;        // blank columns after a glyph
    // Pen advance for a character that has no glyph: a blank the size of a
    // typical glyph, so the rest of the line keeps its place.
    int missingAdvance;
};

constexpr FontLayout SmallLayout{SmallFont, smallGlyphExists, 9, 8, 2, 0, 1, 4};
constexpr FontLayout LargeLayout{LargeFont, largeGlyphExists, 12, 10, 0, 8, 0, 8};

// The set pixels of one glyph, its top-left column at `pen`. Out of line so
// the fuzz build can leave this per-pixel loop out of coverage.
[[gnu::noinline]] void plotGlyph(Screen& s, const FontLayout& font, const char* glyph, int width,
                                 int pen, int y, uint8_t r, uint8_t g, uint8_t b) {
    for (int row = 1; row <= font.rows; ++row)
        for (int col = 0; col < width; ++col)
            if (glyph[row * font.rowLength + col] != '0')
                plotPixel(s, pen + col, y - row + font.rise, r, g, b);
}

int drawText(Screen& s, const TextBuffer& t, const FontLayout& font, int x, int y, uint8_t r,
             uint8_t g, uint8_t b) {
    int pen = x;
    // Bounded by the buffer so a caller that filled it to the brim cannot run past it.
    for (size_t i = 0; i < sizeof t.text && t.text[i] != '\0'; ++i) {
        const int code = static_cast<unsigned char>(t.text[i]);
        if (!font.exists(code)) {
            pen += font.missingAdvance;
            continue;
        }
        const char* glyph = font.glyphs[code];
        const int width = font.fixedWidth ? font.fixedWidth : glyph[0] - '0';
        plotGlyph(s, font, glyph, width, pen, y, r, g, b);
        pen += width + font.spacing;
    }
    return pen;
}

} // namespace

void TextBuffer::format(const char* fmt, ...) {
    if (fmt == nullptr) {
        text[0] = '\0';
        return;
    }
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    if (n < 0) text[0] = '\0'; // an encoding error leaves no partial text behind
}

void TextBuffer::set(const char* s) {
    if (s == nullptr) {
        text[0] = '\0';
        return;
    }
    const size_t n = strnlen(s, sizeof text - 1);
    std::memcpy(text, s, n);
    text[n] = '\0';
}

bool smallGlyphExists(int code) { return code >= 32 && code <= 122 && code != 96; }

bool largeGlyphExists(int code) { return code >= 32 && code <= 126; }

int smallGlyphWidth(int code) {
    if (!smallGlyphExists(code)) return 0;
    return SmallFont[code][0] - '0';
}

int drawSmallText(Screen& s, const TextBuffer& t, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    return drawText(s, t, SmallLayout, x, y, r, g, b);
}

int drawLargeText(Screen& s, const TextBuffer& t, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    return drawText(s, t, LargeLayout, x, y, r, g, b);
}

} // namespace delve
