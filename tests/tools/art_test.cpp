#include "tools/art.h"
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
    EXPECT_EQ(b[54 + 12], 30);
    EXPECT_EQ(b[54 + 13], 20);
    EXPECT_EQ(b[54 + 14], 10);
    EXPECT_EQ(b[54], 3);
}
