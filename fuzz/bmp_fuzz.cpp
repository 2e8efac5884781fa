// Any file as a picture: the reader must refuse it or load it without
// reading or allocating beyond what the file holds, and what it loads must
// draw (plain and keyed, partly off the screen) and upload as a cube
// texture without reading outside its pixels.
#include <fstream>
#include <string>

#include "app/window.h"
#include "fuzz/game_rig.h"
#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"
#include "gfx/renderers/renderers.h"
#include "platform/backends/backends.h"
#include "platform/platform.h"

namespace {

using namespace delve;

constexpr int CubeEntry = 1201;

struct BmpRig {
    std::filesystem::path file = fuzz::scratchDir("bmp") / "picture.bmp";
    std::unique_ptr<Platform> platform = makeHeadlessPlatform();
    std::unique_ptr<Renderer> renderer = makeFixedFunctionRenderer();
    BitmapCatalogue catalogue;
    Screen screen;
    bool gl = false;
    BmpRig() {
        screen.setMode(320, 240);
        gl = createWindowAndContext(*platform, *renderer, catalogue, "GAME", 640, 480) == 1;
    }
    ~BmpRig() {
        destroyWindowAndContext(*platform);
        std::error_code ec;
        std::filesystem::remove_all(file.parent_path(), ec);
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    delve::fuzz::rigOfThisTarget<BmpRig>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto& rig = delve::fuzz::rigOfThisTarget<BmpRig>();
    std::ofstream(rig.file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));

    // A refused file leaves the entry as it was: start from a 4 x 4 picture.
    BitmapEntry& e = rig.catalogue[CubeEntry];
    e.width = e.height = 4;
    e.bytesPerPixel = 3;
    e.pixels.assign(4 * 4 * 3, 200);
    // A refusal always says why; a load says nothing.
    std::string why;
    const bool loaded = loadBitmap(rig.catalogue, rig.file.string(), CubeEntry, why);
    if (loaded != why.empty()) __builtin_trap();

    rig.screen.clearFramebuffer();
    drawBitmap(rig.screen, rig.catalogue, 0, 0, CubeEntry);
    drawBitmap(rig.screen, rig.catalogue, -8, -8, CubeEntry);
    drawBitmapKeyed(rig.screen, rig.catalogue, 312, 232, CubeEntry);
    drawBitmapKeyed(rig.screen, rig.catalogue, -100000, 100000, CubeEntry);
    drawBitmapKeyed(rig.screen, rig.catalogue, -20, -20, CubeEntry, 64);

    // The renderer replaces its textures of the previous input.
    if (rig.gl) rig.renderer->uploadTextures(rig.catalogue);
    return 0;
}
