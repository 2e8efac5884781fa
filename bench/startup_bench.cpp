// Start-up to the first frame, timed on the real program as a player starts
// it (headless, the fast clock, one frame, then the ordinary exit); the
// frames a second of its main loop; and a save and a load of the shared
// game through the console's slot code, progress frames included.
// The peak memory of start-up is measured in memory_bench.cpp: the
// ru_maxrss that wait4 reports for a spawned child also counts the
// resident memory of this (large) process, whose address space the child
// runs in until it replaces it with the program.
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
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_game.h"
#include "bench/bench_tables.h"
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

std::vector<double> childCpuMs; // user + system time of each started program

struct ProgramRun {
    bool ok = false;
    double wallMs = 0.0;
    double cpuMs = 0.0; // user + system time of the process
};

// Starts the real program headless with the fast clock and the build's
// pictures, adds `extra` to its arguments, and waits for its exit.
ProgramRun runProgram(const std::vector<std::string>& extra) {
    const std::string program = DELVE_PROGRAM;
    std::vector<std::string> args = {program, "--headless", "--fast-clock", "--seed", "12345",
                                     "--data-dir", bench::dataDir(), "--save-dir", scratchDir()};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    ProgramRun run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto begin = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int err = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) return run;
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return run;
    const auto end = std::chrono::steady_clock::now();
    auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) * 1e-3; };
    run.ok = true;
    run.wallMs = std::chrono::duration<double, std::milli>(end - begin).count();
    run.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    return run;
}

void BM_StartupToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        const ProgramRun run = runProgram({"--frames", "1"});
        if (!run.ok) {
            state.SkipWithError("the program failed");
            return;
        }
        state.SetIterationTime(run.wallMs / 1e3);
        childCpuMs.push_back(run.cpuMs);
    }
}
BENCHMARK(BM_StartupToFirstFrame)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// Frames a second of the real main loop, headless and unpaced: a run of
// ShortRun frames and one of LongRun frames, each the least of three, and
// the difference divided by the extra frames, so start-up and shutdown
// cancel out. The map view is reached with F6 on the first frame.
constexpr int ShortRun = 30;
constexpr int LongRun = 330;
bench::FrameRate measuredRates[2];

void framesPerSecond(benchmark::State& state, bool mapView) {
    std::string script;
    if (mapView) {
        script = scratchDir() + "/map-view.script";
        std::ofstream(script) << "0 down 117\n1 up 117\n";
    }
    auto least = [&](int frames) {
        ProgramRun best;
        for (int i = 0; i < 3; ++i) {
            std::vector<std::string> extra = {"--frames", std::to_string(frames)};
            if (mapView) extra.insert(extra.end(), {"--input", script});
            const ProgramRun run = runProgram(extra);
            if (!run.ok) return run;
            if (!best.ok || run.wallMs < best.wallMs) best.wallMs = run.wallMs;
            if (!best.ok || run.cpuMs < best.cpuMs) best.cpuMs = run.cpuMs;
            best.ok = true;
        }
        return best;
    };
    for (auto _ : state) {
        const ProgramRun shortRun = least(ShortRun);
        const ProgramRun longRun = least(LongRun);
        if (!shortRun.ok || !longRun.ok) {
            state.SkipWithError("the program failed");
            return;
        }
        const double frames = LongRun - ShortRun;
        const double wallMs = std::max(1e-3, (longRun.wallMs - shortRun.wallMs) / frames);
        const double cpuMs = std::max(1e-3, (longRun.cpuMs - shortRun.cpuMs) / frames);
        state.SetIterationTime(wallMs / 1e3);
        measuredRates[mapView ? 1 : 0] = bench::FrameRate{1000.0 / wallMs, 1000.0 / cpuMs};
        state.counters["fps_wall"] = 1000.0 / wallMs;
        state.counters["fps_cpu"] = 1000.0 / cpuMs;
    }
}
BENCHMARK_CAPTURE(framesPerSecond, first_person, false)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK_CAPTURE(framesPerSecond, map_view, true)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// Saves and loads of the shared game, through its console's slot code.
void BM_Save(benchmark::State& state) {
    Game& game = bench::sharedGame();
    for (auto _ : state)
        if (game.saveSlot(1) != SlotResult::Done) {
            state.SkipWithError("save failed");
            return;
        }
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_Load(benchmark::State& state) {
    Game& game = bench::sharedGame();
    if (game.saveSlot(2) != SlotResult::Done) {
        state.SkipWithError("save failed");
        return;
    }
    for (auto _ : state)
        if (game.loadSlot(2) != SlotResult::Done) {
            state.SkipWithError("load failed");
            return;
        }
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

namespace bench {
const FrameRate& frameRate(bool mapView) { return measuredRates[mapView ? 1 : 0]; }

std::string selfPath() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).string();
}
} // namespace bench

double startupCpuMedianMs() {
    if (childCpuMs.empty()) return 0.0;
    std::vector<double> v = childCpuMs;
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
    return v[v.size() / 2];
}

} // namespace delve
