#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/game.h"
#include "platform/backends/backends.h"
#include "app/run.h"

using namespace delve;

int main(int argc, char** argv) {
    Options opts;
    std::string error;
    if (!parseOptions(argc, argv, opts, error)) {
        std::fprintf(stderr, "delve: %s (try --help)\n", error.c_str());
        return 2;
    }
    if (opts.showHelp) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    if (opts.showVersion) {
        std::puts("delve " DELVE_VERSION);
        return 0;
    }
    std::vector<ScriptEvent> events;
    if (!opts.inputScript.empty()) {
        std::ifstream in(opts.inputScript, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "delve: --input: cannot read %s\n", opts.inputScript.c_str());
            return 2;
        }
        std::stringstream text;
        text << in.rdbuf();
        if (!parseInputScript(text.str(), events, error)) {
            std::fprintf(stderr, "delve: %s: %s\n", opts.inputScript.c_str(), error.c_str());
            return 2;
        }
    }

    std::unique_ptr<Platform> platform;
    if (opts.headless) {
        platform = makeHeadlessPlatform();
    } else {
        platform = makeSdlPlatform(error);
        if (!platform) {
            std::fprintf(stderr, "delve: cannot open a window: %s (--headless runs without one)\n",
                         error.c_str());
            return 1;
        }
    }
    auto game = std::make_unique<Game>(opts, std::move(platform));
    if (!opts.inputScript.empty()) game->input.useScript(std::move(events));
    installQuitSignals();
    if (!startGame(*game)) {
        // The error box named what failed; there is nothing to play in.
        shutdownGame(*game);
        return 1;
    }
    if (!opts.record.empty()) {
        if (!game->recorder.open(opts.record, game->seed)) {
            std::fprintf(stderr, "delve: --record: cannot write %s\n", opts.record.c_str());
            shutdownGame(*game);
            return 2;
        }
        game->input.recordTo(&game->recorder);
    }
    runMainLoop(*game);
    shutdownGame(*game);
    int status = game->windowFailed ? 1 : 0;
    if (!opts.record.empty() && !game->recorder.finish(game->framesRun)) {
        std::fprintf(stderr, "delve: could not write %s\n", opts.record.c_str());
        status = 1;
    }
    if (!opts.dumpState.empty() && !writeStateDump(*game, opts.dumpState)) {
        std::fprintf(stderr, "delve: could not write %s\n", opts.dumpState.c_str());
        status = 1;
    }
    return status;
}
