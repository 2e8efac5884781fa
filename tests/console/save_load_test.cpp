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

#include "console/slot_files.h"
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

// A host with a contest: its bytes go into the slot's contest file, and a
// load hands them back (or none for a slot without one).
struct ContestHost : RecordingHost {
    explicit ContestHost(Rig& r) {
        rig = &r;
        for (int i = 0; i < 36; ++i) bytes.push_back(uint8_t(3 * i + 1));
    }
    std::vector<uint8_t> bytes;
    std::optional<std::vector<uint8_t>> restored; // by the last restore
    bool readable = true;
    int restores = 0;

    std::vector<uint8_t> contestBytes() override { return bytes; }
    bool contestReadable(const std::vector<uint8_t>& b) override { return readable && b.size() == bytes.size(); }
    void restoreContest(const std::vector<uint8_t>* b) override {
        ++restores;
        restored = b ? std::optional(*b) : std::nullopt;
    }
};

// A contest file that is damaged, missing or unreadable to the app refuses the
// whole slot and touches nothing; one the check file does not name is ignored.
TEST(SaveLoad, TheContestRidesInAFourthFileThatTheCheckFileNames) {
    Rig r("contest");
    ContestHost host(r);
    makeGame(r, 5);
    const GameState saved = stateOf(r);
    ASSERT_EQ(saveGame(r.console, r.ctx(), 1), SlotResult::Done); // no contest
    r.shell.frameCounter = std::get<2>(saved);
    ASSERT_EQ(saveGame(r.console, r.ctx(host), 2), SlotResult::Done);
    for (int i = 0; i < SlotFileCount; ++i) // the three files are as without a contest
        EXPECT_EQ(readFile(r.slotPath(1, SlotFileKinds[i])), readFile(r.slotPath(2, SlotFileKinds[i])));
    EXPECT_FALSE(fs::exists(r.slotPath(1, ContestFileKind)));
    const fs::path file = r.slotPath(2, ContestFileKind);
    EXPECT_EQ(readFile(file), host.bytes);

    makeGame(r, 9);
    const GameState other = stateOf(r);
    host.presented.clear();
    const std::pair<std::function<void()>, SlotResult> refusals[] = {
        {[&] { host.readable = false; }, SlotResult::Damaged}, // the app cannot read it
        {[&] { auto b = host.bytes; b[9] ^= 1; writeFile(file, b); }, SlotResult::Mixed},
        {[&] { fs::remove(file); }, SlotResult::Mixed},
        {[&] { fs::remove(file); fs::create_directory(file); }, SlotResult::Mixed},
    };
    for (size_t i = 0; i < std::size(refusals); ++i) {
        SCOPED_TRACE(i);
        refusals[i].first();
        EXPECT_EQ(loadGame(r.console, r.ctx(host), 2), refusals[i].second);
        EXPECT_EQ(stateOf(r), other) << "nothing is touched";
        EXPECT_EQ(host.restores, 0);
        EXPECT_EQ(host.presented.size(), 0u);
        host.readable = true;
        fs::remove_all(file);
        writeFile(file, host.bytes);
    }
    ASSERT_EQ(loadGame(r.console, r.ctx(host), 2), SlotResult::Done);
    EXPECT_EQ(stateOf(r, std::get<2>(saved)), saved);
    EXPECT_EQ(host.restored, host.bytes);

    // Saved again without a contest, the old contest file is left but no longer counts.
    ASSERT_EQ(saveGame(r.console, r.ctx(), 2), SlotResult::Done);
    ASSERT_TRUE(fs::exists(file));
    ASSERT_EQ(loadGame(r.console, r.ctx(host), 2), SlotResult::Done);
    EXPECT_EQ(host.restored, std::nullopt);
}

} // namespace
} // namespace delve::test
