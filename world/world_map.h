#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/zeroed_array.h"

namespace delve {

constexpr int MapSide = 256;
constexpr int LayerCount = 180;
constexpr int LayerSize = MapSide * MapSide;
constexpr size_t WorldBytes = size_t(LayerCount) * LayerSize; // 11,796,480

// Cell codes. Everything not named here is open space that no view draws.
namespace Cell {
constexpr uint8_t Empty = 0;
constexpr uint8_t Block = 1;
constexpr uint8_t Grass = 2;
constexpr uint8_t Dirt = 3;
constexpr uint8_t Corner = 4;
constexpr uint8_t Impassable5 = 5; // no writer; the path search never enters it
constexpr uint8_t Plain = 10;
constexpr uint8_t Forest = 11;
constexpr uint8_t ForestFruit = 12;
constexpr uint8_t ForestGray = 13;
constexpr uint8_t Water = 14;
constexpr uint8_t WaterDeep = 15;
constexpr uint8_t Swamp = 16;
constexpr uint8_t Desert = 17;
constexpr uint8_t Hills = 18;
constexpr uint8_t Mountain = 19;
constexpr uint8_t MountainHigh = 20;
constexpr uint8_t ForestLeaf = 21;
constexpr uint8_t Road = 22;
constexpr uint8_t ForestB = 23;
constexpr uint8_t ForestC = 24;
constexpr uint8_t Floor = 60;              // '<'
constexpr uint8_t Rock = 61;               // '='
constexpr uint8_t MarbleFloor = 68;        // 'D'
constexpr uint8_t Door = 70;               // 'F'
constexpr uint8_t StairsUp = 76;           // 'L'
constexpr uint8_t StairsDown = 77;         // 'M'
constexpr uint8_t SourceComplete = 78;     // 'N'
constexpr uint8_t Source = 79;             // 'O'
constexpr uint8_t Spawn = 80;              // 'P'
constexpr uint8_t SpawnComplete = 81;      // 'Q'
constexpr uint8_t Trap = 82;               // 'R'
constexpr uint8_t TrapDisabled = 83;       // 'S'
constexpr uint8_t Fountain = 84;           // 'T'
constexpr uint8_t FountainDrank = 85;      // 'U'
constexpr uint8_t Candelabrum = 86;        // 'V'
constexpr uint8_t CandelabrumExtinct = 87; // 'W'
constexpr uint8_t Coffin = 88;             // 'X'
constexpr uint8_t CoffinOpen = 89;         // 'Y'
constexpr uint8_t Chest = 90;              // 'Z'
constexpr uint8_t ChestOpen = 91;          // '['
constexpr uint8_t Scrolls = 100;           // 'd'
constexpr uint8_t Circle = 108;            // 'l'
constexpr uint8_t CircleAflamed = 109;     // 'm'
constexpr uint8_t CircleGolden = 111;      // 'o'
constexpr uint8_t Altar = 112;             // 'p'
constexpr uint8_t AltarDark = 113;         // 'q'
constexpr uint8_t AltarJeweled = 116;      // 't'
constexpr uint8_t Torch = 128;
constexpr uint8_t TemplateMark = 160;
constexpr uint8_t FloorBones = 161;
constexpr uint8_t FloorBonesCleaned = 162;
constexpr uint8_t TemplateMarkAlt = 163;
constexpr uint8_t Village = 180;
constexpr uint8_t VillageYellow = 181;
constexpr uint8_t VillageBlue = 182;
constexpr uint8_t VillageGreen = 183;
constexpr uint8_t VillageRed = 184;
constexpr uint8_t Ruin = 188;
constexpr uint8_t Castle = 189;
constexpr uint8_t Grottus = 190;
constexpr uint8_t Mine = 191;
constexpr uint8_t IronMine = 192;
constexpr uint8_t Grove = 193;
constexpr uint8_t Well = 194;
constexpr uint8_t SourcePlain = 211;
constexpr uint8_t SourceRed = 212;
constexpr uint8_t GearMechanism = 218;
constexpr uint8_t Lever = 219;
} // namespace Cell

inline constexpr size_t cellIndex(int x, int y, int z) {
    return size_t(z) * LayerSize + size_t(y) * MapSide + size_t(x);
}

inline constexpr bool insideMap(int x, int y, int z) {
    return x >= 0 && x < MapSide && y >= 0 && y < MapSide && z >= 0 && z < LayerCount;
}

// A 256 x 256 x 180 grid of one-byte cells, layer z + 1 beneath layer z.
// Used for both the WorldMap and the MarkGrid. Allocated once, as zero
// pages that cost nothing until a layer is written.
struct CellGrid {
    ZeroedArray<uint8_t> bytes = ZeroedArray<uint8_t>(WorldBytes);

    uint8_t cell(int x, int y, int z) const { return bytes[cellIndex(x, y, z)]; }
    void setCell(int x, int y, int z, uint8_t code) { bytes[cellIndex(x, y, z)] = code; }
    // Bounds-checked read: outside the grid reads as `outside`.
    uint8_t cellOr(int x, int y, int z, uint8_t outside) const {
        return insideMap(x, y, z) ? bytes[cellIndex(x, y, z)] : outside;
    }
    uint8_t* data() { return bytes.data(); }
    const uint8_t* data() const { return bytes.data(); }
};

using WorldMap = CellGrid;
using MarkGrid = CellGrid;
using StepCostTable = std::array<float, 256>;

} // namespace delve
