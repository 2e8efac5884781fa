// The cube textures each renderer makes from the catalogue, seen the only way
// the game sees them: a quad drawn with the texture and read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/renderers/renderers.h"
#include "platform/backends/backends.h"

namespace delve {
namespace {

using Colour = std::array<uint8_t, 3>;

// A 4 x 4 texture of one colour per entry 1200..1205, and in entry 1203 one
// texel of its own at the top-right corner; 1206 stays empty.
BitmapCatalogue cubePictures() {
    BitmapCatalogue cat;
    for (int t = 0; t < 6; ++t) {
        BitmapEntry& e = cat[FirstCubeTexture + t];
        e.width = e.height = 4;
        e.bytesPerPixel = 3;
        for (int i = 0; i < 16; ++i) e.pixels.insert(e.pixels.end(), {uint8_t(10 + 40 * t), 20, 30});
    }
    cat[1203].pixels[4 * 4 * 3 - 1] = 99;
    return cat;
}

std::set<Colour> texels(const BitmapEntry& e) {
    std::set<Colour> out;
    for (size_t i = 0; i + 2 < e.pixels.size(); i += 3)
        out.insert({e.pixels[i], e.pixels[i + 1], e.pixels[i + 2]});
    return out;
}

// The colours of a picture of one whole-texture quad straight ahead, without
// the empty colour around it.
std::set<Colour> quadColours(Renderer& r, int texture) {
    // s, t, normal, position: the texture's square 3 units in front of the eye.
    const float quad[4 * FloatsPerVertex] = {
        0, 0, 0, 0, 1, -1, -1, -3, 1, 0, 0, 0, 1, 1, -1, -3,
        1, 1, 0, 0, 1, 1,  1,  -3, 0, 1, 0, 0, 1, -1, 1, -3,
    };
    r.clear();
    std::vector<uint8_t> rgb(size_t(ViewWidth) * ViewHeight * 3);
    EXPECT_TRUE(r.readColour(1, 1, rgb.data()));
    const Colour empty = {rgb[0], rgb[1], rgb[2]};
    r.drawQuads(quad, 1, texture, false);
    EXPECT_TRUE(r.readColour(ViewWidth, ViewHeight, rgb.data()));
    std::set<Colour> seen;
    for (size_t i = 0; i < rgb.size(); i += 3) seen.insert({rgb[i], rgb[i + 1], rgb[i + 2]});
    seen.erase(empty);
    return seen;
}

class TextureUpload : public testing::TestWithParam<GraphicsApi> {};

// Every context gets the textures again from the unchanged catalogue, as
// after F5, texel for texel; uploading again replaces them.
TEST_P(TextureUpload, EveryContextShowsTheCataloguePictures) {
    auto platform = makeHeadlessPlatform(GetParam());
    auto renderer = makeRenderer(GetParam());
    BitmapCatalogue cat = cubePictures();
    ASSERT_TRUE(platform->createWindow("GAME", ViewWidth, ViewHeight)) << "no headless context";
    renderer->contextCreated(cat);
    platform->destroyWindow();
    ASSERT_TRUE(platform->createWindow("GAME", ViewWidth, ViewHeight));
    renderer->contextCreated(cat);
    for (int t = 0; t < 6; ++t)
        EXPECT_EQ(quadColours(*renderer, t), texels(cat[FirstCubeTexture + t])) << "texture " << t;

    BitmapEntry& e = cat[1202];
    std::fill(e.pixels.begin(), e.pixels.end(), uint8_t(77));
    renderer->uploadTextures(cat);
    EXPECT_EQ(quadColours(*renderer, 2), (std::set<Colour>{{77, 77, 77}}));
    EXPECT_EQ(quadColours(*renderer, 3), texels(cat[1203]));
    platform->destroyWindow();
}

INSTANTIATE_TEST_SUITE_P(BothRenderers, TextureUpload,
                         testing::Values(GraphicsApi::Gl1, GraphicsApi::Gles2),
                         [](const testing::TestParamInfo<GraphicsApi>& info) {
                             return std::string(info.param == GraphicsApi::Gl1 ? "Gl1" : "Gles2");
                         });

} // namespace
} // namespace delve
