// Loads slots whose files hold any bytes - a hostile unit table and game
// variables, or a forged check file - and then runs every console command.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/shell.h"
#include "console/console.h"
#include "console/slot_files.h"
#include "gfx/framebuffer.h"
#include "gfx/text.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "units/unit_record.h"
#include "world/world_map.h"

namespace {

using namespace delve;
namespace fs = std::filesystem;

struct QuietHost : FrameHost {
    Screen* screen = nullptr;
    void beginFrame() override { screen->clearFramebuffer(); }
    void runProgressFrame() override {}
    void presentFrame() override {}
    void enableTexturingAndBlending() override {}
};

struct Rig {
    std::unique_ptr<Platform> platform = makeHeadlessPlatform();
    Input input{*platform};
    Clock clock{true};
    Shell shell;
    Screen screen;
    TextBuffer text;
    WorldMap world;
    Units units;
    QuietHost host;
    std::string saveDir = (fs::temp_directory_path() /
                           ("delve-fuzz-slot-" + std::to_string(::getpid())))
                              .string();
    ConsoleState console;
    std::vector<uint8_t> unitBytes = std::vector<uint8_t>(Units::byteSize());
    Rig() {
        screen.setMode(320, 240);
        host.screen = &screen;
        initCommandStore(console);
        fs::create_directories(saveDir);
        // The map file is the same for every input; only its size matters here.
        std::ofstream(slotFilePath(saveDir, 1, "mainmap"), std::ios::binary)
            .write(reinterpret_cast<const char*>(world.data()), std::streamsize(WorldBytes));
        std::ofstream(slotFilePath(saveDir, 1, "unit"), std::ios::binary)
            .write(reinterpret_cast<const char*>(unitBytes.data()),
                   std::streamsize(unitBytes.size()));
    }    ~Rig() {
        std::error_code ec;
        std::filesystem::remove_all(saveDir, ec);
    }
};

void writeFile(const fs::path& p, const void* data, size_t size) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), std::streamsize(size));
}

void runLine(Rig& rig, const char* line) {
    std::snprintf(rig.console.commandLine, sizeof rig.console.commandLine, "%s", line);
    rig.console.commandLength = int(std::strlen(rig.console.commandLine));
    rig.console.commandReady = 1;
    runConsole(rig.console, rig.input, rig.clock, rig.shell, rig.screen, rig.text, rig.world,
               rig.units, rig.host, rig.saveDir);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig rig;
    if (size < 17) return 0;
    const bool forgeCheck = data[0] & 1;
    writeFile(slotFilePath(rig.saveDir, 1, "variables"), data + 1, 16);
    data += 17;
    size -= 17;

    if (forgeCheck) {
        // The rest of the input is the check file; the parser must refuse or
        // accept it without reading beyond it.
        SlotCheck check;
        parseSlotCheck(std::string(reinterpret_cast<const char*>(data), size), check);
        writeFile(slotCheckPath(rig.saveDir, 1), data, size);
    } else {
        fs::remove(slotCheckPath(rig.saveDir, 1));
        // The rest of the input, repeated, is the unit table.
        for (size_t i = 0; i < rig.unitBytes.size(); ++i)
            rig.unitBytes[i] = size ? data[i % size] : 0;
        writeFile(slotFilePath(rig.saveDir, 1, "unit"), rig.unitBytes.data(),
                  rig.unitBytes.size());
    }

    runLine(rig, "load game 1");
    for (const char* line : {"corner1", "env4block", "env4grass", "env4dirt", "env4emptyx1",
                             "env4emptyy1", "get", "env4teleport 3 4 5"})
        runLine(rig, line);
    return 0;
}
