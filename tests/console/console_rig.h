#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/shell.h"
#include "tests/hero_fixture.h"
#include "console/console.h"
#include "gfx/framebuffer.h"
#include "gfx/text.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "units/unit_record.h"
#include "platform/digest.h"
#include "world/world_map.h"

namespace delve::test {

// Save and load's frames on a real software screen, the console run in each
// progress frame as the game does, and every presented picture kept.
class RecordingHost : public FrameHost {
public:
    struct Rig* rig = nullptr;
    std::vector<std::vector<uint8_t>> presented;
    std::vector<uint64_t> presentedAtWaitMs;

    void beginFrame(ProgressStage) override;
    void runProgressFrame() override;
    void presentFrame() override;
};

struct Rig {
    Input input;
    Clock clock{true};
    Shell shell;
    Screen screen;
    TextBuffer text;
    WorldMap world;
    Units units;
    RecordingHost host;
    std::string saveDir;
    ConsoleState console;
    // Where ctx() sends progress frames and slot files instead of `host`
    // and the disk, when set (the fuzz rigs keep slots in memory).
    FrameHost* frameHost = nullptr;
    FileStore* files = nullptr;

    explicit Rig(const std::string& name)
        : saveDir(std::filesystem::temp_directory_path() /
                  ("delve-console-" + name + "-" + std::to_string(::getpid()))) {
        screen.setMode(320, 240);
        std::filesystem::remove_all(saveDir);
        host.rig = this;
        initCommandStore(console);
        test::standHero(units[HeroUnit], 100, 120, 2);
    }
    ~Rig() {
        releaseCommandStore(console);
        std::error_code ec;
        std::filesystem::remove_all(saveDir, ec);
    }

    ConsoleContext ctx() { return ctx(frameHost ? *frameHost : host); }
    ConsoleContext ctx(FrameHost& h) {
        return {input, clock, shell, screen, text, world, units, h, saveDir, files ? *files : diskFiles()};
    }

    // One console step of a normal frame.
    void frame() {
        screen.clearFramebuffer();
        runConsole(console, ctx());
        shell.countFrame();
    }

    // Holds `keys` down for one frame.
    void press(std::initializer_list<int> keys) {
        for (int k : keys) input.setKey(k, true);
        frame();
        for (int k : keys) input.setKey(k, false);
    }

    // Opens the console, clears its line and types `line` one key per frame
    // (Shift for capitals), then Enter.
    void command(const std::string& line) {
        if (console.consoleOpen == 0) press({Vk::Tab});
        while (console.commandLength > 0) press({Vk::Backspace});
        for (char c : line) {
            if (c >= 'a' && c <= 'z') press({Vk::LetterA + (c - 'a')});
            else if (c >= 'A' && c <= 'Z') press({Vk::Shift, Vk::LetterA + (c - 'A')});
            else if (c >= '0' && c <= '9') press({Vk::Digit0 + (c - '0')});
            else press({Vk::Space});
        }
        press({Vk::Enter});
    }

    // Runs `line` (its bytes up to a zero, at most 255) as an entered command.
    void enterLine(const char* line, size_t n) {
        n = std::min(n, sizeof console.commandLine - 1);
        std::memcpy(console.commandLine, line, n);
        console.commandLine[n] = 0;
        console.commandLength = int(std::strlen(console.commandLine));
        console.commandReady = 1;
        frame();
    }

    std::filesystem::path slotPath(int slot, const char* kind) const {
        return std::filesystem::path(saveDir) / ("SAVEGAME" + std::to_string(slot) + "." + kind);
    }

    uint64_t worldDigest() const { return fnv1a64(world.data(), WorldBytes); }
    uint64_t unitsDigest() const { return fnv1a64(units.bytes(), Units::byteSize()); }
};

inline void RecordingHost::beginFrame(ProgressStage) { rig->screen.clearFramebuffer(); }

inline void RecordingHost::runProgressFrame() {
    runConsole(rig->console, rig->ctx(*this));
    rig->shell.countFrame();
}

inline void RecordingHost::presentFrame() {
    presented.push_back(rig->screen.framebuffer);
    presentedAtWaitMs.push_back(rig->clock.waitedMs());
}

inline size_t inkPixels(const std::vector<uint8_t>& pic) {
    size_t n = 0;
    for (size_t i = 0; i + 3 < pic.size(); i += 4)
        if (pic[i] || pic[i + 1] || pic[i + 2]) ++n;
    return n;
}

} // namespace delve::test
