// Runs every benchmark of the program and prints one table of ratios, all
// from this one run: the path searches against their comparisons, then the
// world generator, start-up, the two views' frames, a save and a load.
#include <benchmark/benchmark.h>


#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_game.h"
#include "bench/bench_tables.h"

namespace delve {
bool pathBenchUsesShippedOverworld();
void registerPathBenchmarks();
double startupCpuMedianMs();
} // namespace delve

namespace {

struct Timing {
    double cpuMs = 0.0;
    double wallMs = 0.0;
};

// Keeps each benchmark's time per iteration under its name, for the table
// printed after the run: where a benchmark repeats, its least time when it
// reports one, else the median.
class TableReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, Timing> times;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) {
            if (r.error_occurred || r.iterations <= 0) continue;
            const bool aggregate = r.run_type == Run::RT_Aggregate;
            if (aggregate && r.aggregate_name != "median" && r.aggregate_name != "min") continue;
            std::string name = r.run_name.function_name;
            if (!r.run_name.args.empty()) name += "/" + r.run_name.args;
            const int rank = !aggregate ? 0 : r.aggregate_name == "median" ? 1 : 2;
            int& held = rank_[name];
            if (times.count(name) && rank < held) continue;
            held = rank;
            const double toMs = unitToMs(r.time_unit);
            times[name] = Timing{r.GetAdjustedCPUTime() * toMs, r.GetAdjustedRealTime() * toMs};
        }
        ConsoleReporter::ReportRuns(runs);
    }

    const Timing* find(const std::string& name) const {
        auto it = times.find(name);
        return it == times.end() ? nullptr : &it->second;
    }

private:
    std::map<std::string, int> rank_; // 0 one run, 1 median, 2 least
    static double unitToMs(benchmark::TimeUnit u) {
        switch (u) {
        case benchmark::kNanosecond: return 1e-6;
        case benchmark::kMicrosecond: return 1e-3;
        case benchmark::kMillisecond: return 1.0;
        default: return 1e3;
        }
    }
};

std::string firstLineWith(const char* file, const std::string& key) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0) {
            auto colon = line.find(':');
            return colon == std::string::npos ? line : line.substr(colon + 2);
        }
    return "?";
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// The goals the table is held to (ratios only: wall times depend on the
// machine and its load, ratios of two searches timed in one run much less).
constexpr double SearchLeadGoal = 1.3;  // comparison time / production time, at least
constexpr double FloorRatioGoal = 2.5;  // production / FIFO floor in a worst case, at most

struct Shortfall {
    std::string what;
    double value;
    double goal;
};

std::vector<Shortfall> printTable(const TableReporter& rep, const std::string& loadBefore,
                                  const std::string& renderer) {
    std::vector<Shortfall> shortfalls;
    auto ratio = [](const Timing* base, const Timing* other) {
        return (base && other && base->cpuMs > 0.0) ? other->cpuMs / base->cpuMs : 0.0;
    };
    std::printf("\n== Delve benchmark table (one run) ==\n");
    std::printf("machine: %s, %u cores; load average before %s, after %s\n",
                firstLineWith("/proc/cpuinfo", "model name").c_str(), std::thread::hardware_concurrency(),
                loadBefore.c_str(), loadAverage().c_str());
    std::printf("overworld: %s; first-person renderer: %s\n",
                delve::pathBenchUsesShippedOverworld() ? "shipped file" : "generated stand-in (no data folder)",
                renderer.c_str());
    std::printf("\npath search, CPU time; \"x N\" = the comparison takes N times as long as production\n");
    std::printf("goals: every comparison x %.1f or more; production / FIFO at most %.1f in the worst cases\n",
                SearchLeadGoal, FloorRatioGoal);
    std::printf("  %-19s %12s %14s %16s %10s %18s\n", "case", "production", "literal scan",
                "priority queue", "Boost", "production / FIFO");
    for (const char* tag : {"overworld/worst", "overworld/typical", "dungeon/worst", "dungeon/typical"}) {
        const Timing* p = rep.find(std::string("production/") + tag);
        if (!p) continue;
        const Timing* fifo = rep.find(std::string("fifo_floor/") + tag);
        const double queue = ratio(p, rep.find(std::string("priority_queue/") + tag));
        const double boost = ratio(p, rep.find(std::string("boost_dijkstra/") + tag));
        const double floor = fifo && fifo->cpuMs > 0.0 ? p->cpuMs / fifo->cpuMs : 0.0;
        char boostText[16] = "  (not built)";
        if (boost > 0.0) std::snprintf(boostText, sizeof boostText, "x %6.2f", boost);
        char literalText[16] = "(not run)";
        if (double l = ratio(p, rep.find(std::string("literal_scan/") + tag)); l > 0.0)
            std::snprintf(literalText, sizeof literalText, "x %4.0f", l);
        std::printf("  %-19s %9.3f ms %14s %11s%5.2f %10s %14s%4.2f\n", tag, p->cpuMs, literalText, "x ",
                    queue, boostText, "x ", floor);
        const std::string name = tag;
        if (queue > 0.0 && queue < SearchLeadGoal) shortfalls.push_back({name + " against the priority queue", queue, SearchLeadGoal});
        if (boost > 0.0 && boost < SearchLeadGoal) shortfalls.push_back({name + " against Boost", boost, SearchLeadGoal});
        if (name.find("worst") != std::string::npos && floor > FloorRatioGoal)
            shortfalls.push_back({name + " production / FIFO floor", floor, FloorRatioGoal});
    }

    std::printf("\nworld, program and views (median where repeated); CPU counts every thread\n");
    std::printf("  %-42s %12s %12s\n", "", "wall", "CPU");
    auto row = [&](const char* label, const char* name, double goalMs, const char* goalText,
                   double cpuMs = -1.0) {
        const Timing* t = rep.find(name);
        if (!t) {
            std::printf("  %-42s %12s\n", label, "(not run)");
            return;
        }
        std::printf("  %-42s %9.3f ms %9.3f ms", label, t->wallMs, cpuMs >= 0.0 ? cpuMs : t->cpuMs);
        if (goalMs > 0.0) std::printf("   wall x %4.2f of %s", t->wallMs / goalMs, goalText);
        std::printf("\n");
    };
    row("generateDungeon (9 levels, 2400 tries)", "BM_GenerateDungeon", 0.0, "");
    row("start-up to the first frame (process)", "BM_StartupToFirstFrame", 200.0, "the 200 ms goal",
        delve::startupCpuMedianMs());
    row("map view frame, 640 x 480", "map_view/frame_640x480", 1000.0 / 60.0, "a 60 Hz frame");
    row("first-person frame, software GL", "BM_FirstPersonView", 1000.0 / 60.0, "a 60 Hz frame");
    row("first-person frame, software OpenGL ES 2.0", "BM_FirstPersonViewGles2", 1000.0 / 60.0,
        "a 60 Hz frame");
    row("first-person frame with the edge overlay", "BM_FirstPersonViewWithEdges", 1000.0 / 60.0,
        "a 60 Hz frame");
    row("save, fast clock (progress frames, fsync)", "BM_Save", 0.0, "");
    row("load, fast clock (check, read, progress)", "BM_Load", 0.0, "");

    if (rep.find("framesPerSecond/first_person") || rep.find("framesPerSecond/map_view")) {
        std::printf("\nframe loop of the program, headless and unpaced (frames 30 to 330, least of 3)\n");
        std::printf("  %-42s %12s %12s\n", "", "wall", "CPU");
        for (bool map : {false, true}) {
            const auto& r = delve::bench::frameRate(map);
            if (r.wallFps <= 0.0) continue;
            std::printf("  %-42s %8.0f fps %8.0f fps\n", map ? "map view, 640 x 480" : "first-person view, 320 x 240",
                        r.wallFps, r.cpuFps);
        }
    }

    if (const auto& m = delve::bench::startupMemory(); m.ok) {
        std::printf("\nmemory after start-up and one frame (a fresh process, as delve --headless --frames 1)\n");
        std::printf("  %-42s %12s %12s\n", "table", "size", "resident");
        for (const auto& t : m.tables)
            std::printf("  %-42s %8.2f MiB %8.2f MiB\n", t.name.c_str(), t.sizeMB, t.residentMB);
        for (const auto& [name, mb] : m.totals) std::printf("  %-42s %12s %8.1f MiB\n", name.c_str(), "", mb);
        std::printf("  goals: peak resident at most 100 MB (95.4 MiB), anonymous at most 40 MB (38.1 MiB)\n");
    }

    if (!shortfalls.empty()) {
        std::printf("\nbelow goal:\n");
        for (const auto& s : shortfalls)
            std::printf("  %-50s %6.2f (goal %s %.1f)\n", s.what.c_str(), s.value,
                        s.what.find("FIFO") != std::string::npos ? "at most" : "at least", s.goal);
    }
    return shortfalls;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--startup-memory-child")
        return delve::bench::startupMemoryChild(argv[2]);
    // --check: run the path searches (unless a filter says otherwise) and
    // exit with status 1 when a ratio of the table misses its goal.
    bool check = false;
    bool filtered = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--check") {
            check = true;
            continue;
        }
        if (a.rfind("--benchmark_filter", 0) == 0) filtered = true;
        args.push_back(argv[i]);
    }
    std::string pathOnly = "--benchmark_filter=^(production|priority_queue|boost_dijkstra|fifo_floor)/";
    if (check && !filtered) args.push_back(pathOnly.data());
    int count = int(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    const std::string loadBefore = loadAverage();
    delve::registerPathBenchmarks();
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::string renderer = "none";
    if (auto& g = delve::bench::sharedGameSlot(); g && g->hasWindow())
        renderer = g->rendererName();
    const auto shortfalls = printTable(reporter, loadBefore, renderer);
    benchmark::Shutdown();
    // The GL context goes before the process's exit handlers run.
    delve::bench::endSharedGame();
    if (check) {
        std::printf("\ncheck: %s\n", shortfalls.empty() ? "every ratio meets its goal" : "a ratio misses its goal");
        return shortfalls.empty() ? 0 : 1;
    }
    return 0;
}
