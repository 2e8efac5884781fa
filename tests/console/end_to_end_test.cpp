// The console and save slots driven through the program itself: typed keys
// from an input script, a fast clock, slots in a temporary folder, and the
// state dump to compare games. Damaged and empty slots go through the same
// load, which LoadRefusal covers case by case; hostile slot contents played
// on in both views are the save-slot fuzz target's.
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

} // namespace
} // namespace delve::test
