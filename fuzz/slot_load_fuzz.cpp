// Loads slots whose files hold any bytes - a hostile unit table and game
// variables, or a forged check file - and then runs every console command.
// The slot's files are in memory.
#include <algorithm>
#include <cstring>

#include "console/slot_check.h"
#include "platform/file_store.h"
#include "tests/console/console_rig.h"

namespace {

using namespace delve;

// No progress screens: a load's frames would only copy pictures, at a
// cost many times that of the load itself.
struct NoFrames final : FrameHost {
    void beginFrame(ProgressStage) override {}
    void runProgressFrame() override {}
    void presentFrame() override {}
};

struct SlotRig : test::Rig {
    NoFrames quiet;
    MemoryFiles files;
    std::string path(const char* kind) const { return slotFilePath(saveDir, 1, kind).string(); }
    // Runs `line` as an entered command in one console step.
    void enter(const char* line) {
        std::strncpy(console.commandLine, line, sizeof console.commandLine - 1);
        console.commandLength = int(std::strlen(console.commandLine));
        console.commandReady = 1;
        screen.clearFramebuffer();
        runConsole(console, {input, clock, shell, screen, text, world, units, quiet, saveDir, files});
        shell.countFrame();
    }

    std::vector<uint8_t> unitBytes = std::vector<uint8_t>(Units::byteSize());
    SlotRig() : Rig("fuzz-slot") {
        // The map file is the same for every input; only its size matters here.
        files.put(path("mainmap"), world.data(), WorldBytes);
        files.put(path("unit"), unitBytes.data(), unitBytes.size());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SlotRig rig;
    if (size < 17) return 0;
    rig.files.put(rig.path("variables"), data + 1, 16);
    const std::string rest(reinterpret_cast<const char*>(data + 17), size - 17);
    if (data[0] & 1) {
        // The rest is the check file: the parser must refuse or accept it
        // without reading beyond it.
        SlotCheck check;
        parseSlotCheck(rest, check);
        rig.files.put(rig.path("check"), rest.data(), rest.size());
    } else {
        // The rest, repeated, is the unit table.
        rig.files.removeFile(rig.path("check"));
        // (doubling copies: a byte loop here would cost more than the load)
        std::vector<uint8_t>& u = rig.unitBytes;
        const size_t first = std::min(rest.size(), u.size());
        if (first == 0) std::fill(u.begin(), u.end(), uint8_t(0));
        std::memcpy(u.data(), rest.data(), first);
        for (size_t have = first; have > 0 && have < u.size(); have *= 2)
            std::memcpy(u.data() + have, u.data(), std::min(have, u.size() - have));
        rig.files.writeAt(rig.path("unit"), 0, rig.unitBytes.data(), rig.unitBytes.size());
    }
    for (const char* line : {"load game 1", "corner1", "env4block", "env4grass", "env4dirt",
                             "env4emptyx1", "env4emptyy1", "get", "env4teleport 3 4 5"})
        rig.enter(line);
    return 0;
}
