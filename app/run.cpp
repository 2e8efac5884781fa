#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/game.h"
#include "app/run.h"
#include "gfx/png.h"
#include "platform/digest.h"

namespace delve {

namespace {

void writeScreenshots(const Game& g, int frame) {
    for (const auto& [f, path] : g.options.screenshots) {
        if (f != frame) continue;
        if (!writePngBottomUp(path, g.screen.width, g.screen.height, g.screen.framebuffer.data()))
            std::fprintf(stderr, "delve: could not write screenshot %s\n", path.c_str());
    }
}

std::string jsonString(const char* s) {
    std::string out = "\"";
    for (; *s; ++s) {
        unsigned char c = static_cast<unsigned char>(*s);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

} // namespace

std::string stateJson(const Game& g) {
    const int consoleOpen = g.console.consoleOpen;
    const char* commandLine = g.console.commandLine;
    const int heroPathStep = g.pathFinder.pathStep[1];
    const Shell& sh = g.shell;
    const UnitRecord& h = g.units[HeroUnit];
    char digestWorld[17], digestUnits[17];
    std::snprintf(digestWorld, sizeof digestWorld, "%016" PRIx64,
                  fnv1a64(g.world.map.data(), WorldBytes));
    std::snprintf(digestUnits, sizeof digestUnits, "%016" PRIx64,
                  fnv1a64(g.units.bytes(), Units::byteSize()));
    std::ostringstream o;
    o << "{\n"
      << "  \"seed\": " << g.seed << ",\n"
      << "  \"frameCounter\": " << sh.frameCounter << ",\n"
      << "  \"framesRun\": " << g.framesRun << ",\n"
      << "  \"screenWidth\": " << sh.screenWidth << ",\n"
      << "  \"screenHeight\": " << sh.screenHeight << ",\n"
      << "  \"pixelZoom\": " << sh.pixelZoom << ",\n"
      << "  \"movementInterval\": " << sh.movementInterval << ",\n"
      << "  \"screensaverMode\": " << sh.screensaverMode << ",\n"
      << "  \"consoleOpen\": " << consoleOpen << ",\n"
      << "  \"commandLine\": " << jsonString(commandLine) << ",\n"
      << "  \"SX\": " << sh.SX << ",\n"
      << "  \"SY\": " << sh.SY << ",\n"
      << "  \"SZ\": " << sh.SZ << ",\n"
      << "  \"virtualWaitMs\": " << g.clock.waitedMs() << ",\n"
      << "  \"hero\": {\"active\": " << int(h.active) << ", \"x\": " << h.x << ", \"y\": " << h.y
      << ", \"z\": " << h.z << ", \"subX\": " << h.subX << ", \"subY\": " << h.subY
      << ", \"subZ\": " << h.subZ << ", \"destX\": " << h.destX << ", \"destY\": " << h.destY
      << ", \"moveState\": " << h.moveState << ", \"pathStep\": " << heroPathStep
      << ", \"hitPoints\": " << h.hitPoints << ", \"maxHitPoints\": " << h.maxHitPoints
      << ", \"spriteId\": " << h.spriteId << "},\n"
      << "  \"worldFnv1a64\": \"" << digestWorld << "\",\n"
      << "  \"unitsFnv1a64\": \"" << digestUnits << "\"\n"
      << "}\n";
    return o.str();
}

void runMainLoop(Game& g) {
    const int limit = g.options.frames;
    if (limit == 0) g.shell.quitRequested = 1;
    while (!g.shell.quitRequested) {
        if (g.input.beginFrame(g.framesRun, g.shell.screenWidth, g.shell.screenHeight)) {
            // The script's close message arrives as if pumped after the
            // previous frame.
            g.shell.quitRequested = 1;
            break;
        }
        runFrame(g);
        writeScreenshots(g, g.framesRun);
        g.framesRun += 1;
        if (limit > 0 && g.framesRun >= limit) g.shell.quitRequested = 1;
    }
}

bool writeStateDump(const Game& g, const std::string& path) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f << stateJson(g);
    return bool(f.flush());
}

} // namespace delve
