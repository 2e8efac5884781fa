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
    MemoryFiles slots;
    std::string path(const char* kind) const { return slotFilePath(saveDir, 1, kind).string(); }

    std::vector<uint8_t> unitBytes = std::vector<uint8_t>(Units::byteSize());
    SlotRig() : Rig("fuzz-slot") {
        frameHost = &quiet;
        files = &slots;
        // The map file is the same for every input; only its size matters here.
        slots.put(path("mainmap"), world.data(), WorldBytes);
        slots.put(path("unit"), unitBytes.data(), unitBytes.size());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SlotRig rig;
    if (size < 17) return 0;
    rig.slots.put(rig.path("variables"), data + 1, 16);
    const std::string rest(reinterpret_cast<const char*>(data + 17), size - 17);
    if (data[0] & 1) {
        // The rest is the check file: the parser must refuse or accept it
        // without reading beyond it.
        SlotCheck check;
        parseSlotCheck(rest, check);
        rig.slots.put(rig.path("check"), rest.data(), rest.size());
    } else {
        // The rest, repeated, is the unit table.
        rig.slots.removeFile(rig.path("check"));
        // (doubling copies: a byte loop here would cost more than the load)
        std::vector<uint8_t>& u = rig.unitBytes;
        const size_t first = std::min(rest.size(), u.size());
        if (first == 0) std::fill(u.begin(), u.end(), uint8_t(0));
        std::memcpy(u.data(), rest.data(), first);
        for (size_t have = first; have > 0 && have < u.size(); have *= 2)
            std::memcpy(u.data() + have, u.data(), std::min(have, u.size() - have));
        rig.slots.writeAt(rig.path("unit"), 0, rig.unitBytes.data(), rig.unitBytes.size());
    }
    for (const char* line : {"load game 1", "corner1", "env4block", "env4grass", "env4dirt",
                             "env4emptyx1", "env4emptyy1", "get", "env4teleport 3 4 5"})
        rig.enterLine(line, std::strlen(line));
    return 0;
}
