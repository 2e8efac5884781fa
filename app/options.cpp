#include "app/options.h"

#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "platform/numbers.h"

namespace delve {

const char* usageText() {
    return "Usage: delve [options]\n"
           "Explore a generated dungeon. Without options the game opens its window.\n"
           "\n"
           "  --headless             run without a window (offscreen GL)\n"
           "  --fast-clock           waits advance a virtual clock instead of blocking\n"
           "  --seed N               seed of the world generator (default: the time)\n"
           "  --frames N             end as Escape does after N frames\n"
           "  --fps N                frames a second (default 60 in a window; 0 = unpaced,\n"
           "                         the default with --headless or --fast-clock)\n"
           "  --input FILE           drive keys and cursor from a script\n"
           "  --record FILE          write this session's keys and cursor as a script\n"
           "  --screenshot F:FILE    write the frame F as presented to a PNG (repeatable)\n"
           "  --dump-state FILE      write the game state as JSON at exit (and on SIGUSR1)\n"
           "  --data-dir DIR         folder with the pictures and the overworld\n"
           "  --save-dir DIR         folder of the twelve save slots\n"
           "  --renderer gl1|gles2   the GL the game draws with: gl1 (default) needs\n"
           "                         desktop OpenGL 1.x with GLU, gles2 OpenGL ES 2.0\n"
           "  --help                 show this text\n"
           "  --version              show the version\n";
}

bool parseOptions(int argc, const char* const* argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        auto value = [&](const char*& out) {
            if (i + 1 >= argc) {
                error = std::string("missing value for ") + arg;
                return false;
            }
            out = argv[++i];
            return true;
        };
        const char* v = nullptr;
        long long n = 0;
        if (!std::strcmp(arg, "--headless")) {
            o.headless = true;
        } else if (!std::strcmp(arg, "--fast-clock")) {
            o.fastClock = true;
        } else if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
            o.showHelp = true;
        } else if (!std::strcmp(arg, "--version")) {
            o.showVersion = true;
        } else if (!std::strcmp(arg, "--seed")) {
            if (!value(v)) return false;
            if (!parseInteger(v, 0, 4294967295LL, n)) {
                error = std::string("--seed needs a number 0..4294967295, not '") + v + "'";
                return false;
            }
            o.haveSeed = true;
            o.seed = uint32_t(n);
        } else if (!std::strcmp(arg, "--frames")) {
            if (!value(v)) return false;
            if (!parseInteger(v, 0, 2000000000LL, n)) {
                error = std::string("--frames needs a count 0..2000000000, not '") + v + "'";
                return false;
            }
            o.frames = int(n);
        } else if (!std::strcmp(arg, "--fps")) {
            if (!value(v)) return false;
            if (!parseInteger(v, 0, 1000, n)) {
                error = std::string("--fps needs a rate 0..1000, not '") + v + "'";
                return false;
            }
            o.fps = int(n);
        } else if (!std::strcmp(arg, "--input")) {
            if (!value(v)) return false;
            o.inputScript = v;
        } else if (!std::strcmp(arg, "--record")) {
            if (!value(v)) return false;
            o.record = v;
        } else if (!std::strcmp(arg, "--screenshot")) {
            if (!value(v)) return false;
            const char* colon = std::strchr(v, ':');
            std::string frame = colon ? std::string(v, colon) : std::string();
            if (!colon || !colon[1] || !parseInteger(frame.c_str(), 0, 2000000000LL, n)) {
                error = std::string("--screenshot needs FRAME:FILE, not '") + v + "'";
                return false;
            }
            o.screenshots.emplace_back(int(n), colon + 1);
        } else if (!std::strcmp(arg, "--dump-state")) {
            if (!value(v)) return false;
            o.dumpState = v;
        } else if (!std::strcmp(arg, "--data-dir")) {
            if (!value(v)) return false;
            o.dataDir = v;
        } else if (!std::strcmp(arg, "--renderer")) {
            if (!value(v)) return false;
            if (std::strcmp(v, "gl1") && std::strcmp(v, "gles2")) {
                error = std::string("--renderer needs gl1 or gles2, not '") + v + "'";
                return false;
            }
            o.renderer = std::strcmp(v, "gl1") ? GraphicsApi::Gles2 : GraphicsApi::Gl1;
            o.rendererGiven = true;
        } else if (!std::strcmp(arg, "--save-dir")) {
            if (!value(v)) return false;
            o.saveDir = v;
        } else {
            error = std::string("unknown option ") + arg;
            return false;
        }
    }
    // A screenshot of a frame the run never reaches would silently be missing.
    for (const auto& [frame, path] : o.screenshots) {
        if (o.frames >= 0 && frame >= o.frames) {
            error = "--screenshot " + std::to_string(frame) + ":" + path + ": frame " +
                    std::to_string(frame) + " never comes with --frames " + std::to_string(o.frames);
            return false;
        }
    }
    return true;
}

int framePace(const Options& o) {
    if (o.fps >= 0) return o.fps;
    return o.headless || o.fastClock ? 0 : Clock::DefaultFramesPerSecond;
}

} // namespace delve
