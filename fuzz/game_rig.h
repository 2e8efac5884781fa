#pragma once
// The whole game, started once per fuzzing process (pictures from the
// build's data folder, seed 7, the fast clock, an offscreen GL context),
// then stopped: the rig keeps its parts, puts them back to the start-up
// units, counters and paths before every input, so each input runs on the
// same game, and runs each frame in a game that goes on from them (the
// window stays open between games).
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/game.h"
#include "gfx/renderers/renderers.h"
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
    Options options;
    StoppedGame stopped; // the parts, platform and renderer between frames
    std::vector<uint8_t> startUnits;
    Shell startShell;
    HeroWalk startWalk;
    // The keys held and the cursor, as every frame's game sees them.
    std::vector<int> keysDown;
    int cursorX = 0, cursorY = 0;

    explicit GameRig(const char* name) : scratch(scratchDir(name)) {
        options.headless = true;
        options.fastClock = true;
        options.haveSeed = true;
        options.seed = 7;
        options.dataDir = DELVE_FUZZ_DATA_DIR;
        options.saveDir = (scratch / "saves").string();
        auto game = std::make_unique<Game>(options, makeHeadlessPlatform(), makeRenderer(GraphicsApi::Gl1));
        startGame(*game);
        const uint8_t* u = game->units().bytes();
        startUnits.assign(u, u + Units::byteSize());
        startShell = game->shell();
        startWalk = game->firstPerson().walk;
        stopped = stopGame(std::move(game));
    }
    ~GameRig() {
        shutdownGame(*resume());
        std::error_code ec;
        std::filesystem::remove_all(scratch, ec);
    }
    GameRig(const GameRig&) = delete;
    GameRig& operator=(const GameRig&) = delete;

    // The game's parts while no frame runs.
    GameParts& parts() { return *stopped.parts; }

    // A game that goes on from the parts, its keys and cursor the rig's.
    std::unique_ptr<Game> resume() {
        auto game = std::make_unique<Game>(options, std::move(stopped.platform),
                                           std::move(stopped.renderer), std::move(stopped.parts));
        startGame(*game);
        Input& input = game->input();
        input.useScript({}); // keys and cursor come from the inputs
        for (int vk : keysDown) input.setKey(vk, true);
        input.setCursor(cursorX, cursorY);
        return game;
    }
    void stop(std::unique_ptr<Game> game) { stopped = stopGame(std::move(game)); }

    void setKey(int vk, bool down) {
        keysDown.erase(std::remove(keysDown.begin(), keysDown.end(), vk), keysDown.end());
        if (down) keysDown.push_back(vk);
    }
    void setCursor(int x, int y) {
        cursorX = x;
        cursorY = y;
    }

    // Units, counters, stored paths, camera and devices as at start-up.
    void reset() {
        GameParts& g = parts();
        std::memcpy(g.units.bytes(), startUnits.data(), startUnits.size());
        g.units.selectedUnit = 1;
        g.shell = startShell;
        std::fill(g.pathFinder.pathStep.begin(), g.pathFinder.pathStep.end(), PathNone);
        std::fill(g.pathFinder.pathLength.begin(), g.pathFinder.pathLength.end(), 0);
        g.firstPerson.walk = startWalk;
        keysDown.clear();
        setCursor(0, 0);
    }

    // Switches the view mode without re-creating the window: the offscreen
    // context of the start-up size serves both modes.
    // The buffers of a mode are only made when the mode changes.
    void viewMode(ViewMode mode) {
        const ScreenModeSize size = screenModeSize(mode);
        GameParts& g = parts();
        if (g.screen.width != size.width) g.screen.setMode(size.width, size.height);
        g.shell.screenWidth = size.width;
        g.shell.screenHeight = size.height;
        g.shell.pixelZoom = size.pixelZoom;
    }
    void mapMode() { viewMode(ViewMode::Map); }
    void firstPersonMode() { viewMode(ViewMode::FirstPerson); }

    // One main-loop frame that is also a movement frame.
    void movementFrame() {
        parts().shell.frameCounter = 0;
        auto game = resume();
        runFrame(*game);
        stop(std::move(game));
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
            std::memcpy(parts().units.bytes() + at, bytes, length);
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
