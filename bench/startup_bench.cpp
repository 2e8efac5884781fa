// Start-up to the first frame, timed on the real program as a player starts
// it (headless, the fast clock, one frame, then the ordinary exit), with the
// peak resident memory of that process; and a save and a load of the shared
// game through the console's slot code, progress frames included.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_game.h"
#include "console/save_load.h"

extern char** environ;

namespace delve {
namespace {

#ifndef DELVE_PROGRAM
#define DELVE_PROGRAM "delve"
#endif

// A folder for the program's and the benchmarks' saves, removed at exit.
const std::string& scratchDir() {
    static const std::string dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "delve-bench-XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        return std::string(made ? made : "/tmp");
    }();
    static const struct Remover {
        ~Remover() {
            std::error_code ec;
            if (dir != "/tmp") std::filesystem::remove_all(dir, ec);
        }
    } remover;
    return dir;
}

double peakMegabytes = 0.0;
std::vector<double> childCpuMs; // user + system time of each started program

void BM_StartupToFirstFrame(benchmark::State& state) {
    const std::string program = DELVE_PROGRAM;
    const std::string data = bench::dataDir();
    const std::string saves = scratchDir();
    std::vector<std::string> args = {program, "--headless", "--fast-clock", "--seed", "12345",
                                     "--frames", "1", "--data-dir", data, "--save-dir", saves};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    long peakKb = 0;
    for (auto _ : state) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const auto begin = std::chrono::steady_clock::now();
        pid_t pid = 0;
        const int err = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (err != 0) {
            state.SkipWithError("could not start the program");
            return;
        }
        int status = 0;
        struct rusage usage {};
        if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the program failed");
            return;
        }
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
        peakKb = std::max(peakKb, usage.ru_maxrss);
        auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) * 1e-3; };
        childCpuMs.push_back(ms(usage.ru_utime) + ms(usage.ru_stime));
    }
    state.counters["peak_MB"] = double(peakKb) / 1024.0;
    peakMegabytes = std::max(peakMegabytes, double(peakKb) / 1024.0);
}
BENCHMARK(BM_StartupToFirstFrame)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

ConsoleContext contextOf(Game& g, const std::string& saveDir) {
    return ConsoleContext{g.input, g.clock, g.shell, g.screen, g.text, g.world.map, g.units,
                          g.progressHost, saveDir};
}

void BM_Save(benchmark::State& state) {
    Game& g = bench::sharedGame();
    const std::string dir = scratchDir();
    for (auto _ : state)
        if (saveGame(g.console, contextOf(g, dir), 1) != SlotResult::Done) {
            state.SkipWithError("save failed");
            return;
        }
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_Load(benchmark::State& state) {
    Game& g = bench::sharedGame();
    const std::string dir = scratchDir();
    if (saveGame(g.console, contextOf(g, dir), 2) != SlotResult::Done) {
        state.SkipWithError("save failed");
        return;
    }
    for (auto _ : state)
        if (loadGame(g.console, contextOf(g, dir), 2) != SlotResult::Done) {
            state.SkipWithError("load failed");
            return;
        }
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

double startupPeakMegabytes() { return peakMegabytes; }

double startupCpuMedianMs() {
    if (childCpuMs.empty()) return 0.0;
    std::vector<double> v = childCpuMs;
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
    return v[v.size() / 2];
}

} // namespace delve
