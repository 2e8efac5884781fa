#include "world/world.h"

#include <cstring>

namespace delve {

void allocateGeneratorTables(World& world) {
    GeneratorTables& gen = world.gen;
    gen.levelFirstRoom.assign(size_t(LayerCount) + 1, 0);
    gen.levelRoomEnd.assign(size_t(LayerCount) + 1, 0);
    gen.scratch = TemplateScratch{};
    // Zero pages: only the records the generator writes are ever touched.
    gen.rooms = ZeroedArray<RoomRecord>(size_t(roomCapacity));
    gen.roomCount = 0;
}

void freeGeneratorTables(World& world) {
    GeneratorTables& gen = world.gen;
    gen.rooms = ZeroedArray<RoomRecord>();
    std::vector<int32_t>().swap(gen.levelFirstRoom);
    std::vector<int32_t>().swap(gen.levelRoomEnd);
    gen.scratch = TemplateScratch{};
    gen.roomCount = 0;
}

void fillStepCostTable(StepCostTable& costs) {
    costs.fill(3.0f);
    costs[Cell::Plain] = 30.0f;
    costs[Cell::Forest] = 332.0f;
    costs[Cell::ForestFruit] = 18.0f;
    costs[Cell::ForestGray] = 42.0f;
    costs[Cell::Water] = 16.0f;
    costs[Cell::WaterDeep] = 50.0f;
    costs[Cell::Swamp] = 28.0f;
    costs[Cell::Desert] = 30.0f;
    costs[Cell::Hills] = 374.0f;
    costs[Cell::Mountain] = 548.0f;
    costs[Cell::MountainHigh] = 208.0f;
    costs[Cell::ForestLeaf] = 15.0f;
    costs[Cell::Road] = 1.0f;
    costs[Cell::Rock] = 3000.0f;
    costs[Cell::Trap] = 20.0f;
    for (int code = Cell::Village; code <= Cell::VillageRed; ++code) costs[size_t(code)] = 180.0f;
}

namespace {

// True when all `width` bytes from p equal code; eight at a time.
inline bool rowAll(const uint8_t* p, size_t width, uint8_t code) {
    const uint64_t pattern = 0x0101010101010101ull * code;
    size_t i = 0;
    for (; i + 8 <= width; i += 8) {
        uint64_t chunk;
        std::memcpy(&chunk, p + i, 8);
        if (chunk != pattern) return false;
    }
    for (; i < width; ++i)
        if (p[i] != code) return false;
    return true;
}

} // namespace

int rectDiffers(const WorldMap& map, int x0, int y0, int x1, int y1, int z, uint8_t code) {
    if (x0 > x1 || y0 > y1) return 0;
    if (z < 0 || z >= LayerCount) return 1;
    // Any cell outside the map offends, whatever the rest holds.
    if (x0 < 0 || y0 < 0 || x1 >= MapSide || y1 >= MapSide) return 1;
    const size_t width = size_t(x1 - x0) + 1;
    const uint8_t* row = map.data() + cellIndex(x0, y0, z);
    for (int y = y0; y <= y1; ++y, row += MapSide)
        if (!rowAll(row, width, code)) return 1;
    return 0;
}

int claimRect(WorldMap& map, int x0, int y0, int x1, int y1, int z, uint8_t code) {
    if (rectDiffers(map, x0, y0, x1, y1, z, Cell::Empty)) return 1;
    if (x0 > x1 || y0 > y1) return 0;
    for (int y = y0; y <= y1; ++y)
        std::memset(map.data() + cellIndex(x0, y, z), code, size_t(x1 - x0) + 1);
    return 0;
}

void stackDungeonLevels(WorldMap& map) {
    uint8_t* cells = map.data();
    for (int w = FirstWorkLayer; w < FirstWorkLayer + WorkLayerCount; ++w)
        std::memcpy(cells + cellIndex(0, 0, 2 * (w - FirstWorkLayer) + 2), cells + cellIndex(0, 0, w),
                    size_t(LayerSize));
    for (int z = 1; z <= 2 * WorkLayerCount + 1; z += 2)
        std::memset(cells + cellIndex(0, 0, z), Cell::Rock, size_t(LayerSize));
}

} // namespace delve
