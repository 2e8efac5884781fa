#include "tools/overworld_gen.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "platform/digest.h"
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

// The generator from its fixed seed always makes the same land: any change to
// the height bands, the midpoint displacement or the later passes shows here.
TEST(ShippedOverworld, TheGeneratorMakesTheSameLandEveryTime) {
    const auto dir = std::filesystem::temp_directory_path() / ("delve_overworld_gen_" + std::to_string(::getpid()));
    const art::OverworldStats stats = art::writeOverworld(dir.string());
    std::filesystem::remove_all(dir);
    ASSERT_EQ(stats.cells.size(), size_t(LayerSize));
    std::array<int, 256> counts{};
    for (uint8_t c : stats.cells) ++counts[c];
    EXPECT_EQ(fnv1a64(stats.cells.data(), stats.cells.size()), 0xcc263280861a4a54ull)
        << "Hills " << counts[Cell::Hills] << ", Mountain " << counts[Cell::Mountain] << ", MountainHigh "
        << counts[Cell::MountainHigh] << ", villages " << stats.villages << ", road " << stats.roadCells;
}
