// The cell edge overlay over a real first-person rendering.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include "views/edge_overlay.h"
#include "view_fixture.h"

namespace delve {
namespace {

using test::ViewScene;

struct OverlayScene : ViewScene {
    EdgeOverlay overlay;
    OverlayScene() { overlay.allocate(); }

    // A frame of the view, the overlay's inputs from it, then the edges alone
    // on a cleared framebuffer. Returns the white pixels drawn.
    int edgesAfterFrame() {
        frame();
        captureEdgeOverlay(overlay, *units, shell, view);
        screen.clearFramebuffer();
        drawCellEdges(overlay, screen, *world, *units, shell, view);
        return whitePixels();
    }
    int whitePixels() const {
        int n = 0;
        for (size_t i = 0; i < screen.framebuffer.size(); i += 4)
            n += screen.framebuffer[i] == 255 && screen.framebuffer[i + 1] == 255 &&
                 screen.framebuffer[i + 2] == 255 && screen.framebuffer[i + 3] == 255;
        return n;
    }
};

TEST(EdgeOverlay, EdgesOutlineARockBlockAndNothingAmongEmptyCells) {
    OverlayScene sc;
    ASSERT_TRUE(sc.glReady);
    EXPECT_EQ(sc.edgesAfterFrame(), 0); // an all-Empty world

    sc.fillBox(99, 94, 9, 101, 96, 11, Cell::Rock); // a block ahead
    sc.frame();
    // Where the block's picture lies.
    int minX = 320, maxX = -1, minY = 240, maxY = -1;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (sc.screen.framebuffer[size_t((y * 320 + x) * 4 + 3)] == 255) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    ASSERT_GE(maxX, 0);
    const int edges = sc.edgesAfterFrame();
    EXPECT_GT(edges, 100);
    // Every edge pixel lies on the block (lattice points are truncated, so
    // one pixel of slack).
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (sc.screen.framebuffer[size_t((y * 320 + x) * 4)] == 255) {
                EXPECT_GE(x, minX - 1);
                EXPECT_LE(x, maxX + 1);
                EXPECT_GE(y, minY - 1);
                EXPECT_LE(y, maxY + 1);
            }
}

TEST(EdgeOverlay, EdgesBehindAWallAreHidden) {
    OverlayScene sc;
    ASSERT_TRUE(sc.glReady);
    sc.fillBox(80, 96, 1, 120, 96, 30, Cell::Rock); // a wall across the view
    const int wallOnly = sc.edgesAfterFrame();
    const std::vector<uint8_t> wallPicture = sc.screen.framebuffer;
    EXPECT_GT(wallOnly, 100);
    // Floor cells behind the wall change nothing that can be seen.
    sc.fillBox(80, 86, 11, 120, 95, 11, Cell::Floor);
    EXPECT_EQ(sc.edgesAfterFrame(), wallOnly);
    EXPECT_EQ(sc.screen.framebuffer, wallPicture);
}

// The overlay projects with a copy of the GL matrices instead of asking GL
// for every point: in each cell's frame the copy must give what gluProject
// gives with the matrices GL itself makes, bit for bit, or the visibility
// tests would keep other edges.
TEST(EdgeOverlay, TheMatrixCopyProjectsExactlyAsGLDoes) {
    OverlayScene sc;
    ASSERT_TRUE(sc.glReady);
    sc.hero1().subX = 0.37f;
    sc.hero1().subY = 0.81f;
    sc.hero1().subZ = 0.54f;
    sc.view.walk.cameraYaw = 33.0f;
    sc.view.walk.cameraPitch = -71.0f;
    const UnitRecord& hero = sc.hero1();
    const EdgeProjection camera =
        cameraProjection(*sc.renderer, sc.view, hero.subX, hero.subY, hero.subZ);
    // GL's own matrices for the same camera.
    glPushMatrix();
    glRotatef(sc.view.walk.cameraPitch, 1.0f, 0.0f, 0.0f);
    glRotatef(180.0f - sc.view.walk.cameraYaw, 0.0f, 0.0f, 1.0f);
    glRotatef(180.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(hero.subX - 0.5f, hero.subY - 0.5f, hero.subZ - 0.5f);
    int compared = 0;
    for (int dz = -14; dz < 14; dz += 3)
        for (int dy = -14; dy < 14; dy += 2)
            for (int dx = -14; dx < 14; dx += 2) {
                glPushMatrix();
                glTranslatef(float(dx), float(dy), float(dz));
                GLint viewport[4];
                GLdouble m[16], p[16];
                glGetIntegerv(GL_VIEWPORT, viewport);
                glGetDoublev(GL_MODELVIEW_MATRIX, m);
                glGetDoublev(GL_PROJECTION_MATRIX, p);
                glPopMatrix();
                const EdgeProjection copy = translated(camera, float(dx), float(dy), float(dz));
                for (float ox : {-0.56f, -0.5f, 0.44f})
                    for (float oy : {-1.5f, -0.44f})
                        for (float oz : {-0.5f, 0.56f}) {
                            GLdouble gx = 0, gy = 0, gz = 0;
                            double cx = 0, cy = 0, cz = 0;
                            const bool gl = gluProject(ox, oy, oz, m, p, viewport, &gx, &gy, &gz);
                            ASSERT_EQ(projectWithCopy(copy, ox, oy, oz, cx, cy, cz), gl);
                            ASSERT_EQ(cx, gx) << dx << " " << dy << " " << dz;
                            ASSERT_EQ(cy, gy);
                            ASSERT_EQ(cz, gz);
                            ++compared;
                        }
            }
    glPopMatrix();
    EXPECT_GT(compared, 10000);
}

TEST(EdgeOverlay, UnfilledTableDrawsNothing) {
    OverlayScene sc;
    ASSERT_TRUE(sc.glReady);
    sc.fillBox(99, 94, 9, 101, 96, 11, Cell::Rock);
    sc.frame();
    EdgeOverlay none; // never allocated
    drawCellEdges(none, sc.screen, *sc.world, *sc.units, sc.shell, sc.view);
    EXPECT_EQ(sc.whitePixels(), 0);
}

} // namespace
} // namespace delve
