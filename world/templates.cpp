#include "world/templates.h"

#include <array>
#include <cstring>

namespace delve {

namespace {

// The room shapes, one string per cell row, top to bottom.
const char* const rows00[] = {"ddd", "ddd", "ddd"};
const char* const rows01[] = {"ddd"};
const char* const rows02[] = {"dddd"};
const char* const rows03[] = {"ddddd"};
const char* const rows04[] = {"0d0", "ddd", "0d0"};
const char* const rows05[] = {"00d00", "0ddd0", "ddddd", "0ddd0", "00d00"};
const char* const rows06[] = {"dddd", "dddd"};
const char* const rows07[] = {"ddd", "ddd"};
const char* const rows08[] = {"ddddd", "ddddd"};
const char* const rows09[] = {"ddddd", "d0d0d", "ddddd"};
const char* const rows10[] = {"ddddd", "ddddd", "ddddd"};
const char* const rows11[] = {"000dd000", "0dddddd0", "0dddddd0", "dddddddd", "0dddddd0", "0dddddd0", "000dd000"};
const char* const rows12[] = {"dddd", "dddd", "dddd", "dddd"};
const char* const rows13[] = {"ddddd", "ddddd", "ddddd", "ddddd", "ddddd"};
const char* const rows14[] = {"0000d0000", "00ddddd00", "0ddddddd0", "0ddddddd0", "ddddddddd", "0ddddddd0", "0ddddddd0", "00ddddd00", "0000d0000"};
const char* const rows15[] = {"dddddddd", "dddddddd", "dd000000", "dd000000", "dd000000", "dd000000"};
const char* const rows16[] = {"0ddd0", "ddddd", "ddddd", "0ddd0", "0ddd0"};
const char* const rows17[] = {"0dddddd0", "0dddddd0", "dddddddd", "0dddddd0"};
const char* const rows18[] = {"00dddd00", "0dddddd0", "ddd00ddd", "dd0000dd", "ddd00ddd", "0dddddd0", "00dddd00", "00000000"};
const char* const rows19[] = {"00ddddd00", "00ddddd00", "ddddddddd", "ddddpdddd", "dddpppddd", "ddddpdddd", "ddddddddd", "00ddddd00", "00ddddd00"};
const char* const rows20[] = {"0pdddp0", "pdddddp", "dddpddd", "ddpppdd", "dddpddd", "pdddddp", "0pdddp0"};
const char* const rows21[] = {"pdp", "ddd", "pdp"};
const char* const rows22[] = {"pddp", "dddd", "dddd", "pddp"};
const char* const rows23[] = {"pdddp", "ddddd", "ddddd", "ddddd", "pdddp"};
const char* const rows24[] = {"pdddp", "ddddd", "ddpdd", "ddddd", "pdddp"};
const char* const rows25[] = {"00dpd00", "pdddddp", "ddddddd", "00ddd00", "00ddd00"};
const char* const rows26[] = {"dpd", "ddd", "pdp", "ddd", "dpd"};
const char* const rows27[] = {"pdddddp", "ddddddd", "ddddddd", "ddd0000", "ddd0000", "ddd0000", "pdd0000"};
const char* const rows28[] = {"0000ddp", "0000ddd", "0000ddd", "0000ddd", "ddddddd", "ddddddd", "pdddddp"};
const char* const rows30[] = {"d", "d", "d", "d", "d", "d"};
const char* const rows31[] = {"dddddd"};
const char* const rows33[] = {"dd", "dd", "dd", "dd"};
const char* const rows34[] = {"000000000000", "00000000dd00", "00000dddddd0", "0dddddd00ddd", "ddddd00000dd", "dddddd00dddd", "0ddddddddddd", "00ddddddddd0", "0000ddd00000"};
const char* const rows35[] = {"00000dd00", "0000dddd0", "000dddd00", "000dddddd", "0000ddd00", "000dddd00", "00dddddd0", "000dddd00"};
const char* const rows36[] = {"00000d00000d000", "00000dd0000d000", "000000d000dd000", "00000dddd0d0000", "00000dddddddd00", "000000ddd000ddd", "000000d00000000", "00000dd00000000", "000ddd000000000"};
const char* const rows37[] = {"00000000dd", "00000000d0", "000000ddd0", "000000d000", "0000ddd000", "dddddddd00", "000ddddd00", "0000ddd000", "000000d000", "000000ddd0", "00000000d0"};
const char* const rows38[] = {"000000000000000", "000000000000000", "000000ddd000000", "000000dddd00000", "0000000dd000000", "0000dd00d000000", "00dddddddd0ddd0", "0000ddd000ddddd", "000000000000ddd", "0000000000000d0"};
const char* const rows39[] = {"00ddddd00000", "dddddddd000d", "dddddddddddd", "dddddddddddd", "dddddddddddd", "dddddddddddd", "000ddddddd00", "00000000dddd", "00dddd000ddd"};
const char* const rows40[] = {"000000000ddd", "00dd00000dd0", "0dddd000dddd", "00dd00d00d00", "000000000000", "0000ddd0000d", "000ddddd0000", "0000ddd00000", "0d000000d000"};
const char* const rows41[] = {"000000000ddd", "0000000000dd", "0000ddd00000", "00000dd00000", "000000000000", "000000000000", "d00dd0000000", "d000d0000000", "dd00000000dd"};
const char* const rows42[] = {"d00000000d00", "d00000000d00", "d0000ddddddd", "dddddd000000", "00000d000000", "00000d000000", "00000d000000", "00000ddddddd", "00000d000d00"};
const char* const rows43[] = {"d00000000d00", "d00000000d00", "dddd0ddddddd", "dddddd00000d", "00000d0ddd0d", "0ddd0d0ddd00", "0ddddd00d000", "0ddd0ddddddd", "00000d000d00"};

const RoomTemplate templateTable[RoomTemplateCount] = {
    {3, 3, rows00}, // 0
    {3, 1, rows01}, // 1
    {4, 1, rows02}, // 2
    {5, 1, rows03}, // 3
    {3, 3, rows04}, // 4
    {5, 5, rows05}, // 5
    {4, 2, rows06}, // 6
    {3, 2, rows07}, // 7
    {5, 2, rows08}, // 8
    {5, 3, rows09}, // 9
    {5, 3, rows10}, // 10
    {8, 7, rows11}, // 11
    {4, 4, rows12}, // 12
    {5, 5, rows13}, // 13
    {9, 9, rows14}, // 14
    {8, 6, rows15}, // 15
    {5, 5, rows16}, // 16
    {8, 4, rows17}, // 17
    {8, 8, rows18}, // 18
    {9, 9, rows19}, // 19
    {7, 7, rows20}, // 20
    {3, 3, rows21}, // 21
    {4, 4, rows22}, // 22
    {5, 5, rows23}, // 23
    {5, 5, rows24}, // 24
    {7, 5, rows25}, // 25
    {3, 5, rows26}, // 26
    {7, 7, rows27}, // 27
    {7, 7, rows28}, // 28
    {7, 7, rows28}, // 29
    {1, 6, rows30}, // 30
    {6, 1, rows31}, // 31
    {4, 2, rows06}, // 32
    {2, 4, rows33}, // 33
    {12, 9, rows34}, // 34
    {9, 8, rows35}, // 35
    {15, 9, rows36}, // 36
    {10, 11, rows37}, // 37
    {15, 10, rows38}, // 38
    {12, 9, rows39}, // 39
    {12, 9, rows40}, // 40
    {12, 9, rows41}, // 41
    {12, 9, rows42}, // 42
    {12, 9, rows43}, // 43
};

inline bool validTemplate(int templateId) { return templateId >= 0 && templateId < RoomTemplateCount; }

// Template cell (r, c) under a rotation: scratch row and column.
inline void rotatedPosition(int rotation, int w, int h, int r, int c, int& row, int& col) {
    switch (rotation) {
    case 1: row = w - 1 - c; col = r; break;
    case 2: row = c; col = r; break;
    case 3: row = h - 1 - r; col = c; break;
    default: row = r; col = c; break;
    }
}

void decodeSlow(TemplateScratch& scratch, int templateId, int rotation) {
    std::memset(scratch.cells, 0, sizeof scratch.cells);
    templateFootprint(scratch, templateId, rotation);
    const RoomTemplate& t = templateTable[templateId];
    for (int r = 0; r < t.height; ++r) {
        for (int c = 0; c < t.width; ++c) {
            const char ch = t.rows[r][c];
            const uint8_t value = ch == 'd' ? 1 : ch == 'p' ? 3 : 0;
            if (value == 0) continue;
            int row = 0, col = 0;
            rotatedPosition(rotation, t.width, t.height, r, c, row, col);
            scratch.cells[row * ScratchSide + col] = value;
        }
    }
}

// Every template under every rotation, decoded once.
const std::array<TemplateScratch, RoomTemplateCount * 4>& decodedTable() {
    static const auto table = [] {
        std::array<TemplateScratch, RoomTemplateCount * 4> all{};
        for (int id = 0; id < RoomTemplateCount; ++id)
            for (int rot = 0; rot < 4; ++rot) decodeSlow(all[size_t(id * 4 + rot)], id, rot);
        return all;
    }();
    return table;
}

} // namespace

const RoomTemplate& roomTemplate(int templateId) { return templateTable[templateId]; }

void templateText(int templateId, char* out) {
    std::memset(out, '0', 990);
    out[990] = '\0';
    if (!validTemplate(templateId)) return;
    const RoomTemplate& t = templateTable[templateId];
    out[0] = 'j';
    out[1] = 'k';
    out[2] = char('a' + t.width - 1);
    out[3] = char('a' + t.height - 1);
    for (int r = 0; r < t.height; ++r) std::memcpy(out + (r + 1) * 30, t.rows[r], size_t(t.width));
}

void templateFootprint(TemplateScratch& scratch, int templateId, int rotation) {
    if (!validTemplate(templateId)) {
        scratch.width = scratch.height = 0;
        return;
    }
    const RoomTemplate& t = templateTable[templateId];
    const bool turned = rotation == 1 || rotation == 2;
    scratch.width = turned ? t.height : t.width;
    scratch.height = turned ? t.width : t.height;
}

void decodeTemplate(TemplateScratch& scratch, int templateId, int rotation) {
    scratch = decodedTemplate(templateId, rotation);
}

const TemplateScratch& decodedTemplate(int templateId, int rotation) {
    static const TemplateScratch nothing{};
    if (!validTemplate(templateId)) return nothing;
    if (rotation < 0 || rotation > 3) rotation = 0;
    return decodedTable()[size_t(templateId * 4 + rotation)];
}

} // namespace delve
