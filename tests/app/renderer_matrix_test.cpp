// The matrices a renderer without a matrix stack builds (the browser's)
// against those the fixed pipeline builds for the same camera.
#include <gtest/gtest.h>

#include <cmath>

#include "gfx/renderer.h"
#include "view_fixture.h"

namespace delve {
namespace {

using test::ViewScene;

void expectNear(const float* a, const float* b, float tolerance, const char* what) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a[i], b[i], tolerance * std::max(1.0f, std::fabs(b[i])))
            << what << " element " << i;
}

TEST(RendererMatrices, TheCameraMatchesTheFixedPipeline) {
    ViewScene sc;
    ASSERT_TRUE(sc.glReady);
    const Camera cameras[] = {
        {-90.0f, 0.0f, 0.5f, 0.5f, 0.5f},     {-60.0f, 37.0f, 0.2f, 0.8f, 0.54f},
        {-20.0f, -120.0f, 0.0f, 1.0f, 0.3f},  {-75.0f, 200.0f, 0.99f, 0.01f, 0.5f},
        {-1.5f, 359.9f, 0.5f, 0.25f, 0.75f},
    };
    for (const Camera& c : cameras) {
        sc.renderer->clear();
        float fixed[16];
        sc.renderer->beginCamera(c, fixed);
        sc.renderer->endCamera();
        float built[16];
        matrix::identity(built);
        matrix::applyCamera(built, c);
        expectNear(built, fixed, 1e-6f, "camera");
    }
}

TEST(RendererMatrices, TheProjectionMatchesTheFixedPipeline) {
    ViewScene sc;
    ASSERT_TRUE(sc.glReady);
    float fixed[16];
    int viewport[4] = {};
    sc.renderer->projection(fixed, viewport);
    float built[16];
    matrix::identity(built);
    matrix::perspective(built, 45.0, double(4.0f / 3.0f), double(0.1f), 100.0);
    expectNear(built, fixed, 1e-6f, "projection");
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], ViewWidth);
    EXPECT_EQ(viewport[3], ViewHeight);
}

TEST(RendererMatrices, RotationsAboutAnyAxisFollowTheRightHandRule) {
    // A quarter turn about z takes x to y; about x takes y to z; about y
    // takes z to x; about the diagonal it cycles the axes.
    const struct {
        float axis[3];
        float from[3], to[3];
        float degrees;
    } cases[] = {
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 90.0f},
        {{0, 0, -1}, {1, 0, 0}, {0, -1, 0}, 90.0f},
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, 90.0f},
        {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}, 90.0f},
        {{1, 1, 1}, {1, 0, 0}, {0, 1, 0}, 120.0f},
    };
    for (const auto& c : cases) {
        float m[16];
        matrix::identity(m);
        matrix::rotate(m, c.degrees, c.axis[0], c.axis[1], c.axis[2]);
        for (int r = 0; r < 3; ++r) {
            const float v = m[r] * c.from[0] + m[4 + r] * c.from[1] + m[8 + r] * c.from[2];
            EXPECT_NEAR(v, c.to[r], 1e-5f) << "axis " << c.axis[0] << c.axis[1] << c.axis[2];
        }
    }
}

} // namespace
} // namespace delve
