#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <tuple>

#include <gtest/gtest.h>

#include "console/slot_check.h"
#include "console/slot_files.h"
#include "platform/digest.h"
#include "platform/file_store.h"
#include "platform/output_file.h"
#include "console_rig.h"

namespace delve::test {
namespace {

namespace fs = std::filesystem;

// Fills the world, both ends of the unit table and the variables with a pattern of `seed`.
void makeGame(Rig& r, uint32_t seed) {
    std::mt19937 gen(seed);
    for (size_t i = 0; i < WorldBytes; i += 97) r.world.bytes[i] = uint8_t(gen());
    r.units[1].hitPoints = float(seed);
    r.units[2999].walkPhase = float(seed) * 0.5f;
    std::tie(r.shell.frameCounter, r.shell.SX, r.shell.SY, r.shell.SZ) =
        std::tuple(int(seed * 1000), int(seed % 200), int(seed % 100), int(seed % 170));
}

// World and units digests, frame counter and view origin. `frames`: the frame
// counter to report, for states taken after typing frames.
using GameState = std::tuple<uint64_t, uint64_t, int, int, int, int>;
GameState stateOf(const Rig& r, int frames = -1) {
    return {r.worldDigest(), r.unitsDigest(), frames < 0 ? r.shell.frameCounter : frames,
            r.shell.SX, r.shell.SY, r.shell.SZ};
}

std::vector<uint8_t> readFile(const fs::path& p) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(readWholeFile(p.string(), bytes, 1 << 24), 0) << p;
    return bytes;
}

void writeFile(const fs::path& p, const std::vector<uint8_t>& b) {
    ASSERT_EQ(replaceFile(p.string(), b.data(), b.size()), 0) << p;
}

// The folder's file names; a folder that is not there is told apart from an empty one.
std::set<std::string> listing(const fs::path& dir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return {"(no folder)"};
    std::set<std::string> names;
    for (auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

// The slot folder as it is now, put back by restore() (an empty one if there was none).
struct Snapshot {
    const std::string& dir;
    fs::path copy;
    explicit Snapshot(const std::string& d) : dir(d), copy(d + "-pristine") {
        fs::remove_all(copy);
        if (fs::exists(dir)) fs::copy(dir, copy);
    }
    ~Snapshot() { fs::remove_all(copy); }
    void restore() const {
        fs::remove_all(dir);
        if (fs::exists(copy)) fs::copy(copy, dir);
        else fs::create_directories(dir);
    }
};

TEST(SaveFailure, AFolderThatCannotBeMadeIsReported) {
    Rig r("nofolder");
    writeFile(r.saveDir, {1, 2, 3}); // a file where the folder should be
    EXPECT_EQ(saveGame(r.console, r.ctx(), 3), SlotResult::SaveFailed);
    EXPECT_EQ(r.host.presented.size(), 0u);
    EXPECT_TRUE(fs::is_regular_file(r.saveDir));
}

// Fails the n-th file call of kind `failing` with `error`; every other call runs.
void injectFault(FileOp failing, int n, int error) {
    auto count = std::make_shared<int>(0);
    setFileFaultHook([=](FileOp op) {
        FileFault fault;
        if (op == failing && ++*count == n) fault.error = error;
        return fault;
    });
}

// A save failing at any file call leaves the slot as it was, and says why.
TEST(SaveFailure, AFailureAtEveryStepOfASaveLeavesThePreviousGame) {
    const std::pair<FileOp, int> kinds[] = {{FileOp::Create, EACCES}, {FileOp::Write, ENOSPC},
        {FileOp::Sync, EIO}, {FileOp::Link, EIO}, {FileOp::Rename, EBUSY}};
    for (const std::string kind : {"checked", "legacy", "empty"}) {
        Rig r("inject-" + kind);
        // Some sixty saves: in memory where there is a tmpfs, so the flushes cost nothing.
        if (fs::is_directory("/dev/shm")) r.saveDir = "/dev/shm/" + fs::path(r.saveDir).filename().string();
        makeGame(r, 61);
        ASSERT_EQ(saveGame(r.console, r.ctx(), 2), SlotResult::Done);
        if (kind == "legacy") fs::remove(r.slotPath(2, "check"));
        if (kind == "empty") fs::remove_all(r.saveDir);
        const GameState oldGame = stateOf(r);
        const Snapshot slot(r.saveDir);
        slot.restore();
        makeGame(r, 62);
        std::map<FileOp, int> calls; // of one save, by kind
        setFileFaultHook([&calls](FileOp op) { ++calls[op]; return FileFault{}; });
        const SlotResult counted = saveGame(r.console, r.ctx(), 2);
        setFileFaultHook(nullptr);
        ASSERT_EQ(counted, SlotResult::Done);
        for (const auto& [op, error] : kinds) {
            ASSERT_TRUE(calls[op] > 0 || (kind != "checked" && op == FileOp::Link)); // links keep old files
            for (int i = 1; i <= calls[op]; ++i) {
                // The map's middle chunks take the path its first and last take.
                if (op == FileOp::Write && i > 1 && i < 12) continue;
                slot.restore();
                const auto files = listing(r.saveDir);
                makeGame(r, 62);
                injectFault(op, i, error);
                r.command("save game 2");
                setFileFaultHook(nullptr);
                SCOPED_TRACE(kind + " op " + std::to_string(int(op)) + " call " + std::to_string(i));
                EXPECT_EQ(std::string(r.console.message), "Slot 2 could not be saved: " + errorText(error));
                EXPECT_EQ(listing(r.saveDir), files);
                makeGame(r, 63);
                const GameState other = stateOf(r);
                EXPECT_EQ(loadGame(r.console, r.ctx(), 2), kind == "empty" ? SlotResult::Empty : SlotResult::Done);
                EXPECT_EQ(stateOf(r), kind == "empty" ? other : oldGame);
            }
        }
    }
}

// Each refusal names what is wrong and touches neither the game nor the files.
TEST(LoadRefusal, EmptyAndDamagedSlotsAreRefusedByNameWithoutTouchingTheGameOrTheFiles) {
    Rig r("notices");
    makeGame(r, 81);
    ASSERT_EQ(saveGame(r.console, r.ctx(), 3), SlotResult::Done);
    makeGame(r, 82);
    ASSERT_EQ(saveGame(r.console, r.ctx(), 4), SlotResult::Done);
    const Snapshot slots(r.saveDir);
    makeGame(r, 83);
    const GameState live = stateOf(r);
    const auto slotFile = [&](const char* kind) { return r.slotPath(3, kind); };
    const std::string damaged = "Slot 3 is damaged";
    struct Case {
        const char* what;
        std::function<void()> apply;
        std::string notice;
        bool loads = false, early = false; // early: refused before reading, no progress screens
    };
    const Case cases[] = {
        {"no folder at all", [&] { fs::remove_all(r.saveDir); }, "Slot 3 is empty", false, true},
        {"map cut short", [&] { fs::resize_file(slotFile("mainmap"), 11796479); }, damaged, false, true},
        {"unit file missing", [&] { fs::remove(slotFile("unit")); }, damaged, false, true},
        {"check file garbled", [&] { writeFile(slotFile("check"), {'d', 'e', '\n'}); }, damaged, false, true},
        {"one byte changed", [&] { auto v = readFile(slotFile("variables")); v[5] ^= 1;
             writeFile(slotFile("variables"), v); }, damaged + ": its last save was cut off", false, true},
        {"no check file", [&] { fs::remove(slotFile("check")); }, "Slot 3 loaded without a check file", true},
        {"check file kept from us", [&] { injectFault(FileOp::Open, 1, EACCES); },
         "Slot 3 could not be read: permission denied"},
        {"disk fails part-way", [&] { injectFault(FileOp::Read, 4, EIO); },
         "Slot 3 could not be read: input/output error"},
        {"unit file from slot 4", [&] { fs::copy_file(r.slotPath(4, "unit"), slotFile("unit"),
                                                      fs::copy_options::overwrite_existing); },
         damaged + ": its files are from another game"},
        {"map grown by a byte", [&] { auto v = readFile(slotFile("mainmap")); v.push_back(0);
             writeFile(slotFile("mainmap"), v); }, damaged, false, true},
        {"no check file, unit file grown", [&] { fs::remove(slotFile("check")); auto v = readFile(slotFile("unit"));
             v.push_back(0); writeFile(slotFile("unit"), v); }, damaged, false, true},
        {"a FIFO for the map", [&] { fs::remove(slotFile("mainmap")); ::mkfifo(slotFile("mainmap").c_str(), 0600); },
         damaged},
    };
    for (const Case& c : cases) {
        slots.restore();
        makeGame(r, 83);
        c.apply();
        const auto files = listing(r.saveDir);
        const size_t screens = r.host.presented.size();
        r.command("load game 3");
        setFileFaultHook(nullptr);
        EXPECT_EQ(r.console.message, c.notice) << c.what;
        EXPECT_EQ(listing(r.saveDir), files) << c.what;
        if (c.loads) continue;
        EXPECT_EQ(stateOf(r, std::get<2>(live)), live) << c.what;
        EXPECT_TRUE(!c.early || r.host.presented.size() == screens) << c.what;
    }
}

// A slot may carry any view origin; the loaded one lies inside the map.
TEST(SaveLoad, ALoadedViewOriginIsBroughtIntoTheMap) {
    Rig r("origin");
    using Origin = std::tuple<int, int, int>;
    const std::pair<Origin, Origin> cases[] = {{{INT_MAX, INT_MIN, INT_MAX}, {236, 0, LayerCount - 1}},
                                               {{INT_MIN, INT_MAX, INT_MIN}, {0, 241, 0}}};
    for (const auto& [saved, loaded] : cases) {
        std::tie(r.shell.SX, r.shell.SY, r.shell.SZ) = saved;
        ASSERT_EQ(saveGame(r.console, r.ctx(), 9), SlotResult::Done);
        r.shell.SX = r.shell.SY = r.shell.SZ = 5;
        ASSERT_EQ(loadGame(r.console, r.ctx(), 9), SlotResult::Done);
        EXPECT_EQ(Origin(r.shell.SX, r.shell.SY, r.shell.SZ), loaded);
    }
}

// A host with a contest: it goes into the slot's contest file, and a load
// hands it back (or none for a slot without one).
struct ContestHost : RecordingHost {
    explicit ContestHost(Rig& r) { rig = &r; }
    ContestSave kept{.turnNumber = 4, .active = true, .started = true, .winner = 0,
                     .partySize = 3, .nextFreeUnit = 220, .seed = 0xDEADBEEF, .rngState = 0x12345678};
    std::optional<ContestSave> restored; // by the last restore
    int restores = 0;

    std::optional<ContestSave> contestToSave() override { return kept; }
    void restoreContest(const ContestSave* c) override {
        ++restores;
        restored = c ? std::optional(*c) : std::nullopt;
    }
};

// Units 1 to 3 lead groups 1 to 3, unit 4 is a monster, unit 219 a paid-for member.
void makeParty(Rig& r) {
    for (int k = 1; k <= 3; ++k) std::tie(r.units[k].side, r.units[k].group) = std::tuple(PartySide, k);
    std::tie(r.units[4].side, r.units[4].group) = std::tuple(MonsterSide, 99);
    std::tie(r.units[219].side, r.units[219].group, r.units[219].active) = std::tuple(PartySide, 2, 1);
}

// Writes `bytes` as the slot's contest file and a check file that vouches
// for it, as anyone can.
void forgeContest(Rig& r, int slot, const std::vector<uint8_t>& bytes) {
    writeFile(r.slotPath(slot, ContestFileKind), bytes);
    SlotCheck check;
    const std::vector<uint8_t> text = readFile(r.slotPath(slot, "check"));
    ASSERT_TRUE(parseSlotCheck(std::string(text.begin(), text.end()), check));
    check.current.hasContest = true;
    check.current.contestSize = bytes.size();
    check.current.contestDigest = fnv1a64(bytes.data(), bytes.size());
    const std::string forged = formatSlotCheck(check);
    writeFile(r.slotPath(slot, "check"), std::vector<uint8_t>(forged.begin(), forged.end()));
}

// A contest file that is damaged, missing, from another game or unplayable
// refuses the whole slot and touches nothing; one the check file does not
// name is ignored.
TEST(SaveLoad, TheContestRidesInAFourthFileThatTheCheckFileNames) {
    Rig r("contest");
    ContestHost host(r);
    makeGame(r, 5);
    makeParty(r);
    const GameState saved = stateOf(r);
    ASSERT_EQ(saveGame(r.console, r.ctx(), 1), SlotResult::Done); // no contest
    r.shell.frameCounter = std::get<2>(saved);
    ASSERT_EQ(saveGame(r.console, r.ctx(host), 2), SlotResult::Done);
    for (int i = 0; i < SlotFileCount; ++i) // the three files are as without a contest
        EXPECT_EQ(readFile(r.slotPath(1, SlotFileKinds[i])), readFile(r.slotPath(2, SlotFileKinds[i])));
    EXPECT_FALSE(fs::exists(r.slotPath(1, ContestFileKind)));
    const fs::path file = r.slotPath(2, ContestFileKind);
    const std::vector<uint8_t> bytes = encodeContestSave(host.kept);
    EXPECT_EQ(readFile(file), bytes);
    // Slot 3: the same game with another contest.
    host.kept.turnNumber = 9;
    r.shell.frameCounter = std::get<2>(saved);
    ASSERT_EQ(saveGame(r.console, r.ctx(host), 3), SlotResult::Done);
    host.kept.turnNumber = 4;

    makeGame(r, 9);
    const GameState other = stateOf(r);
    host.presented.clear();
    r.host.presented.clear();
    auto respoilt = [&](auto change) {
        ContestSave c = host.kept;
        change(c);
        return encodeContestSave(c);
    };
    const std::string damaged = "Slot 2 is damaged";
    const std::pair<std::function<void()>, std::string> refusals[] = {
        {[&] { auto b = bytes; b[9] ^= 1; writeFile(file, b); }, damaged + ": its last save was cut off"},
        {[&] { fs::remove(file); }, damaged + ": its last save was cut off"},
        {[&] { fs::remove(file); fs::create_directory(file); }, damaged + ": its last save was cut off"},
        {[&] { fs::copy_file(r.slotPath(3, ContestFileKind), file, fs::copy_options::overwrite_existing); },
         damaged + ": its files are from another game"},
        {[&] { auto b = bytes; b[0] = 'X'; forgeContest(r, 2, b); }, damaged},
        {[&] { forgeContest(r, 2, respoilt([](ContestSave& c) { c.partySize = 4; })); },
         damaged + ": its contest's party size does not match its leaders"},
        {[&] { forgeContest(r, 2, respoilt([](ContestSave& c) { c.partySize = 51; })); },
         damaged + ": its contest's party size is out of range"},
        {[&] { forgeContest(r, 2, respoilt([](ContestSave& c) { c.partySize = 0; })); },
         damaged + ": its contest's party size is out of range"},
        {[&] { forgeContest(r, 2, respoilt([](ContestSave& c) { c.nextFreeUnit = 3; })); },
         damaged + ": its contest's next free record is out of range"},
        {[&] { forgeContest(r, 2, respoilt([](ContestSave& c) { c.nextFreeUnit = unitCapacity - 1; })); },
         damaged + ": its contest's next free record is out of range"},
        {[&] { forgeContest(r, 2, respoilt([](ContestSave& c) { c.nextFreeUnit = 219; })); },
         damaged + ": its contest's next free record is below a member"},
        {[&] { forgeContest(r, 2, respoilt([](ContestSave& c) { c.turnNumber = 0; })); },
         damaged + ": its contest's turn is out of range"},
        {[&] { forgeContest(r, 2, respoilt([](ContestSave& c) { c = ContestSave{}; c.turnNumber = 5; })); },
         damaged + ": its contest's turn is out of range"},
        {[&] { forgeContest(r, 2, respoilt([](ContestSave& c) { c.winner = 4; })); },
         damaged + ": its contest's winner is out of range"},
        {[&] { forgeContest(r, 2, respoilt([](ContestSave& c) { c.winner = -2; })); },
         damaged + ": its contest's winner is out of range"},
    };
    const Snapshot slots(r.saveDir);
    for (size_t i = 0; i < std::size(refusals); ++i) {
        SCOPED_TRACE(i);
        slots.restore();
        refusals[i].first();
        r.command("load game 2"); // for the notice
        EXPECT_EQ(r.console.message, refusals[i].second);
        EXPECT_NE(loadGame(r.console, r.ctx(host), 2), SlotResult::Done);
        EXPECT_EQ(stateOf(r, std::get<2>(other)), other) << "nothing is touched";
        EXPECT_EQ(host.restores, 0);
        EXPECT_EQ(host.presented.size() + r.host.presented.size(), 0u);
    }
    slots.restore();
    // The playable limits: 50 groups, a draw or the last group the winner,
    // the table's last free record.
    for (int k = 4; k <= 50; ++k) std::tie(r.units[k].side, r.units[k].group) = std::tuple(PartySide, k);
    const GameState fifty = stateOf(r, 0);
    ASSERT_EQ(saveGame(r.console, r.ctx(), 4), SlotResult::Done);
    for (int winner : {SavedContestDraw, 50}) {
        const ContestSave limits{.turnNumber = INT_MAX, .active = true, .started = true,
            .winner = winner, .partySize = 50, .nextFreeUnit = unitCapacity - 2};
        forgeContest(r, 4, encodeContestSave(limits));
        ASSERT_EQ(loadGame(r.console, r.ctx(host), 4), SlotResult::Done) << winner;
        EXPECT_EQ(stateOf(r, 0), fifty);
        EXPECT_EQ(host.restored, limits);
    }

    ASSERT_EQ(loadGame(r.console, r.ctx(host), 2), SlotResult::Done);
    EXPECT_EQ(stateOf(r, std::get<2>(saved)), saved);
    EXPECT_EQ(host.restored, host.kept);

    // Saved again without a contest, the old contest file is left but no longer counts.
    ASSERT_EQ(saveGame(r.console, r.ctx(), 2), SlotResult::Done);
    ASSERT_TRUE(fs::exists(file));
    ASSERT_EQ(loadGame(r.console, r.ctx(host), 2), SlotResult::Done);
    EXPECT_EQ(host.restored, std::nullopt);
}

// The contest record round-trips, and anything it cannot have written is refused.
TEST(SaveLoad, TheContestRecordRefusesWhatItCannotHaveWritten) {
    const ContestSave c{.turnNumber = 4, .active = true, .started = true, .winner = SavedContestDraw,
                        .partySize = 3, .nextFreeUnit = 220, .seed = 0xDEADBEEF, .rngState = 0x12345678};
    std::vector<uint8_t> bytes = encodeContestSave(c);
    ASSERT_EQ(bytes.size(), ContestSaveBytes);
    ContestSave back;
    ASSERT_TRUE(decodeContestSave(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back, c);
    // tag, unknown flag, on but never started
    for (auto [at, value] : {std::pair<size_t, uint8_t>{0, 'X'}, {8, 4}, {8, 1}}) {
        std::vector<uint8_t> b = bytes;
        b[at] = value;
        ContestSave out;
        out.turnNumber = 77;
        EXPECT_FALSE(decodeContestSave(b.data(), b.size(), out)) << at;
        EXPECT_EQ(out.turnNumber, 77) << at;
    }
    EXPECT_FALSE(decodeContestSave(bytes.data(), bytes.size() - 1, back));
}

// The check file's numbers are read exactly: one that does not fit its
// field, or that the format would not write, refuses the file.
TEST(SaveLoad, TheCheckFileRefusesNumbersThatDoNotFit) {
    SlotCheck check;
    check.current.size[MapFile] = WorldBytes;
    check.current.hasContest = true;
    check.current.contestSize = UINT64_MAX;
    check.current.contestDigest = 0x0123456789abcdefull;
    const std::string text = formatSlotCheck(check);
    SlotCheck back;
    ASSERT_TRUE(parseSlotCheck(text, back));
    EXPECT_EQ(back.current, check.current);
    const std::string max = std::to_string(UINT64_MAX);
    for (const std::string& size : {std::string("18446744073709551652"), std::string("18446744073709551616"),
                                    "0" + max, std::string("036"), max + "0"}) {
        std::string spoilt = text;
        spoilt.replace(spoilt.find(max), max.size(), size);
        EXPECT_FALSE(parseSlotCheck(spoilt, back)) << size;
    }
    // A digest of 17 digits, or anything after the last line, is not this format.
    const std::string digest = "0123456789abcdef";
    std::string longer = text;
    longer.replace(longer.find(digest), digest.size(), digest + "0");
    SlotCheck both = check;
    both.hasPrevious = true;
    ASSERT_TRUE(parseSlotCheck(formatSlotCheck(both), back));
    for (const std::string& spoilt : {longer, formatSlotCheck(both) + "x"})
        EXPECT_FALSE(parseSlotCheck(spoilt, back)) << spoilt;
}

// A save flushes each new file before it takes a name, renames the check
// file and flushes the folder before any game file is renamed, and flushes
// the folder once more after the last: a power loss at any point leaves a
// slot the check file can judge. Over an empty slot and over an old game,
// with and without a contest file.
TEST(SaveLoad, ASaveFlushesAndRenamesInOrder) {
    Rig r("order");
    ContestHost host(r);
    makeParty(r);
    for (FrameHost* h : {static_cast<FrameHost*>(&r.host), static_cast<FrameHost*>(&host)}) {
        const bool contest = h == &host;
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(std::string(contest ? "contest" : "no contest") + (round ? ", over an old game" : ""));
            std::string order; // S: a flush, R: a rename
            setFileFaultHook([&](FileOp op) {
                if (op == FileOp::Sync || op == FileOp::Rename) order += op == FileOp::Sync ? 'S' : 'R';
                return FileFault{};
            });
            const SlotResult result = saveGame(r.console, r.ctx(*h), contest ? 6 : 5);
            setFileFaultHook(nullptr);
            ASSERT_EQ(result, SlotResult::Done);
            EXPECT_EQ(order, contest ? "SSSSS" "RS" "RRRR" "S" : "SSSS" "RS" "RRR" "S");
        }
    }
}

// A save to memory leaves the same files, byte for byte, as a save to the
// disk, and the game loads back from them: old games, contests and
// refusals included. Two saves over each other keep the previous game in
// the check file and leave no temporary or kept file behind.
TEST(SaveLoad, ASlotInMemoryHoldsWhatTheDiskHolds) {
    Rig r("memory");
    ContestHost host(r);
    makeParty(r);
    MemoryFiles memory;
    ConsoleContext onDisk = r.ctx(host);
    ConsoleContext inMemory{r.input, r.clock, r.shell, r.screen, r.text, r.world, r.units,
                            host, r.saveDir, memory};
    for (uint32_t seed : {1u, 2u}) {
        makeGame(r, seed); // again for each: the progress frames count frames
        ASSERT_EQ(saveGame(r.console, onDisk, 3), SlotResult::Done);
        makeGame(r, seed);
        ASSERT_EQ(saveGame(r.console, inMemory, 3), SlotResult::Done);
    }
    for (const char* kind : {"mainmap", "unit", "variables", "contest", "check"}) {
        SCOPED_TRACE(kind);
        const std::vector<uint8_t>* held = memory.bytes(r.slotPath(3, kind).string());
        ASSERT_NE(held, nullptr);
        EXPECT_TRUE(*held == readFile(r.slotPath(3, kind)));
        EXPECT_EQ(memory.lookUp(r.slotPath(3, kind).string() + ".tmp"), ENOENT);
        EXPECT_EQ(memory.lookUp(r.slotPath(3, kind).string() + ".old"), ENOENT);
    }
    const GameState saved = stateOf(r);
    makeGame(r, 9);
    ASSERT_EQ(loadGame(r.console, inMemory, 3), SlotResult::Done);
    EXPECT_EQ(stateOf(r), saved);
    // A byte changed in the memory slot is seen, as on the disk.
    const uint8_t x = 0x5a;
    memory.writeAt(r.slotPath(3, "mainmap").string(), 4000000, &x, 1);
    EXPECT_EQ(loadGame(r.console, inMemory, 3), SlotResult::Mixed);
}

} // namespace
} // namespace delve::test
