#include "gfx/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "gfx/framebuffer.h"

namespace delve {

namespace {

// Pen advance for a character that has no glyph: a blank the size of a
// typical glyph, so the rest of the line keeps its place.
constexpr int SmallMissingAdvance = 4;
constexpr int LargeMissingAdvance = 8;
constexpr int LargeAdvance = 8;

constexpr int SmallRowLength = 8;
constexpr int LargeRowLength = 10;

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
    int pen = x;
    // Bounded by the buffer so a caller that filled it to the brim cannot run past it.
    for (size_t i = 0; i < sizeof t.text && t.text[i] != '\0'; ++i) {
        const int code = static_cast<unsigned char>(t.text[i]);
        if (!smallGlyphExists(code)) {
            pen += SmallMissingAdvance;
            continue;
        }
        const char* glyph = SmallFont[code];
        const int width = glyph[0] - '0';
        for (int row = 1; row <= 9; ++row)
            for (int col = 0; col < width; ++col)
                if (glyph[row * SmallRowLength + col] != '0') plotPixel(s, pen + col, y - row + 2, r, g, b);
        pen += width + 1;
    }
    return pen;
}

int drawLargeText(Screen& s, const TextBuffer& t, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    int pen = x;
    for (size_t i = 0; i < sizeof t.text && t.text[i] != '\0'; ++i) {
        const int code = static_cast<unsigned char>(t.text[i]);
        if (!largeGlyphExists(code)) {
            pen += LargeMissingAdvance;
            continue;
        }
        const char* glyph = LargeFont[code];
        for (int row = 1; row <= 12; ++row)
            for (int col = 0; col < 8; ++col)
                if (glyph[row * LargeRowLength + col] != '0') plotPixel(s, pen + col, y - row, r, g, b);
        pen += LargeAdvance;
    }
    return pen;
}

} // namespace delve
