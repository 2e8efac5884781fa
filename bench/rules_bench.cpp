// Timings of the game rules on the real overworld: a thousand contest turns
// with the left button down, and order passes of the 210 monsters chasing
// the party (the first pass, which meets 15 fresh plans and stops, and a
// later pass that reaches every chaser).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "path/movement.h"
#include "path/path_finder.h"
#include "platform/clock.h"
#include "platform/rng.h"
#include "rules/contest.h"
#include "rules/generation.h"
#include "rules/orders.h"
#include "world/overworld.h"
#include "world/world.h"

namespace delve {
namespace {

std::string dataDir() {
    if (const char* d = std::getenv("DELVE_TEST_DATA")) return d;
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("data") : (exe.parent_path().parent_path() / "data").string();
}

struct Scene {
    World world;
    Units generated;
    Rng rng;
    Scene() {
        fillStepCostTable(world.stepCosts);
        Clock clock(true);
        if (loadOverworld(world.map, clock, dataDir(), 1) != OverworldFileBytes)
            std::fprintf(stderr, "rules_bench: no overworld in %s; timing an empty layer\n",
                         dataDir().c_str());
        generatePartyAndMonsters(generated, world.map, rng, 5);
    }
};

Scene& scene() {
    static Scene* s = new Scene;
    return *s;
}

// A cell 8 to 13 cells from some member of group 1 and closer than 8 to
// none, scanning around the members in index order.
bool foundingSpot(const Units& u, int& x, int& y) {
    for (int i = 1; i < unitCapacity; ++i) {
        if (u[i].group != 1 || u[i].active != 1) continue;
        for (int dx = -10; dx <= 10; dx += 5)
            for (int dy = -10; dy <= 10; dy += 5) {
                const int cx = u[i].x + dx, cy = u[i].y + dy;
                if (cx < 0 || cy < 0 || cx >= MapSide || cy >= MapSide) continue;
                bool reach = false, close = false;
                for (int j = 1; j < unitCapacity && !close; ++j) {
                    if (j == u.nextFreeUnit || u[j].group != 1 || u[j].z != 0) continue;
                    const int d = std::abs(u[j].x - cx) + std::abs(u[j].y - cy);
                    close = d < FoundingSpacing;
                    reach |= d < FoundingReach;
                }
                if (reach && !close) {
                    x = cx;
                    y = cy;
                    return true;
                }
            }
    }
    return false;
}

void BM_ContestThousandTurns(benchmark::State& state) {
    Scene& s = scene();
    auto units = std::make_unique<Units>();
    int played = 0;
    for (auto _ : state) {
        state.PauseTiming();
        *units = s.generated;
        Contest contest;
        Clock clock(true);
        Rng rng;
        rng.srand(5);
        int SX = 0, SY = 0, SZ = 0;
        ContestWorld cw{*units, s.world.map, rng, clock, SX, SY, SZ};
        state.ResumeTiming();
        played = 0;
        for (int frame = 0; frame < 1000; ++frame) {
            int x = (*units)[1].x, y = (*units)[1].y;
            if (contestPhase(contest.turnNumber) == ContestPhase::Founding) foundingSpot(*units, x, y);
            const CellClick c = clickOnCell(x, y, 640, 480);
            SX = c.SX;
            SY = c.SY;
            const TurnInput in = c.leftClick();
            const int before = contest.turnNumber;
            // After a winner the calls still play income, fighting and upkeep.
            const int winner = playExpansionTurn(contest, cw, in);
            played += winner != 0 || contest.turnNumber != before;
        }
        benchmark::DoNotOptimize(units->table.data());
    }
    state.counters["turnsPlayed"] = played;
}
BENCHMARK(BM_ContestThousandTurns)->Unit(benchmark::kMillisecond);

// `passes` order passes after every monster was ordered to chase the
// nearest party member; the last one is timed.
void BM_AdvanceOrders210Chasers(benchmark::State& state) {
    Scene& s = scene();
    const int warmPasses = int(state.range(0));
    auto units = std::make_unique<Units>();
    auto finder = std::make_unique<PathFinder>();
    auto start = std::make_unique<Units>(s.generated);
    int chasers = 0;
    for (int i = 4; i < unitCapacity; ++i) {
        if ((*start)[i].side != MonsterSide) continue;
        int best = 1, bestD = 1 << 30;
        for (int k = 1; k <= 3; ++k) {
            const int d = std::abs((*start)[k].x - (*start)[i].x) + std::abs((*start)[k].y - (*start)[i].y);
            if (d < bestD) bestD = d, best = k;
        }
        orderUnit(*start, *finder, i, (*start)[best].x, (*start)[best].y);
        ++chasers;
    }
    PathWorld pw{s.world.map, s.world.marks, s.world.stepCosts, *finder};
    OrderPassReport last;
    for (auto _ : state) {
        state.PauseTiming();
        *units = *start;
        std::fill(finder->pathStep.begin(), finder->pathStep.end(), PathNone);
        for (int p = 0; p < warmPasses; ++p) advanceOrders(pw, *units, 0);
        state.ResumeTiming();
        last = advanceOrders(pw, *units, 0);
    }
    state.counters["chasers"] = chasers;
    state.counters["replanned"] = last.replanned;
    state.counters["moved"] = last.moved;
}
BENCHMARK(BM_AdvanceOrders210Chasers)->Arg(0)->Arg(14)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace delve

