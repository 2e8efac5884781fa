#include "tools/sheet.h"

#include <algorithm>

#include "tools/art.h"

namespace delve::art {

namespace {
// 3 x 5 digits, one row per string, '#' set.
const char* const Digits[10][5] = {
    {"###", "#.#", "#.#", "#.#", "###"}, {".#.", "##.", ".#.", ".#.", "###"},
    {"###", "..#", "###", "#..", "###"}, {"###", "..#", ".##", "..#", "###"},
    {"#.#", "#.#", "###", "..#", "..#"}, {"###", "#..", "###", "..#", "###"},
    {"###", "#..", "###", "#.#", "###"}, {"###", "..#", ".#.", ".#.", ".#."},
    {"###", "#.#", "###", "#.#", "###"}, {"###", "#.#", "###", "..#", "###"},
};

const Rgb SheetBack = hex(0x2a2630);
const Rgb Backdrop = hex(0x5c6b4e);
} // namespace

void drawNumber(Canvas& c, int x, int y, int value, Rgb colour, int scale) {
    std::string s = std::to_string(value);
    for (char ch : s) {
        if (ch < '0' || ch > '9') continue;
        const auto& g = Digits[ch - '0'];
        for (int j = 0; j < 5; ++j)
            for (int i = 0; i < 3; ++i)
                if (g[j][i] == '#') c.rect(x + i * scale, y + j * scale, scale, scale, colour);
        x += 4 * scale;
    }
}

Canvas contactSheet(const std::vector<SheetItem>& items) {
    constexpr int Cell = 72, CellH = 84, Columns = 12;
    // Wide pictures first get full rows; the rest fill the grid.
    int wideHeight = 0;
    for (const auto& it : items)
        if (it.picture->width() > 64) wideHeight += it.picture->height() + 20;
    int small = int(std::count_if(items.begin(), items.end(),
                                  [](const SheetItem& it) { return it.picture->width() <= 64; }));
    int rows = (small + Columns - 1) / Columns;
    Canvas sheet(Columns * Cell + 8, wideHeight + rows * CellH + 8, SheetBack);
    int y = 4;
    for (const auto& it : items) {
        if (it.picture->width() <= 64) continue;
        drawNumber(sheet, 8, y + 2, it.index, hex(0xf0e0a0), 2);
        sheet.paste(*it.picture, 8, y + 14);
        y += it.picture->height() + 20;
    }
    int n = 0;
    for (const auto& it : items) {
        const Canvas& p = *it.picture;
        if (p.width() > 64) continue;
        int cx = 4 + (n % Columns) * Cell, cy = y + (n / Columns) * CellH;
        ++n;
        int scale = std::max(1, 64 / std::max(p.width(), p.height()));
        int ox = cx + (Cell - p.width() * scale) / 2, oy = cy + 4;
        sheet.rect(ox - 1, oy - 1, p.width() * scale + 2, p.height() * scale + 2, hex(0x15121a));
        for (int j = 0; j < p.height(); ++j)
            for (int i = 0; i < p.width(); ++i) {
                Rgb c = p.get(i, j);
                if (it.keyed && (c == Key || c == Rgb{0, 0, 0})) c = Backdrop;
                sheet.rect(ox + i * scale, oy + j * scale, scale, scale, c);
            }
        drawNumber(sheet, cx + Cell / 2 - 8, cy + 4 + p.height() * scale + 4, it.index,
                   hex(0xf0e0a0), 1);
    }
    return sheet;
}

Canvas zoomSheet(const std::vector<Canvas>& pictures, int scale) {
    int w = 4, h = 8;
    for (const Canvas& p : pictures) {
        w += p.width() * scale + 4;
        h = std::max(h, p.height() * scale + 8);
    }
    Canvas sheet(w, h, SheetBack);
    int x = 4;
    for (const Canvas& p : pictures) {
        for (int j = 0; j < p.height(); ++j)
            for (int i = 0; i < p.width(); ++i) sheet.rect(x + i * scale, 4 + j * scale, scale, scale, p.get(i, j));
        x += p.width() * scale + 4;
    }
    return sheet;
}

Rgb overworldColour(uint8_t code) {
    switch (code) {
    case 10: return hex(0x8fb35a);  // plain
    case 11: return hex(0x3f7a3a);  // forest
    case 12: return hex(0x5d8a2e);  // fruit forest
    case 13: return hex(0x5f7468);  // gray forest
    case 14: return hex(0x4f86c6);  // water
    case 15: return hex(0x2c4f8f);  // deep water
    case 16: return hex(0x5e6e44);  // swamp
    case 17: return hex(0xd9c27a);  // desert
    case 18: return hex(0xa09a5c);  // hills
    case 19: return hex(0x8a7f73);  // mountain
    case 20: return hex(0xe8e8f0);  // high mountain
    case 21: return hex(0x56a040);  // leaf forest
    case 22: return hex(0xb08a58);  // road
    case 23: return hex(0x2f6640);  // forest b
    case 24: return hex(0x466b2a);  // forest c
    case 180: return hex(0xffffff);
    case 181: return hex(0xffe040);
    case 182: return hex(0x40a0ff);
    case 183: return hex(0x40ff60);
    case 184: return hex(0xff4040);
    case 188: return hex(0x9a6a9a);
    case 189: return hex(0xff80ff);
    case 190: return hex(0x402030);
    case 191: return hex(0x202020);
    case 192: return hex(0x804020);
    case 193: return hex(0x9adf70);
    case 194: return hex(0x00ffff);
    default: return hex(0xff00ff);
    }
}

Canvas overworldPicture(const uint8_t* cells, int side, int scale) {
    Canvas c(side * scale, side * scale, SheetBack);
    // Row y = 0 is the bottom of the map view, so it goes at the bottom here.
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            uint8_t code = cells[y * side + x];
            Rgb col = overworldColour(code);
            int px = x * scale, py = (side - 1 - y) * scale;
            c.rect(px, py, scale, scale, col);
            if (scale >= 4 && code >= 180) c.frame(px, py, scale, scale, Ink);
        }
    return c;
}

} // namespace delve::art
