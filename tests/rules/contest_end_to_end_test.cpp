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

TEST_F(ContestEndToEnd, ASavedContestResumesInAFreshProcessAsIfNeverInterrupted) {
    command("contest");
    for (const auto& c : Founding) clickFromLeader(c[0], c[1]);
    const std::string straight = play();
    ASSERT_EQ(contestField(straight, "turnNumber"), "7");

    restart();
    command("contest");
    for (int i = 0; i < 3; ++i) clickFromLeader(Founding[i][0], Founding[i][1]);
    command("save game 1");
    ASSERT_EQ(contestField(play(), "turnNumber"), "4");

    // A fresh process: the load alone resumes the contest in the map view.
    restart();
    command("load game 1");
    const std::string loaded = play();
    EXPECT_EQ(contestField(loaded, "active"), "true");
    EXPECT_EQ(dumpField(loaded, "screenWidth"), "640");
    for (int i = 3; i < 6; ++i) clickFromLeader(Founding[i][0], Founding[i][1]);
    const std::string resumed = play();
    for (const char* key : {"turnNumber", "nextFreeUnit", "seed", "winner", "active"})
        EXPECT_EQ(contestField(resumed, key), contestField(straight, key)) << key;
    EXPECT_EQ(dumpField(resumed, "unitsFnv1a64"), dumpField(straight, "unitsFnv1a64"));
}

TEST_F(ContestEndToEnd, ALoadBringsTheContestOfItsSlotOrNone) {
    command("contest");
    command("save game 7"); // turn 1
    for (int i = 0; i < 3; ++i) clickFromLeader(Founding[i][0], Founding[i][1]);
    command("save game 1"); // turn 4
    const std::string atFour = play();
    ASSERT_EQ(contestField(atFour, "turnNumber"), "4");
    ASSERT_GT(std::stoi(contestField(atFour, "nextFreeUnit")), 214);

    // A turn-1 save loaded during a turn-4 contest and played on; then the turn-4 save again.
    command("load game 7");
    clickFromLeader(10, 0);
    command("load game 1");
    const std::string back = play();
    EXPECT_EQ(contestField(back, "turnNumber"), "4");
    EXPECT_EQ(contestField(back, "nextFreeUnit"), contestField(atFour, "nextFreeUnit"));
    EXPECT_EQ(dumpField(back, "unitsFnv1a64"), dumpField(atFour, "unitsFnv1a64"));

    // A slot saved before any contest, loaded during one: the contest is off
    // and reset, the view is the saved one, and typing contest starts anew.
    restart();
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

TEST_F(ContestEndToEnd, APausedContestLoadedGoesOnWhenTyped) {
    command("contest");
    for (int i = 0; i < 2; ++i) clickFromLeader(Founding[i][0], Founding[i][1]);
    command("contest");
    command("save game 4");
    ASSERT_EQ(contestField(play(), "turnNumber"), "3");

    restart();
    command("load game 4");
    const std::string paused = play();
    EXPECT_EQ(contestField(paused, "active"), "false");
    EXPECT_EQ(contestField(paused, "turnNumber"), "3");
    command("contest");
    const std::string goesOn = play();
    EXPECT_EQ(contestField(goesOn, "active"), "true");
    EXPECT_EQ(contestField(goesOn, "turnNumber"), "3");
    EXPECT_EQ(dumpField(goesOn, "unitsFnv1a64"), dumpField(paused, "unitsFnv1a64"));
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
