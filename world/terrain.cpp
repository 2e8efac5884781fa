#include "world/terrain.h"

#include <cmath>

#include "platform/output_file.h"
#include "world/overworld.h"

namespace delve {

bool saveOverworld(const WorldMap& map, Clock& clock, const std::string& dataDir, int number) {
    if (replaceFile(overworldPath(dataDir, number), map.data(), OverworldFileBytes) != 0)
        return false;
    clock.sleep(1000);
    return true;
}

bool setEdgeMidpoint(HeightGrid& heights, Rng& rng, int ax, int ay, int mx, int my, int bx,
                     int by, float roughness, float maxHeight) {
    if (!HeightGrid::holds(ax, ay) || !HeightGrid::holds(mx, my) || !HeightGrid::holds(bx, by))
        return false;
    if (heights.height(mx, my) != 0) return false;
    const int r = rng.rand();
    const int d = std::abs(ax - bx) + std::abs(ay - by);
    float v = float(heights.height(ax, ay) + heights.height(bx, by)) / 2.0f +
              float(d) * (float(r) / 32767.0f * 1.0f - 0.5f) * roughness;
    if (v < 1.0f) v = 1.0f;
    if (v > maxHeight) v = maxHeight;
    if (!(v <= 255.0f)) v = 255.0f; // a cell holds one byte (also catches NaN)
    heights.setHeight(mx, my, uint8_t(int(v)));
    return true;
}

bool displaceMidpoints(HeightGrid& heights, Rng& rng, int x0, int y0, int x1, int y1,
                       float roughness, float maxHeight) {
    if (!HeightGrid::holds(x0, y0) || !HeightGrid::holds(x1, y1)) return false;
    const int mx = (x0 + x1) / 2;
    const int my = (y0 + y1) / 2;
    setEdgeMidpoint(heights, rng, x0, y0, mx, y0, x1, y0, roughness, maxHeight);
    setEdgeMidpoint(heights, rng, x1, y0, x1, my, x1, y1, roughness, maxHeight);
    setEdgeMidpoint(heights, rng, x0, y1, mx, y1, x1, y1, roughness, maxHeight);
    setEdgeMidpoint(heights, rng, x0, y0, x0, my, x0, y1, roughness, maxHeight);
    if (heights.height(mx, my) == 0) {
        const float mean = float(heights.height(x0, y0) + heights.height(x1, y0) +
                                 heights.height(x0, y1) + heights.height(x1, y1)) /
                           4.0f;
        heights.setHeight(mx, my, uint8_t(int(mean)));
    }
    if (x1 - x0 < 2 && y1 - y0 < 2) return false;
    displaceMidpoints(heights, rng, x0, y0, mx, my, roughness, maxHeight);
    displaceMidpoints(heights, rng, mx, y0, x1, my, roughness, maxHeight);
    displaceMidpoints(heights, rng, mx, my, x1, y1, roughness, maxHeight);
    displaceMidpoints(heights, rng, x0, my, mx, y1, roughness, maxHeight);
    return true;
}

uint8_t landCodeOfHeight(uint8_t h) {
    if (h <= 3) return Cell::Plain;
    if (h <= 10) return Cell::Forest;
    if (h <= 15) return Cell::Hills;
    if (h <= 18) return Cell::Mountain;
    return Cell::MountainHigh;
}

void classifyHeight(const HeightGrid& heights, WorldMap& map, Rng& rng, int x, int y, int layer) {
    if (x < 1 || y < 1 || x > MapSide - 2 || y > MapSide - 2) return;
    if (layer < 0 || layer >= LayerCount) return;
    (void)rng.rand(); // drawn and unused, keeping the sequence of later draws
    map.setCell(x, y, layer, landCodeOfHeight(heights.height(x, y)));
}

int isDiagonalPinch(const WorldMap& map, int x, int y, int layer) {
    if (x < 0 || y < 0 || x > MapSide - 2 || y > MapSide - 2) return 0;
    if (layer < 0 || layer >= LayerCount) return 0;
    const uint8_t a = map.cell(x, y, layer);
    const uint8_t b = map.cell(x + 1, y, layer);
    const uint8_t c = map.cell(x, y + 1, layer);
    const uint8_t d = map.cell(x + 1, y + 1, layer);
    if (a == Cell::Rock && d == Cell::Rock && b == Cell::Floor && c == Cell::Floor) return 1;
    if (a == Cell::Floor && d == Cell::Floor && b == Cell::Rock && c == Cell::Rock) return 1;
    return 0;
}

int rectHasDiagonalPinch(const WorldMap& map, int x0, int y0, int x1, int y1, int layer) {
    if (layer < 0 || layer >= LayerCount) return 0;
    for (int y = std::max(y0, 0); y <= std::min(y1, MapSide - 2); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, MapSide - 2); ++x)
            if (isDiagonalPinch(map, x, y, layer)) return 1;
    return 0;
}

void fillRectInside(WorldMap& map, int x0, int y0, int x1, int y1, int layer, uint8_t code) {
    if (layer < 0 || layer >= LayerCount) return;
    for (int y = std::max(y0, 1); y <= std::min(y1, MapSide - 2); ++y)
        for (int x = std::max(x0, 1); x <= std::min(x1, MapSide - 2); ++x)
            map.setCell(x, y, layer, code);
}

int stampRoomMarked(World& world) {
    const GeneratorTables& gen = world.gen;
    const int layer = gen.stampLayer;
    if (layer < 0 || layer >= LayerCount) return 0;
    for (int row = 0; row < gen.scratch.height && row < ScratchSide; ++row) {
        for (int col = 0; col < gen.scratch.width && col < ScratchSide; ++col) {
            const uint8_t v = gen.scratch.at(row, col);
            if (v != 1 && v != 3) continue;
            const int x = gen.stampLeft + col;
            const int y = gen.stampTop + row;
            if (!insideMap(x, y, layer)) continue;
            world.map.setCell(x, y, layer, v == 1 ? Cell::Floor : Cell::TemplateMark);
            world.marks.setCell(x, y, layer, 15);
        }
    }
    return 0;
}

} // namespace delve
