#include "tools/overworld_gen.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <queue>
#include <stdexcept>

#include "platform/clock.h"
#include "tools/canvas.h"
#include "platform/rng.h"
#include "world/terrain.h"
#include "world/world.h"

namespace delve::art {

namespace {

constexpr uint32_t OverworldSeed = 19870301u;
constexpr int Last = MapSide - 1;

struct Builder {
    WorldMap& map;
    Rng& rng;

    uint8_t at(int x, int y) const { return map.cell(x, y, 0); }
    void put(int x, int y, uint8_t code) {
        if (x >= 1 && y >= 1 && x <= Last - 1 && y <= Last - 1) map.setCell(x, y, 0, code);
    }
    int roll(int n) { return rng.rand() % n; }
    static bool isWater(uint8_t c) { return c == Cell::Water || c == Cell::WaterDeep; }
    static bool isForest(uint8_t c) {
        return c == Cell::Forest || c == Cell::ForestFruit || c == Cell::ForestGray || c == Cell::ForestLeaf ||
               c == Cell::ForestB || c == Cell::ForestC;
    }
    static bool isSite(uint8_t c) { return c >= Cell::Village; }
};

// A height field by midpoint displacement over the whole map.
void heightField(HeightGrid& h, Rng& rng, uint8_t a, uint8_t b, uint8_t c, uint8_t d, float roughness,
                 float maxHeight) {
    h.clear();
    h.setHeight(0, 0, a);
    h.setHeight(Last, 0, b);
    h.setHeight(0, Last, c);
    h.setHeight(Last, Last, d);
    displaceMidpoints(h, rng, 0, 0, Last, Last, roughness, maxHeight);
}

// Cheapest walk between two cells over land; water costs a bridge.
std::vector<std::pair<int, int>> roadPath(const Builder& b, int sx, int sy, int tx, int ty) {
    auto cost = [&](uint8_t c) -> int {
        switch (c) {
        case Cell::Road: return 1;
        case Cell::Plain: case Cell::Desert: return 4;
        case Cell::Hills: return 10;
        case Cell::Swamp: return 14;
        case Cell::Water: return 40;
        case Cell::WaterDeep: return 400;
        case Cell::Mountain: return 60;
        case Cell::MountainHigh: return 400;
        default: return Builder::isSite(c) ? 3 : 9; // forests and the rest
        }
    };
    // A little unevenness per cell lets roads wind instead of running ruler-straight.
    auto jitter = [](int x, int y) { return int(hash01(x / 3, y / 3, 22) * 7.0f); };
    std::vector<int> dist(LayerSize, 1 << 30), from(LayerSize, -1);
    using Node = std::pair<int, int>;
    std::priority_queue<Node, std::vector<Node>, std::greater<Node>> open;
    int start = sy * MapSide + sx, goal = ty * MapSide + tx;
    dist[size_t(start)] = 0;
    open.push({0, start});
    const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
    while (!open.empty()) {
        auto [d, i] = open.top();
        open.pop();
        if (d != dist[size_t(i)]) continue;
        if (i == goal) break;
        int x = i % MapSide, y = i / MapSide;
        for (int k = 0; k < 4; ++k) {
            int nx = x + dx[k], ny = y + dy[k];
            if (nx < 1 || ny < 1 || nx > Last - 1 || ny > Last - 1) continue;
            int n = ny * MapSide + nx;
            int nd = d + cost(b.at(nx, ny)) + jitter(nx, ny);
            if (nd < dist[size_t(n)]) {
                dist[size_t(n)] = nd;
                from[size_t(n)] = i;
                open.push({nd, n});
            }
        }
    }
    std::vector<std::pair<int, int>> path;
    for (int i = goal; i != -1 && from[size_t(i)] != -1; i = from[size_t(i)]) path.push_back({i % MapSide, i / MapSide});
    return path;
}

} // namespace

void buildOverworld(World& world, Rng& rng) {
    WorldMap& map = world.map;
    Builder b{map, rng};
    std::fill(map.data(), map.data() + LayerSize, Cell::Plain);

    // Relief: the height classes give plains, forests, hills and mountains.
    heightField(world.heights, rng, 4, 14, 9, 3, 0.24f, 40.0f);
    for (int y = 1; y < Last; ++y)
        for (int x = 1; x < Last; ++x) classifyHeight(world.heights, map, rng, x, y, 0);
    HeightGrid relief = world.heights;

    // Moisture and forest-kind fields from two more displacements.
    HeightGrid wet, kind;
    heightField(wet, rng, 60, 120, 140, 40, 0.9f, 250.0f);
    heightField(kind, rng, 30, 200, 120, 220, 1.1f, 250.0f);
    for (int y = 1; y < Last; ++y)
        for (int x = 1; x < Last; ++x) {
            uint8_t c = b.at(x, y);
            int w = wet.height(x, y), k = kind.height(x, y);
            if (c == Cell::Plain) {
                if (w < 60) b.put(x, y, Cell::Desert);
                else if (w > 182) b.put(x, y, Cell::Swamp);
            } else if (c == Cell::Forest) {
                uint8_t f = Cell::Forest;
                if (k < 70) f = Cell::ForestB;
                else if (k < 110) f = Cell::ForestGray;
                else if (k < 140) f = Cell::Forest;
                else if (k < 170) f = Cell::ForestLeaf;
                else if (k < 200) f = Cell::ForestC;
                else f = Cell::ForestFruit;
                if (w < 50 && relief.height(x, y) <= 5) f = Cell::Plain; // dry fringes thin out
                b.put(x, y, f);
            }
        }

    // Lakes in the lowest wet hollows: deep in the middle, shallow at the shore.
    int lakes = 0;
    for (int tries = 0; tries < 4000 && lakes < 7; ++tries) {
        int x = 20 + b.roll(MapSide - 40), y = 20 + b.roll(MapSide - 40);
        if (relief.height(x, y) > 4 || wet.height(x, y) < 100) continue;
        bool clear = true;
        for (int yy = y - 12; yy <= y + 12 && clear; ++yy)
            for (int xx = x - 12; xx <= x + 12; ++xx)
                if (Builder::isWater(b.at(xx, yy))) clear = false;
        if (!clear) continue;
        float rx = 4.0f + float(b.roll(6)), ry = 3.0f + float(b.roll(5));
        for (int yy = y - 12; yy <= y + 12; ++yy)
            for (int xx = x - 12; xx <= x + 12; ++xx) {
                float wobble = float(b.roll(100)) / 250.0f;
                float d = std::pow(float(xx - x) / rx, 2.0f) + std::pow(float(yy - y) / ry, 2.0f);
                if (d < 0.45f) b.put(xx, yy, Cell::WaterDeep);
                else if (d < 1.0f + wobble) b.put(xx, yy, Cell::Water);
            }
        ++lakes;
    }

    // A river from the high ground to the largest lake, meandering on its way.
    {
        int x = 0, y = 0, best = -1;
        for (int t = 0; t < 600; ++t) {
            int cx = 30 + b.roll(MapSide - 60), cy = 30 + b.roll(MapSide - 60);
            if (relief.height(cx, cy) > best) {
                best = relief.height(cx, cy);
                x = cx;
                y = cy;
            }
        }
        int tx = x, ty = y, far = -1;
        for (int yy = 8; yy < Last - 8; yy += 2)
            for (int xx = 8; xx < Last - 8; xx += 2)
                if (b.at(xx, yy) == Cell::WaterDeep) {
                    int d = std::abs(xx - x) + std::abs(yy - y);
                    if (d > far && d < 170) {
                        far = d;
                        tx = xx;
                        ty = yy;
                    }
                }
        float fx = float(x), fy = float(y);
        float phase = float(b.roll(628)) / 100.0f;
        int px = x, py = y;
        for (int step = 0; step < 2000; ++step) {
            float ax = float(tx) - fx, ay = float(ty) - fy;
            float len = std::hypot(ax, ay);
            if (len < 2.0f) break;
            float angle = std::atan2(ay, ax) + std::sin(float(step) * 0.045f + phase) * 0.9f;
            fx += std::cos(angle) * 0.7f;
            fy += std::sin(angle) * 0.7f;
            int nx = int(std::lround(fx)), ny = int(std::lround(fy));
            if (nx != px && ny != py) b.put(nx, py, Cell::Water); // keep the bed connected edge to edge
            b.put(nx, ny, Cell::Water);
            if (relief.height(nx, ny) <= 5) b.put(nx, ny + 1, Cell::Water); // wider in the lowlands
            px = nx;
            py = ny;
        }
    }

    // Villages of every colour on dry, open land, kept apart.
    std::vector<std::pair<int, int>> villages;
    const uint8_t colours[5] = {Cell::Village, Cell::VillageYellow, Cell::VillageBlue, Cell::VillageGreen,
                                Cell::VillageRed};
    for (int tries = 0; tries < 20000 && villages.size() < 20; ++tries) {
        int x = 12 + b.roll(MapSide - 24), y = 12 + b.roll(MapSide - 24);
        uint8_t c = b.at(x, y);
        if (c != Cell::Plain && c != Cell::Desert) continue;
        bool apart = true;
        for (auto& v : villages)
            if (std::abs(v.first - x) + std::abs(v.second - y) < 34) apart = false;
        if (!apart) continue;
        uint8_t colour = colours[villages.size() % 5];
        fillRectInside(map, x - 2, y - 2, x + 2, y + 2, 0, Cell::Plain); // fields around the houses
        b.put(x, y, colour);
        if (b.roll(2)) b.put(x + 1, y, colour);
        if (b.roll(2)) b.put(x, y + 1, colour);
        b.put(x - 2, y + 2, Cell::ForestFruit); // an orchard beside every village
        b.put(x - 1, y + 2, Cell::ForestFruit);
        villages.push_back({x, y});
    }
    if (villages.size() < 5) throw std::runtime_error("too few village sites");

    // Roads: each village joins its nearest already-joined neighbour (a spanning tree).
    int roadCells = 0;
    for (size_t i = 1; i < villages.size(); ++i) {
        size_t nearest = 0;
        int nd = 1 << 30;
        for (size_t j = 0; j < i; ++j) {
            int d = std::abs(villages[j].first - villages[i].first) + std::abs(villages[j].second - villages[i].second);
            if (d < nd) {
                nd = d;
                nearest = j;
            }
        }
        for (auto [x, y] : roadPath(b, villages[i].first, villages[i].second, villages[nearest].first,
                                    villages[nearest].second)) {
            if (Builder::isSite(b.at(x, y))) continue;
            if (b.at(x, y) != Cell::Road) ++roadCells;
            b.put(x, y, Cell::Road);
        }
    }

    // Sites: placed on the land that suits them, away from other sites.
    auto placeSite = [&](uint8_t code, int count, auto suits) {
        int placed = 0;
        for (int tries = 0; tries < 60000 && placed < count; ++tries) {
            int x = 6 + b.roll(MapSide - 12), y = 6 + b.roll(MapSide - 12);
            if (!suits(x, y)) continue;
            bool apart = true;
            for (int yy = y - 4; yy <= y + 4 && apart; ++yy)
                for (int xx = x - 4; xx <= x + 4; ++xx)
                    if (Builder::isSite(b.at(xx, yy)) && b.at(xx, yy) != Cell::Grove) apart = false;
            if (!apart) continue;
            b.put(x, y, code);
            ++placed;
        }
        return placed;
    };
    auto nextTo = [&](int x, int y, auto pred) {
        return pred(b.at(x + 1, y)) || pred(b.at(x - 1, y)) || pred(b.at(x, y + 1)) || pred(b.at(x, y - 1));
    };
    auto isMountain = [](uint8_t c) { return c == Cell::Mountain || c == Cell::MountainHigh; };
    placeSite(Cell::Castle, 2, [&](int x, int y) {
        return b.at(x, y) == Cell::Plain && nextTo(x, y, [](uint8_t c) { return c == Cell::Road; });
    });
    placeSite(Cell::Ruin, 6, [&](int x, int y) {
        uint8_t c = b.at(x, y);
        return c == Cell::Plain || c == Cell::Desert || c == Cell::Hills;
    });
    placeSite(Cell::Grottus, 5, [&](int x, int y) {
        return b.at(x, y) == Cell::Hills && nextTo(x, y, isMountain);
    });
    placeSite(Cell::Mine, 4, [&](int x, int y) { return b.at(x, y) == Cell::Hills && nextTo(x, y, isMountain); });
    placeSite(Cell::IronMine, 2, [&](int x, int y) { return b.at(x, y) == Cell::Mountain; });
    placeSite(Cell::Well, 4, [&](int x, int y) {
        return b.at(x, y) == Cell::Plain && nextTo(x, y, [](uint8_t c) { return c == Cell::Road; });
    });
    // Groves: small clusters of sacred trees deep in the forests.
    for (int g = 0, tries = 0; g < 10 && tries < 60000; ++tries) {
        int x = 6 + b.roll(MapSide - 12), y = 6 + b.roll(MapSide - 12);
        if (!Builder::isForest(b.at(x, y))) continue;
        for (int k = 0; k < 4; ++k) {
            int gx = x + b.roll(3) - 1, gy = y + b.roll(3) - 1;
            if (Builder::isForest(b.at(gx, gy))) b.put(gx, gy, Cell::Grove); // never over a road
        }
        ++g;
    }

    // Border cells: land like their inner neighbour (never water or a site).
    for (int i = 0; i < MapSide; ++i) {
        int in = std::clamp(i, 1, Last - 1);
        const int edges[4][4] = {{i, 0, in, 1}, {i, Last, in, Last - 1}, {0, i, 1, in}, {Last, i, Last - 1, in}};
        for (auto& e : edges) {
            uint8_t c = map.cell(e[2], e[3], 0);
            if (Builder::isWater(c) || Builder::isSite(c) || c == Cell::Road) c = Cell::Plain;
            map.setCell(e[0], e[1], 0, c);
        }
    }
}

OverworldStats writeOverworld(const std::string& dataDir) {
    auto world = std::make_unique<World>();
    Rng rng;
    rng.srand(OverworldSeed);
    buildOverworld(*world, rng);

    OverworldStats stats;
    stats.cells.assign(world->map.data(), world->map.data() + LayerSize);
    for (uint8_t c : stats.cells) {
        if (c >= Cell::Village && c <= Cell::VillageRed) ++stats.villages;
        if (c == Cell::Road) ++stats.roadCells;
        if (c == Cell::Water || c == Cell::WaterDeep) ++stats.waterCells;
    }
    for (uint8_t code : overworldCodes())
        if (std::find(stats.cells.begin(), stats.cells.end(), code) == stats.cells.end())
            stats.missing.push_back(code);

    std::filesystem::create_directories(dataDir + "/map");
    Clock clock(true);
    if (!saveOverworld(world->map, clock, dataDir, 1)) throw std::runtime_error("cannot write the overworld file");
    return stats;
}

const std::vector<uint8_t>& overworldCodes() {
    static const std::vector<uint8_t> codes = [] {
        std::vector<uint8_t> v;
        for (int c = Cell::Plain; c <= Cell::ForestC; ++c) v.push_back(uint8_t(c));
        for (int c = Cell::Village; c <= Cell::VillageRed; ++c) v.push_back(uint8_t(c));
        for (int c = Cell::Ruin; c <= Cell::Well; ++c) v.push_back(uint8_t(c));
        return v;
    }();
    return codes;
}

} // namespace delve::art
