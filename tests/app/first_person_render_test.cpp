// The first-person picture rendered offscreen, judged by pixel statistics.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/rng.h"
#include "view_fixture.h"

namespace delve {
namespace {

using test::ViewScene;

TEST(FirstPersonRender, ClearedPictureReadsBackAsTheEmptyColourMeasuredOncePerContext) {
    ViewScene sc;
    ASSERT_TRUE(sc.glReady);
    sc.frame();
    ASSERT_TRUE(sc.view.emptyColourKnown);
    EXPECT_EQ(sc.drawnPixels(), 0);
    // A new context measures again.
    sc.view.emptyColour[2] = 1;
    sc.view.contextCreated();
    sc.frame();
    EXPECT_NE(sc.view.emptyColour[2], 1);
    sc.units->selectedUnit = 99999; // a camera past the table falls back to the hero
    EXPECT_EQ(cameraUnit(*sc.units), 1);
}

TEST(FirstPersonRender, SingleRockInOpenSpaceDrawsSixFacesAhead) {
    ViewScene sc;
    ASSERT_TRUE(sc.glReady);
    sc.world->setCell(100, 97, 10, Cell::Rock); // three rows ahead of the hero
    EXPECT_EQ(collectRockFaces(sc.view, *sc.world, 100, 100, 10), 6);
    sc.frame();
    const int drawn = sc.drawnPixels();
    EXPECT_GT(drawn, 500);
    EXPECT_LT(drawn, 320 * 240 / 4);
    EXPECT_EQ(sc.foreignPixels(), 0);
    long sx = 0, sy = 0; // the cube stands in the middle of the picture
    sc.eachPixel([&](int x, int y, const uint8_t* p) {
        if (p[3] == 255)
            sx += x, sy += y;
    });
    EXPECT_NEAR(double(sx) / drawn, 160.0, 4.0);
    EXPECT_NEAR(double(sy) / drawn, 120.0, 4.0);

    sc.view.walk.cameraYaw = 180.0f; // turned round, the cube is behind the camera
    sc.frame();
    EXPECT_EQ(sc.drawnPixels(), 0);
}

TEST(FirstPersonRender, VertexArraysGiveTheImmediateModePicture) {
    ViewScene sc;
    ASSERT_TRUE(sc.glReady);
    // A cave of random rock around the hero, seen from several angles.
    Rng rng;
    rng.srand(7);
    for (int z = 86; z < 114; ++z)
        for (int y = 86; y < 114; ++y)
            for (int x = 86; x < 114; ++x)
                if (rng.rand() % 3 == 0)
                    sc.world->setCell(x, y, z - 76, Cell::Rock);
    sc.fillBox(99, 99, 10, 101, 101, 10, Cell::Floor);
    sc.frame(); // the first frame settles the eye height, so both renderings share a camera
    const float views[][2] = {{0, -90}, {37, -60}, {-120, -20}, {200, -75}};
    for (const auto& v : views) {
        sc.view.walk.cameraYaw = v[0];
        sc.view.walk.cameraPitch = v[1];
        sc.view.immediateMode = true;
        sc.frame();
        const std::vector<uint8_t> immediate = sc.screen.framebuffer;
        sc.view.immediateMode = false;
        sc.frame();
        int differ = 0;
        for (size_t i = 0; i < immediate.size(); i += 4)
            differ += std::memcmp(&immediate[i], &sc.screen.framebuffer[i], 4) != 0;
        EXPECT_LE(differ, 320 * 240 / 2000) << "yaw " << v[0] << " pitch " << v[1];
        EXPECT_GT(sc.drawnPixels(), 320 * 240 / 2);
    }
}

TEST(FirstPersonRender, WalkingIntoTheWallsOfARoomNeverEntersRock) {
    ViewScene sc;
    ASSERT_TRUE(sc.glReady);
    sc.fillBox(85, 85, 1, 115, 115, 30, Cell::Rock);
    sc.fillBox(99, 99, 10, 101, 101, 10, Cell::Floor);
    sc.shell.movementInterval = 10.0f;
    sc.input.setKey(1, true);
    for (int cursorX : {10, 55, 100, 145, 30, 77}) {
        sc.input.setCursor(cursorX, 90);
        for (int f = 0; f < 40; ++f) {
            sc.frame();
            ++sc.shell.frameCounter;
            const UnitRecord& h = sc.hero1();
            ASSERT_NE(sc.world->cell(h.x, h.y, h.z), Cell::Rock) << cursorX << " frame " << f;
            // The eye keeps off the walls: the picture is never empty.
            ASSERT_EQ(sc.drawnPixels(), 320 * 240) << cursorX << " frame " << f;
            ASSERT_EQ(sc.foreignPixels(), 0) << cursorX << " frame " << f;
        }
    }
    EXPECT_NE(sc.hero1().walkPhase, 0.0f);
}

TEST(FirstPersonRender, FacesSeenFromBehindAreLeftOutOnlyWhenNothingShowsThrough) {
    ViewScene sc;
    sc.fillBox(85, 85, 1, 115, 115, 30, Cell::Rock);
    sc.fillBox(99, 99, 10, 101, 101, 10, Cell::Floor);
    UnitRecord& h = sc.hero1();
    float eye[3];
    EXPECT_TRUE(backFacesNeverShow(*sc.world, h, eye)); // the middle of the room
    EXPECT_FLOAT_EQ(eye[0], 0.0f);
    // Every face around a room faces into it.
    EXPECT_EQ(collectRockFaces(sc.view, *sc.world, 100, 100, 10, nullptr, eye), 30);

    // Against a wall (column 94), where the near plane can cut into rock, or inside rock: no
    // culling.
    h.x = 95, h.subX = 0.95f;
    EXPECT_FALSE(backFacesNeverShow(*sc.world, h, eye));
    h.x = 90, h.subX = 0.5f;
    EXPECT_FALSE(backFacesNeverShow(*sc.world, h, eye));
}

} // namespace
} // namespace delve
