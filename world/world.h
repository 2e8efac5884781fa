#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "world/world_map.h"

namespace delve {

// Height field of the terrain operations: 257 x 257 bytes, addressed as
// row * MapSide + column (the map's stride, not 257). 0 = height not set.
constexpr int HeightGridSide = MapSide + 1;
constexpr size_t HeightGridBytes = size_t(HeightGridSide) * HeightGridSide; // 66,049

struct HeightGrid {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(HeightGridBytes, 0);

    static constexpr size_t index(int x, int y) { return size_t(y) * MapSide + size_t(x); }
    // Coordinates whose index lies inside the block: 0..256 on both axes.
    static constexpr bool holds(int x, int y) {
        return x >= 0 && x <= MapSide && y >= 0 && y <= MapSide;
    }
    uint8_t height(int x, int y) const { return bytes[index(x, y)]; }
    void setHeight(int x, int y, uint8_t h) { bytes[index(x, y)] = h; }
    void clear() { std::fill(bytes.begin(), bytes.end(), uint8_t(0)); }
};

// One placed room of the generator.
struct RoomRecord {
    uint16_t x = 0;      // footprint's left column
    uint16_t y = 0;      // footprint's top row
    uint16_t width = 0;  // footprint size after rotation
    uint16_t height = 0;
    uint16_t layer = 0;
    uint32_t index = 0;  // the record's own position in the room table
    uint8_t templateId = 0;
};

constexpr int ScratchSide = 30;
constexpr int roomCapacity = LayerCount * 6000; // 1,080,000

// The 30 x 30 grid a template is decoded into (row-major, row length 30):
// 0 = keep rock, 1 = floor, 3 = mark. width/height are the current footprint.
struct TemplateScratch {
    uint8_t cells[ScratchSide * ScratchSide] = {};
    int width = 0;
    int height = 0;

    uint8_t at(int row, int column) const { return cells[row * ScratchSide + column]; }
};

// The generator's tables: the room table with its per-layer index and the
// template scratch, plus where the last room was stamped.
struct GeneratorTables {
    ZeroedArray<RoomRecord> rooms;          // roomCapacity records once allocated
    std::vector<int32_t> levelFirstRoom;    // LayerCount + 1 entries, by layer
    std::vector<int32_t> levelRoomEnd;      // rooms of layer z: [first[z], end[z])
    TemplateScratch scratch;
    int32_t roomCount = 0;
    // Origin and layer of the last stampRoom, used by stampRoomMarked.
    int stampLeft = 0;
    int stampTop = 0;
    int stampLayer = 0;

    bool allocated() const { return !rooms.empty(); }
};

// Generator configuration values.
constexpr int DefaultGeneratorStyle = 38;
constexpr int furnitureTryLimit = 1000000;

// Everything the world subsystem keeps for the process: the grid, the mark
// grid, the step costs, the height field and the generator's tables.
struct World {
    WorldMap map;
    MarkGrid marks;
    StepCostTable stepCosts{};
    HeightGrid heights;
    GeneratorTables gen;
    // Which templates the generator draws for grown rooms and what a
    // template's 'p' stamps (see generateDungeon).
    int generatorStyle = DefaultGeneratorStyle;
};

// Creates the room table (zero-filled), the two layer indexes and the scratch.
void allocateGeneratorTables(World& world);
// Releases them; the room table then holds nothing from before.
void freeGeneratorTables(World& world);

// 3.0 for every code, then the land, rock, trap and village costs.
void fillStepCostTable(StepCostTable& costs);

// 1 when some cell of the inclusive rectangle on layer z lies outside the
// map in x or y or holds a value other than code; 0 otherwise (also for an
// empty rectangle, x0 > x1 or y0 > y1). z must be a valid layer.
int rectDiffers(const WorldMap& map, int x0, int y0, int x1, int y1, int z, uint8_t code);
// Refuses (returns 1, writes nothing) unless the rectangle is all Empty and
// inside the map; else fills it with code and returns 0.
int claimRect(WorldMap& map, int x0, int y0, int x1, int y1, int z, uint8_t code);

// Copies the generator's work layers 33..41 to layers 2, 4, ..., 18 and
// fills layers 1, 3, ..., 19 with Rock.
constexpr int FirstWorkLayer = 33;
constexpr int WorkLayerCount = 9;
void stackDungeonLevels(WorldMap& map);

} // namespace delve
