// The console in the running program, driven by input scripts: Escape
// while typing, Ctrl+U, and a contest that the console can always end.
#include "tests/program_run.h"

namespace delve::test {
namespace {

using ConsoleProgram = ProgramRun;

int number(const std::string& json, const char* key, size_t from = 0) {
    return std::stoi(dumpField(json, key, from));
}
std::string contestField(const std::string& json, const char* key) {
    return dumpField(json, key, json.find("\"contest\""));
}

void ctrlU(Typist& t) {
    t.at(t.frame, "down " + std::to_string(Vk::Control));
    t.tap(Vk::LetterA + ('u' - 'a'));
    t.at(t.frame, "up " + std::to_string(Vk::Control));
    ++t.frame;
}

// Escape held in the open console hides it and the game runs on; pressed
// again with the console hidden, it quits. Ctrl+U clears what was typed.
TEST_F(ConsoleProgram, EscapeHidesTheConsoleAndCtrlUClearsTheLine) {
    Typist t;
    t.tap(Vk::Tab);
    t.type("contest");
    ctrlU(t);
    t.type("env4dirt");
    t.hold(Vk::Escape, 20);
    const int limit = t.frame + 20;
    const std::string open = run(t.text, limit, 7);
    ASSERT_FALSE(open.empty());
    EXPECT_EQ(number(open, "framesRun"), limit) << "Escape in the console quit the game";
    EXPECT_EQ(number(open, "consoleOpen"), 0);
    EXPECT_EQ(dumpField(open, "commandLine"), "env4dirt");

    const int quitAt = t.frame + 5;
    t.at(quitAt, "down " + std::to_string(Vk::Escape));
    const std::string closed = run(t.text, limit + 100, 7);
    ASSERT_FALSE(closed.empty());
    EXPECT_EQ(number(closed, "framesRun"), quitAt + 1);
}

// Seed 7: a teleport while the contest is on would take the hero, group 1's
// only member, off the overworld, where no click could ever found again; it
// is refused. "contest new" then starts afresh from a paused contest, and a
// click 10 cells from the leader founds and plays turn 1.
TEST_F(ConsoleProgram, TheContestCannotBeStrandedAndContestNewStartsAfresh) {
    Typist t;
    t.tap(Vk::Tab);
    t.type("contest");
    t.tap(Vk::Enter);
    ctrlU(t);
    t.type("env4teleport 104 100 2");
    t.tap(Vk::Enter);
    const std::string refused = run(t.text, t.frame + 5, 7);
    ASSERT_FALSE(refused.empty());
    EXPECT_EQ(number(refused, "z", refused.find("\"hero\"")), 0);
    EXPECT_EQ(contestField(refused, "turnNumber"), "1");
    EXPECT_EQ(contestField(refused, "started"), "true");

    ctrlU(t);
    t.type("contest");
    t.tap(Vk::Enter); // paused
    ctrlU(t);
    t.type("contest new");
    t.tap(Vk::Enter);
    t.tap(Vk::Escape);
    const int afresh = t.frame + 5;
    const std::string fresh = run(t.text, afresh, 7);
    ASSERT_FALSE(fresh.empty());
    EXPECT_EQ(contestField(fresh, "active"), "true");
    EXPECT_EQ(contestField(fresh, "turnNumber"), "1");
    EXPECT_EQ(contestField(fresh, "partySize"), "3");
    EXPECT_NE(contestField(fresh, "seed"), contestField(refused, "seed"));

    const size_t hero = fresh.find("\"hero\"");
    const int x = (number(fresh, "x", hero) + 10 - number(fresh, "SX")) * 16 + 8;
    const int y = (number(fresh, "y", hero) - number(fresh, "SY")) * 16 + 8;
    t.frame = afresh;
    t.at(t.frame, "cursor " + std::to_string(x) + " " + std::to_string(y));
    t.tap(Vk::LeftButton);
    const std::string played = run(t.text, t.frame + 5, 7);
    ASSERT_FALSE(played.empty());
    EXPECT_EQ(contestField(played, "turnNumber"), "2");
}

} // namespace
} // namespace delve::test
