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

TEST_F(Grid, ClaimRectIsAllOrNothing) {
    auto rock = [&] {
        const uint8_t* p = map->data() + cellIndex(0, 0, 4);
        return std::count(p, p + LayerSize, Cell::Rock);
    };
    map->setCell(12, 12, 4, Cell::Floor);
    EXPECT_EQ(claimRect(*map, 10, 10, 14, 14, 4, Cell::Rock), 1);
    EXPECT_EQ(rock(), 0) << "a refused claim writes nothing";
    EXPECT_EQ(claimRect(*map, 20, 30, 22, 31, 4, Cell::Rock), 0);
    EXPECT_EQ(rock(), 6);
    EXPECT_TRUE(map->cell(20, 30, 4) == Cell::Rock && map->cell(22, 31, 4) == Cell::Rock);
    EXPECT_EQ(map->cell(22, 31, 5), Cell::Empty);
    // Reversed corners: nothing to claim, nothing written, no refusal. Off the map: refused.
    EXPECT_EQ(claimRect(*map, 40, 40, 39, 45, 4, Cell::Rock), 0);
    EXPECT_EQ(claimRect(*map, 250, 250, 256, 256, 4, Cell::Rock), 1);
    EXPECT_EQ(rock(), 6);
}

} // namespace
} // namespace delve
