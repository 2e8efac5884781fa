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
    int fps = -1;    // --fps; -1 = the default pace (see framePace)
    std::string inputScript;
    std::string record; // --record: the session written as an input script
    std::vector<std::pair<int, std::string>> screenshots; // frame -> PNG path
    std::string dumpState;
    std::string dataDir;
    std::string saveDir;
    GraphicsApi renderer = GraphicsApi::Gl1;
    bool rendererGiven = false;
    bool showHelp = false;
    bool showVersion = false;
};

// Parses argv. On an error returns false with a one-line message naming
// the flag.
bool parseOptions(int argc, const char* const* argv, Options& out, std::string& error);
const char* usageText();
// Main-loop frames a second: --fps, else 60 for a player's window and
// unpaced for headless and fast-clock runs; 0 means unpaced.
int framePace(const Options& o);

} // namespace delve
