#include <cinttypes>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "app/game.h"
#include "app/run.h"
#include "platform/digest.h"
#include "platform/output_file.h"

namespace delve {

std::string stateJson(const Game& g) {
    const Shell& sh = g.shell();
    const UnitRecord& h = g.units()[HeroUnit];
    char digestWorld[17], digestUnits[17];
    std::snprintf(digestWorld, sizeof digestWorld, "%016" PRIx64,
                  fnv1a64(g.world().map.data(), WorldBytes));
    std::snprintf(digestUnits, sizeof digestUnits, "%016" PRIx64,
                  fnv1a64(g.units().bytes(), Units::byteSize()));
    // The library escapes the command line and writes non-finite unit
    // values (a loaded table may carry any float) as null.
    nlohmann::ordered_json o;
    o["seed"] = g.seed();
    o["frameCounter"] = sh.frameCounter;
    o["framesRun"] = g.framesRun();
    o["screenWidth"] = sh.screenWidth;
    o["screenHeight"] = sh.screenHeight;
    o["pixelZoom"] = sh.pixelZoom;
    o["movementInterval"] = sh.movementInterval;
    o["screensaverMode"] = sh.screensaverMode;
    o["consoleOpen"] = g.console().consoleOpen;
    // Bytes that are not UTF-8 are kept as the replacement character.
    o["commandLine"] = std::string(g.console().commandLine);
    o["SX"] = sh.SX;
    o["SY"] = sh.SY;
    o["SZ"] = sh.SZ;
    o["virtualWaitMs"] = g.clock().waitedMs();
    o["hero"] = {{"active", int(h.active)},
                 {"x", int(h.x)},
                 {"y", int(h.y)},
                 {"z", int(h.z)},
                 {"subX", float(h.subX)},
                 {"subY", float(h.subY)},
                 {"subZ", float(h.subZ)},
                 {"destX", int(h.destX)},
                 {"destY", int(h.destY)},
                 {"moveState", int(h.moveState)},
                 {"pathStep", g.pathFinder().nextStep(HeroUnit)},
                 {"hitPoints", float(h.hitPoints)},
                 {"maxHitPoints", float(h.maxHitPoints)},
                 {"spriteId", int(h.spriteId)}};
    o["contest"] = {{"active", g.contest().active},
                    {"started", g.contest().started},
                    {"turnNumber", g.contest().contest.turnNumber},
                    {"winner", g.contest().winner},
                    {"partySize", g.units().partySize},
                    {"nextFreeUnit", g.units().nextFreeUnit},
                    {"seed", g.contest().seed},
                    {"message", std::string(g.contest().message)}};
    o["worldFnv1a64"] = digestWorld;
    o["unitsFnv1a64"] = digestUnits;
    return o.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

void runMainLoop(Game& g, const std::function<void()>& afterFrame) {
    GameParts& p = *g.parts_;
    const int limit = g.options_.frames;
    if (limit == 0) p.shell.quitRequested = 1;
    while (!p.shell.quitRequested) {
        if (g.input_.beginFrame(g.framesRun_, p.shell.screenWidth, p.shell.screenHeight)) {
            // The script's close message arrives as if pumped after the
            // previous frame.
            p.shell.quitRequested = 1;
            break;
        }
        runFrame(g);
        // Movement and blinking are counted in frames: the loop keeps the
        // pace the game was made for, whatever the display does.
        g.clock_.endFrame();
        g.framesRun_ += 1;
        if (afterFrame) afterFrame();
        // A look at a running game from outside (SIGUSR1), between frames.
        if (takeStateDumpRequest() && !g.options_.dumpState.empty())
            writeStateDump(g, g.options_.dumpState);
        if (limit > 0 && g.framesRun_ >= limit) p.shell.quitRequested = 1;
    }
}

bool writeStateDump(const Game& g, const std::string& path) {
    const std::string text = stateJson(g);
    const int err = replaceFile(path, text.data(), text.size());
    if (err != 0)
        std::fprintf(stderr, "delve: could not write %s: %s\n", path.c_str(),
                     fileErrorText(path, err).c_str());
    return err == 0;
}

} // namespace delve
