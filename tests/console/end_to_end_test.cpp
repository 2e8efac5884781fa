// The console and save slots driven through the program itself: typed keys
// from an input script, a fast clock, slots in a temporary folder, and the
// state dump to compare games.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "world/world_map.h"

namespace delve::test {
namespace {

namespace fs = std::filesystem;

// An input script typing keys one per two frames, starting in map mode
// (F6), so the first-person view's walking plays no part.
class Script {
public:
    Script() {
        down(Vk::F6);
        next();
    }
    void tab() { tap({Vk::Tab}); }
    // Holds `vk` down for `frames` frames.
    void hold(int vk, int frames) {
        down(vk);
        frame_ += frames;
        up(vk);
        ++frame_;
    }
    void cursor(int x, int y) {
        text_ += std::to_string(frame_) + " cursor " + std::to_string(x) + " " +
                 std::to_string(y) + "\n";
    }
    void type(const std::string& line) {
        if (!open_) tab();
        open_ = true;
        for (char c : line) {
            if (c >= 'a' && c <= 'z') tap({Vk::LetterA + (c - 'a')});
            else if (c >= 'A' && c <= 'Z') tap({Vk::Shift, Vk::LetterA + (c - 'A')});
            else if (c >= '0' && c <= '9') tap({Vk::Digit0 + (c - '0')});
            else tap({Vk::Space});
        }
    }
    // Types a command, runs it with Enter, then clears the line again.
    void command(const std::string& line) {
        type(line);
        tap({Vk::Enter});
        for (size_t i = 0; i < line.size(); ++i) tap({Vk::Backspace});
    }
    // Frames the program runs: everything typed plus `after` idle frames.
    int frames(int after) const { return frame_ + after; }
    const std::string& text() const { return text_; }

private:
    void down(int vk) { text_ += std::to_string(frame_) + " down " + std::to_string(vk) + "\n"; }
    void up(int vk) { text_ += std::to_string(frame_) + " up " + std::to_string(vk) + "\n"; }
    void next() {
        up(Vk::F6);
        ++frame_;
    }
    void tap(std::initializer_list<int> keys) {
        for (int k : keys) down(k);
        ++frame_;
        for (int k : keys) up(k);
        ++frame_;
    }
    int frame_ = 1;
    bool open_ = false;
    std::string text_;
};

struct Dump {
    std::string json;
    std::string field(const std::string& key, size_t from = 0) const {
        size_t at = json.find("\"" + key + "\": ", from);
        if (at == std::string::npos) return "<missing " + key + ">";
        at += key.size() + 4;
        size_t end = json.find_first_of(",}\n", at);
        std::string v = json.substr(at, end - at);
        if (v.size() >= 2 && v.front() == '"') v = v.substr(1, v.size() - 2);
        return v;
    }
    std::string hero(const std::string& key) const { return field(key, json.find("\"hero\"")); }
    int number(const std::string& key) const { return std::atoi(field(key).c_str()); }
};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("DELVE_BIN");
        const char* data = std::getenv("DELVE_TEST_DATA");
#ifdef DELVE_BIN_DIR
        if (!bin) bin = DELVE_BIN_DIR;
        if (!data) data = DELVE_DATA_DIR;
#endif
        ASSERT_NE(bin, nullptr) << "DELVE_BIN names the folder of the delve program";
        delve_ = fs::path(bin) / "delve";
        ASSERT_TRUE(fs::exists(delve_)) << delve_;
        if (data) dataDir_ = data;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        work_ = fs::temp_directory_path() /
                ("delve-e2e-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(work_);
        fs::create_directories(work_);
        slots_ = work_ / "slots";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(work_, ec);
    }

    // Runs the program on `script` with the world of seed 7; returns its dump.
    Dump run(const Script& script, int idleFrames = 3) {
        const fs::path input = work_ / "input.txt";
        const fs::path dump = work_ / "dump.json";
        std::ofstream(input) << script.text();
        fs::remove(dump);
        std::string cmd = delve_.string() + " --headless --fast-clock --seed 7 --frames " +
                          std::to_string(script.frames(idleFrames)) + " --input " +
                          input.string() + " --save-dir " + slots_.string() + " --dump-state " +
                          dump.string();
        if (!dataDir_.empty()) cmd += " --data-dir " + dataDir_;
        cmd += " > " + (work_ / "out.txt").string() + " 2>&1";
        int rc = std::system(cmd.c_str());
        EXPECT_EQ(rc, 0) << cmd;
        std::stringstream s;
        s << std::ifstream(dump).rdbuf();
        return Dump{s.str()};
    }

    fs::path slot(int n, const char* kind) const {
        return slots_ / ("SAVEGAME" + std::to_string(n) + "." + kind);
    }

    fs::path delve_;
    std::string dataDir_;
    fs::path work_;
    fs::path slots_;
};

TEST_F(EndToEnd, SaveWritesTheThreeFilesAndLoadRestoresTheSavedGame) {
    Script save;
    save.command("save game 3");
    const Dump saved = run(save);
    ASSERT_EQ(fs::file_size(slot(3, "mainmap")), 11796480u);
    ASSERT_EQ(fs::file_size(slot(3, "unit")), 2112000u);
    ASSERT_EQ(fs::file_size(slot(3, "variables")), 16u);
    EXPECT_TRUE(fs::exists(slot(3, "check")));
    EXPECT_EQ(saved.number("consoleOpen"), 1);

    // Move the hero and change the world, then load: everything is as saved,
    // and the frame counter runs on from the saved one.
    Script load;
    load.command("env4teleport 20 30 4");
    load.command("env4block");
    Dump before = run(load);
    ASSERT_NE(before.field("worldFnv1a64"), saved.field("worldFnv1a64"));
    load.command("load game 3");
    // "load game 3" and "save game 3" are equally long, so both runs end the
    // same number of frames after their Enter key.
    const Dump loaded = run(load);
    EXPECT_EQ(loaded.field("worldFnv1a64"), saved.field("worldFnv1a64"));
    EXPECT_EQ(loaded.field("unitsFnv1a64"), saved.field("unitsFnv1a64"));
    for (const char* k : {"SX", "SY", "SZ", "frameCounter"})
        EXPECT_EQ(loaded.field(k), saved.field(k)) << k;
    EXPECT_EQ(loaded.hero("x"), saved.hero("x"));
}

TEST_F(EndToEnd, CapitalsWorkAndSlotsZeroAndThirteenDoNothing) {
    Script s;
    s.command("save game 0");
    s.command("save game 13");
    s.command("load game 13");
    run(s);
    EXPECT_FALSE(fs::exists(slots_)); // nothing saved, no folder made
    Script caps;
    caps.command("SAVE GAME 3");
    const Dump d = run(caps);
    EXPECT_EQ(fs::file_size(slot(3, "mainmap")), 11796480u);
    EXPECT_EQ(d.field("commandLine"), "");
}

TEST_F(EndToEnd, ATruncatedSlotIsRefusedAndTheGameStays) {
    Script save;
    save.command("save game 3");
    const Dump saved = run(save);
    fs::resize_file(slot(3, "mainmap"), 11796480u - 1);

    Script edit;
    edit.command("env4block");
    const Dump edited = run(edit);
    ASSERT_NE(edited.field("worldFnv1a64"), saved.field("worldFnv1a64"));
    Script load = edit;
    load.command("load game 3");
    const Dump refused = run(load);
    EXPECT_EQ(refused.field("worldFnv1a64"), edited.field("worldFnv1a64"));
    EXPECT_EQ(refused.field("unitsFnv1a64"), edited.field("unitsFnv1a64"));
    EXPECT_EQ(fs::file_size(slot(3, "mainmap")), 11796480u - 1);
    // An empty slot is refused too, and creates no file.
    Script empty = edit;
    empty.command("load game 5");
    const Dump none = run(empty);
    EXPECT_EQ(none.field("worldFnv1a64"), edited.field("worldFnv1a64"));
    EXPECT_FALSE(fs::exists(slot(5, "mainmap")));
}

TEST_F(EndToEnd, TeleportClampsToTheMapsInnerCells) {
    // Open the corner cell (1, 1, 2) in a saved slot so the clamped target is
    // not rock; a slot without a check file loads by its sizes alone.
    Script save;
    save.command("save game 2");
    run(save);
    {
        std::fstream map(slot(2, "mainmap"), std::ios::in | std::ios::out | std::ios::binary);
        map.seekp(std::streamoff(cellIndex(1, 1, 2)));
        map.put(char(60)); // floor
    }
    fs::remove(slot(2, "check"));

    Script low;
    low.command("load game 2");
    low.command("env4teleport 0 0 0");
    Dump d = run(low);
    EXPECT_EQ(d.hero("x"), "1");
    EXPECT_EQ(d.hero("y"), "1");
    EXPECT_EQ(d.hero("z"), "2");

    Script high;
    high.command("env4teleport 999 999 999");
    d = run(high);
    EXPECT_EQ(d.hero("x"), "254");
    EXPECT_EQ(d.hero("y"), "254");
    EXPECT_EQ(d.hero("z"), "178");
    EXPECT_EQ(d.field("SZ"), "178");
}

// A loaded unit table may hold any bytes. The game loads it and runs on in
// both views, with a move order for the hero, without reading or writing
// outside its tables (the sanitizer build turns any such access into a
// failed run).
TEST_F(EndToEnd, AHostileUnitTableLoadsAndTheGameRunsOnInBothViews) {
    Script save;
    save.command("save game 8");
    run(save);
    fs::remove(slot(8, "check")); // judged by sizes alone, as files from elsewhere are

    std::mt19937 gen(8);
    std::vector<uint8_t> units(2112000);
    for (auto& b : units) b = uint8_t(gen());
    for (size_t u = 0; u < 3000; ++u) {
        uint8_t* r = &units[u * 704];
        if (u % 3 == 0) r[4] = 1;        // many active units
        if (u % 5 == 0) r[308] = 0;      // not dead
        if (u % 7 == 0) std::memset(r + 102, 0xFF, 6); // x, y, z = 65535
    }
    // The hero walking from far off the map, with a picture id off the catalogue.
    uint8_t* hero = &units[704];
    hero[4] = 1;
    hero[308] = 0;
    const uint16_t heroFields[][2] = {{102, 300}, {104, 65535}, {106, 181}, {150, 1},
                                      {196, 65535}, {198, 1}, {234, 65535}};
    for (auto [at, v] : heroFields) std::memcpy(hero + at, &v, 2);
    std::ofstream(slot(8, "unit"), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(units.data()), std::streamsize(units.size()));
    const int32_t vars[4] = {-2147483000, 100000, -100000, 5000};
    std::ofstream(slot(8, "variables"), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(vars), sizeof vars);

    Script play;
    play.command("load game 8");
    play.command("env4block");
    play.cursor(300, 200);
    play.hold(Vk::RightButton, 70); // move orders in the map view
    play.hold(Vk::F5, 1);           // first-person view
    play.hold(Vk::LeftButton, 20);
    play.hold(Vk::KeyZ, 10);
    const Dump d = run(play, 35);
    EXPECT_EQ(d.number("framesRun"), play.frames(35)); // it ran to the end
    EXPECT_EQ(d.field("screenWidth"), "320");
    EXPECT_EQ(d.hero("spriteId"), "65535");            // the loaded hero
}

} // namespace
} // namespace delve::test
