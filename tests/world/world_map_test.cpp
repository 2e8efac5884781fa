#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "world/world.h"

namespace delve {
namespace {

struct Grid : ::testing::Test {
    std::unique_ptr<WorldMap> map = std::make_unique<WorldMap>();
};

TEST_F(Grid, RectDiffersScansOnlyAProperRectangleOnTheMap) {
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
TEST_F(Grid, ClaimRectWithReversedCornersWritesNothing) {
    EXPECT_EQ(claimRect(*map, 40, 40, 39, 45, 4, Cell::Rock), 0);
    EXPECT_EQ(claimRect(*map, 40, 40, 45, 39, 4, Cell::Rock), 0);
    EXPECT_EQ(std::count(map->data(), map->data() + WorldBytes, Cell::Rock), 0);
}

} // namespace
} // namespace delve
