#pragma once
// The whole game, started once per fuzzing process (pictures from the
// build's data folder, seed 7, the fast clock, an offscreen GL context), and
// put back to its start-up units, counters and paths before every input, so
// each input runs on the same game.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/game.h"
#include "platform/backends/backends.h"

namespace delve::fuzz {

// Reads little-endian fields from the front of a fuzz input; past its end
// every read gives zero.
struct InputReader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;

    bool done() const { return pos >= size; }
    uint8_t u8() { return pos < size ? data[pos++] : 0; }
    uint16_t u16() { return uint16_t(u8() | u8() << 8); }
    uint32_t u32() { return uint32_t(u16()) | uint32_t(u16()) << 16; }
    // Up to `n` bytes; returns how many were left.
    size_t bytes(size_t n, const uint8_t*& out) {
        out = data + std::min(pos, size);
        size_t k = std::min(n, size - std::min(pos, size));
        pos += k;
        return k;
    }
};

// A scratch folder of this process, removed at exit.
inline std::filesystem::path scratchDir(const char* name) {
    std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    auto dir = base / (std::string("delve-fuzz-") + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

struct GameRig {
    std::filesystem::path scratch;
    std::unique_ptr<Game> game;
    std::vector<uint8_t> startUnits;
    Shell startShell;
    HeroWalk startWalk;

    explicit GameRig(const char* name) : scratch(scratchDir(name)) {
        Options o;
        o.headless = true;
        o.fastClock = true;
        o.haveSeed = true;
        o.seed = 7;
        o.dataDir = DELVE_FUZZ_DATA_DIR;
        o.saveDir = (scratch / "saves").string();
        game = std::make_unique<Game>(o, makeHeadlessPlatform());
        startGame(*game);
        game->input().useScript({}); // keys and cursor come from the inputs
        const uint8_t* u = game->units().bytes();
        startUnits.assign(u, u + Units::byteSize());
        startShell = game->shell();
        startWalk = game->firstPerson().walk;
    }
    ~GameRig() {
        shutdownGame(*game);
        std::error_code ec;
        std::filesystem::remove_all(scratch, ec);
    }
    GameRig(const GameRig&) = delete;
    GameRig& operator=(const GameRig&) = delete;

    // Units, counters, stored paths, camera and devices as at start-up.
    void reset() {
        Game::Parts g = game->partsForRig();
        std::memcpy(g.units.bytes(), startUnits.data(), startUnits.size());
        g.units.selectedUnit = 1;
        g.shell = startShell;
        std::fill(g.pathFinder.pathStep.begin(), g.pathFinder.pathStep.end(), PathNone);
        std::fill(g.pathFinder.pathLength.begin(), g.pathFinder.pathLength.end(), 0);
        g.firstPerson.walk = startWalk;
        for (int k = 0; k < Vk::Count; ++k) g.input.setKey(k, false);
        g.input.setCursor(0, 0);
    }

    // Switches the view mode without re-creating the window: the offscreen
    // context of the start-up size serves both modes.
    // The buffers of a mode are only made when the mode changes.
    void mapMode() {
        if (game->screen().width != 640) setScreenMode(*game, 640, 480);
        Shell& shell = game->partsForRig().shell;
        shell.screenWidth = 640;
        shell.screenHeight = 480;
        shell.pixelZoom = 1;
    }
    void firstPersonMode() {
        if (game->screen().width != 320) setScreenMode(*game, 320, 240);
        Shell& shell = game->partsForRig().shell;
        shell.screenWidth = 320;
        shell.screenHeight = 240;
        shell.pixelZoom = 2;
    }

    // One main-loop frame that is also a movement frame.
    void movementFrame() {
        game->partsForRig().shell.frameCounter = 0;
        runFrame(*game);
    }

    // Patches of the unit table: <unit u16> <offset u16> <length u8> <bytes>,
    // unit and offset taken modulo the table's shape.
    void patchUnits(InputReader& in) {
        while (!in.done()) {
            size_t unit = in.u16() % unitCapacity;
            size_t offset = in.u16() % sizeof(UnitRecord);
            size_t length = in.u8();
            const uint8_t* bytes = nullptr;
            length = in.bytes(length, bytes);
            size_t at = unit * sizeof(UnitRecord) + offset;
            length = std::min(length, Units::byteSize() - at);
            std::memcpy(game->partsForRig().units.bytes() + at, bytes, length);
        }
    }
};

// The one rig of a target, made on first use: LLVMFuzzerInitialize makes it,
// so the game's start-up is not counted as the first input's time.
template <class Rig>
Rig& rigOfThisTarget() {
    static Rig rig;
    return rig;
}

} // namespace delve::fuzz
