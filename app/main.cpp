#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/game.h"
#include "platform/backends/backends.h"
#include "app/run.h"
#include "app/settings.h"
#include "gfx/renderers/renderers.h"
#include "platform/data_dir.h"
#include "platform/output_file.h"

using namespace delve;

namespace {

constexpr uint64_t MaxInputScriptBytes = uint64_t(16) << 20;

// Pictures named one to a line before the rest are summed up: enough to
// find a modder's mistake, not a screenful when the whole folder is wrong.
constexpr size_t PictureProblemLines = 10;

// A count of the pictures that could not be loaded, each one named with its
// reason (and a texture that cannot serve its slot), then those the memory
// cap refused; the game runs with what it has.
void reportPictures(const Game& g) {
    const PictureReport& r = g.pictureReport();
    if (r.missing > 0)
        std::fprintf(stderr, "delve: warning: %d of %d pictures are missing or unusable in %s\n",
                     r.missing, r.missing + r.loaded + int(r.refused.size()), g.dataDir().c_str());
    for (size_t i = 0; i < r.problems.size() && i < PictureProblemLines; ++i)
        std::fprintf(stderr, "delve: warning: %s\n", r.problems[i].c_str());
    if (r.problems.size() > PictureProblemLines)
        std::fprintf(stderr, "delve: warning: and %zu more pictures like these\n",
                     r.problems.size() - PictureProblemLines);
    if (!r.refused.empty()) {
        std::string names;
        for (size_t i = 0; i < r.refused.size() && i < 8; ++i) names += (i ? ", " : "") + r.refused[i];
        if (r.refused.size() > 8) names += ", and " + std::to_string(r.refused.size() - 8) + " more";
        std::fprintf(stderr,
                     "delve: warning: pictures would take more than %d MiB; refused %zu: %s\n",
                     int(PictureMemoryCap >> 20), r.refused.size(), names.c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    Options opts;
    if (int status = parseOptions(argc, argv, opts); status >= 0) return status;
    std::string error;
    std::vector<ScriptEvent> events;
    if (!opts.inputScript.empty()) {
        // A pipe is welcome (--input <(make-script)); the cap keeps
        // /dev/zero or a runaway generator from eating all memory.
        std::vector<uint8_t> bytes;
        if (int err = readWholeStream(opts.inputScript, bytes, MaxInputScriptBytes)) {
            std::fprintf(stderr, "delve: --input: cannot read %s: %s\n", opts.inputScript.c_str(),
                         err == FileTooLarge ? "larger than 16 MiB" : errorText(err).c_str());
            return 2;
        }
        if (!parseInputScript(std::string(bytes.begin(), bytes.end()), events, error)) {
            std::fprintf(stderr, "delve: %s: %s\n", opts.inputScript.c_str(), error.c_str());
            return 2;
        }
        // A recording replays at the pace it was made at: game time, and
        // with it key repeat, advances one frame period a frame. An explicit
        // --fps still wins (to watch a replay slowly), with a word that the
        // replay may then part from the recording.
        const int recorded = scriptPace(events);
        if (opts.fps < 0)
            opts.fps = recorded;
        else if (recorded >= 0 && recorded != opts.fps)
            std::fprintf(stderr,
                         "delve: warning: %s was made at --fps %d; at --fps %d typing and "
                         "timed effects may differ from it\n",
                         opts.inputScript.c_str(), recorded, opts.fps);
    }

    // Outputs that can never be written are said before the run, not after it.
    auto outputUsable = [](const char* flag, const std::string& path) {
        const std::string why = outputProblem(path);
        if (!why.empty())
            std::fprintf(stderr, "delve: %s: cannot write %s: %s\n", flag, path.c_str(), why.c_str());
        return why.empty();
    };
    if (!outputUsable("--dump-state", opts.dumpState)) return 1;
    if (!outputUsable("--record", opts.record)) return 1;
    for (const auto& [frame, path] : opts.screenshots)
        if (!outputUsable("--screenshot", path)) return 1;

    // A data folder named by the user must be there.
    const char* dataEnv = std::getenv("DELVE_DATA_DIR");
    const std::string named = !opts.dataDir.empty() ? opts.dataDir : dataEnv ? dataEnv : "";
    if (!named.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(named, ec)) {
            std::fprintf(stderr, "delve: %s: the folder %s does not exist\n",
                         opts.dataDir.empty() ? "DELVE_DATA_DIR" : "--data-dir", named.c_str());
            return 2;
        }
    }

    // What a player's game remembers: the window scale, full screen, the
    // pace and the renderer. Flags given win for this run.
    std::unique_ptr<SettingsKeeper> settings;
    if (usesSettingsFile(opts)) {
        const std::string path = settingsPath([](const char* n) { return std::getenv(n); });
        const LoadedSettings loaded = loadSettings(path);
        if (!loaded.problem.empty()) std::fprintf(stderr, "delve: %s\n", loaded.problem.c_str());
        applySettings(loaded.settings, opts);
        settings = std::make_unique<SettingsKeeper>(path, loaded.settings, loaded.writable);
    }
    // Written when the player changes one of them, and checked once more at exit.
    const auto keepSettings = [&settings](const Game& g) {
        if (settings)
            settings->observe(g.shell().screenWidth, g.shell().pixelZoom, g.fullscreen());
    };

    std::unique_ptr<Platform> platform = makePlatform(opts.headless, opts.renderer, error);
    if (!platform) {
        std::fprintf(stderr, "delve: cannot open a window: %s (--headless runs without one)\n",
                     error.c_str());
        return 1;
    }
    auto game = std::make_unique<Game>(opts, std::move(platform), makeRenderer(opts.renderer));
    if (!opts.inputScript.empty()) game->input().useScript(std::move(events));
    installQuitSignals();
    if (!startGame(*game)) {
        if (game->windowFailed()) {
            // The error box named what failed; there is nothing to play in.
            shutdownGame(*game);
            return 1;
        }
        if (game->dataDir().empty()) {
            std::fprintf(stderr, "delve: no data folder (pictures and overworld): %s\n",
                         dataDirSearchText().c_str());
            return 2;
        }
        std::fprintf(stderr,
                     "delve: no pictures in the data folder %s (it needs bmp_unit/, bmp_land/ "
                     "and the other picture folders; --data-dir names another)\n",
                     game->dataDir().c_str());
        return 2;
    }
    reportPictures(*game);
    if (!opts.record.empty()) {
        if (int err = game->startRecording(opts.record)) {
            std::fprintf(stderr, "delve: --record: cannot write %s: %s\n", opts.record.c_str(),
                         fileErrorText(opts.record, err).c_str());
            shutdownGame(*game);
            return 1;
        }
    }
    if (settings)
        settings->start(game->shell().screenWidth, game->shell().pixelZoom, game->fullscreen());
    runMainLoop(*game, [&] { keepSettings(*game); });
    keepSettings(*game);
    shutdownGame(*game);

    int status = game->windowFailed() ? 1 : 0;
    if (int err = opts.record.empty() ? 0 : game->finishRecording()) {
        std::fprintf(stderr, "delve: could not write the recording %s: %s\n",
                     opts.record.c_str(), fileErrorText(opts.record, err).c_str());
        status = 1;
    }
    // Every screenshot asked for must exist, or the run did not do its job.
    const int missing = int(opts.screenshots.size()) - game->screenshotsWritten() -
                        game->screenshotsFailed();
    if (missing > 0)
        std::fprintf(stderr, "delve: %d screenshot%s never taken: the run ended after %d frames\n",
                     missing, missing == 1 ? " was" : "s were", game->framesRun());
    if (missing > 0 || game->screenshotsFailed() > 0) status = 1;
    if (!opts.dumpState.empty() && !writeStateDump(*game, opts.dumpState)) status = 1;
    return status;
}
