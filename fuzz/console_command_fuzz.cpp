// Runs any command line through the console interpreter, with the hero on
// any cell the 16-bit unit fields can hold.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "app/shell.h"
#include "console/console.h"
#include "gfx/framebuffer.h"
#include "gfx/text.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "units/unit_record.h"
#include "world/world_map.h"

namespace {

using namespace delve;

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
    std::string saveDir = (std::filesystem::temp_directory_path() /
                           ("delve-fuzz-console-" + std::to_string(::getpid())))
                              .string();
    ConsoleState console;
    Rig() {
        screen.setMode(320, 240);
        host.screen = &screen;
        initCommandStore(console);
    }    ~Rig() {
        std::error_code ec;
        std::filesystem::remove_all(saveDir, ec);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig rig;
    if (size < 6) return 0;
    UnitRecord& hero = rig.units[1];
    std::memcpy(&hero.x, data, 2);
    std::memcpy(&hero.y, data + 2, 2);
    std::memcpy(&hero.z, data + 4, 2);
    data += 6;
    size -= 6;

    // The stored line may hold any bytes but a zero, up to 255 of them.
    size_t n = size < 255 ? size : 255;
    std::memcpy(rig.console.commandLine, data, n);
    rig.console.commandLine[n] = 0;
    rig.console.commandLength = int(std::strlen(rig.console.commandLine));
    rig.console.commandReady = 1;
    rig.console.consoleOpen = 1;
    runConsole(rig.console, rig.input, rig.clock, rig.shell, rig.screen, rig.text, rig.world,
               rig.units, rig.host, rig.saveDir);
    return 0;
}
