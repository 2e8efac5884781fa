// Runs every benchmark of the program and prints one table of ratios, all
// from this one run: the path searches against their comparisons, then the
// world generator, start-up, the two views' frames, a save and a load.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_game.h"

namespace delve {
bool pathBenchUsesShippedOverworld();
void registerPathBenchmarks();
double startupPeakMegabytes();
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

void printTable(const TableReporter& rep, const std::string& loadBefore, const std::string& renderer) {
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
    std::printf("  %-19s %12s %14s %16s %10s %18s\n", "case", "production", "literal scan",
                "priority queue", "Boost", "production / FIFO");
    for (const char* tag : {"overworld/worst", "overworld/typical", "dungeon/worst", "dungeon/typical"}) {
        const Timing* p = rep.find(std::string("production/") + tag);
        if (!p) continue;
        const Timing* fifo = rep.find(std::string("fifo_floor/") + tag);
        const double boost = ratio(p, rep.find(std::string("boost_dijkstra/") + tag));
        char boostText[16] = "  (not built)";
        if (boost > 0.0) std::snprintf(boostText, sizeof boostText, "x %6.2f", boost);
        std::printf("  %-19s %9.3f ms %10s%4.0f %11s%5.2f %10s %14s%4.2f\n", tag, p->cpuMs, "x ",
                    ratio(p, rep.find(std::string("literal_scan/") + tag)), "x ",
                    ratio(p, rep.find(std::string("priority_queue/") + tag)), boostText, "x ",
                    fifo && fifo->cpuMs > 0.0 ? p->cpuMs / fifo->cpuMs : 0.0);
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
    row("start-up to the first frame (process)", "BM_StartupToFirstFrame", 400.0, "the 400 ms goal",
        delve::startupCpuMedianMs());
    if (double peak = delve::startupPeakMegabytes(); peak > 0.0)
        std::printf("  %-42s %9.1f MB\n", "  peak resident memory of that process", peak);
    row("map view frame, 640 x 480", "map_view/frame_640x480", 1000.0 / 60.0, "a 60 Hz frame");
    row("first-person frame, software GL", "BM_FirstPersonView", 1000.0 / 60.0, "a 60 Hz frame");
    row("first-person frame with the edge overlay", "BM_FirstPersonViewWithEdges", 1000.0 / 60.0,
        "a 60 Hz frame");
    row("save, fast clock (progress frames, fsync)", "BM_Save", 0.0, "");
    row("load, fast clock (check, read, progress)", "BM_Load", 0.0, "");
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const std::string loadBefore = loadAverage();
    delve::registerPathBenchmarks();
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::string renderer = "none";
    if (auto& g = delve::bench::sharedGameSlot(); g && g->platform->hasWindow())
        if (const auto* r = glGetString(GL_RENDERER)) renderer = reinterpret_cast<const char*>(r);
    printTable(reporter, loadBefore, renderer);
    benchmark::Shutdown();
    // The GL context goes before the process's exit handlers run.
    delve::bench::endSharedGame();
    return 0;
}
