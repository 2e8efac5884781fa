// The contest in a running game: what ends it, what a load does to it, and
// where a click plays a turn.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "app/game.h"
#include "console/save_load.h"
#include "platform/backends/backends.h"
#include "platform/digest.h"

using namespace delve;

namespace {

class ContestMode : public ::testing::Test {
protected:
    void SetUp() override {
        saves_ = std::filesystem::temp_directory_path() /
                 ("delve-contest-mode-" + std::to_string(::getpid()));
        std::filesystem::remove_all(saves_);
        Options o;
        o.headless = o.fastClock = o.haveSeed = true;
        o.seed = 7;
        o.saveDir = saves_.string();
        if (const char* d = std::getenv("DELVE_TEST_DATA")) o.dataDir = d;
        g = std::make_unique<Game>(o, makeHeadlessPlatform());
        ASSERT_TRUE(startGame(*g));
        g->input().useScript({});
    }
    void TearDown() override {
        shutdownGame(*g);
        std::error_code ec;
        std::filesystem::remove_all(saves_, ec);
    }

    // One main-loop frame, with `vk` going down (1) or up (0) as it begins.
    void frame(int vk = -1, bool down = false) {
        g->input().beginFrame(g->framesRun(), g->shell().screenWidth, g->shell().screenHeight);
        if (vk >= 0) g->input().setKey(vk, down);
        runFrame(*g);
        g->partsForRig().framesRun += 1;
    }
    void press(int vk) {
        frame(vk, true);
        frame(vk, false);
    }
    // A left click on the cell `dx`, `dy` from leader 1, in framebuffer pixels.
    void clickNearLeader(int dx, int dy) {
        const UnitRecord& leader = g->units()[1];
        g->input().setCursor((leader.x + dx - g->shell().SX) * 16 + 8,
                             (leader.y + dy - g->shell().SY) * 16 + 8);
        press(Vk::LeftButton);
    }
    ConsoleContext ctx() { return g->consoleContext(); }
    // The tables a test sets up directly.
    ConsoleState& console() { return g->partsForRig().console; }
    Units& units() { return g->partsForRig().units; }
    uint64_t unitsDigest() const { return fnv1a64(g->units().bytes(), Units::byteSize()); }
    std::string message() const { return g->contest().message; }

    std::filesystem::path saves_;
    std::unique_ptr<Game> g;
};

TEST_F(ContestMode, AWonContestPlaysNoMoreAndALoadedOneGoesOnFromItsTurn) {
    toggleContest(*g);
    ASSERT_TRUE(g->contest().active);
    ASSERT_EQ(saveGame(console(), ctx(), 1), SlotResult::Done);

    units()[2].active = 0;
    units()[3].active = 0;
    clickNearLeader(10, 0);
    EXPECT_EQ(g->contest().winner, 1);
    EXPECT_EQ(message().rfind("You win", 0), 0u) << message();
    EXPECT_NE(message().find("Type contest"), std::string::npos) << message();
    const uint64_t won = unitsDigest();
    const int turn = g->contest().contest.turnNumber;
    clickNearLeader(0, 10);
    EXPECT_EQ(unitsDigest(), won) << "a decided contest plays no more turns";
    EXPECT_EQ(g->contest().contest.turnNumber, turn);

    ASSERT_EQ(loadGame(console(), ctx(), 1), SlotResult::Done);
    EXPECT_EQ(g->contest().winner, 0);
    EXPECT_EQ(g->contest().contest.turnNumber, 1);
    EXPECT_EQ(message().find("win"), std::string::npos) << message();
    clickNearLeader(10, 0);
    EXPECT_EQ(g->contest().contest.turnNumber, 2);

    // Typing contest after the end starts a new one on the same overworld.
    units()[2].active = units()[3].active = 0;
    clickNearLeader(0, 10);
    ASSERT_EQ(g->contest().winner, 1);
    toggleContest(*g);
    EXPECT_EQ(g->contest().winner, 0);
    EXPECT_EQ(g->contest().contest.turnNumber, 1);
    EXPECT_EQ(g->units().nextFreeUnit, 214);
    for (int i = 214; i < 230; ++i) EXPECT_EQ(g->units()[i].side, 0) << "earlier members left, " << i;
}

// The party comes from the world seed and the frame in which contest is
// typed (the view's centring on the leader is the end-to-end test's).
TEST_F(ContestMode, TheContestSeedComesFromTheWorldSeedAndTheFrame) {
    for (int i = 0; i < 5; ++i) frame();
    const int typedAt = g->shell().frameCounter;
    toggleContest(*g);
    EXPECT_EQ(g->contest().seed, contestSeed(7, typedAt));
    EXPECT_NE(contestSeed(7, typedAt), contestSeed(7, typedAt + 1));
    EXPECT_NE(contestSeed(7, typedAt), contestSeed(8, typedAt));
}

TEST_F(ContestMode, ClicksInTheFirstPersonViewWalkAndPlayNoTurn) {
    toggleContest(*g);
    press(Vk::F5);
    ASSERT_EQ(g->shell().screenWidth, 320);
    const uint64_t waited = g->clock().waitedMs();
    g->input().setCursor(160, 120);
    press(Vk::LeftButton);
    EXPECT_EQ(g->contest().contest.turnNumber, 1);
    EXPECT_EQ(g->units().nextFreeUnit, 214);
    EXPECT_EQ(g->clock().waitedMs(), waited) << "no turn's pause";
    press(Vk::F6);
    clickNearLeader(10, 0);
    EXPECT_EQ(g->contest().contest.turnNumber, 2);
}

} // namespace
