#include "views/map_view.h"

#include <array>
#include <cmath>

namespace delve {

namespace {

constexpr std::array<int16_t, 256> makeTileTable() {
    std::array<int16_t, 256> t{};
    for (auto& v : t) v = -1;
    for (int c = 10; c <= 24; ++c) t[size_t(c)] = int16_t(c);
    for (int c = 180; c <= 184; ++c) t[size_t(c)] = int16_t(c);
    for (int c = 188; c <= 194; ++c) t[size_t(c)] = int16_t(c);
    const int pairs[][2] = {
        {Cell::Floor, 119},        {Cell::Rock, 111},          {Cell::MarbleFloor, 118},
        {Cell::Door, 128},         {Cell::StairsUp, 137},      {Cell::StairsDown, 136},
        {Cell::SourceComplete, 131}, {Cell::Source, 130},      {Cell::Spawn, 132},
        {Cell::SpawnComplete, 133}, {Cell::Trap, 148},         {Cell::TrapDisabled, 149},
        {Cell::Fountain, 134},     {Cell::FountainDrank, 135}, {Cell::Candelabrum, 122},
        {Cell::CandelabrumExtinct, 123}, {Cell::Coffin, 124},  {Cell::CoffinOpen, 125},
        {Cell::Chest, 120},        {Cell::ChestOpen, 121},     {Cell::Scrolls, 167},
        {Cell::Circle, 140},       {Cell::CircleGolden, 141},  {Cell::CircleAflamed, 142},
        {Cell::Altar, 144},        {Cell::AltarJeweled, 145},  {Cell::AltarDark, 146},
        {Cell::Torch, 152},        {Cell::FloorBones, 126},    {Cell::FloorBonesCleaned, 127},
        {Cell::SourcePlain, 160},  {Cell::SourceRed, 161},     {Cell::GearMechanism, 155},
        {Cell::Lever, 156},
    };
    for (const auto& p : pairs) t[size_t(p[0])] = int16_t(p[1]);
    return t;
}

constexpr std::array<int16_t, 256> TileTable = makeTileTable();

// What one unit and one cell may cost a frame, whatever a loaded table
// says. A unit's picture covers at most 4 x 4 cells from its own (the
// game's unit pictures fill one); of the units on one cell, the last 32
// drawn are shown, and they cover the ones before them.
constexpr int UnitPictureMaxPixels = 4 * MapCellPixels;
constexpr uint16_t UnitsDrawnPerCell = 32;
// Cells a view can show: 64 x 64, a 1024 x 1024 screen. Units on cells past
// these (a larger screen) are all drawn.
constexpr int MaxViewCells = 64 * 64;

// End column of the health bar: px + 14 * hitPoints / maxHitPoints in single
// precision, kept within reach of the screen so damaged values (zero or
// non-finite maximum) neither overflow the conversion nor draw for ever.
int healthBarEnd(int px, float hitPoints, float maxHitPoints, int screenWidth) {
    const float end = float(px) + 14.0f * hitPoints / maxHitPoints;
    if (std::isnan(end)) return px;
    if (end < -1.0f) return -1;
    if (end > float(screenWidth)) return screenWidth;
    return int(end);
}

// Half the tint colour over the cell's pixels, and a one-pixel frame of it.
// Out of line so the fuzz build can leave its per-pixel loop out of coverage.
[[gnu::noinline]] void tintCell(Screen& screen, int px, int py, const MapCellTint& tint) {
    for (int y = py; y < py + MapCellPixels; ++y) {
        if (y < 0 || y >= screen.height) continue;
        for (int x = px; x < px + MapCellPixels; ++x) {
            if (x < 0 || x >= screen.width) continue;
            uint8_t* p = &screen.framebuffer[(size_t(y) * size_t(screen.width) + size_t(x)) * 4];
            const bool frame = x == px || y == py || x == px + MapCellPixels - 1 ||
                               y == py + MapCellPixels - 1;
            if (frame) {
                p[0] = tint.r;
                p[1] = tint.g;
                p[2] = tint.b;
            } else {
                p[0] = uint8_t((p[0] + tint.r) / 2);
                p[1] = uint8_t((p[1] + tint.g) / 2);
                p[2] = uint8_t((p[2] + tint.b) / 2);
            }
            p[3] = 255;
        }
    }
}

} // namespace

int mapTileIndex(uint8_t code) { return TileTable[code]; }

void drawMapView(Screen& screen, TextBuffer& text, const BitmapCatalogue& pictures,
                 const WorldMap& map, const Units& units, const PathFinder& finder,
                 const TrigTables& trig, const Shell& shell, const MapCellTint* tint) {
    const int columns = shell.screenWidth / MapCellPixels;
    const int rows = shell.screenHeight / MapCellPixels;
    const int SX = shell.SX, SY = shell.SY, SZ = shell.SZ;

    for (int i = 0; i < columns; ++i)
        for (int j = 0; j < rows; ++j) {
            // Off-map cells (an origin the loop did not clamp) read as Empty.
            const int index = TileTable[map.cellOr(SX + i, SY + j, SZ, Cell::Empty)];
            if (index >= 0) drawBitmap(screen, pictures, MapCellPixels * i, MapCellPixels * j, index);
        }
    if (tint && tint->cells)
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < columns; ++i)
                if (tint->cells[j * columns + i])
                    tintCell(screen, MapCellPixels * i, MapCellPixels * j, *tint);

    const int s = units.selectedUnit;
    if (s >= 0 && s < unitCapacity && units[s].active == 1) {
        const UnitRecord& u = units[s];
        const int step = finder.pathStep[size_t(s)];
        if (step >= 0 && step < PathCapacity) {
            const size_t base = size_t(s) * PathCapacity;
            for (int k = step; k >= 0; --k)
                drawBitmapKeyed(screen, pictures, MapCellPixels * (finder.pathX[base + size_t(k)] - SX),
                                MapCellPixels * (finder.pathY[base + size_t(k)] - SY), RoadPicture);
        }
        const int dx = int(u.x) - SX, dy = int(u.y) - SY;
        drawCircle(screen, trig, MapCellPixels * dx + 8.0, MapCellPixels * dy + 8.0, SelectionRadius,
                   255, 255, 255);
        drawBitmapKeyed(screen, pictures, MapCellPixels * dx, MapCellPixels * dy, RoadPicture);
    }

    // The visible cell a unit is drawn on (dy * columns + dx), -1 for none.
    auto viewCell = [&](const UnitRecord& u) {
        if (u.active != 1 || u.dead != 0) return -1;
        if (u.side != HeroSide && u.side != PartySide && u.side != MonsterSide) return -1;
        const int dx = int(u.x) - SX, dy = int(u.y) - SY;
        if (int(u.z) != SZ || dx < 0 || dx >= columns || dy < 0 || dy >= rows) return -1;
        return dy * columns + dx;
    };
    // Units still to come on each cell. A unit is drawn only when it is one
    // of the last UnitsDrawnPerCell there: those cover the ones before them.
    std::array<uint16_t, MaxViewCells> toCome{};
    for (int i = 0; i < unitCapacity; ++i)
        if (const int c = viewCell(units[i]); c >= 0 && c < MaxViewCells) ++toCome[size_t(c)];

    for (int i = 0; i < unitCapacity; ++i) {
        const UnitRecord& u = units[i];
        const int c = viewCell(u);
        if (c < 0) continue;
        if (c < MaxViewCells && toCome[size_t(c)]-- > UnitsDrawnPerCell) continue;
        const int dx = int(u.x) - SX, dy = int(u.y) - SY;
        const int px = MapCellPixels * dx, py = MapCellPixels * dy;
        drawBitmapKeyed(screen, pictures, px, py, u.spriteId, UnitPictureMaxPixels);
        drawLine(screen, px, py + MapCellPixels, px + 14, py + MapCellPixels, 255, 0, 0);
        const int end = healthBarEnd(px, u.hitPoints, u.maxHitPoints, shell.screenWidth);
        if (u.condition == 0)
            drawLine(screen, px, py + MapCellPixels, end, py + MapCellPixels, 0, 255, 0);
        else if (u.condition == 1 || u.condition == 3)
            drawLine(screen, px, py + MapCellPixels, end, py + MapCellPixels, 96, 44, 136);
        text.format("%d ms%d ", i, int(u.moveState));
        drawSmallText(screen, text, px, py + 17, 255, 255, 255);
    }
}

} // namespace delve
