#include "app/options.h"

#include <CLI/CLI.hpp>

#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/numbers.h"
#include "platform/quoted.h"

namespace delve {

namespace {

constexpr long long MaxFrame = 2000000000LL;

// "FRAME:FILE" with a frame 0..MaxFrame and a file name after the colon.
bool splitScreenshot(const std::string& text, int& frame, std::string& path) {
    const size_t colon = text.find(':');
    long long n = 0;
    if (colon == std::string::npos || colon + 1 == text.size() ||
        !parseInteger(std::string_view(text).substr(0, colon), 0, MaxFrame, n))
        return false;
    frame = int(n);
    path = text.substr(colon + 1);
    return true;
}

} // namespace

int parseOptions(int argc, const char* const* argv, Options& o) {
    CLI::App app("Explore a generated dungeon. Without options the game opens its window.",
                 "delve");
    useCommandLineConventions(app);
    std::string renderer;
    std::vector<std::string> screenshots;
    app.add_flag("--headless", o.headless, "run without a window (offscreen GL)");
    app.add_flag("--fast-clock", o.fastClock,
                 "waits advance a virtual clock instead of blocking");
    auto* seed = app.add_option("--seed", o.seed, "seed of the world generator (default: the time)")
                     ->type_name("N")
                     ->check(wholeNumber(0, 4294967295LL));
    app.add_option("--frames", o.frames, "end as Escape does after N frames")
        ->type_name("N")
        ->check(wholeNumber(0, MaxFrame, "count"));
    app.add_option("--fps", o.fps,
                   "frames a second (default 60 in a window; 0 = unpaced,\n"
                   "the default with --headless or --fast-clock; a replay\n"
                   "runs at the pace its script holds)")
        ->type_name("N")
        ->check(wholeNumber(0, 1000, "rate"));
    auto* api = app.add_option("--renderer", renderer,
                               "gl1: desktop OpenGL 1.x with GLU (default);\ngles2: OpenGL ES 2.0")
                    ->type_name("API")
                    ->check([](const std::string& s) {
                        return s == "gl1" || s == "gles2" ? std::string()
                                                          : "needs gl1 or gles2, not " + quoteText(s);
                    });
    app.add_flag("--no-settings", o.noSettings, "neither read nor write the settings file");
    app.add_option("--input", o.inputScript, "drive keys and cursor from a script")
        ->type_name("FILE");
    app.add_option("--record", o.record, "write this session's keys and cursor as a script")
        ->type_name("FILE");
    app.add_option("--screenshot", screenshots,
                   "write the frame F as presented to a PNG (repeatable)")
        ->type_name("F:FILE")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check([](const std::string& s) {
            int frame = 0;
            std::string path;
            return splitScreenshot(s, frame, path) ? std::string()
                                                   : "needs FRAME:FILE, not " + quoteText(s);
        });
    app.add_option("--dump-state", o.dumpState,
                   "write the game state as JSON at exit (and on SIGUSR1)")
        ->type_name("FILE");
    app.add_option("--data-dir", o.dataDir, "folder with the pictures and the overworld")
        ->type_name("DIR");
    app.add_option("--save-dir", o.saveDir, "folder of the twelve save slots")->type_name("DIR");
    app.callback([&] {
        o.haveSeed = seed->count() > 0;
        o.rendererGiven = api->count() > 0;
        o.renderer = renderer == "gles2" ? GraphicsApi::Gles2 : GraphicsApi::Gl1;
        for (const std::string& s : screenshots) {
            int frame = 0;
            std::string path;
            splitScreenshot(s, frame, path);
            // A screenshot of a frame the run never reaches would silently
            // be missing.
            if (o.frames >= 0 && frame >= o.frames)
                throw CLI::ValidationError("--screenshot " + quoteText(s),
                                           "frame " + std::to_string(frame) +
                                               " never comes with --frames " +
                                               std::to_string(o.frames));
            o.screenshots.emplace_back(frame, path);
        }
    });
    return parseCommandLine(app, DELVE_VERSION, argc, argv);
}

int framePace(const Options& o) {
    if (o.fps >= 0) return o.fps;
    return o.headless || o.fastClock ? 0 : Clock::DefaultFramesPerSecond;
}

} // namespace delve
