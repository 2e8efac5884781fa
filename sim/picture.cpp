#include <cinttypes>
#include <cstdio>

#include "gfx/framebuffer.h"
#include "gfx/palette.h"
#include "gfx/png.h"
#include "gfx/text.h"
#include "rules/contest.h"
#include "rules/generation.h"
#include "sim/sim.h"

namespace delve {

namespace {

constexpr int CellPixels = 3;
constexpr int MapPixels = MapSide * CellPixels;
constexpr int LegendWidth = 230;

Rgb terrainColour(uint8_t code) {
    switch (code) {
    case Cell::Plain: return {150, 190, 100};
    case Cell::Forest:
    case Cell::ForestFruit:
    case Cell::ForestGray:
    case Cell::ForestLeaf:
    case Cell::ForestB:
    case Cell::ForestC: return {60, 120, 55};
    case Cell::Water: return {70, 120, 200};
    case Cell::WaterDeep: return {40, 70, 150};
    case Cell::Swamp: return {100, 110, 70};
    case Cell::Desert: return {220, 200, 140};
    case Cell::Hills: return {165, 140, 95};
    case Cell::Mountain: return {130, 125, 120};
    case Cell::MountainHigh: return {215, 215, 220};
    case Cell::Road: return {190, 160, 120};
    case Cell::Village: return {170, 80, 60};
    default: return {25, 25, 25};
    }
}

constexpr Rgb MonsterColour{220, 20, 20};

// A mark centred on cell (x, y) of the map, `size` pixels wide, outlined.
void markCell(Screen& s, int x, int y, int size, Rgb c, Rgb outline) {
    const int cx = x * CellPixels + CellPixels / 2, cy = y * CellPixels + CellPixels / 2;
    const int half = size / 2;
    fillRect(s, cx - half - 1, cy - half - 1, size + 2, size + 2, outline);
    fillRect(s, cx - half, cy - half, size, size, c);
}

void text(Screen& s, TextBuffer& t, int x, int y, Rgb c, const char* line) {
    t.set(line);
    drawSmallText(s, t, x, y, c.r, c.g, c.b);
}

} // namespace

bool writeContestPicture(const std::string& path, const WorldMap& map, const Units& units,
                         uint32_t seed, int turnNumber, int winner, int* error) {
    Screen s;
    s.setMode(MapPixels + LegendWidth, MapPixels);
    s.clearFramebuffer();
    // Row 0 of the framebuffer is the bottom row, as in the map view.
    for (int y = 0; y < MapSide; ++y)
        for (int x = 0; x < MapSide; ++x)
            fillRect(s, x * CellPixels, y * CellPixels, CellPixels, CellPixels,
                     terrainColour(map.cell(x, y, 0)));

    const Rgb black{0, 0, 0};
    const int party = std::min(units.partySize, unitCapacity - 1);
    int monsters = 0;
    for (int i = 1; i < unitCapacity; ++i) {
        const UnitRecord& u = units[i];
        if (u.active != 1 || u.z != 0 || u.x >= MapSide || u.y >= MapSide) continue;
        if (u.side == MonsterSide) {
            markCell(s, u.x, u.y, 3, MonsterColour, black);
            ++monsters;
        }
    }
    // Members over the monsters, leaders largest and last.
    for (int i = 1; i < unitCapacity; ++i) {
        const UnitRecord& u = units[i];
        if (u.side != PartySide || u.group < 1 || u.group > party || u.z != 0 || u.x >= MapSide ||
            u.y >= MapSide)
            continue;
        if (u.active == 1 && i != u.group) markCell(s, u.x, u.y, 3, groupColour(u.group), black);
        else if (u.dead == 1) plotPixel(s, u.x * CellPixels + 1, u.y * CellPixels + 1, 0, 0, 0);
    }
    for (int k = 1; k <= party; ++k) {
        const UnitRecord& u = units[k];
        if (u.active == 1 && u.z == 0 && u.x < MapSide && u.y < MapSide)
            markCell(s, u.x, u.y, 7, groupColour(k), black);
    }

    TextBuffer t;
    const Rgb ink{230, 230, 230};
    const int left = MapPixels + 12;
    int y = MapPixels - 16;
    char line[128];
    text(s, t, left, y, {255, 255, 0}, "DELVE PARTY CONTEST");
    y -= 14;
    std::snprintf(line, sizeof line, "Seed %" PRIu32 ", turn %d, %s phase", seed, turnNumber,
                  phaseName(contestPhase(turnNumber)));
    text(s, t, left, y, ink, line);
    y -= 12;
    if (winner == ContestDraw) std::snprintf(line, sizeof line, "A draw: no leader left");
    else if (winner != 0) std::snprintf(line, sizeof line, "Winner: group %d", winner);
    else std::snprintf(line, sizeof line, "No winner yet");
    text(s, t, left, y, ink, line);
    y -= 20;
    for (int k = 1; k <= party && y > 120; ++k) {
        const GroupStatus st = groupStatus(units, k);
        fillRect(s, left - 1, y - 8, 9, 9, black);
        fillRect(s, left, y - 7, 7, 7, groupColour(k));
        std::snprintf(line, sizeof line, "Group %d%s: %d members, stock %d, lost %d", k,
                      st.leaderActive ? "" : " (out)", st.alive, st.stock, st.losses);
        text(s, t, left + 14, y, ink, line);
        y -= 13;
    }
    fillRect(s, left, y - 6, 5, 5, black);
    fillRect(s, left + 1, y - 5, 3, 3, MonsterColour);
    std::snprintf(line, sizeof line, "Monsters: %d", monsters);
    text(s, t, left + 14, y, ink, line);
    y -= 13;
    text(s, t, left + 14, y, ink, "Large squares: group leaders");
    y -= 22;

    struct Key {
        uint8_t code;
        const char* name;
    };
    const Key keys[] = {{Cell::Plain, "Plain"},     {Cell::Forest, "Forest"},
                        {Cell::Hills, "Hills"},     {Cell::Mountain, "Mountain"},
                        {Cell::MountainHigh, "High mountain"}, {Cell::Water, "Water"},
                        {Cell::Desert, "Desert"},   {Cell::Road, "Road"}};
    text(s, t, left, y, {255, 255, 0}, "Terrain");
    y -= 13;
    for (const Key& k : keys) {
        fillRect(s, left, y - 7, 9, 7, terrainColour(k.code));
        text(s, t, left + 14, y, ink, k.name);
        y -= 11;
    }
    return writePngBottomUp(path, s.width, s.height, s.framebuffer.data(), error);
}

} // namespace delve
