// The contest played through the program itself: "contest" typed into the
// console of a headless game, turns played by clicking in the map view.
#include <string>

#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "tests/program_run.h"

namespace delve::test {
namespace {

std::string contestField(const std::string& dump, const std::string& key) {
    return dumpField(dump, key, dump.find("\"contest\""));
}
// The contest's status line message, which may hold commas.
std::string contestMessage(const std::string& dump) {
    const auto j = nlohmann::json::parse(dump, nullptr, false);
    return j.is_object() && j.contains("contest") ? j["contest"].value("message", "<none>") : "<no contest>";
}

class ContestEndToEnd : public ProgramRun {
protected:
    // Opens the console, types a command and runs it, closes the console.
    void command(const std::string& word) {
        t.tap(Vk::Tab);
        t.type(word);
        t.tap(Vk::Enter);
        for (size_t i = 0; i < word.size(); ++i) t.tap(Vk::Backspace);
        t.tap(Vk::Tab);
    }
    std::string play() { return run(t.text, t.frame + 3, 7); }
    // A click on the cell `dx`, `dy` from the view's middle cell, where the
    // contest puts the leader of group 1 when it starts (seed 7: 160,55).
    void clickFromLeader(int dx, int dy) {
        t.at(t.frame, "cursor " + std::to_string((20 + dx) * 16 + 8) + " " +
                          std::to_string((15 + dy) * 16 + 8));
        t.tap(Vk::LeftButton);
    }
    void restart() { t = Typist{}; }

    Typist t;
};

// Founding clicks 10 cells from an earlier member of group 1: turns 2..7.
constexpr int Founding[6][2] = {{10, 0}, {0, 10}, {-10, 0}, {0, -10}, {10, 10}, {-10, 10}};

// A contest saved at turn 4, once running and once paused, resumes in
// another process: the running one by the load alone, the paused one when
// typed (loaded over a contest of that process's own), and the rest of the
// game is the one never interrupted.
TEST_F(ContestEndToEnd, ASavedContestResumesInAnotherProcessAsIfNeverInterrupted) {
    command("contest");
    for (const auto& c : Founding) clickFromLeader(c[0], c[1]);
    const std::string straight = play();
    ASSERT_EQ(contestField(straight, "turnNumber"), "7");

    restart();
    command("contest");
    for (int i = 0; i < 3; ++i) clickFromLeader(Founding[i][0], Founding[i][1]);
    command("save game 1");
    command("contest");
    command("save game 4");
    ASSERT_EQ(contestField(play(), "turnNumber"), "4");

    restart();
    command("load game 1");
    const std::string loaded = play();
    EXPECT_EQ(contestField(loaded, "active"), "true");
    EXPECT_EQ(dumpField(loaded, "screenWidth"), "640");

    restart();
    command("contest");
    clickFromLeader(10, 0);
    command("load game 4");
    const std::string paused = play();
    EXPECT_EQ(contestField(paused, "active"), "false");
    EXPECT_EQ(contestField(paused, "turnNumber"), "4");
    command("contest");
    EXPECT_EQ(contestField(play(), "active"), "true");
    for (int i = 3; i < 6; ++i) clickFromLeader(Founding[i][0], Founding[i][1]);
    const std::string resumed = play();
    for (const char* key : {"turnNumber", "nextFreeUnit", "seed", "winner", "active"})
        EXPECT_EQ(contestField(resumed, key), contestField(straight, key)) << key;
    EXPECT_EQ(dumpField(resumed, "unitsFnv1a64"), dumpField(straight, "unitsFnv1a64"));
}

// A slot saved before any contest, loaded during one: the contest is off
// and reset, the view is the saved one, and typing contest starts anew.
TEST_F(ContestEndToEnd, ASlotWithoutAContestEndsTheRunningOne) {
    command("save game 6");
    command("contest");
    clickFromLeader(10, 0);
    command("load game 6");
    const std::string none = play();
    for (const char* key : {"active", "started"}) EXPECT_EQ(contestField(none, key), "false");
    EXPECT_EQ(contestField(none, "turnNumber"), "1");
    EXPECT_EQ(dumpField(none, "SZ"), "2");
    command("contest");
    const std::string anew = play();
    EXPECT_EQ(contestField(anew, "active"), "true");
    EXPECT_EQ(heroField(anew, "z"), "0");
}

TEST_F(ContestEndToEnd, TheStatusLineSaysWhyAClickIsRefused) {
    command("contest");
    const std::string start = play();
    // The view is centred on the leader: its cell less (20, 15).
    EXPECT_EQ(std::stoi(dumpField(start, "SX")), std::stoi(heroField(start, "x")) - 20);
    EXPECT_EQ(std::stoi(dumpField(start, "SY")), std::stoi(heroField(start, "y")) - 15);
    EXPECT_NE(contestMessage(start).find("click a marked cell"), std::string::npos);

    const std::pair<int, const char*> cases[] = {{0, "Refused: 160,55 is a member of G1"},
                 {5, "Refused: 165,55 is 5 cells from a member of G1; 8 needed."},
                 {15, "Refused: 175,55 is 14 or more cells from every member of G1."},
                 {10, "Turn 1: a member founded at 170,55 for "}};
    for (const auto& [dx, says] : cases) {
        clickFromLeader(dx, 0);
        const std::string said = contestMessage(play());
        EXPECT_EQ(said.rfind(says, 0), 0u) << said;
    }
}

} // namespace
} // namespace delve::test
