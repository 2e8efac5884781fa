// Walking, wall push-out at the map edge, cell carry, the ground check and
// damaged positions of the hero on foot.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>

#include "platform/shell.h"
#include "tests/hero_fixture.h"
#include "platform/input.h"
#include "units/hero_walk.h"
#include "units/unit_record.h"
#include "world/world_map.h"

namespace delve {
namespace {

struct Walker {
    Input input;
    std::unique_ptr<WorldMap> world = std::make_unique<WorldMap>();
    UnitRecord hero{};
    Shell shell;
    HeroWalk walk;

    Walker() {
        test::standHero(hero, shell, 50, 60, 4);
        world->setCell(50, 60, 5, Cell::Rock); // ground beneath the view origin
        shell.movementInterval = 10.0f;        // a step on every frame
    }
    void look(int cursorX, int cursorY) {
        input.setCursor(cursorX, cursorY);
        input.setKey(2, true);
        mouseLook(walk, shell, input);
        input.setKey(2, false);
    }
    void frame() {
        updateHero(walk, *world, hero, shell, input);
        ++shell.frameCounter;
    }
};

TEST(HeroWalk, StepLengthFollowsThePitch) {
    Walker w;
    w.look(10, 0); // heading 0, cursor on the bottom edge: pitch 0
    w.input.setKey(1, true);
    auto at = [&](float x, float y) {
        return std::abs(w.hero.subX - x) < 1e-6f && std::abs(w.hero.subY - y) < 1e-6f;
    };
    w.frame();
    EXPECT_TRUE(at(0.5f, 0.5f) && w.hero.walkPhase == 1.0f);
    w.look(10, 90); // pitch -90: a full step toward lower rows
    w.frame();
    EXPECT_TRUE(at(0.5f, 0.4f) && w.hero.walkPhase == 2.0f);
    w.look(55, 90); // heading -90 degrees: toward lower columns, subX grows
    w.frame();
    EXPECT_TRUE(at(0.6f, 0.4f));

    // Z walks back the same way and winds the walking phase back.
    w.input.setKey(1, false);
    w.input.setKey(90, true);
    w.frame();
    EXPECT_NEAR(w.hero.subX, 0.5f, 1e-6);
    EXPECT_FLOAT_EQ(w.hero.walkPhase, 2.0f);
}

// Every third frame at 30; an interval below 10 (no division by zero) every frame.
TEST(HeroWalk, StepsOnlyOnTheMovementIntervalsFrames) {
    for (auto [interval, expected] : {std::pair{30.0f, 4}, {0.0f, 12}}) {
        Walker w;
        w.shell.movementInterval = interval;
        w.look(10, 90);
        w.input.setKey(1, true);
        for (int i = 0; i < 12; ++i) w.frame();
        EXPECT_FLOAT_EQ(w.hero.walkPhase, float(expected)) << interval;
    }
}

TEST(HeroWalk, PushOutIgnoresTheMapEdge) {
    Walker edge;
    std::tie(edge.hero.x, edge.hero.y, edge.hero.subX, edge.hero.subY) = std::tuple(0, 255, 0.95f, 0.95f);
    pushOutOfWalls(*edge.world, edge.hero, 0.05f, 0.95f, 0.5f);
    EXPECT_TRUE(edge.hero.subX == 0.95f && edge.hero.subY == 0.95f);
}

// Carried over either side; exactly 1.0 and 0.0 stay in the cell.
TEST(HeroWalk, CellCarry) {
    struct Case {
        float subX, subY;
        int x, y;
        float wantX, wantY;
    };
    for (Case c : {Case{1.05f, -0.05f, 49, 59, 0.05f, 0.95f}, Case{1.0f, 0.0f, 50, 60, 1.0f, 0.0f}}) {
        Walker w;
        std::tie(w.hero.walkPhase, w.hero.subX, w.hero.subY) = std::tuple(1.0f, c.subX, c.subY);
        w.frame();
        EXPECT_EQ(std::pair(int(w.hero.x), int(w.hero.y)), std::pair(c.x, c.y)) << c.subX;
        EXPECT_NEAR(w.hero.subX, c.wantX, 1e-6) << c.subX;
        EXPECT_NEAR(w.hero.subY, c.wantY, 1e-6) << c.subY;
    }
}

TEST(HeroWalk, GroundCheckRemembersAndRestoresTheViewOrigin) {
    Walker w;
    w.look(10, 90);
    w.input.setKey(1, true);
    w.frame();
    EXPECT_EQ(w.walk.lastGoodSZ, 4);

    // The origin scrolled over a layer with nothing beneath: the next step
    // puts it back and centres the hero.
    std::tie(w.shell.SX, w.shell.SZ) = std::tuple(10, 7);
    w.frame();
    EXPECT_TRUE(w.shell.SX == 50 && w.shell.SY == 60 && w.shell.SZ == 4);
    EXPECT_TRUE(w.hero.subX == 0.5f && w.hero.subY == 0.5f);

    w.input.setKey(1, false);
    // The deepest layer has nothing beneath it (and nothing is read there).
    w.world->setCell(50, 60, 179, Cell::Rock);
    w.shell.SZ = 179;
    w.input.setKey(90, true);
    w.frame();
    EXPECT_EQ(w.shell.SZ, 4);
}

TEST(HeroWalk, DamagedPositionsFromASaveAreSafe) {
    Walker w;
    std::tie(w.hero.subX, w.hero.subY, w.hero.walkPhase) = std::tuple(std::nanf(""), INFINITY, -INFINITY);
    w.frame();
    EXPECT_TRUE(w.hero.subX == 0.5f && w.hero.subY == 0.5f);
    EXPECT_FLOAT_EQ(w.hero.subZ, 0.54f);

    // A hero far outside the map walks without touching memory outside it.
    std::tie(w.hero.x, w.hero.y, w.hero.z, w.hero.subX) = std::tuple(65535, 0, 65535, 3.0e9f);
    std::tie(w.shell.SX, w.shell.SY, w.shell.frameCounter) = std::tuple(-5, 100000, -7);
    w.input.setKey(1, true);
    w.input.setKey(90, true);
    for (int i = 0; i < 5; ++i) w.frame();
    EXPECT_EQ(cellNearHero(*w.world, w.hero, 1e30f, -1e30f, NAN), 0);
}

} // namespace
} // namespace delve
