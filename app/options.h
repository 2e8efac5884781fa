#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace delve {

// What the command line asks for. Without flags the program runs exactly
// as a player starts it: a window, the real clock, a seed from the time.
struct Options {
    bool headless = false;
    bool fastClock = false;
    bool haveSeed = false;
    uint32_t seed = 0;
    int frames = -1; // -1 = run until Escape or close
    int fps = -1;    // --fps; -1 = not given: the default pace (see framePace)
    GraphicsApi renderer = GraphicsApi::Gl1;
    bool rendererGiven = false;
    bool noSettings = false; // --no-settings: neither read nor write the settings file
    std::string inputScript;
    std::string record; // --record: the session written as an input script
    std::vector<std::pair<int, std::string>> screenshots; // frame -> PNG path
    std::string dumpState;
    std::string dataDir;
    std::string saveDir;
    // The window at start-up. No flag sets them: they come from the
    // settings file (app/settings.h).
    int windowScale = 2; // 1 to 4, as F1 to F4 give
    bool fullscreen = false;
};

// Parses argv into `out`. Returns -1 when the program goes on; otherwise
// the help, the version or a one-line error naming the flag has been
// printed, and the result is the exit status (0, or 2 after an error).
int parseOptions(int argc, const char* const* argv, Options& out);
// Main-loop frames a second: --fps, else 60 for a player's window and
// unpaced for headless and fast-clock runs; 0 means unpaced.
int framePace(const Options& o);

} // namespace delve
