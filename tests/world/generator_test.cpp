#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <vector>

#include "tests/world/world_fixture.h"
#include "world/templates.h"

namespace delve {
namespace {

using test::startupWorld;

constexpr uint32_t Seeds[] = {1, 1234, 987654321};

int countCode(const WorldMap& map, int z, uint8_t code) {
    const uint8_t* p = map.data() + cellIndex(0, 0, z);
    return int(std::count(p, p + LayerSize, code));
}

// Fits each room record's template (in an orientation matching its
// footprint) onto the open cells to find each open cell's room, then checks
// no two floors touch, the cells of no room are one doorway per grown room,
// and rooms and doorways form one tree.
void checkLevelShape(const World& w, int z) {
    const GeneratorTables& gen = w.gen;
    const int first = gen.levelFirstRoom[size_t(z)], end = gen.levelRoomEnd[size_t(z)];
    ASSERT_GT(end - first, 1);
    std::vector<int> owner(size_t(LayerSize), -1);
    auto own = [&](int x, int y) -> int& { return owner[size_t(y * MapSide + x)]; };
    for (int i = first; i < end; ++i) {
        const RoomRecord& room = gen.rooms[size_t(i)];
        ASSERT_TRUE(room.index == uint32_t(i) && room.layer == z) << i;
        ASSERT_TRUE(room.x >= 1 && room.y >= 1 && room.x + room.width <= 256 && room.y + room.height <= 256) << i;
        // The first room of the first level is template 13, of later levels below 13.
        ASSERT_TRUE(i == first ? (z == 33 ? room.templateId == 13 : room.templateId < 13) : room.templateId < 19) << i;
        bool fitted = false;
        for (int rot = 0; rot < 4 && !fitted; ++rot) {
            const TemplateScratch& s = decodedTemplate(room.templateId, rot);
            fitted = s.width == room.width && s.height == room.height;
            for (int r = 0; r < s.height && fitted; ++r)
                for (int c = 0; c < s.width; ++c)
                    fitted = fitted && (!s.at(r, c) || (w.map.cell(room.x + c, room.y + r, z) != Cell::Rock &&
                                                        own(room.x + c, room.y + r) == -1));
            for (int r = 0; r < s.height && fitted; ++r)
                for (int c = 0; c < s.width; ++c)
                    if (s.at(r, c)) own(room.x + c, room.y + r) = i;
        }
        ASSERT_TRUE(fitted) << "room " << i << " does not match its template";
    }
    // Floors of different rooms never touch, not even at a corner.
    std::vector<int> connectors, connectorIndex(size_t(LayerSize), -1);
    for (int y = 1; y < MapSide; ++y)
        for (int x = 1; x < MapSide; ++x) {
            const int o = own(x, y);
            if (o < 0 && w.map.cell(x, y, z) != Cell::Rock) {
                connectorIndex[size_t(y * MapSide + x)] = int(connectors.size());
                connectors.push_back(y * MapSide + x);
            }
            for (int dy = -1; dy <= 1 && o >= 0; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int n = x + dx > 255 || y + dy > 255 ? -1 : own(x + dx, y + dy);
                    ASSERT_TRUE(n < 0 || n == o) << "rooms " << o << " and " << n << " touch";
                }
        }
    ASSERT_EQ(int(connectors.size()), end - first - 1);
    // Rooms and doorway cells joined by 4-neighbour contacts: a tree when
    // connected with one edge fewer than nodes.
    const int rooms = end - first, nodes = rooms + int(connectors.size());
    std::vector<int> parent(static_cast<size_t>(nodes));
    std::iota(parent.begin(), parent.end(), 0);
    auto find = [&](int a) {
        while (parent[size_t(a)] != a) a = parent[size_t(a)] = parent[size_t(parent[size_t(a)])];
        return a;
    };
    int edges = 0;
    for (size_t k = 0; k < connectors.size(); ++k)
        for (int n : {connectors[k] + 1, connectors[k] - 1, connectors[k] + MapSide, connectors[k] - MapSide}) {
            const int other = owner[size_t(n)] >= 0 ? owner[size_t(n)] - first
                              : connectorIndex[size_t(n)] > int(k) ? rooms + connectorIndex[size_t(n)] : -1;
            if (other < 0) continue;
            ++edges;
            parent[size_t(find(rooms + int(k)))] = find(other);
        }
    for (int n = 1; n < nodes; ++n) ASSERT_EQ(find(n), find(0)) << "level " << z << " is split";
    ASSERT_EQ(edges, nodes - 1) << "level " << z << " has a loop";
}

// Each level is one tree of separate rooms, and after stacking each down
// stair stands above rock and an up stair two layers deeper. (How many
// stairs each level gets is pinned by the seed catalogue.)
TEST(DungeonGenerator, EveryLevelIsOneTreeOfSeparateRoomsAndStairsLinkThem) {
    for (uint32_t seed : Seeds) {
        SCOPED_TRACE(seed);
        const World& w = *startupWorld(seed).world;
        for (int z = 33; z <= 41; ++z) {
            SCOPED_TRACE(z);
            EXPECT_EQ(w.gen.levelFirstRoom[size_t(z)], z > 33 ? w.gen.levelRoomEnd[size_t(z - 1)] : 0);
            EXPECT_LE(w.gen.levelRoomEnd[size_t(z)] - w.gen.levelFirstRoom[size_t(z)], 2401);
            checkLevelShape(w, z);
        }
        EXPECT_EQ(w.gen.roomCount, w.gen.levelRoomEnd[41]);
        for (int z = 2; z <= 16; z += 2)
            for (int y = 0; y < MapSide; ++y)
                for (int x = 0; x < MapSide; ++x)
                    if (w.map.cell(x, y, z) == Cell::StairsDown) {
                        EXPECT_TRUE(w.map.cell(x, y, z + 1) == Cell::Rock && w.map.cell(x, y, z + 2) == Cell::StairsUp)
                            << x << "," << y << "," << z;
                    }
    }
}

// Few attempts give levels of one room to a few dozen: below every room
// count that earns a kind of furniture, then past some of them. (How many
// pieces larger levels get is pinned by the seed catalogue.)
TEST(DungeonGenerator, SmallLevelsGetOnlyTheFurnitureTheirRoomCountAllows) {
    constexpr std::pair<uint8_t, int> roomsPerPiece[] = {
        {Cell::Chest, 25}, {Cell::Candelabrum, 5}, {Cell::Scrolls, 40}, {Cell::Coffin, 25}, {Cell::Fountain, 60}};
    for (int attempts : {0, 30}) {
        auto w = std::make_unique<World>();
        Rng rng;
        rng.srand(uint32_t(attempts) + 5);
        generateDungeon(*w, rng, 128, 128, 33, 3, 255, attempts);
        for (int z = 33; z <= 35; ++z) {
            const int n = w->gen.levelRoomEnd[size_t(z)] - w->gen.levelFirstRoom[size_t(z)];
            EXPECT_TRUE(n >= 1 && n <= attempts + 1) << n;
            for (auto [code, rooms] : roomsPerPiece)
                EXPECT_EQ(countCode(w->map, z, code) > 0, n >= rooms) << z << ": " << n << " rooms, code " << int(code);
        }
    }
}

TEST(DungeonGenerator, StopsCleanlyWhereTheLevelsRunOutOfTheGrid) {
    // Layers 176..179 are grown, layer 180 does not exist: growth stops
    // there and no level gets stairs or furniture.
    auto w = std::make_unique<World>();
    Rng rng;
    rng.srand(3);
    generateDungeon(*w, rng, 128, 128, 176, 9, 255, 50);
    for (int z = 176; z < LayerCount; ++z) {
        EXPECT_GT(countCode(w->map, z, Cell::Floor), 25) << z;
        EXPECT_EQ(countCode(w->map, z, Cell::Candelabrum), 0) << z;
        EXPECT_EQ(countCode(w->map, z, Cell::StairsUp), 0) << z;
    }
    // A square reaching off the map is refused before anything is written.
    auto edge = std::make_unique<World>();
    generateDungeon(*edge, rng, 10, 128, 33, 1, 255, 50);
    EXPECT_EQ(countCode(edge->map, 33, Cell::Rock), 0);
    EXPECT_EQ(edge->gen.roomCount, 0);
}

TEST(DungeonGenerator, EarlierLevelsKeepTheirRoomsWhenALaterOneIsRefused) {
    auto w = std::make_unique<World>();
    w->map.setCell(200, 200, 35, Cell::Block); // inside layer 35's square
    Rng rng;
    rng.srand(11);
    generateDungeon(*w, rng, 128, 128, 33, 4, 255, 100);
    EXPECT_GT(countCode(w->map, 33, Cell::Floor), 25);
    EXPECT_GT(countCode(w->map, 34, Cell::Floor), 25);
    EXPECT_EQ(countCode(w->map, 35, Cell::Rock), 0);
    EXPECT_EQ(countCode(w->map, 36, Cell::Rock), 0);
    EXPECT_EQ(countCode(w->map, 34, Cell::StairsUp), 0);
    EXPECT_EQ(countCode(w->map, 33, Cell::Candelabrum), 0);
}

// Styles 3 and 6 draw from all 29 templates and mark with their own code;
// style 0 repeats the first room's template.
TEST(DungeonGenerator, StyleChoosesTheTemplatesAndTheMarkCode) {
    for (auto [style, mark] : {std::pair{6, Cell::TemplateMarkAlt}, {3, Cell::TemplateMark}, {0, Cell::TemplateMark}}) {
        auto w = std::make_unique<World>();
        w->generatorStyle = style;
        Rng rng;
        rng.srand(21);
        generateDungeon(*w, rng, 128, 128, 33, 2, 255, 400);
        std::set<int> used;
        for (int z = 33; z <= 34; ++z) {
            const int first = w->gen.levelFirstRoom[size_t(z)];
            for (int i = first; i < w->gen.levelRoomEnd[size_t(z)]; ++i) {
                const int id = w->gen.rooms[size_t(i)].templateId;
                used.insert(id);
                ASSERT_TRUE(style ? id < 29 : id == w->gen.rooms[size_t(first)].templateId) << style << ": " << id;
            }
        }
        const uint8_t other = mark == Cell::TemplateMark ? Cell::TemplateMarkAlt : Cell::TemplateMark;
        EXPECT_EQ(countCode(w->map, 33, other), 0) << style;
        if (style) {
            EXPECT_GT(*used.rbegin(), 18) << style;
            EXPECT_GT(countCode(w->map, 33, mark) + countCode(w->map, 34, mark), 0) << style;
        }
    }
}

TEST(RoomTemplates, UnknownIdsAndRotationsStayInBounds) {
    TemplateScratch s;
    decodeTemplate(s, 36, 0); // a large template first: none of it is left
    decodeTemplate(s, 44, 0);
    EXPECT_EQ(s.width, 0);
    EXPECT_EQ(std::count(std::begin(s.cells), std::end(s.cells), 1), 0);
    decodeTemplate(s, -1, 2);
    EXPECT_EQ(s.height, 0);
    decodeTemplate(s, 15, 7); // read as rotation 0
    EXPECT_EQ(s.width, 8);
    EXPECT_EQ(s.at(5, 1), 1);
}

} // namespace
} // namespace delve
