// The console and save slots driven through the program itself: typed keys
// from an input script, a fast clock, slots in a temporary folder, and the
// state dump to compare games. Damaged and empty slots go through the same
// load, which LoadRefusal covers case by case.
#include <cstring>
#include <random>
#include <vector>

#include "platform/platform.h"
#include "tests/program_run.h"

namespace delve::test {
namespace {

namespace fs = std::filesystem;

// Map mode (F6) first, so the first-person view's walking plays no part,
// then the console opened.
Typist console() {
    Typist t;
    t.tap(Vk::F6);
    t.tap(Vk::Tab);
    return t;
}

// Types a command, runs it with Enter, then clears the line again.
void command(Typist& t, const std::string& line) {
    t.type(line);
    t.tap(Vk::Enter);
    for (size_t i = 0; i < line.size(); ++i) t.tap(Vk::Backspace);
}

class EndToEnd : public ProgramRun {
protected:
    // Runs the program on `t` plus idle frames with the world of seed 7; returns its dump.
    std::string play(const Typist& t, int idleFrames = 3) {
        return run(t.text, t.frame + idleFrames, 7);
    }
    std::filesystem::path slot(int n, const char* kind) const {
        return slots_ / ("SAVEGAME" + std::to_string(n) + "." + kind);
    }
};

TEST_F(EndToEnd, SaveWritesTheThreeFilesAndLoadRestoresTheSavedGame) {
    Typist save = console();
    command(save, "save game 3");
    const std::string saved = play(save);
    ASSERT_EQ(fs::file_size(slot(3, "mainmap")), 11796480u);
    ASSERT_EQ(fs::file_size(slot(3, "unit")), 2112000u);
    ASSERT_EQ(fs::file_size(slot(3, "variables")), 16u);
    EXPECT_TRUE(fs::exists(slot(3, "check")));
    EXPECT_EQ(dumpField(saved, "consoleOpen"), "1");

    // Move the hero and change the world, then load: everything is as saved,
    // and the frame counter runs on from the saved one.
    Typist load = console();
    command(load, "env4teleport 20 30 4");
    command(load, "env4block");
    ASSERT_NE(dumpField(play(load), "worldFnv1a64"), dumpField(saved, "worldFnv1a64"));
    command(load, "load game 3");
    // "load game 3" and "save game 3" are equally long, so both runs end the
    // same number of frames after their Enter key.
    const std::string loaded = play(load);
    for (const char* k : {"worldFnv1a64", "unitsFnv1a64", "SX", "SY", "SZ", "frameCounter"})
        EXPECT_EQ(dumpField(loaded, k), dumpField(saved, k)) << k;
    EXPECT_EQ(heroField(loaded, "x"), heroField(saved, "x"));
}

// A loaded unit table may hold any bytes. The game loads it and runs on in
// both views, with a move order for the hero, without reading or writing
// outside its tables (the sanitizer build turns any such access into a
// failed run).
TEST_F(EndToEnd, AHostileUnitTableLoadsAndTheGameRunsOnInBothViews) {
    Typist save = console();
    command(save, "save game 8");
    play(save);
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

    Typist game = console();
    command(game, "load game 8");
    command(game, "env4block");
    game.at(game.frame, "cursor 300 200");
    game.hold(Vk::RightButton, 70); // move orders in the map view
    game.hold(Vk::F5, 1);           // first-person view
    game.hold(Vk::LeftButton, 20);
    game.hold(Vk::KeyZ, 10);
    const std::string d = play(game, 35);
    EXPECT_EQ(dumpField(d, "framesRun"), std::to_string(game.frame + 35)); // it ran to the end
    EXPECT_EQ(dumpField(d, "screenWidth"), "320");
    EXPECT_EQ(heroField(d, "spriteId"), "65535"); // the loaded hero
    // The frame counter ran on from the loaded one.
    const long long frames = std::stoll(dumpField(d, "frameCounter"));
    EXPECT_GT(frames, -2147483000LL);
    EXPECT_LT(frames, -2147483000LL + (game.frame + 35));
    // The hero outside the map stayed where the table put it: no walk, no
    // carry and no move order wrapped it onto some other cell, and the
    // orders it was given left no plan behind.
    EXPECT_EQ(heroField(d, "x"), "300");
    EXPECT_EQ(heroField(d, "y"), "65535");
    EXPECT_EQ(heroField(d, "z"), "181");
    EXPECT_EQ(heroField(d, "pathStep"), "-9");
    // The first-person frames ran its eye bob.
    EXPECT_NE(heroField(d, "subZ"), "0.5");
}

} // namespace
} // namespace delve::test
