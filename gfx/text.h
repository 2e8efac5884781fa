#pragma once
#include <cstdint>

namespace delve {

struct Screen;

// The one buffer all text is formatted into before it is drawn.
struct TextBuffer {
    char text[256] = {};

    // printf-style formatting into the buffer, cut at 255 characters.
    [[gnu::format(printf, 2, 3)]] void format(const char* fmt, ...);
    void set(const char* s);
};

// Small proportional font: 128 glyph strings of 88 characters ('0'/'1'),
// 11 rows of 8; row 0 holds the width digit. Only codes 32..122 except 96
// are glyphs; the other slots hold placeholders that are never drawn.
extern const char* const SmallFont[128];
// Large fixed-pitch font: glyph strings of 130 characters, 13 rows of 10,
// for codes 32..126; other slots hold placeholders that are never drawn.
extern const char* const LargeFont[128];

bool smallGlyphExists(int code);
bool largeGlyphExists(int code);
// Width in pixels of a small glyph, 0 for a character without a glyph.
int smallGlyphWidth(int code);

// Draws the buffer with the small font; capitals occupy rows y-5..y-1.
// Returns the pen position after the last character.
int drawSmallText(Screen& s, const TextBuffer& t, int x, int y, uint8_t r, uint8_t g, uint8_t b);
// Draws the buffer with the large font, 8 pixels per character; capitals
// occupy rows y-10..y-2. Returns the pen position after the last character.
int drawLargeText(Screen& s, const TextBuffer& t, int x, int y, uint8_t r, uint8_t g, uint8_t b);

} // namespace delve
