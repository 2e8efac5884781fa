#include <gtest/gtest.h>

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

TEST_F(Grid, ClaimRectIsAllOrNothing) {
    map->setCell(12, 12, 4, Cell::Floor);
    EXPECT_EQ(claimRect(*map, 10, 10, 14, 14, 4, Cell::Rock), 1);
    for (int y = 10; y <= 14; ++y)
        for (int x = 10; x <= 14; ++x)
            EXPECT_EQ(map->cell(x, y, 4), (x == 12 && y == 12) ? Cell::Floor : Cell::Empty);

    EXPECT_EQ(claimRect(*map, 20, 30, 22, 31, 4, Cell::Rock), 0);
    int rock = 0;
    for (int i = 0; i < LayerSize; ++i) rock += map->data()[cellIndex(0, 0, 4) + size_t(i)] == Cell::Rock;
    EXPECT_EQ(rock, 6);
    EXPECT_EQ(map->cell(22, 31, 4), Cell::Rock);
    EXPECT_EQ(map->cell(23, 31, 4), Cell::Empty);
    EXPECT_EQ(map->cell(22, 31, 5), Cell::Empty);

    // Reversed corners: nothing to claim, nothing written, no refusal.
    EXPECT_EQ(claimRect(*map, 40, 40, 39, 45, 4, Cell::Rock), 0);
    EXPECT_EQ(map->cell(40, 40, 4), Cell::Empty);
    // Off the map: refused.
    EXPECT_EQ(claimRect(*map, 250, 250, 256, 256, 4, Cell::Rock), 1);
    EXPECT_EQ(map->cell(255, 255, 4), Cell::Empty);
}

} // namespace
} // namespace delve
