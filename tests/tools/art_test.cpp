#include "tools/art.h"
#include "tools/icon.h"
#include "tools/image_io.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "gfx/bitmap.h"
#include "platform/digest.h"

using namespace delve;
using namespace delve::art;

TEST(Art, EachPictureIsPaintedTheSameEachTimeAndDiffersFromItsFolderMates) {
    std::map<std::string, std::map<uint64_t, std::string>> seen;
    for (const BitmapFile& f : bitmapFiles()) {
        auto bytes = encodeBmp(paintPicture(f.folder, f.name));
        ASSERT_EQ(encodeBmp(paintPicture(f.folder, f.name)), bytes) << f.folder << "/" << f.name;
        auto [it, fresh] = seen[f.folder].emplace(fnv1a64(bytes.data(), bytes.size()), f.name);
        if (!fresh) {
            EXPECT_EQ(it->second, f.name) << "same picture in " << f.folder;
        }
    }
}

TEST(Art, BmpEncodingIsBottomUpAndPadded) {
    Canvas c(3, 2, Rgb{1, 2, 3});
    c.set(0, 0, Rgb{10, 20, 30}); // top-left
    auto b = encodeBmp(c);
    ASSERT_EQ(b.size(), 54u + 2u * 12u); // 9 bytes a row padded to 12
    EXPECT_EQ(b[28], 24);
    // The top row is stored last: its first pixel sits at 54 + 12, blue first.
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 54 + 12, b.begin() + 54 + 15), (std::vector<uint8_t>{30, 20, 10}));
    EXPECT_EQ(b[54], 3);
}

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
    EXPECT_THROW(paintIcon(4), std::invalid_argument);
}
