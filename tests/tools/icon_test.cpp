#include <gtest/gtest.h>

#include "tools/icon.h"

using namespace delve::art;

TEST(Icon, EverySizeHasClearCornersAnOpaqueTileAndALitDoorway) {
    for (int size : {16, 48, 256}) {
        const std::vector<uint8_t> px = paintIcon(size);
        ASSERT_EQ(px.size(), size_t(size) * size_t(size) * 4) << size;
        auto at = [&](float u, float v) {
            int x = int(u * float(size)), y = int(v * float(size));
            return &px[(size_t(y) * size_t(size) + size_t(x)) * 4];
        };
        for (auto [u, v] : {std::pair{0.0f, 0.0f}, {0.99f, 0.0f}, {0.0f, 0.99f}, {0.99f, 0.99f}})
            EXPECT_EQ(at(u, v)[3], 0) << size << " corner " << u << "," << v;
        // Wall, arch and opening are opaque; the opening is dark above and
        // its stairs warm below.
        for (auto [u, v] : {std::pair{0.2f, 0.5f}, {0.5f, 0.2f}, {0.5f, 0.4f}, {0.5f, 0.85f}})
            EXPECT_EQ(at(u, v)[3], 255) << size << " at " << u << "," << v;
        const uint8_t* dark = at(0.5f, 0.4f);
        const uint8_t* stairs = at(0.5f, 0.85f);
        EXPECT_LT(dark[0] + dark[1] + dark[2], 120) << size;
        EXPECT_GT(stairs[0], stairs[2] + 40) << size;
    }
    EXPECT_EQ(paintIcon(48), paintIcon(48));
    EXPECT_THROW(paintIcon(4), std::invalid_argument);
}
