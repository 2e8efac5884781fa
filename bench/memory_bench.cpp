// What start-up leaves in memory: the benchmark program starts itself again
// as a fresh process that makes the game exactly as `delve --headless
// --fast-clock --frames 1` does (start-up, then one frame) and writes, for
// each big table, its size and the part of it that has pages in memory,
// then the process's own totals from /proc/self/status.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_game.h"
#include "bench/bench_tables.h"

extern char** environ;

namespace delve::bench {

namespace {

constexpr double MB = 1024.0 * 1024.0;

template <typename T>
double vectorMB(const std::vector<T>& v) {
    return double(v.size() * sizeof(T)) / MB;
}

// The kB figure of one line of /proc/self/status ("RssAnon:  1234 kB").
double statusMB(const std::string& key) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key + ":", 0) == 0) return std::atof(line.c_str() + key.size() + 1) / 1024.0;
    return 0.0;
}

// Resident kB of the process's [heap] mapping (the C library's heap).
double heapMB() {
    std::ifstream in("/proc/self/smaps");
    bool heap = false;
    for (std::string line; std::getline(in, line);) {
        // A mapping's first line has its address range before any colon;
        // its fields ("Rss:   12 kB") start with their name and a colon.
        if (line.find(' ') < line.find(':'))
            heap = line.size() >= 6 && line.compare(line.size() - 6, 6, "[heap]") == 0;
        else if (heap && line.rfind("Rss:", 0) == 0)
            return std::atof(line.c_str() + 4) / 1024.0;
    }
    return 0.0;
}

StartupMemory measured;

} // namespace

int startupMemoryChild(const char* outPath) {
    Options opts;
    opts.headless = true;
    opts.fastClock = true;
    opts.haveSeed = true;
    opts.seed = 12345;
    opts.frames = 1;
    opts.dataDir = dataDir();
    opts.saveDir = std::filesystem::temp_directory_path().string();
    Game game(opts, makeHeadlessPlatform(), makeRenderer(GraphicsApi::Gl1));
    if (!startGame(game)) return 1;
    runFrame(game);
    const GameParts& g = game.parts();

    std::ostringstream out;
    auto table = [&](const char* name, double sizeMB, double residentMB) {
        out << "table\t" << name << "\t" << sizeMB << "\t" << residentMB << "\n";
    };
    table("sine and cosine tables", 2.0 * TrigEntries * sizeof(float) / MB, double(g.trig.residentBytes()) / MB);
    table("object type database", double(g.types.records.size() * sizeof(ObjectTypeRecord)) / MB,
          double(g.types.records.residentBytes()) / MB);
    table("edge overlay points", double(g.edgeOverlay.edgePointTable.size() * sizeof(EdgePoint)) / MB,
          double(g.edgeOverlay.edgePointTable.residentBytes()) / MB);
    table("edge overlay depth image", vectorMB(g.edgeOverlay.depthImage), vectorMB(g.edgeOverlay.depthImage));
    table("grid", double(g.world.map.bytes.size()) / MB, double(g.world.map.bytes.residentBytes()) / MB);
    table("mark grid", double(g.world.marks.bytes.size()) / MB, double(g.world.marks.bytes.residentBytes()) / MB);
    table("room table", double(g.world.gen.rooms.size() * sizeof(RoomRecord)) / MB,
          double(g.world.gen.rooms.residentBytes()) / MB);
    table("stored paths", double((g.pathFinder.pathX.size() + g.pathFinder.pathY.size()) * sizeof(int32_t)) / MB,
          double(g.pathFinder.pathX.residentBytes() + g.pathFinder.pathY.residentBytes()) / MB);
    table("first-person vertex buffer", double(g.firstPerson.vertices.size() * sizeof(float)) / MB,
          double(g.firstPerson.vertices.residentBytes()) / MB);
    table("unit table", vectorMB(g.units.table), vectorMB(g.units.table));
    double pictures = 0.0;
    for (const auto& e : g.pictures.entries) pictures += vectorMB(e.pixels) + vectorMB(e.screenPixels);
    table("pictures", pictures, pictures);
    out << "total\tpeak resident\t" << statusMB("VmHWM") << "\n";
    out << "total\tresident now\t" << statusMB("VmRSS") << "\n";
    out << "total\tanonymous\t" << statusMB("RssAnon") << "\n";
    out << "total\tfile-backed (libraries)\t" << statusMB("RssFile") << "\n";
    out << "total\tC heap\t" << heapMB() << "\n";
    std::ofstream(outPath) << out.str();
    shutdownGame(game);
    return 0;
}

const StartupMemory& startupMemory() { return measured; }

namespace {

void BM_StartupMemory(benchmark::State& state) {
    const std::string out = (std::filesystem::temp_directory_path() /
                             ("delve-bench-memory-" + std::to_string(getpid()))).string();
    for (auto _ : state) {
        std::vector<std::string> args = {selfPath(), "--startup-memory-child", out};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, args[0].c_str(), nullptr, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the measuring process failed");
            return;
        }
    }
    std::ifstream in(out);
    measured = StartupMemory{};
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f;
        std::stringstream ss(line);
        for (std::string part; std::getline(ss, part, '\t');) f.push_back(part);
        if (f.size() == 4 && f[0] == "table")
            measured.tables.push_back({f[1], std::atof(f[2].c_str()), std::atof(f[3].c_str())});
        else if (f.size() == 3 && f[0] == "total")
            measured.totals.push_back({f[1], std::atof(f[2].c_str())});
    }
    std::filesystem::remove(out);
    measured.ok = !measured.tables.empty();
}
BENCHMARK(BM_StartupMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

} // namespace delve::bench
