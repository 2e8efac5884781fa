// The game driven in-process on the headless backend: the contest, the
// edges command and the right-button walk in a running game, the frame
// loop's presentation, state dump and scrolling, and a window that cannot
// be (re-)created.
#include <gtest/gtest.h>


#include <climits>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "app/game.h"
#include "app/run.h"
#include "app/window.h"
#include "console/save_load.h"
#include "console/slot_check.h"
#include "console/slot_files.h"
#include "gfx/renderers/renderers.h"
#include "platform/backends/backends.h"
#include "platform/digest.h"

using namespace delve;

namespace {

// A game of seed 7 with offscreen GL and virtual waits, not yet started;
// from `parts` when given.
std::unique_ptr<Game> headlessGame(std::unique_ptr<Platform> platform, int frames = -1,
                                   const std::string& saveDir = "",
                                   std::unique_ptr<GameParts> parts = nullptr) {
    Options o;
    o.headless = o.fastClock = o.haveSeed = true;
    o.seed = 7;
    o.frames = frames;
    o.saveDir = saveDir; // empty: the desktop's data folder
    if (const char* d = std::getenv("DELVE_TEST_DATA"))
        o.dataDir = d;
    return std::make_unique<Game>(o, std::move(platform), makeRenderer(GraphicsApi::Gl1), std::move(parts));
}

// A started game run frame by frame as the main loop does, its saves in a
// folder of its own.
class GameRig : public ::testing::Test {
  protected:
    void SetUp() override {
        saves_ = std::filesystem::temp_directory_path() /
                 ("delve-game-rig-" + std::to_string(::getpid()));
        std::filesystem::remove_all(saves_);
        g = headlessGame(makeHeadlessPlatform(), -1, saves_.string());
        ASSERT_TRUE(startGame(*g));
        g->input().useScript({});
    }
    void TearDown() override {
        shutdownGame(*g);
        std::error_code ec;
        std::filesystem::remove_all(saves_, ec);
    }
    // One main-loop frame, with `vk` going down or up as it begins.
    void frame(int vk = -1, bool down = false) {
        g->input().beginFrame(frames_++, g->shell().screenWidth, g->shell().screenHeight);
        if (vk >= 0)
            g->input().setKey(vk, down);
        runFrame(*g);
    }
    void press(int vk) {
        frame(vk, true);
        frame(vk, false);
    }
    // A left click on the cell `dx`, `dy` from leader 1.
    void clickNearLeader(int dx, int dy) {
        const UnitRecord& leader = g->units()[1];
        g->input().setCursor((leader.x + dx - g->shell().SX) * 16 + 8,
                             (leader.y + dy - g->shell().SY) * 16 + 8);
        press(Vk::LeftButton);
    }
    SlotResult slot(bool save) { return save ? g->saveSlot(1) : g->loadSlot(1); }
    // Leaders 2 and 3 put out of the contest through a slot: the game as it
    // stands is saved, their records are marked inactive in the unit file
    // (and its digest in the check file) and it is loaded back. The next
    // click then leaves G1 the last group.
    void endByWin(int dx, int dy) {
        constexpr int Edited = 9;
        ASSERT_EQ(g->saveSlot(Edited), SlotResult::Done);
        const auto unitPath = slotFilePath(saves_, Edited, "unit");
        std::vector<uint8_t> units(Units::byteSize());
        std::ifstream(unitPath, std::ios::binary).read(reinterpret_cast<char*>(units.data()),
                                                       std::streamsize(units.size()));
        for (int leader : {2, 3})
            units[leader * sizeof(UnitRecord) + offsetof(UnitRecord, active)] = 0;
        std::ofstream(unitPath, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(units.data()), std::streamsize(units.size()));
        std::ifstream checkIn(slotCheckPath(saves_, Edited));
        SlotCheck check;
        ASSERT_TRUE(parseSlotCheck(std::string(std::istreambuf_iterator<char>(checkIn), {}), check));
        check.current.digest[UnitFile] = fnv1a64(units.data(), units.size());
        std::ofstream(slotCheckPath(saves_, Edited), std::ios::trunc) << formatSlotCheck(check);
        ASSERT_EQ(g->loadSlot(Edited), SlotResult::Done);
        ASSERT_EQ(g->units()[2].active + g->units()[3].active, 0);
        clickNearLeader(dx, dy);
    }
    int turn() const { return g->contest().contest.turnNumber; }
    std::string message() const { return g->contest().message; }

    std::filesystem::path saves_;
    std::unique_ptr<Game> g;
    int frames_ = 0;
};
using ContestMode = GameRig;

TEST_F(ContestMode, AWonContestPlaysNoMoreAndALoadedOneGoesOnFromItsTurn) {
    toggleContest(*g);
    ASSERT_EQ(slot(true), SlotResult::Done);
    endByWin(10, 0);
    EXPECT_EQ(g->contest().winner, 1);
    EXPECT_EQ(message().rfind("You win", 0), 0u) << message();
    const uint64_t won = fnv1a64(g->units().bytes(), Units::byteSize());
    const int wonTurn = turn();
    clickNearLeader(0, 10);
    EXPECT_EQ(fnv1a64(g->units().bytes(), Units::byteSize()), won) << "a decided contest plays on";
    EXPECT_EQ(turn(), wonTurn);

    ASSERT_EQ(slot(false), SlotResult::Done);
    EXPECT_EQ(g->contest().winner, 0);
    EXPECT_EQ(message().find("win"), std::string::npos) << message();
    clickNearLeader(10, 0);
    EXPECT_EQ(turn(), 2);

    // Typing contest after the end starts a new one on the same overworld.
    endByWin(0, 10);
    ASSERT_EQ(g->contest().winner, 1);
    toggleContest(*g);
    EXPECT_EQ(g->contest().winner, 0);
    EXPECT_EQ(turn(), 1);
    EXPECT_EQ(g->units().nextFreeUnit, 214);
    for (int i = 214; i < 230; ++i)
        EXPECT_EQ(g->units()[i].side, 0) << "earlier members left, " << i;
}

// A slot without a contest under way ends the one being played; the next
// contest starts with the documented three groups, whatever the last had.
TEST_F(ContestMode, ALoadWithoutAContestLeavesTheNextOneItsDocumentedParty) {
    ASSERT_EQ(slot(true), SlotResult::Done);
    // A game that played with five groups goes on from its parts.
    const Options o = g->options();
    StoppedGame stopped = stopGame(std::move(g));
    stopped.parts->units.partySize = 5;
    g = std::make_unique<Game>(o, std::move(stopped.platform), std::move(stopped.renderer),
                               std::move(stopped.parts));
    ASSERT_TRUE(startGame(*g));
    toggleContest(*g);
    ASSERT_EQ(g->units().nextFreeUnit, 5 + 210 + 1);
    ASSERT_EQ(slot(false), SlotResult::Done);
    EXPECT_FALSE(g->contest().started);
    toggleContest(*g);
    EXPECT_EQ(g->units().partySize, 3);
    EXPECT_EQ(g->units().nextFreeUnit, 3 + 210 + 1);
}

TEST_F(ContestMode, SeededFromTheTypingFrameAndFirstPersonClicksPlayNoTurn) {
    for (int i = 0; i < 5; ++i)
        frame();
    const int typedAt = g->shell().frameCounter;
    toggleContest(*g);
    EXPECT_EQ(g->contest().seed, contestSeed(7, typedAt));
    EXPECT_NE(contestSeed(7, typedAt), contestSeed(7, typedAt + 1));
    press(Vk::F5);
    ASSERT_EQ(g->shell().screenWidth, 320);
    const uint64_t waited = g->clock().waitedMs();
    clickNearLeader(-10, -1); // a founding cell, were this the map view
    EXPECT_EQ(turn(), 1);
    EXPECT_EQ(g->units().nextFreeUnit, 214);
    EXPECT_EQ(g->clock().waitedMs(), waited) << "no turn's pause";
}

// A refused click shows its message in the refusal colour; an accepted one
// in the plain colour.
TEST_F(ContestMode, TheStatusLineShowsARefusalInItsOwnColour) {
    toggleContest(*g);
    const auto refusalPixels = [this] {
        const Screen& s = g->screen();
        int n = 0;
        for (size_t i = 0; i + 3 < s.framebuffer.size(); i += 4)
            n += s.framebuffer[i] == 255 && s.framebuffer[i + 1] == 150 && s.framebuffer[i + 2] == 110;
        return n;
    };
    const struct {
        int dx;
        bool refused;
    } clicks[] = {{0, true}, {10, false}};
    for (const auto& c : clicks) {
        clickNearLeader(c.dx, 0);
        frame(); // draws the message the click left
        EXPECT_EQ(message().rfind("Refused", 0) == 0, c.refused) << message();
        EXPECT_EQ(refusalPixels() > 0, c.refused) << message();
    }
}

// The "edges" console command as a player sees it: white lattice lines over
// the first-person picture while it is on, none once it is typed again.
using EdgesCommand = GameRig;

TEST_F(EdgesCommand, DrawsWhiteLatticeLinesOverTheViewUntilTypedAgain) {
    g->input().setCursor(100, 88); // looking level
    frame(Vk::MiddleButton, true);
    frame();
    frame(Vk::MiddleButton, false);
    press(Vk::Tab);
    int white[2];
    for (int& w : white) {
        for (char c : std::string("edges"))
            press(Vk::LetterA + (c - 'a'));
        press(Vk::Enter);
        for (int k = 0; k < 5; ++k)
            press(Vk::Backspace);
        // Pure white pixels away from the texts (banner at the top; credit,
        // status and console lines at the bottom) and the cursor cross.
        const Screen& s = g->screen();
        w = 0;
        for (int y = 80; y <= s.height - 20; ++y)
            for (int x = 0; x < s.width; ++x) {
                const uint8_t* p = &s.framebuffer[size_t(y * s.width + x) * 4];
                w += (std::abs(x - 100) > 6 || std::abs(y - 88) > 6) && p[0] == 255 && p[1] == 255 &&
                     p[2] == 255;
            }
    }
    EXPECT_GT(white[0], 300);
    EXPECT_EQ(white[1], 0);
}

// The right button in the map view walks the hero to the floor cell under
// the cursor, the farthest one on the screen. How the remaining path is
// drawn is MapView's test; the path finding is the path tests'.
using MapWalk = GameRig;

TEST_F(MapWalk, RightButtonWalksTheHeroToTheCellUnderTheCursor) {
    press(Vk::F6);
    press(Vk::Digit0 + 1);
    const Shell& sh = g->shell();
    const UnitRecord& hero = g->units()[1];
    ASSERT_EQ(sh.screenWidth, 640);
    int goalX = -1, goalY = -1, distance = 0;
    for (int y = sh.SY; y < sh.SY + 30; ++y)
        for (int x = sh.SX; x < sh.SX + 40; ++x) {
            const int d = std::abs(x - hero.x) + std::abs(y - hero.y);
            if (g->world().map.cell(x, y, hero.z) == Cell::Floor && d > distance)
                distance = d, goalX = x, goalY = y;
        }
    ASSERT_GE(distance, 12) << "no floor cell several rooms away on the screen";
    g->input().setCursor((goalX - sh.SX) * 16 + 8, (goalY - sh.SY) * 16 + 8);
    press(Vk::RightButton);
    // A cell per movement frame (every 10th) until the hero stands.
    for (int f = 0; f < 10 * 200 && hero.moveState != 0; ++f)
        frame();
    EXPECT_EQ(hero.x, goalX);
    EXPECT_EQ(hero.y, goalY);
    EXPECT_EQ(hero.moveState, 0);
}

// The presentation alone, on a window and renderer of its own.
TEST(Presentation, ZoomedCopyAnchorsAtTheLowerLeftCorner) {
    auto platform = makeHeadlessPlatform();
    auto renderer = makeRenderer(GraphicsApi::Gl1);
    auto pictures = std::make_unique<BitmapCatalogue>();
    Screen screen;
    screen.setMode(320, 240);
    ASSERT_EQ(createWindowAndContext(*platform, *renderer, *pictures, "GAME", 640, 480), 1);
    beginFrame(*platform, *renderer, screen);
    plotPixel(screen, 0, 0, 255, 0, 0);
    plotPixel(screen, 10, 5, 0, 255, 0);
    presentFrame(*platform, *renderer, screen, 2);
    // Each pixel becomes a 2 x 2 block: red at 0..1, green at 20..21 x 10..11.
    std::vector<uint8_t> rgb(24 * 13 * 3);
    ASSERT_TRUE(renderer->readColour(24, 13, rgb.data())); // the pbuffer keeps what was drawn
    auto channel = [&](int x, int y, int c) { return rgb[(size_t(y) * 24 + size_t(x)) * 3 + size_t(c)]; };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(channel(i % 2, i / 2, 0), 255) << i;
        EXPECT_EQ(channel(20 + i % 2, 10 + i / 2, 1), 255) << i;
    }
    EXPECT_EQ(channel(22, 12, 1), 0);
    destroyWindowAndContext(*platform);
}

TEST(StateDump, StaysJsonWhateverFloatsAndBytesTheGameHolds) {
    auto parts = std::make_unique<GameParts>();
    parts->units[1].hitPoints = std::nanf("");
    std::strcpy(parts->console.commandLine, "say \"hi\" \\ \x01\xff");
    const auto g = headlessGame(makeHeadlessPlatform(), -1, "", std::move(parts));
    const nlohmann::json odd = nlohmann::json::parse(stateJson(*g));
    EXPECT_TRUE(odd["hero"]["hitPoints"].is_null());
    EXPECT_EQ(odd["commandLine"].get<std::string>().substr(0, 12), "say \"hi\" \\ \x01");
}

// Any view origin (a loaded slot may hold one far outside the map) scrolls
// into the map without overflowing.
TEST(Scrolling, FromAnyOriginStaysInsideTheMap) {
    const int Top = LayerCount - 1;
    const struct {
        int from, key, wantX, wantY, wantZ;
    } cases[] = {
        {INT_MAX, Vk::Right, 236, 241, Top}, {INT_MIN, Vk::Left, 0, 0, 0},
        {100, Vk::Right, 101, 100, 5},       {100, Vk::Down, 100, 99, 5},
    };
    for (const auto& c : cases) {
        auto parts = std::make_unique<GameParts>();
        parts->shell.SX = parts->shell.SY = c.from;
        parts->shell.SZ = c.from == 100 ? 5 : c.from;
        const auto g = headlessGame(makeHeadlessPlatform(), -1, "", std::move(parts));
        g->input().setKey(c.key, true);
        scrollView(*g);
        const Shell& shell = g->shell();
        EXPECT_EQ(std::tuple(shell.SX, shell.SY, shell.SZ), std::tuple(c.wantX, c.wantY, c.wantZ))
            << c.key;
    }
}

// The headless backend, with window creation failing from a chosen call on.
class FailingPlatform final : public Platform {
  public:
    FailingPlatform(int failFromCall, int* boxes) : failFrom_(failFromCall), boxes_(boxes) {}
    bool createWindow(const char* title, int w, int h) override {
        if (++calls_ < failFrom_)
            return inner_->createWindow(title, w, h);
        messageBox("ERROR", "Window Creation Error.");
        return false;
    }
    void destroyWindow() override { inner_->destroyWindow(); }
    bool hasWindow() const override { return inner_->hasWindow(); }
    void moveWindow(int x, int y, int w, int h) override { inner_->moveWindow(x, y, w, h); }
    void swapBuffers() override { inner_->swapBuffers(); }
    Message pumpOneMessage() override { return inner_->pumpOneMessage(); }
    bool nextDeviceEvent(DeviceEvent& ev) override { return inner_->nextDeviceEvent(ev); }
    bool setFullscreen(bool on) override { return inner_->setFullscreen(on); }
    bool fullscreen() const override { return inner_->fullscreen(); }
    void cursorScreenPosition(int& x, int& y) override { inner_->cursorScreenPosition(x, y); }
    ScreenRect windowRect() override { return inner_->windowRect(); }
    void showCursor(bool v) override { inner_->showCursor(v); }
    void messageBox(const char*, const char*) override { ++*boxes_; }
    bool headless() const override { return true; }

  private:
    std::unique_ptr<Platform> inner_ = makeHeadlessPlatform();
    int failFrom_, calls_ = 0;
    int* boxes_;
};

// A window that cannot be made, at start-up or when a mode key (pressed in
// frame 3) re-creates it, ends the program after one error box.
TEST(WindowLoss, AWindowThatCannotBeMadeEndsTheGameAfterOneBox) {
    for (int vk : {0, Vk::F1 + 2, Vk::F6}) {
        int boxes = 0;
        auto g = headlessGame(std::make_unique<FailingPlatform>(vk ? 2 : 1, &boxes), 50);
        g->input().useScript({{ScriptEvent::Down, 3, vk}, {ScriptEvent::Up, 4, vk}});
        ASSERT_EQ(startGame(*g), vk != 0);
        if (vk)
            runMainLoop(*g);
        EXPECT_EQ(g->framesRun(), vk ? 4 : 0) << vk;
        EXPECT_TRUE(g->windowFailed()) << vk;
        EXPECT_EQ(boxes, 1) << vk;
        EXPECT_FALSE(g->hasWindow()) << vk;
        shutdownGame(*g);
    }
}

} // namespace
