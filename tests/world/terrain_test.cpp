#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>

#include "world/generator.h"
#include "world/templates.h"
#include "world/terrain.h"
#include "world/world.h"

namespace delve {
namespace {

TEST(HeightField, SetMidpointDrawsOnlyWhenUnsetAndInsideTheGrid) {
    HeightGrid h;
    Rng rng;
    rng.srand(4);
    h.setHeight(10, 10, 7);
    const uint32_t before = rng.state();
    EXPECT_FALSE(setEdgeMidpoint(h, rng, -1, 0, 0, 0, 2, 0, 1.0f, 20.0f));
    EXPECT_FALSE(setEdgeMidpoint(h, rng, 0, 0, 0, 257, 2, 0, 1.0f, 20.0f));
    EXPECT_FALSE(displaceMidpoints(h, rng, 0, 0, 300, 300, 1.0f, 20.0f));
    EXPECT_FALSE(setEdgeMidpoint(h, rng, 0, 10, 10, 10, 20, 10, 4.0f, 30.0f));
    EXPECT_EQ(rng.state(), before);
    EXPECT_EQ(h.height(10, 10), 7);

    // Equal ends and no roughness: the mean, exactly.
    h.setHeight(0, 0, 9);
    h.setHeight(8, 0, 13);
    EXPECT_TRUE(setEdgeMidpoint(h, rng, 0, 0, 4, 0, 8, 0, 0.0f, 30.0f));
    EXPECT_EQ(h.height(4, 0), 11);
    EXPECT_NE(rng.state(), before);
}

// Huge roughness is clamped to 1..maximum, and a maximum above what a byte
// holds stops at 255 instead of wrapping.
TEST(HeightField, MidpointClampsToOneAndTheMaximum) {
    Rng rng;
    rng.srand(99);
    for (auto [end, far, roughness, maximum, lowest, highest] :
         {std::tuple{5, 200, 1000.0f, 40.0f, 1, 40}, {250, 2, 100.0f, 1000.0f, 150, 255}}) {
        HeightGrid g;
        g.setHeight(0, 0, uint8_t(end));
        g.setHeight(far, 0, uint8_t(end));
        int top = 0;
        for (int i = 0; i < 40; ++i) {
            g.setHeight(far / 2, 0, 0);
            setEdgeMidpoint(g, rng, 0, 0, far / 2, 0, far, 0, roughness, maximum);
            const int h = g.height(far / 2, 0);
            ASSERT_TRUE(h >= lowest && h <= highest) << h;
            top = std::max(top, h);
        }
        EXPECT_EQ(top, highest);
    }
}

TEST(HeightField, WholeMapFillsEveryCellWithinRange) {
    HeightGrid h;
    Rng rng;
    rng.srand(2024);
    for (auto [x, y, v] : {std::tuple{0, 0, 5}, {256, 0, 12}, {0, 256, 18}, {256, 256, 3}}) h.setHeight(x, y, v);
    EXPECT_TRUE(displaceMidpoints(h, rng, 0, 0, 256, 256, 0.3f, 24.0f));
    for (int y = 0; y <= 256; ++y)
        for (int x = 0; x <= 255; ++x) ASSERT_TRUE(h.height(x, y) >= 1 && h.height(x, y) <= 24) << x << "," << y;
}

// Each band's first and last height; one draw per cell classified, none on
// the border.
TEST(HeightField, ClassifyWritesTheLandCodeOfEachHeightBand) {
    HeightGrid h;
    auto map = std::make_unique<WorldMap>();
    Rng rng, reference;
    rng.srand(5);
    reference.srand(5);
    int x = 1;
    for (auto [height, code] : {std::tuple{0, Cell::Plain}, {3, Cell::Plain}, {4, Cell::Forest}, {10, Cell::Forest},
                                {11, Cell::Hills}, {15, Cell::Hills}, {16, Cell::Mountain}, {18, Cell::Mountain},
                                {19, Cell::MountainHigh}, {255, Cell::MountainHigh}}) {
        h.setHeight(x, 7, uint8_t(height));
        classifyHeight(h, *map, rng, x, 7, 0);
        reference.rand();
        EXPECT_EQ(map->cell(x, 7, 0), code) << "height " << height;
        ++x;
    }
    EXPECT_EQ(rng.state(), reference.state());
    for (auto [bx, by] : {std::pair{0, 7}, {MapSide - 1, 7}, {7, 0}, {7, MapSide - 1}}) {
        classifyHeight(h, *map, rng, bx, by, 0);
        EXPECT_EQ(map->cell(bx, by, 0), 0) << bx << "," << by;
    }
    EXPECT_EQ(rng.state(), reference.state()) << "the border draws nothing";
}

TEST(DiagonalPinch, NeverLooksPastTheLastColumnOrRow) {
    auto map = std::make_unique<WorldMap>();
    // A pinch whose top-left would be column 255 / row 255 does not exist.
    for (auto [x, y, c] : {std::tuple{255, 40, Cell::Rock}, {255, 41, Cell::Floor}, {40, 255, Cell::Rock},
                           {41, 255, Cell::Floor}})
        map->setCell(x, y, 2, c);
    EXPECT_EQ(isDiagonalPinch(*map, 255, 40, 2), 0);
    EXPECT_EQ(isDiagonalPinch(*map, -1, 40, 2), 0);
    EXPECT_EQ(rectHasDiagonalPinch(*map, -5, -5, 300, 300, 2), 0);
    map->setCell(254, 41, 2, Cell::Rock);
    map->setCell(254, 40, 2, Cell::Floor);
    EXPECT_EQ(rectHasDiagonalPinch(*map, -5, -5, 300, 300, 2), 1);
}

TEST(FillRectInside, NeverWritesTheBorder) {
    auto map = std::make_unique<WorldMap>();
    fillRectInside(*map, -10, -10, 400, 400, 5, Cell::Water);
    for (int y = 0; y < MapSide; ++y)
        for (int x = 0; x < MapSide; ++x) {
            const bool border = x == 0 || y == 0 || x == 255 || y == 255;
            ASSERT_EQ(map->cell(x, y, 5), border ? Cell::Empty : Cell::Water) << x << "," << y;
        }
    fillRectInside(*map, 3, 4, 5, 4, LayerCount, Cell::Road); // no such layer: nothing
}

TEST(Grid, RectDiffersScansOnlyAProperRectangleOnTheMap) {
    auto map = std::make_unique<WorldMap>();
    // Reversed corners scan nothing, even over a differing cell.
    map->setCell(5, 5, 3, 9);
    EXPECT_EQ(rectDiffers(*map, 6, 0, 4, 10, 3, Cell::Empty), 0);
    EXPECT_EQ(rectDiffers(*map, 0, 0, 10, 10, 3, Cell::Empty), 1);
    EXPECT_EQ(rectDiffers(*map, 0, 0, 255, 255, 0, Cell::Empty), 0);
    // Cells outside the map count as different.
    EXPECT_EQ(rectDiffers(*map, -1, 0, 3, 3, 0, Cell::Empty), 1);
    EXPECT_EQ(rectDiffers(*map, 0, 250, 3, 256, 0, Cell::Empty), 1);
    EXPECT_EQ(rectDiffers(*map, 0, 0, 1, 1, LayerCount, Cell::Empty), 1);
}

// A claim the generator refuses is left to its tests (nothing written, the
// earlier levels kept); reversed corners are no claim and write nothing.
TEST(Grid, ClaimRectWithReversedCornersWritesNothing) {
    auto map = std::make_unique<WorldMap>();
    EXPECT_EQ(claimRect(*map, 40, 40, 39, 45, 4, Cell::Rock), 0);
    EXPECT_EQ(claimRect(*map, 40, 40, 45, 39, 4, Cell::Rock), 0);
    EXPECT_EQ(std::count(map->data(), map->data() + WorldBytes, Cell::Rock), 0);
}

} // namespace
} // namespace delve
