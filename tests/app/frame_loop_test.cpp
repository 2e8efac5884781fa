#include <gtest/gtest.h>

#include <GL/gl.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include <nlohmann/json.hpp>

#include "app/game.h"
#include "platform/backends/backends.h"
#include "app/run.h"
#include "app/window.h"

using namespace delve;

namespace {

// A started game without a window system: offscreen GL, virtual waits.
std::unique_ptr<Game> startHeadless(int frames = -1) {
    Options o;
    o.headless = o.fastClock = o.haveSeed = true;
    o.seed = 7;
    o.frames = frames;
    if (const char* d = std::getenv("DELVE_TEST_DATA")) o.dataDir = d;
    auto g = std::make_unique<Game>(o, makeHeadlessPlatform());
    startGame(*g);
    return g;
}

} // namespace

TEST(Presentation, ZoomedCopyAnchorsAtTheLowerLeftCorner) {
    auto g = startHeadless();
    Game::Parts p = g->partsForRig();
    Screen& s = p.screen;
    beginFrame(p.platform, p.renderer, s);
    plotPixel(s, 0, 0, 255, 0, 0);
    plotPixel(s, 10, 5, 0, 255, 0);
    presentFrame(p.platform, p.renderer, s, 2);
    // The pbuffer keeps what was drawn; read it from the front.
    glReadBuffer(GL_FRONT);
    uint8_t px[4 * 4] = {};
    glReadPixels(0, 0, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, px);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(px[i * 4], 255) << i;
    glReadPixels(20, 10, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, px);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(px[i * 4 + 1], 255) << i;
    glReadPixels(22, 12, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[1], 0);
}

TEST(StateDump, StaysJsonWhateverFloatsAndBytesTheGameHolds) {
    auto g = startHeadless(2);
    runMainLoop(*g);
    // A loaded unit table may carry any float, the command line any byte.
    Game::Parts p = g->partsForRig();
    p.units[1].hitPoints = std::nanf("");
    p.units[1].subX = INFINITY;
    p.units[1].subY = -INFINITY;
    std::strcpy(p.console.commandLine, "say \"hi\" \\ \x01\xff");
    const nlohmann::json odd = nlohmann::json::parse(stateJson(*g));
    EXPECT_TRUE(odd["hero"]["hitPoints"].is_null());
    EXPECT_TRUE(odd["hero"]["subX"].is_null());
    EXPECT_TRUE(odd["hero"]["subY"].is_null());
    EXPECT_EQ(odd["commandLine"].get<std::string>().substr(0, 12), "say \"hi\" \\ \x01");
}

// Any view origin (a loaded slot may hold one far outside the map) moves
// with the arrow and keypad keys without overflowing, into the map.
TEST(FrameLoop, ScrollingFromAnyOriginStaysInsideTheMap) {
    auto g = startHeadless();
    const struct {
        int SX, SY, SZ;
        int key;
        int wantX, wantY, wantZ;
    } cases[] = {
        {INT_MAX, INT_MAX, INT_MAX, Vk::Right, 236, 241, LayerCount - 1},
        {INT_MAX, INT_MAX, INT_MAX, Vk::KeypadPlus, 236, 241, LayerCount - 1},
        {INT_MIN, INT_MIN, INT_MIN, Vk::Left, 0, 0, 0},
        {INT_MIN, INT_MIN, INT_MIN, Vk::KeypadMinus, 0, 0, 0},
        {100, 100, 5, Vk::Right, 101, 100, 5},
        {100, 100, 5, Vk::Down, 100, 99, 5},
    };
    Shell& shell = g->partsForRig().shell;
    for (const auto& c : cases) {
        shell.SX = c.SX;
        shell.SY = c.SY;
        shell.SZ = c.SZ;
        g->input().setKey(c.key, true);
        scrollView(*g);
        g->input().setKey(c.key, false);
        EXPECT_EQ(g->shell().SX, c.wantX) << c.key;
        EXPECT_EQ(g->shell().SY, c.wantY) << c.key;
        EXPECT_EQ(g->shell().SZ, c.wantZ) << c.key;
    }
}
