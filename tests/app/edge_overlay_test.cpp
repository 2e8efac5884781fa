// The cell edge overlay over a real first-person rendering.
#include <gtest/gtest.h>

#include <GL/gl.h>


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
