// A whole save slot, loaded by the console's "load game 1" and then played:
// the fuzz input is a short list of changes laid over a valid slot that the
// game saved once at start-up (its world, its hero and a few walking
// units, in a party contest at turn 1), so a small input reaches every
// byte of the 11.8 MB grid, the unit table, the variables and the contest
// file, with or without a check file that agrees.
//
// Input: <control u8> <change count u8> changes... [check file text]
// control bits 0-1, the check file: 0 as saved; 1 rewritten to match the
//   changed files (the load then trusts them); 2 removed (a slot from
//   before check files: sizes only); 3 the input's remaining bytes.
// control bits 2-3: map frames after the load (0-3); bit 4: one
//   first-person frame; bit 5: the contest file removed; bit 6: the map
//   frames click the middle of the view (a contest turn).
// A change: <what u8> <offset u32> <length u8> <bytes>. what % 3 names the
//   file (grid, units, variables), bit 5 the contest file instead; bit 7
//   cuts the file at offset instead, bit 6 appends the bytes to its end
//   instead.
#include "console/slot_check.h"
#include "fuzz/game_rig.h"
#include "platform/file_store.h"

namespace {

using namespace delve;

constexpr int Slot = 1;
constexpr int MaxChanges = 16;
constexpr int ContestIndex = SlotFileCount; // the fourth file of the rig's arrays
constexpr int RigFiles = SlotFileCount + 1;

// No progress screens; the contest goes to and from the game's parts as in
// a console load.
class NoProgressHost final : public FrameHost {
public:
    explicit NoProgressHost(GameParts& game) : game_(game) {}
    void beginFrame(ProgressStage) override {}
    void runProgressFrame() override {}
    void presentFrame() override {}
    std::optional<ContestSave> contestToSave() override {
        return game_.contest.saved(game_.units);
    }
    void restoreContest(const ContestSave* c) override { game_.contest.restore(game_.units, c); }

private:
    GameParts& game_;
};

const char* kindOf(int file) { return file == ContestIndex ? ContestFileKind : SlotFileKinds[file]; }

struct SlotRig : fuzz::GameRig {
    std::string dir;
    // The slot's files, in memory: saved once, changed by an input and put
    // back after it, so the digests of unchanged blocks are kept.
    MemoryFiles files;
    std::string paths[RigFiles];
    std::string checkPath;
    std::vector<uint8_t> saved[RigFiles]; // the files as saved
    std::string savedCheck;
    std::vector<uint8_t> startWorld;
    ContestMode startContest;
    int startNextFreeUnit = 0;

    SlotRig() : GameRig("slot") {
        dir = options.saveDir;
        // The party on the overworld (units 2 to 5 are then made walkers
        // below), without re-creating the window.
        mapMode();
        auto game = resume();
        toggleContest(*game);
        stop(std::move(game));
        firstPersonMode();
        GameParts& g = parts();
        // Walkers that plan on the first movement frame after a load.
        const UnitRecord& hero = g.units[1];
        for (int i = 2; i <= 5; ++i) {
            UnitRecord& u = g.units[i];
            u.active = 1;
            u.side = 9;
            u.spriteId = uint16_t(800 + i);
            u.x = hero.x;
            u.y = hero.y;
            u.z = hero.z;
            u.destX = uint16_t(hero.x + 2 * i);
            u.destY = uint16_t(hero.y + i);
            u.moveState = 1;
            u.health = u.maxHealth = 10;
        }
        NoProgressHost host(g);
        Input input;
        Clock clock(true);
        ConsoleContext ctx{input, clock, g.shell, g.screen, g.text, g.world.map, g.units,
                           host, dir, files};
        if (saveGame(g.console, ctx, Slot) != SlotResult::Done) std::abort();
        for (int i = 0; i < RigFiles; ++i) {
            paths[i] = slotFilePath(dir, Slot, kindOf(i)).string();
            const std::vector<uint8_t>* bytes = files.bytes(paths[i]);
            if (!bytes || (i < SlotFileCount && bytes->size() != SlotFileSizes[i])) std::abort();
            saved[i] = *bytes;
        }
        checkPath = slotCheckPath(dir, Slot).string();
        const std::vector<uint8_t>* check = files.bytes(checkPath);
        if (!check) std::abort();
        savedCheck.assign(check->begin(), check->end());
        startContest = g.contest;
        startNextFreeUnit = g.units.nextFreeUnit;
        const uint8_t* w = g.world.map.data();
        startWorld.assign(w, w + WorldBytes);
        const uint8_t* u = g.units.bytes();
        startUnits.assign(u, u + Units::byteSize());
        startShell = g.shell;
    }

    size_t size(int file) const {
        const std::vector<uint8_t>* b = files.bytes(paths[file]);
        return b ? b->size() : 0;
    }

    // What an input changed in a file: byte ranges written inside the saved
    // length, and where the file was cut or grown (SIZE_MAX: neither).
    struct Changes {
        std::vector<std::pair<size_t, size_t>> ranges;
        size_t tailFrom = SIZE_MAX;
    };

    // Puts a changed file back as saved (a contest file taken away comes
    // back whole at the next input).
    void restore(int file, const Changes& c) {
        if (!files.bytes(paths[file])) return;
        const std::vector<uint8_t>& s = saved[file];
        if (c.tailFrom != SIZE_MAX) {
            size_t from = std::min(c.tailFrom, s.size());
            files.resize(paths[file], s.size());
            files.writeAt(paths[file], from, s.data() + from, s.size() - from);
        }
        // The file has its saved length again.
        for (auto [at, n] : c.ranges) {
            n = std::min(n, s.size() - std::min(at, s.size()));
            if (n == 0) continue;
            files.writeAt(paths[file], at, s.data() + at, n);
        }
    }

    // Takes the contest file away, or puts it back as saved.
    void contestFilePresent(bool present) {
        const std::string& path = paths[ContestIndex];
        if (!present) files.removeFile(path);
        else if (!files.bytes(path))
            files.put(path, saved[ContestIndex].data(), saved[ContestIndex].size());
    }

    void writeCheck(const std::string& text, bool present) {
        if (!present) files.removeFile(checkPath);
        else files.put(checkPath, text.data(), text.size());
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    delve::fuzz::rigOfThisTarget<SlotRig>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto& rig = delve::fuzz::rigOfThisTarget<SlotRig>();
    GameParts& g = rig.parts();
    fuzz::InputReader in{data, size};
    const uint8_t control = in.u8();
    rig.contestFilePresent(true); // as saved, whatever the last input did

    // Lay the changes over the saved files, remembering what to put back.
    SlotRig::Changes changes[RigFiles];
    const int changeCount = in.u8() % (MaxChanges + 1);
    for (int c = 0; c < changeCount && !in.done(); ++c) {
        const uint8_t what = in.u8();
        const int file = (what & 0x20) ? ContestIndex : what % SlotFileCount;
        const size_t size = rig.size(file);
        const uint32_t offset = in.u32();
        const uint8_t* bytes = nullptr;
        const size_t length = in.bytes(in.u8(), bytes);
        if (what & 0x80) { // cut
            size_t at = offset % (size + 1);
            rig.files.resize(rig.paths[file], at);
            changes[file].tailFrom = std::min(changes[file].tailFrom, at);
            continue;
        }
        size_t at = (what & 0x40) ? size : offset % (size + 1);
        if (at + length > size) changes[file].tailFrom = std::min(changes[file].tailFrom, at);
        rig.files.writeAt(rig.paths[file], at, bytes, length);
        changes[file].ranges.emplace_back(at, length);
    }

    switch (control & 3) {
    case 0: rig.writeCheck(rig.savedCheck, true); break;
    case 1: {
        SlotCheck check;
        for (int i = 0; i < SlotFileCount; ++i) {
            check.current.size[i] = rig.size(i);
            check.current.digest[i] = rig.files.digest(rig.paths[i]);
        }
        if (!(control & 0x20)) {
            check.current.hasContest = true;
            check.current.contestSize = rig.size(ContestIndex);
            check.current.contestDigest = rig.files.digest(rig.paths[ContestIndex]);
        }
        rig.writeCheck(formatSlotCheck(check), true);
        break;
    }
    case 2: rig.writeCheck({}, false); break;
    case 3: {
        const uint8_t* text = nullptr;
        size_t n = in.bytes(SIZE_MAX, text);
        rig.writeCheck(std::string(reinterpret_cast<const char*>(text), n), true);
        break;
    }
    }

    // The game as it stood before the load, then the console's load command
    // and the clamps the frame loop applies in the frame of a load.
    if (control & 0x20) rig.contestFilePresent(false);
    rig.reset();
    std::memcpy(g.world.map.data(), rig.startWorld.data(), WorldBytes);
    g.contest = rig.startContest;
    g.units.nextFreeUnit = rig.startNextFreeUnit;
    g.units.partySize = 3;
    static const char line[] = "load game 1";
    std::memcpy(g.console.commandLine, line, sizeof line);
    g.console.commandLength = int(sizeof line - 1);
    g.console.commandReady = 1;
    NoProgressHost host(g);
    Input input;
    Clock clock(true);
    runConsole(g.console, {input, clock, g.shell, g.screen, g.text, g.world.map, g.units, host,
                           rig.dir, rig.files});
    // The clamps of the load's frame: a scroll with no key down.
    g.shell.clampViewOrigin(ScrollOriginRange, LayerCount);

    if ((control >> 2) & 3) rig.mapMode();
    if (control & 0x40) {
        rig.setCursor(320, 240);
        rig.setKey(Vk::LeftButton, true);
    }
    for (int i = 0; i < ((control >> 2) & 3); ++i) rig.movementFrame();
    rig.setKey(Vk::LeftButton, false);
    if (control & 0x10) {
        rig.firstPersonMode();
        rig.movementFrame();
    }

    for (int i = 0; i < RigFiles; ++i) rig.restore(i, changes[i]);
    return 0;
}
