#include "world/generator.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "world/templates.h"

namespace delve {

namespace {

uint8_t markCode(int generatorStyle) {
    return generatorStyle == 6 ? Cell::TemplateMarkAlt : Cell::TemplateMark;
}

void stampCells(WorldMap& map, const TemplateScratch& grid, int width, int height, int left,
                int top, int layer, uint8_t mark) {
    for (int row = 0; row < height; ++row) {
        uint8_t* out = map.data() + cellIndex(left, top + row, layer);
        const uint8_t* in = grid.cells + row * ScratchSide;
        for (int col = 0; col < width; ++col) {
            if (in[col] == 1) out[col] = Cell::Floor;
            else if (in[col] == 3) out[col] = mark;
        }
    }
}

void report(const GenerationReport& r, const char* format, int target) {
    if (!r.reportGeneration) return;
    if (r.show) {
        char line[64];
        std::snprintf(line, sizeof line, format, target);
        r.show(line);
    }
    if (r.clock) r.clock->sleep(100);
}

// x % n for the generator's values (x and n in 0..32767) by a multiply
// instead of a division: exact because x * n < 2^32.
struct FastModulus {
    uint64_t magic = 1;
    uint32_t n = 1;
    FastModulus() = default;
    explicit FastModulus(uint32_t divisor) : magic(0xFFFFFFFFull / divisor + 1), n(divisor) {}
    int of(int x) const {
        const uint32_t q = uint32_t((uint64_t(uint32_t(x)) * magic) >> 32);
        return int(uint32_t(x) - q * n);
    }
};

// Moduli for footprint sides (1..30).
const FastModulus* sideModuli() {
    static const auto table = [] {
        std::array<FastModulus, ScratchSide + 1> t{};
        for (uint32_t n = 1; n <= ScratchSide; ++n) t[n] = FastModulus(n);
        return t;
    }();
    return table.data();
}

// The values Rng::rand() would return, computed a block at a time: each
// state of the block follows from the block's start by one multiply and
// add, so the values do not wait on each other. The caller's Rng is set to
// the state after the last value taken when the stream ends.
class RandomStream {
public:
    static constexpr int Block = 64;

    explicit RandomStream(Rng& rng) : rng_(rng), start_(rng.state()) { fill(); }
    ~RandomStream() { rng_.srand(stateAfter(taken_)); }
    RandomStream(const RandomStream&) = delete;
    RandomStream& operator=(const RandomStream&) = delete;

    int next() {
        if (taken_ == Block) {
            start_ = stateAfter(Block);
            fill();
        }
        return int(values_[taken_++]);
    }

private:
    struct Steps {
        uint32_t mul[Block + 1];
        uint32_t add[Block + 1];
    };
    static const Steps& steps() {
        static const Steps table = [] {
            Steps t{};
            t.mul[0] = 1;
            t.add[0] = 0;
            for (int k = 1; k <= Block; ++k) {
                t.mul[k] = t.mul[k - 1] * 214013u;
                t.add[k] = t.add[k - 1] * 214013u + 2531011u;
            }
            return t;
        }();
        return table;
    }
    uint32_t stateAfter(int k) const { return steps().mul[k] * start_ + steps().add[k]; }
    void fill() {
        const Steps& t = steps();
        for (int k = 0; k < Block; ++k)
            values_[k] = ((t.mul[k + 1] * start_ + t.add[k + 1]) >> 16) & 0x7FFFu;
        taken_ = 0;
    }

    Rng& rng_;
    uint32_t start_;
    int taken_ = 0;
    uint32_t values_[Block];
};

struct Generator {
    World& world;
    RandomStream& random;
    uint8_t* cells;
    GeneratorTables& gen;
    const FastModulus* sides = sideModuli();

    int below(int n) { return int(uint32_t(random.next()) % uint32_t(n)); }
    int below(const FastModulus& m) { return m.of(random.next()); }

    void appendRoom(int left, int top, int width, int height, int layer, int templateId) {
        RoomRecord& room = gen.rooms[size_t(gen.roomCount)];
        room.x = uint16_t(left);
        room.y = uint16_t(top);
        room.width = uint16_t(width);
        room.height = uint16_t(height);
        room.layer = uint16_t(layer);
        room.index = uint32_t(gen.roomCount);
        room.templateId = uint8_t(templateId);
        ++gen.roomCount;
    }

    // Phase 1 for one layer; false when the layer could not be started.
    bool growLevel(int z, bool firstOfCall, int centreX, int centreY, int levelSide, int attempts) {
        const int half = levelSide / 2;
        if (claimRect(world.map, centreX - half, centreY - half, centreX + half, centreY + half, z,
                      Cell::Rock))
            return false;
        int templateId = firstOfCall ? 13 : below(13);
        decodeTemplate(gen.scratch, templateId, 0);
        const int width = gen.scratch.width;
        const int height = gen.scratch.height;
        const int left = centreX - width / 2;
        const int top = centreY - height / 2;
        if (rectDiffers(world.map, left - 1, top - 1, left + width, top + height, z, Cell::Rock))
            return false;
        stampRoom(world, left, top, z);
        gen.levelFirstRoom[size_t(z)] = gen.roomCount;
        appendRoom(left, top, width, height, z, templateId);

        const int style = world.generatorStyle;
        const uint8_t mark = markCode(style);
        const int first = gen.levelFirstRoom[size_t(z)];
        const uint8_t* layer = cells + cellIndex(0, 0, z);
        // The scratch as the last footprint and decode of the tries left it;
        // written back once instead of on every try.
        const TemplateScratch* lastDecoded = nullptr;
        int lastWidth = width, lastHeight = height;

        FastModulus roomsSoFar(uint32_t(gen.roomCount - first));
        for (int a = 0; a < attempts && gen.roomCount < roomCapacity; ++a) {
            for (int t = 0; t < 1000; ++t) {
                const int rotation = below(4);
                if (style == 38) templateId = below(19);
                else if (style == 3 || style == 5 || style == 6) templateId = below(29);
                const RoomRecord& parent = gen.rooms[size_t(first + below(roomsSoFar))];
                const int px = parent.x + below(sides[parent.width]);
                const int py = parent.y + below(sides[parent.height]);
                if (!(2 < px && px < MapSide - 2 && 2 < py && py < MapSide - 2)) continue;
                // Direction 0..3: doorway below, above, right, left of the parent cell.
                static constexpr int stepX[4] = {0, 0, 1, -1};
                static constexpr int stepY[4] = {1, -1, 0, 0};
                const int direction = below(4);
                const int dx = stepX[direction], dy = stepY[direction];
                const int doorX = px + dx, doorY = py + dy;
                const int ax = px + 2 * dx, ay = py + 2 * dy;
                // One test instead of three: most tries fail here, unpredictably.
                const bool opens = (layer[py * MapSide + px] == Cell::Floor) &
                                   (layer[doorY * MapSide + doorX] == Cell::Rock) &
                                   (layer[ay * MapSide + ax] == Cell::Rock);
                if (!opens) continue;
                const TemplateScratch& shape = decodedTemplate(templateId, rotation);
                const int w = shape.width, h = shape.height;
                lastWidth = w;
                lastHeight = h;
                const int ox = below(sides[w]);
                const int oy = below(sides[h]);
                const int roomLeft = ax - ox, roomTop = ay - oy;
                if (rectDiffers(world.map, roomLeft - 1, roomTop - 1, roomLeft + w, roomTop + h, z,
                                Cell::Rock))
                    continue;
                lastDecoded = &shape;
                if (shape.at(oy, ox) != 1) continue;
                stampCells(world.map, shape, w, h, roomLeft, roomTop, z, mark);
                gen.stampLeft = roomLeft;
                gen.stampTop = roomTop;
                gen.stampLayer = z;
                appendRoom(roomLeft, roomTop, w, h, z, templateId);
                roomsSoFar = FastModulus(uint32_t(gen.roomCount - first));
                cells[cellIndex(doorX, doorY, z)] = below(3) == 1 ? Cell::Door : Cell::Floor;
                break;
            }
        }
        if (lastDecoded) gen.scratch = *lastDecoded;
        gen.scratch.width = lastWidth;
        gen.scratch.height = lastHeight;
        gen.levelRoomEnd[size_t(z)] = gen.roomCount;
        return true;
    }

    // One random floor cell candidate among the rooms of a level.
    void drawCell(int first, int n, int& x, int& y) {
        const RoomRecord& room = gen.rooms[size_t(first + below(n))];
        x = room.x + below(room.width);
        y = room.y + below(room.height);
    }

    void placeStairs(int z, int first, int n, int target) {
        int placed = 0;
        for (int tries = 0; placed < target && tries < furnitureTryLimit; ++tries) {
            int x = 0, y = 0;
            drawCell(first, n, x, y);
            uint8_t& here = cells[cellIndex(x, y, z)];
            uint8_t& above = cells[cellIndex(x, y, z - 1)];
            if (here != Cell::Floor || above != Cell::Floor) continue;
            here = Cell::StairsUp;
            above = Cell::StairsDown;
            ++placed;
        }
    }

    // Places target + 1 pieces (none when target is 0) on plain floor.
    void placeFurniture(int z, int first, int n, int target, uint8_t code) {
        if (target <= 0) return;
        int placed = 0;
        for (int tries = 0; placed <= target && tries < furnitureTryLimit; ++tries) {
            int x = 0, y = 0;
            drawCell(first, n, x, y);
            uint8_t& c = cells[cellIndex(x, y, z)];
            if (c != Cell::Floor) continue;
            c = code;
            ++placed;
        }
    }

    void furnishLevel(int z, bool firstOfCall, int levelSide, const GenerationReport& r) {
        const int first = gen.levelFirstRoom[size_t(z)];
        const int n = gen.levelRoomEnd[size_t(z)] - first;
        if (n <= 0) return;
        if (!firstOfCall) {
            const int stairs = levelSide / 32 + 1;
            report(r, "Stairs Generation = %d", stairs);
            placeStairs(z, first, n, stairs);
        }
        report(r, "Chest Generation = %d", n / 25);
        placeFurniture(z, first, n, n / 25, Cell::Chest);
        report(r, "Candleabrum Generation = %d", n / 5);
        placeFurniture(z, first, n, n / 5, Cell::Candelabrum);
        report(r, "Scrolls Generation = %d", n / 40);
        placeFurniture(z, first, n, n / 40, Cell::Scrolls);
        report(r, "Coffin Generation = %d", n / 25);
        placeFurniture(z, first, n, n / 25, Cell::Coffin);
        report(r, "Fountain Generation = %d", n / 60);
        placeFurniture(z, first, n, n / 60, Cell::Fountain);
    }
};

} // namespace

void stampRoom(World& world, int left, int top, int layer) {
    GeneratorTables& gen = world.gen;
    gen.stampLeft = left;
    gen.stampTop = top;
    gen.stampLayer = layer;
    if (layer < 0 || layer >= LayerCount) return;
    const uint8_t mark = markCode(world.generatorStyle);
    for (int row = 0; row < gen.scratch.height && row < ScratchSide; ++row) {
        for (int col = 0; col < gen.scratch.width && col < ScratchSide; ++col) {
            const uint8_t v = gen.scratch.at(row, col);
            if ((v != 1 && v != 3) || !insideMap(left + col, top + row, layer)) continue;
            world.map.setCell(left + col, top + row, layer, v == 1 ? Cell::Floor : mark);
        }
    }
}

void generateDungeon(World& world, Rng& rng, int centreX, int centreY, int firstLayer,
                     int levelCount, int levelSide, int attempts, const GenerationReport& report) {
    if (!world.gen.allocated()) allocateGeneratorTables(world);
    RandomStream random(rng);
    Generator g{world, random, world.map.data(), world.gen};
    g.gen.roomCount = 0;
    const int lastLayer = firstLayer + levelCount - 1;
    for (int z = firstLayer; z <= lastLayer; ++z)
        if (!g.growLevel(z, z == firstLayer, centreX, centreY, levelSide, attempts)) return;
    for (int z = firstLayer; z <= lastLayer; ++z)
        g.furnishLevel(z, z == firstLayer, levelSide, report);
}

} // namespace delve
