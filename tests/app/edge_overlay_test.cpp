// The cell edge overlay over a real first-person rendering.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include "views/edge_overlay.h"
#include "view_fixture.h"

namespace delve {
namespace {

struct OverlayScene : test::ViewScene {
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
        eachPixel([&](int, int, const uint8_t* p) {
            n += p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 255;
        });
        return n;
    }
};

TEST(EdgeOverlay, EdgesOutlineARockBlockAndNothingAmongEmptyCells) {
    OverlayScene sc;
    ASSERT_TRUE(sc.glReady);
    EXPECT_EQ(sc.edgesAfterFrame(), 0); // an all-Empty world

    sc.fillBox(99, 94, 9, 101, 96, 11, Cell::Rock); // a block ahead
    sc.frame();
    EdgeOverlay none; // never allocated: draws nothing
    drawCellEdges(none, sc.screen, *sc.world, *sc.units, sc.shell, sc.view);
    EXPECT_EQ(sc.whitePixels(), 0);
    int minX = 320, maxX = -1, minY = 240, maxY = -1; // where the block's picture lies
    sc.eachPixel([&](int x, int y, const uint8_t* p) {
        if (p[3] != 255)
            return;
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    });
    ASSERT_GE(maxX, 0);
    EXPECT_GT(sc.edgesAfterFrame(), 100);
    // Every edge pixel lies on the block (one pixel of slack: lattice points are truncated).
    sc.eachPixel([&](int x, int y, const uint8_t* p) {
        if (p[0] != 255)
            return;
        EXPECT_TRUE(x >= minX - 1 && x <= maxX + 1 && y >= minY - 1 && y <= maxY + 1)
            << x << "," << y;
    });
}

TEST(EdgeOverlay, EdgesBehindAWallAreHidden) {
    OverlayScene sc;
    ASSERT_TRUE(sc.glReady);
    sc.fillBox(80, 96, 1, 120, 96, 30, Cell::Rock); // a wall across the view
    const int wallOnly = sc.edgesAfterFrame();
    const std::vector<uint8_t> wallPicture = sc.screen.framebuffer;
    EXPECT_GT(wallOnly, 100);
    sc.fillBox(80, 86, 11, 120, 95, 11, Cell::Floor); // floor cells behind it
    EXPECT_EQ(sc.edgesAfterFrame(), wallOnly);
    EXPECT_EQ(sc.screen.framebuffer, wallPicture);
}

// In each cell's frame the overlay's matrix copy must give what gluProject
// gives with GL's own matrices, bit for bit, or the visibility tests would
// keep other edges.
TEST(EdgeOverlay, TheMatrixCopyProjectsExactlyAsGLDoes) {
    OverlayScene sc;
    ASSERT_TRUE(sc.glReady);
    const Camera eye{-71.0f, 33.0f, 0.37f, 0.81f, 0.54f};
    sc.view.walk.cameraPitch = eye.pitch;
    sc.view.walk.cameraYaw = eye.yaw;
    const EdgeProjection camera = cameraProjection(*sc.renderer, sc.view, eye.subX, eye.subY, eye.subZ);
    float unused[16];
    sc.renderer->beginCamera(eye, unused); // GL's own matrices for gluProject
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    for (int dz = -14; dz < 14; dz += 3)
        for (int dy = -14; dy < 14; dy += 2)
            for (int dx = -14; dx < 14; dx += 2) {
                glPushMatrix();
                glTranslatef(float(dx), float(dy), float(dz));
                GLdouble m[16], p[16];
                glGetDoublev(GL_MODELVIEW_MATRIX, m);
                glGetDoublev(GL_PROJECTION_MATRIX, p);
                glPopMatrix();
                const EdgeProjection copy = translated(camera, float(dx), float(dy), float(dz));
                for (float ox : {-0.56f, -0.5f, 0.44f})
                    for (float oy : {-1.5f, -0.44f})
                        for (float oz : {-0.5f, 0.56f}) {
                            GLdouble g[3] = {};
                            double c[3] = {};
                            const bool gl =
                                gluProject(ox, oy, oz, m, p, viewport, &g[0], &g[1], &g[2]);
                            ASSERT_EQ(projectWithCopy(copy, ox, oy, oz, c[0], c[1], c[2]), gl);
                            for (int i = 0; i < 3; ++i)
                                ASSERT_EQ(c[i], g[i]) << dx << " " << dy << " " << dz;
                        }
            }
    sc.renderer->endCamera();
}

} // namespace
} // namespace delve
