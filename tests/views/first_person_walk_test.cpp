// Walking, wall push-out, eye bob, cell carry, the ground check and mouse
// look of the first-person view (no GL needed).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/shell.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "units/unit_record.h"
#include "views/first_person.h"
#include "world/world_map.h"

namespace delve {
namespace {

struct Walker {
    std::unique_ptr<Platform> platform = makeHeadlessPlatform();
    Input input{*platform};
    std::unique_ptr<WorldMap> world = std::make_unique<WorldMap>();
    UnitRecord hero{};
    Shell shell;
    FirstPersonView view;

    Walker() {
        hero.active = 1;
        hero.x = 50;
        hero.y = 60;
        hero.z = 4;
        hero.subX = hero.subY = hero.subZ = 0.5f;
        shell.SX = 50;
        shell.SY = 60;
        shell.SZ = 4;
        world->setCell(50, 60, 5, Cell::Rock); // ground beneath the view origin
        shell.movementInterval = 10.0f;        // a step on every frame
    }
    void look(int cursorX, int cursorY) {
        input.setCursor(cursorX, cursorY);
        input.setKey(2, true);
        mouseLook(view, shell, input);
        input.setKey(2, false);
    }
    void frame() {
        updateHero(view, *world, hero, shell, input);
        ++shell.frameCounter;
    }
};

TEST(FirstPersonWalk, MouseLookFollowsTheCursorWhileAnyButtonIsDown) {
    Walker w;
    w.input.setCursor(100, 30);
    mouseLook(w.view, w.shell, w.input);
    EXPECT_EQ(w.view.cameraYaw, 0.0f); // no button: unchanged
    EXPECT_EQ(w.view.cameraPitch, 0.0f);
    for (int button : {1, 2, 4}) {
        w.view.cameraYaw = w.view.cameraPitch = 0.0f;
        w.input.setKey(button, true);
        mouseLook(w.view, w.shell, w.input);
        w.input.setKey(button, false);
        EXPECT_EQ(w.view.cameraYaw, -180.0f) << button; // 20 - 2 * 100
        EXPECT_EQ(w.view.cameraPitch, -30.0f) << button;
    }
}

TEST(FirstPersonWalk, StepLengthFollowsThePitch) {
    Walker w;
    w.look(10, 0); // heading 0, cursor on the bottom edge: pitch 0
    w.input.setKey(1, true);
    w.frame();
    EXPECT_FLOAT_EQ(w.hero.subX, 0.5f);
    EXPECT_FLOAT_EQ(w.hero.subY, 0.5f);
    EXPECT_FLOAT_EQ(w.hero.walkPhase, 1.0f);

    w.look(10, 90); // pitch -90: a full step toward lower rows
    w.frame();
    EXPECT_NEAR(w.hero.subX, 0.5f, 1e-6);
    EXPECT_NEAR(w.hero.subY, 0.4f, 1e-6);
    EXPECT_FLOAT_EQ(w.hero.walkPhase, 2.0f);

    w.look(55, 90); // heading -90 degrees: toward lower columns, subX grows
    w.frame();
    EXPECT_NEAR(w.hero.subX, 0.6f, 1e-6);
    EXPECT_NEAR(w.hero.subY, 0.4f, 1e-6);

    // Z walks back the same way and winds the walking phase back.
    w.input.setKey(1, false);
    w.input.setKey(90, true);
    w.frame();
    EXPECT_NEAR(w.hero.subX, 0.5f, 1e-6);
    EXPECT_FLOAT_EQ(w.hero.walkPhase, 2.0f);

    // Half a step at a pitch of -30.
    w.look(10, 30);
    w.frame();
    EXPECT_NEAR(w.hero.subY, 0.45f, 1e-6);
}

TEST(FirstPersonWalk, StepsOnlyOnTheMovementIntervalsFrames) {
    for (auto [interval, expected] : {std::pair{10.0f, 12}, {30.0f, 4}, {60.0f, 2}, {0.0f, 12}}) {
        Walker w;
        w.shell.movementInterval = interval;
        w.look(10, 90);
        w.input.setKey(1, true);
        for (int i = 0; i < 12; ++i) w.frame();
        EXPECT_FLOAT_EQ(w.hero.walkPhase, float(expected)) << interval;
    }
}

TEST(FirstPersonWalk, PushOutMakesEveryTestInOrderWithEntryProbes) {
    Walker w;
    // Rock west of the hero's column (x - 1): x1, x2 and the first corner push.
    w.world->setCell(49, 60, 4, Cell::Rock);
    w.hero.subX = 0.9f;
    w.hero.subY = 0.5f;
    pushOutOfWalls(*w.world, w.hero, 1.0f - w.hero.subX, w.hero.subY, 0.5f);
    EXPECT_NEAR(w.hero.subX, 0.3f, 1e-6);
    EXPECT_NEAR(w.hero.subY, 0.7f, 1e-6);

    // Mirror case: rock in column x + 1, hero near that side.
    Walker e;
    e.world->setCell(51, 60, 4, Cell::Rock);
    e.hero.subX = 0.1f;
    e.hero.subY = 0.5f;
    pushOutOfWalls(*e.world, e.hero, 1.0f - e.hero.subX, e.hero.subY, 0.5f);
    // x3 to 0.3, x4 to 0.5, corner (+0.2, +0.2) to 0.7 and subY 0.3.
    EXPECT_NEAR(e.hero.subX, 0.7f, 1e-6);
    EXPECT_NEAR(e.hero.subY, 0.3f, 1e-6);
}

TEST(FirstPersonWalk, PushOutAlongRowsAndOnlyTheFirstCorner) {
    Walker n;
    n.world->setCell(50, 59, 4, Cell::Rock); // row y - 1
    n.hero.subY = 0.1f;
    pushOutOfWalls(*n.world, n.hero, 0.5f, n.hero.subY, 0.5f);
    // y1 to 0.3, y2 to 0.5, then corner (-0.2, -0.2) still reaches row y - 1.
    EXPECT_NEAR(n.hero.subY, 0.7f, 1e-6);
    EXPECT_NEAR(n.hero.subX, 0.3f, 1e-6);

    Walker s;
    s.world->setCell(50, 61, 4, Cell::Rock); // row y + 1
    s.hero.subY = 0.9f;
    pushOutOfWalls(*s.world, s.hero, 0.5f, s.hero.subY, 0.5f);
    // y3 to 0.7, y4 to 0.5, corner (+0.2, +0.2) to 0.3.
    EXPECT_NEAR(s.hero.subY, 0.3f, 1e-6);
    EXPECT_NEAR(s.hero.subX, 0.7f, 1e-6);

    // Two corner probes find rock: the corner tests stop at the first one.
    Walker c;
    c.world->setCell(49, 59, 4, Cell::Rock); // probe (-0.2, -0.2)
    c.world->setCell(50, 59, 4, Cell::Rock); // probe (+0.2, -0.2), and y1, y2
    c.hero.subX = 0.9f; // px = 0.1
    c.hero.subY = 0.1f;
    pushOutOfWalls(*c.world, c.hero, 1.0f - c.hero.subX, c.hero.subY, 0.5f);
    EXPECT_NEAR(c.hero.subX, 0.7f, 1e-6);
    EXPECT_NEAR(c.hero.subY, 0.7f, 1e-6);

    // Only the third corner: (+0.2, -0.2) is column x + 1, row y - 1.
    Walker t;
    t.world->setCell(51, 59, 4, Cell::Rock);
    t.hero.subX = 0.1f; // px = 0.9
    t.hero.subY = 0.1f;
    pushOutOfWalls(*t.world, t.hero, 1.0f - t.hero.subX, t.hero.subY, 0.5f);
    EXPECT_NEAR(t.hero.subX, 0.3f, 1e-6);
    EXPECT_NEAR(t.hero.subY, 0.3f, 1e-6);
}

TEST(FirstPersonWalk, PushOutIgnoresOtherLayersAndTheMapEdge) {
    Walker w;
    w.world->setCell(49, 60, 3, Cell::Rock); // the layer above
    w.world->setCell(49, 60, 5, Cell::Rock); // the layer beneath
    w.hero.subX = 0.9f;
    w.frame();
    EXPECT_NEAR(w.hero.subX, 0.9f, 1e-6);

    Walker edge;
    edge.hero.x = 0;
    edge.hero.y = 255;
    edge.hero.subX = 0.95f;
    edge.hero.subY = 0.95f;
    pushOutOfWalls(*edge.world, edge.hero, 0.05f, 0.95f, 0.5f);
    EXPECT_FLOAT_EQ(edge.hero.subX, 0.95f);
    EXPECT_FLOAT_EQ(edge.hero.subY, 0.95f);
}

TEST(FirstPersonWalk, EyeBobAndCellCarry) {
    Walker w;
    w.hero.walkPhase = 1.0f;
    w.hero.subX = 1.05f;
    w.hero.subY = -0.05f;
    w.frame();
    EXPECT_NEAR(w.hero.subZ, 0.54f + 0.024f * std::sin(1.5f), 1e-6);
    EXPECT_EQ(w.hero.x, 49);
    EXPECT_EQ(w.hero.y, 59);
    EXPECT_NEAR(w.hero.subX, 0.05f, 1e-6);
    EXPECT_NEAR(w.hero.subY, 0.95f, 1e-6);

    Walker v;
    v.hero.subX = -0.25f;
    v.hero.subY = 1.25f;
    v.frame();
    EXPECT_EQ(v.hero.x, 51);
    EXPECT_EQ(v.hero.y, 61);
    EXPECT_NEAR(v.hero.subX, 0.75f, 1e-6);
    EXPECT_NEAR(v.hero.subY, 0.25f, 1e-6);
    EXPECT_FLOAT_EQ(v.hero.subZ, 0.54f); // walkPhase 0

    // Exactly 1.0 and 0.0 stay in the cell.
    Walker s;
    s.hero.subX = 1.0f;
    s.hero.subY = 0.0f;
    s.frame();
    EXPECT_EQ(s.hero.x, 50);
    EXPECT_EQ(s.hero.y, 60);
}

TEST(FirstPersonWalk, GroundCheckRemembersAndRestoresTheViewOrigin) {
    Walker w;
    w.look(10, 90);
    w.input.setKey(1, true);
    w.frame();
    EXPECT_EQ(w.view.lastGoodSX, 50);
    EXPECT_EQ(w.view.lastGoodSY, 60);
    EXPECT_EQ(w.view.lastGoodSZ, 4);
    EXPECT_NEAR(w.hero.subY, 0.4f, 1e-6);

    // The origin scrolled over a layer with nothing beneath: the next step
    // puts it back and centres the hero.
    w.shell.SZ = 7;
    w.shell.SX = 10;
    w.frame();
    EXPECT_EQ(w.shell.SX, 50);
    EXPECT_EQ(w.shell.SY, 60);
    EXPECT_EQ(w.shell.SZ, 4);
    EXPECT_FLOAT_EQ(w.hero.subX, 0.5f);
    EXPECT_FLOAT_EQ(w.hero.subY, 0.5f);

    // Without a step there is no check.
    w.input.setKey(1, false);
    w.shell.SZ = 7;
    w.frame();
    EXPECT_EQ(w.shell.SZ, 7);

    // The deepest layer has nothing beneath it (and nothing is read there).
    w.world->setCell(50, 60, 179, Cell::Rock);
    w.shell.SZ = 179;
    w.input.setKey(90, true);
    w.frame();
    EXPECT_EQ(w.shell.SZ, 4);
}

TEST(FirstPersonWalk, DamagedPositionsFromASaveAreSafe) {
    Walker w;
    w.hero.subX = std::nanf("");
    w.hero.subY = INFINITY;
    w.hero.walkPhase = -INFINITY;
    w.frame();
    EXPECT_FLOAT_EQ(w.hero.subX, 0.5f);
    EXPECT_FLOAT_EQ(w.hero.subY, 0.5f);
    EXPECT_FLOAT_EQ(w.hero.subZ, 0.54f);

    // A hero far outside the map walks without touching memory outside it.
    w.hero.x = 65535;
    w.hero.y = 0;
    w.hero.z = 65535;
    w.hero.subX = 3.0e9f;
    w.shell.SX = -5;
    w.shell.SY = 100000;
    w.shell.frameCounter = -7;
    w.input.setKey(1, true);
    w.input.setKey(90, true);
    for (int i = 0; i < 5; ++i) w.frame();
    EXPECT_EQ(cellNearHero(*w.world, w.hero, 1e30f, -1e30f, NAN), 0);
}

} // namespace
} // namespace delve
