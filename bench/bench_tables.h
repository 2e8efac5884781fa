#pragma once
// Figures that benchmarks measure outside Google Benchmark's timings and the
// table at the end of the run prints.
#include <string>
#include <utility>
#include <vector>

namespace delve::bench {

// This benchmark program's own path, to start it again as a helper.
std::string selfPath();

struct TableMemory {
    std::string name;
    double sizeMB = 0.0;
    double residentMB = 0.0;
};
struct StartupMemory {
    bool ok = false;
    std::vector<TableMemory> tables;
    std::vector<std::pair<std::string, double>> totals; // name, MB
};
// Filled by the start-up memory benchmark when it ran.
const StartupMemory& startupMemory();
// The helper process's work (see memory_bench.cpp); returns its exit status.
int startupMemoryChild(const char* outPath);

// Frames a second of the real frame loop, headless and unpaced, from wall
// time and from the process's CPU time; zero when not measured.
struct FrameRate {
    double wallFps = 0.0;
    double cpuFps = 0.0;
};
const FrameRate& frameRate(bool mapView);

} // namespace delve::bench
