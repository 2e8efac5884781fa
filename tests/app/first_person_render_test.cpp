// The first-person picture and the cell edge overlay rendered offscreen by
// each renderer, judged by pixel statistics. The scene: the game's own
// offscreen window layer, the renderer's state and projection, a 64 x 64
// checker texture in catalogue entry 1201, and an empty world with the hero
// on layer 10.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "platform/shell.h"
#include "tests/hero_fixture.h"
#include "app/window.h"
#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"
#include "gfx/renderers/renderers.h"
#include "platform/input.h"
#include "platform/backends/backends.h"
#include "units/unit_record.h"
#include "views/edge_overlay.h"
#include "views/first_person.h"
#include "world/world_map.h"

namespace delve {
namespace {

// The two texel colours of the test texture.
constexpr std::array<uint8_t, 3> TexelA = {200, 120, 60};
constexpr std::array<uint8_t, 3> TexelB = {90, 90, 100};

struct ViewScene {
    std::unique_ptr<Platform> platform;
    std::unique_ptr<Renderer> renderer;
    BitmapCatalogue catalogue;
    Screen screen;
    std::unique_ptr<WorldMap> world = std::make_unique<WorldMap>();
    std::unique_ptr<Units> units = std::make_unique<Units>();
    Shell shell;
    Input input{*platform};
    FirstPersonView view;
    bool glReady = false;

    explicit ViewScene(GraphicsApi api)
        : platform(makeHeadlessPlatform(api)), renderer(makeRenderer(api)) {
        BitmapEntry& e = catalogue[1201]; // 8 x 8 checks of the two texels
        e.width = e.height = 64;
        e.bytesPerPixel = 3;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const auto& c = ((x / 8 + y / 8) % 2) ? TexelA : TexelB;
                e.pixels.insert(e.pixels.end(), c.begin(), c.end());
            }
        glReady = createWindowAndContext(*platform, *renderer, catalogue, "GAME", 640, 480) == 1;
        screen.setMode(320, 240);
        test::standHero(hero1(), shell, 100, 100, 10);
        // Heading 0, pitch -90: looking level, toward lower row numbers.
        input.setCursor(10, 90);
        view.walk.cameraYaw = 0.0f;
        view.walk.cameraPitch = -90.0f;
        view.renderer = renderer.get();
    }

    UnitRecord& hero1() { return (*units)[1]; }

    void fillBox(int x0, int y0, int z0, int x1, int y1, int z1, uint8_t code) {
        for (int z = z0; z <= z1; ++z)
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x)
                    world->setCell(x, y, z, code);
    }

    // One game frame of the view: clear as the frame loop does, then draw,
    // with the picture in the framebuffer also where the renderer would lay
    // it under the framebuffer when it presents.
    void frame() {
        beginFrame(*platform, *renderer, screen);
        drawFirstPersonView(view, screen, catalogue, *world, *units, shell);
        resolvePicture(view, screen, shell);
        updateHero(view.walk, *world, hero1(), shell, input);
        mouseLook(view.walk, shell, input);
    }

    // Calls f(x, y, rgba) for every framebuffer pixel.
    template <class F> void eachPixel(F f) const {
        for (int y = 0; y < screen.height; ++y)
            for (int x = 0; x < screen.width; ++x)
                f(x, y, &screen.framebuffer[size_t((y * screen.width + x) * 4)]);
    }
    // How many framebuffer pixels `is` holds for.
    template <class P> int count(P is) const {
        int n = 0;
        eachPixel([&](int, int, const uint8_t* p) { n += is(p); });
        return n;
    }
    // Pixels the view wrote (alpha 255); of those, the ones of neither texel colour.
    int drawnPixels() const { return count([](const uint8_t* p) { return p[3] == 255; }); }
    int foreignPixels() const {
        return count([](const uint8_t* p) {
            return p[3] == 255 && !std::equal(p, p + 3, TexelA.begin()) &&
                   !std::equal(p, p + 3, TexelB.begin());
        });
    }
    int whitePixels() const {
        return count([](const uint8_t* p) { return std::count(p, p + 4, 255) == 4; });
    }
};

// Each test draws into a fresh scene, once through each renderer.
template <class Scene> struct SceneTest : ::testing::TestWithParam<GraphicsApi> {
    Scene sc{GetParam()};
    void SetUp() override { ASSERT_TRUE(sc.glReady); }
};
using FirstPersonRender = SceneTest<ViewScene>;

std::string apiName(const ::testing::TestParamInfo<GraphicsApi>& info) {
    return info.param == GraphicsApi::Gl1 ? "Gl1" : "Gles2";
}

TEST_P(FirstPersonRender, ClearedPictureReadsBackAsTheEmptyColourMeasuredOncePerContext) {
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

TEST_P(FirstPersonRender, SingleRockInOpenSpaceDrawsSixFacesAhead) {
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

TEST_P(FirstPersonRender, WalkingIntoTheWallsOfARoomNeverEntersRock) {
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

TEST_P(FirstPersonRender, FacesSeenFromBehindAreLeftOutOnlyWhenNothingShowsThrough) {
    sc.fillBox(85, 85, 1, 115, 115, 30, Cell::Rock);
    sc.fillBox(99, 99, 10, 101, 101, 10, Cell::Floor);
    UnitRecord& h = sc.hero1();
    float eye[3];
    EXPECT_TRUE(backFacesNeverShow(*sc.world, h, eye)); // the middle of the room
    // Every face around a room faces into it.
    EXPECT_EQ(collectRockFaces(sc.view, *sc.world, 100, 100, 10, nullptr, eye), 30);
    // Near the west wall (0.15 from its face) but clear of the near plane:
    // culling stays on, and the face just in front is still drawn.
    h.x = 99, h.subX = 0.85f;
    ASSERT_TRUE(backFacesNeverShow(*sc.world, h, eye));
    EXPECT_EQ(collectRockFaces(sc.view, *sc.world, 99, 100, 10, nullptr, eye), 30);
    // Against a wall (column 94), where the near plane can cut into rock: no culling.
    h.x = 95, h.subX = 0.95f;
    EXPECT_FALSE(backFacesNeverShow(*sc.world, h, eye));
}

struct OverlayScene : ViewScene {
    EdgeOverlay overlay;
    explicit OverlayScene(GraphicsApi api) : ViewScene(api) { overlay.allocate(); }

    // A frame of the view, the overlay's inputs from it, then the edges alone
    // on a cleared framebuffer. Returns the white pixels drawn.
    int edgesAfterFrame() {
        frame();
        captureEdgeOverlay(overlay, *units, shell, view);
        screen.clearFramebuffer();
        drawCellEdges(overlay, screen, *world, *units, shell, view);
        return whitePixels();
    }
};

using EdgeLattice = SceneTest<OverlayScene>;

TEST_P(EdgeLattice, EdgesOutlineARockBlockAndNothingAmongEmptyCells) {
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

TEST_P(EdgeLattice, EdgesBehindAWallAreHidden) {
    sc.fillBox(80, 96, 1, 120, 96, 30, Cell::Rock); // a wall across the view
    const int wallOnly = sc.edgesAfterFrame();
    const std::vector<uint8_t> wallPicture = sc.screen.framebuffer;
    EXPECT_GT(wallOnly, 100);
    sc.fillBox(80, 86, 11, 120, 95, 11, Cell::Floor); // floor cells behind it
    EXPECT_EQ(sc.edgesAfterFrame(), wallOnly);
    EXPECT_EQ(sc.screen.framebuffer, wallPicture);
}

// The overlay projects with copies of the camera's matrices. The desktop
// renderer takes them from GL's own matrix stack and GLU's perspective, the
// GLES 2 renderer computes them: they agree up to the rounding of the last
// bits (GL orders its float sums its own way), or the two would find other
// edges.
TEST(EdgeMatrices, BothRenderersGiveTheSameMatrices) {
    const Camera eye{-71.0f, 33.0f, 0.37f, 0.81f, 0.54f};
    EdgeProjection gl, copy;
    for (GraphicsApi api : {GraphicsApi::Gl1, GraphicsApi::Gles2}) {
        ViewScene sc(api);
        ASSERT_TRUE(sc.glReady);
        sc.view.walk.cameraPitch = eye.pitch;
        sc.view.walk.cameraYaw = eye.yaw;
        (api == GraphicsApi::Gl1 ? gl : copy) =
            cameraProjection(*sc.renderer, sc.view, eye.subX, eye.subY, eye.subZ);
    }
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(gl.modelView[i], copy.modelView[i], 1e-6) << i;
        EXPECT_EQ(gl.projection[i], copy.projection[i]) << i;
    }
    EXPECT_EQ(std::memcmp(gl.viewport, copy.viewport, sizeof gl.viewport), 0);
}

// The overlay's visibility test compares points on the rock's surface with
// the depth read back: a renderer whose depth is not the desktop's 16-bit
// depth finds other edges.
TEST(EdgeMatrices, BothRenderersFindTheSameEdges) {
    int white[2] = {};
    for (GraphicsApi api : {GraphicsApi::Gl1, GraphicsApi::Gles2}) {
        OverlayScene sc(api);
        ASSERT_TRUE(sc.glReady);
        // A corridor in the rock, three cells long, ahead of the hero.
        sc.fillBox(90, 90, 5, 110, 110, 15, Cell::Rock);
        sc.fillBox(100, 97, 10, 100, 100, 10, Cell::Empty);
        white[api == GraphicsApi::Gles2] = sc.edgesAfterFrame();
    }
    EXPECT_GT(white[0], 100);
    EXPECT_NEAR(white[1], white[0], white[0] / 50);
}

INSTANTIATE_TEST_SUITE_P(BothRenderers, FirstPersonRender,
                         ::testing::Values(GraphicsApi::Gl1, GraphicsApi::Gles2), apiName);
INSTANTIATE_TEST_SUITE_P(BothRenderers, EdgeLattice,
                         ::testing::Values(GraphicsApi::Gl1, GraphicsApi::Gles2), apiName);

} // namespace
} // namespace delve
