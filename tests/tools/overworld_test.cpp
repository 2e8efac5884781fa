#include "tools/overworld_gen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "platform/files.h"
#include "world/world.h"

using namespace delve;

namespace {

bool village(uint8_t c) { return c >= Cell::Village && c <= Cell::VillageRed; }

// 4-connected flood over road and village cells from one village.
int reachableVillages(const std::vector<uint8_t>& cells, int start) {
    std::vector<bool> seen(cells.size());
    std::vector<int> stack{start};
    seen[size_t(start)] = true;
    int villages = 0;
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        villages += village(cells[size_t(i)]);
        const int x = i % MapSide;
        for (int n : {x < MapSide - 1 ? i + 1 : -1, x > 0 ? i - 1 : -1, i + MapSide, i - MapSide})
            if (n >= 0 && n < LayerSize && !seen[size_t(n)] &&
                (cells[size_t(n)] == Cell::Road || village(cells[size_t(n)]))) {
                seen[size_t(n)] = true;
                stack.push_back(n);
            }
    }
    return villages;
}

} // namespace

TEST(ShippedOverworld, HoldsOnlyLandAndSiteCodesWithADryBorderAndJoinedVillages) {
    const char* data = std::getenv("DELVE_TEST_DATA");
    ASSERT_NE(data, nullptr);
    std::vector<uint8_t> cells;
    ASSERT_EQ(readWholeFile(std::string(data) + "/map/1.overworld", cells, 1 << 20), 0);
    ASSERT_EQ(cells.size(), size_t(LayerSize));
    const auto& codes = art::overworldCodes();
    EXPECT_EQ(std::set<uint8_t>(cells.begin(), cells.end()), std::set<uint8_t>(codes.begin(), codes.end()))
        << "every land and site code, and no other";
    // The border is dry land and the roads join every village.
    for (int i = 0; i < MapSide; ++i)
        for (int idx : {i, (MapSide - 1) * MapSide + i, i * MapSide, i * MapSide + MapSide - 1}) {
            const uint8_t c = cells[size_t(idx)];
            ASSERT_TRUE(c >= Cell::Plain && c <= Cell::ForestC && c != Cell::Water && c != Cell::WaterDeep)
                << "border cell " << idx << " holds " << int(c);
        }
    const auto first = std::find_if(cells.begin(), cells.end(), village);
    ASSERT_NE(first, cells.end());
    EXPECT_EQ(reachableVillages(cells, int(first - cells.begin())),
              std::count_if(cells.begin(), cells.end(), village));
}
