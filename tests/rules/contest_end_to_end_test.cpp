// The contest played through the program itself: "contest" typed into the
// console of a headless game, turns played by clicking in the map view.
#include <string>

#include "platform/platform.h"
#include "tests/program_run.h"

namespace delve::test {
namespace {

std::string contestField(const std::string& dump, const std::string& key) {
    return dumpField(dump, key, dump.find("\"contest\""));
}

class ContestEndToEnd : public ProgramRun {
protected:
    // Frames 1..: opens the console, types a command and runs it, closes the console.
    void command(const std::string& word) {
        tap(Vk::Tab);
        for (char c : word) tap(Vk::LetterA + (c - 'a'));
        tap(Vk::Enter);
        for (size_t i = 0; i < word.size(); ++i) tap(Vk::Backspace);
        tap(Vk::Tab);
    }
    // One frame with the left button down at framebuffer pixel (x, y).
    void click(int x, int y) {
        line("cursor " + std::to_string(x) + " " + std::to_string(y));
        tap(Vk::LeftButton);
    }
    std::string play(int seed = 7) { return run(script_, frame_ + 3, uint32_t(seed)); }

    std::string script_;
    int frame_ = 1;

private:
    void line(const std::string& event) { script_ += std::to_string(frame_) + " " + event + "\n"; }
    void tap(int vk) {
        line("down " + std::to_string(vk));
        ++frame_;
        line("up " + std::to_string(vk));
        ++frame_;
    }
};

TEST_F(ContestEndToEnd, TypingContestStartsItAndClicksPlayTurns) {
    // Where the hero leads group 1 and where the view shows it.
    command("contest");
    const std::string start = play();
    ASSERT_FALSE(start.empty());
    EXPECT_EQ(contestField(start, "active"), "true");
    EXPECT_EQ(contestField(start, "turnNumber"), "1");
    EXPECT_EQ(contestField(start, "partySize"), "3");
    EXPECT_EQ(contestField(start, "nextFreeUnit"), "214");
    EXPECT_EQ(dumpField(start, "screenWidth"), "640");
    EXPECT_EQ(dumpField(start, "SZ"), "0");
    EXPECT_EQ(heroField(start, "z"), "0");
    EXPECT_EQ(heroField(start, "spriteId"), "189");
    const int hx = std::stoi(heroField(start, "x")), hy = std::stoi(heroField(start, "y"));
    const int sx = std::stoi(dumpField(start, "SX")), sy = std::stoi(dumpField(start, "SY"));
    const int east = (hx + 10 - sx < 40 ? hx + 10 : hx - 10) - sx;
    const int north = (hy + 10 - sy < 30 ? hy + 10 : hy - 10) - sy;

    click(east * 16 + 8, (hy - sy) * 16 + 8);     // 10 cells beside the hero: a turn
    click((hx - sx) * 16 + 8, (hy - sy) * 16 + 8); // on the hero: refused
    click((hx - sx) * 16 + 8, north * 16 + 8);    // 10 cells above: a turn
    const std::string dump = play();
    ASSERT_FALSE(dump.empty());
    EXPECT_EQ(contestField(dump, "turnNumber"), "3");
    EXPECT_EQ(contestField(dump, "winner"), "0");
    EXPECT_GT(std::stoi(contestField(dump, "nextFreeUnit")), 214);
    // Two turns paused 1,480 ms each on top of what the start-up waits.
    EXPECT_EQ(std::stoi(dumpField(dump, "virtualWaitMs")) -
                  std::stoi(dumpField(start, "virtualWaitMs")),
              2 * 1480);
}

TEST_F(ContestEndToEnd, TypingItAgainTurnsItOffAndKeepsTheUnits) {
    command("contest");
    command("contest");
    click(100, 100);
    const std::string dump = play();
    ASSERT_FALSE(dump.empty());
    EXPECT_EQ(contestField(dump, "active"), "false");
    EXPECT_EQ(contestField(dump, "turnNumber"), "1");
    EXPECT_EQ(contestField(dump, "nextFreeUnit"), "214");
    EXPECT_EQ(heroField(dump, "spriteId"), "189");
}

} // namespace
} // namespace delve::test
