// Path search timings: the production open list against the literal scan over
// all nodes, a textbook priority-queue Dijkstra, Boost Graph Library's
// Dijkstra (when the build found it) and a plain FIFO flood of the same
// cells, on a generated dungeon level and on the overworld; plus one frame of
// the map view at 640 x 480.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <queue>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "bench/bench_game.h"
#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"
#include "gfx/text.h"
#include "path/movement.h"
#include "path/path_finder.h"
#include "platform/clock.h"
#include "platform/rng.h"
#include "views/map_view.h"
#include "world/generator.h"
#include "world/overworld.h"
#include "world/world.h"

// The build defines DELVE_HAVE_BOOST_GRAPH when CMake found the library.
#if DELVE_HAVE_BOOST_GRAPH
#include <boost/graph/compressed_sparse_row_graph.hpp>
#include <boost/graph/dijkstra_shortest_paths.hpp>
#endif

namespace delve {
namespace {

constexpr int DungeonLayer = 2;
constexpr int OverworldLayer = 0;
constexpr int Window = MapSide;

using bench::dataDir;

struct Scene {
    World world;
    Units units;
    PathFinder finder;
    bool realOverworld = false;
    // Cells of each searched layer, and pairs of mutually reachable cells.
    std::map<int, std::vector<std::pair<int, int>>> open;
    std::map<int, std::vector<std::array<int, 4>>> pairs;
    std::map<int, std::array<int, 4>> worstCase; // start and an unreachable goal

    Scene() {
        fillStepCostTable(world.stepCosts);
        Clock clock(true);
        realOverworld = loadOverworld(world.map, clock, dataDir(), 1) == OverworldFileBytes;
        Rng rng;
        rng.srand(2024);
        if (!realOverworld) { // patches of land so the bench still runs without data
            for (int y = 0; y < MapSide; ++y)
                for (int x = 0; x < MapSide; ++x) {
                    static const uint8_t land[] = {10, 11, 12, 13, 14, 16, 17, 18, 21, 22, 23};
                    world.map.setCell(x, y, 0, land[(x / 7 * 31 + y / 5 * 17 + rng.rand() % 3) % 11]);
                }
        }
        allocateGeneratorTables(world);
        generateDungeon(world, rng, 128, 128, FirstWorkLayer, WorkLayerCount, 255, 2400);
        stackDungeonLevels(world.map);
        freeGeneratorTables(world);
        for (int z : {DungeonLayer, OverworldLayer}) prepare(z, rng);
    }

    void prepare(int z, Rng& rng) {
        auto& cells = open[z];
        for (int y = 1; y < MapSide - 1; ++y)
            for (int x = 1; x < MapSide - 1; ++x)
                if (isPassable(world.map.cell(x, y, z))) cells.emplace_back(x, y);
        auto pick = [&] { return cells[size_t(rng.rand() * 32768 + rng.rand()) % cells.size()]; };
        while (pairs[z].size() < 40) {
            auto s = pick(), g = pick();
            finder.beginSearch(world.marks, units, SearchMode::FreeStartAndGoal, s.first, s.second, g.first, g.second, z, Window, 0);
            if (finder.runSearch(world.map, world.stepCosts, Window * Window) == SearchFound)
                pairs[z].push_back({s.first, s.second, g.first, g.second});
        }
        // The worst case: a goal on an impassable cell, so the whole budget is spent.
        for (int i = 0; i < LayerSize; ++i) {
            int x = i % MapSide, y = i / MapSide;
            if (x > 0 && y > 0 && x < MapSide - 1 && y < MapSide - 1 && !isPassable(world.map.cell(x, y, z))) {
                auto s = cells[cells.size() / 2];
                worstCase[z] = {s.first, s.second, x, y};
                break;
            }
        }
    }
};

Scene& scene() {
    static Scene* s = new Scene;
    return *s;
}

// Neighbour test shared by the comparison searches: window interior, the
// same corner rule, the same passability and step costs as the finder.
struct Grid {
    const uint8_t* cells;
    const StepCostTable* costs;
    static constexpr int dirs[8][2] = {{0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}};

    uint8_t at(int x, int y) const { return cells[y * MapSide + x]; }
    static bool inner(int x, int y) { return x > 0 && y > 0 && x < MapSide - 1 && y < MapSide - 1; }
    // Calls f(neighbour cell index, step cost) for every allowed step from (x, y).
    template <typename F>
    void forSteps(int x, int y, F f) const {
        for (const auto& d : dirs) {
            const bool diagonal = d[0] != 0 && d[1] != 0;
            if (diagonal && (!permitsCorner(at(x + d[0], y)) || !permitsCorner(at(x, y + d[1])))) continue;
            const int nx = x + d[0], ny = y + d[1];
            if (!inner(nx, ny) || !isPassable(at(nx, ny))) continue;
            f(ny * MapSide + nx, (diagonal ? 1.4142f : 1.0f) + (*costs)[at(nx, ny)]);
        }
    }
};

Grid gridOf(int z) {
    Scene& s = scene();
    return Grid{s.world.map.data() + size_t(z) * LayerSize, &s.world.stepCosts};
}

// ---- the searches ----

int production(int z, const std::array<int, 4>& q) {
    Scene& s = scene();
    s.finder.beginSearch(s.world.marks, s.units, SearchMode::FreeStartAndGoal, q[0], q[1], q[2], q[3], z, Window, 0);
    s.finder.runSearch(s.world.map, s.world.stepCosts, Window * Window);
    return s.finder.nodeCount() - 1;
}

// The open list as first written: every selection scans all nodes.
struct LiteralScan {
    std::vector<int16_t> nx = std::vector<int16_t>(LayerSize), ny = std::vector<int16_t>(LayerSize);
    std::vector<uint8_t> state = std::vector<uint8_t>(LayerSize), mark = std::vector<uint8_t>(LayerSize);
    std::vector<float> cost = std::vector<float>(LayerSize);

    int run(const Grid& g, const std::array<int, 4>& q) {
        std::fill(mark.begin(), mark.end(), uint8_t(0));
        std::fill(state.begin(), state.end(), uint8_t(0));
        const int goal = q[3] * MapSide + q[2];
        int last = 0, current = 0, firstOpen = 0;
        nx[0] = int16_t(q[0]);
        ny[0] = int16_t(q[1]);
        cost[0] = 1.0f;
        mark[size_t(q[1] * MapSide + q[0])] = 1;
        const int limit = Window * Window - 9;
        for (int it = 0; it < limit; ++it) {
            g.forSteps(nx[size_t(current)], ny[size_t(current)], [&](int cell, float step) {
                if (mark[size_t(cell)]) return;
                mark[size_t(cell)] = 1;
                ++last;
                nx[size_t(last)] = int16_t(cell % MapSide);
                ny[size_t(last)] = int16_t(cell / MapSide);
                state[size_t(last)] = 0;
                cost[size_t(last)] = step + cost[size_t(current)];
            });
            state[size_t(current)] = 9;
            float best = 131072.0f;
            int bestNode = last;
            for (int i = firstOpen; i <= last; ++i)
                if (state[size_t(i)] == 0 && best >= cost[size_t(i)]) {
                    best = cost[size_t(i)];
                    bestNode = i;
                }
            for (int i = firstOpen; i <= last; ++i)
                if (state[size_t(i)] == 0) {
                    firstOpen = i;
                    break;
                }
            current = bestNode;
            if (ny[size_t(current)] * MapSide + nx[size_t(current)] == goal) break;
        }
        return last;
    }
};

struct TextbookDijkstra {
    std::vector<float> dist = std::vector<float>(LayerSize);
    int run(const Grid& g, const std::array<int, 4>& q) {
        std::fill(dist.begin(), dist.end(), 1e30f);
        using Item = std::pair<float, int>;
        std::priority_queue<Item, std::vector<Item>, std::greater<>> open;
        const int start = q[1] * MapSide + q[0], goal = q[3] * MapSide + q[2];
        dist[size_t(start)] = 1.0f;
        open.emplace(1.0f, start);
        int settled = 0;
        while (!open.empty()) {
            auto [d, c] = open.top();
            open.pop();
            if (d > dist[size_t(c)]) continue;
            ++settled;
            if (c == goal) break;
            g.forSteps(c % MapSide, c / MapSide, [&](int n, float step) {
                if (d + step < dist[size_t(n)]) {
                    dist[size_t(n)] = d + step;
                    open.emplace(d + step, n);
                }
            });
        }
        return settled;
    }
};

// No priority at all: every reachable cell once, in discovery order.
struct FifoFlood {
    std::vector<uint8_t> seen = std::vector<uint8_t>(LayerSize);
    std::vector<int> queue = std::vector<int>(LayerSize);
    int run(const Grid& g, const std::array<int, 4>& q) {
        std::fill(seen.begin(), seen.end(), uint8_t(0));
        const int start = q[1] * MapSide + q[0], goal = q[3] * MapSide + q[2];
        int head = 0, tail = 0;
        queue[size_t(tail++)] = start;
        seen[size_t(start)] = 1;
        while (head < tail) {
            const int c = queue[size_t(head++)];
            if (c == goal) break;
            g.forSteps(c % MapSide, c / MapSide, [&](int n, float) {
                if (!seen[size_t(n)]) {
                    seen[size_t(n)] = 1;
                    queue[size_t(tail++)] = n;
                }
            });
        }
        return head;
    }
};

#if DELVE_HAVE_BOOST_GRAPH
struct BoostDijkstra {
    using Graph = boost::compressed_sparse_row_graph<boost::directedS, boost::no_property,
                                                     boost::property<boost::edge_weight_t, float>>;
    std::unique_ptr<Graph> graph;
    std::vector<float> dist = std::vector<float>(LayerSize);
    std::vector<Graph::vertex_descriptor> pred = std::vector<Graph::vertex_descriptor>(LayerSize);

    struct GoalReached {};
    struct StopAtGoal : boost::default_dijkstra_visitor {
        Graph::vertex_descriptor goal;
        void examine_vertex(Graph::vertex_descriptor v, const Graph&) const {
            if (v == goal) throw GoalReached{};
        }
    };

    explicit BoostDijkstra(const Grid& g) {
        std::vector<std::pair<int, int>> edges;
        std::vector<float> weights;
        for (int y = 1; y < MapSide - 1; ++y)
            for (int x = 1; x < MapSide - 1; ++x) {
                if (!isPassable(g.at(x, y))) continue;
                g.forSteps(x, y, [&](int n, float step) {
                    edges.emplace_back(y * MapSide + x, n);
                    weights.push_back(step);
                });
            }
        graph = std::make_unique<Graph>(boost::edges_are_unsorted_multi_pass, edges.begin(), edges.end(),
                                        weights.begin(), size_t(LayerSize));
    }
    void run(const std::array<int, 4>& q) {
        StopAtGoal vis;
        vis.goal = Graph::vertex_descriptor(q[3] * MapSide + q[2]);
        const auto index = boost::get(boost::vertex_index, *graph);
        try {
            boost::dijkstra_shortest_paths(
                *graph, Graph::vertex_descriptor(q[1] * MapSide + q[0]),
                boost::predecessor_map(boost::make_iterator_property_map(pred.begin(), index))
                    .distance_map(boost::make_iterator_property_map(dist.begin(), index))
                    .visitor(vis));
        } catch (const GoalReached&) {
        }
    }
};
#endif

// ---- benchmarks ----

enum class Kind { Worst, Typical };

template <typename F>
void searches(benchmark::State& state, int z, Kind kind, F search) {
    Scene& s = scene();
    const auto& list = s.pairs[z];
    size_t i = 0;
    for (auto _ : state) {
        const auto& q = kind == Kind::Worst ? s.worstCase[z] : list[i++ % list.size()];
        benchmark::DoNotOptimize(search(q));
    }
}

// The least of five repetitions: on a shared machine the neighbours only
// ever add time, so the least is the closest to what the search costs.
benchmark::internal::Benchmark* repeated(benchmark::internal::Benchmark* b) {
    return b->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
        ->ReportAggregatesOnly(true);
}

void registerAll() {
    for (int z : {OverworldLayer, DungeonLayer}) {
        const std::string layer = z == 0 ? "overworld" : "dungeon";
        for (Kind kind : {Kind::Worst, Kind::Typical}) {
            const std::string tag = layer + (kind == Kind::Worst ? "/worst" : "/typical");
            repeated(benchmark::RegisterBenchmark(("production/" + tag).c_str(), [=](benchmark::State& st) {
                searches(st, z, kind, [z](const auto& q) { return production(z, q); });
            }));
            repeated(benchmark::RegisterBenchmark(("literal_scan/" + tag).c_str(), [=](benchmark::State& st) {
                static LiteralScan* l = new LiteralScan;
                Grid g = gridOf(z);
                searches(st, z, kind, [&](const auto& q) { return l->run(g, q); });
            }))->MinTime(kind == Kind::Worst ? 1.0 : 0.5);
            repeated(benchmark::RegisterBenchmark(("priority_queue/" + tag).c_str(), [=](benchmark::State& st) {
                static TextbookDijkstra* d = new TextbookDijkstra;
                Grid g = gridOf(z);
                searches(st, z, kind, [&](const auto& q) { return d->run(g, q); });
            }));
#if DELVE_HAVE_BOOST_GRAPH
            repeated(benchmark::RegisterBenchmark(("boost_dijkstra/" + tag).c_str(), [=](benchmark::State& st) {
                static std::map<int, BoostDijkstra*> built;
                if (!built[z]) built[z] = new BoostDijkstra(gridOf(z));
                BoostDijkstra* b = built[z];
                searches(st, z, kind, [&](const auto& q) { b->run(q); return 0; });
            }));
#endif
            repeated(benchmark::RegisterBenchmark(("fifo_floor/" + tag).c_str(), [=](benchmark::State& st) {
                static FifoFlood* f = new FifoFlood;
                Grid g = gridOf(z);
                searches(st, z, kind, [&](const auto& q) { return f->run(g, q); });
            }));
        }
    }
    benchmark::RegisterBenchmark("map_view/frame_640x480", [](benchmark::State& st) {
        Scene& s = scene();
        static BitmapCatalogue* pictures = [] {
            auto* p = new BitmapCatalogue;
            loadAllBitmaps(*p, dataDir());
            return p;
        }();
        static TrigTables* trig = [] {
            auto* t = new TrigTables;
            t->build();
            return t;
        }();
        Screen screen;
        screen.setMode(640, 480);
        TextBuffer text;
        Shell shell;
        shell.screenWidth = 640;
        shell.screenHeight = 480;
        shell.SZ = DungeonLayer;
        const auto q = s.pairs[DungeonLayer][0];
        UnitRecord& hero = s.units[1];
        hero.active = 1;
        hero.side = 1;
        hero.spriteId = 849;
        hero.hitPoints = hero.maxHitPoints = 24.0f;
        hero.x = uint16_t(q[0]);
        hero.y = uint16_t(q[1]);
        hero.z = DungeonLayer;
        PathWorld pw{s.world.map, s.world.marks, s.world.stepCosts, s.finder};
        orderMove(s.units, s.finder, 1, q[2], q[3]);
        stepAlongPath(pw, s.units, 1, q[2], q[3], Window, 0, 1);
        shell.SX = std::clamp(int(hero.x) - 20, 0, 216);
        shell.SY = std::clamp(int(hero.y) - 15, 0, 226);
        for (auto _ : st) {
            screen.clearFramebuffer();
            drawMapView(screen, text, *pictures, s.world.map, s.units, s.finder, *trig, shell);
            benchmark::ClobberMemory();
        }
        hero = UnitRecord{};
    })->Unit(benchmark::kMicrosecond);
}

} // namespace

bool pathBenchUsesShippedOverworld() { return scene().realOverworld; }

void registerPathBenchmarks() { registerAll(); }

} // namespace delve
