// The "edges" console command, seen as a player sees it: white lattice lines
// over the first-person picture while it is on, none once it is off again.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/program_run.h"

namespace delve {
namespace {

using test::ProgramRun;
using test::Typist;

// Pure white pixels of a screenshot away from the texts (the banner at the
// top, the credit, status and console lines at the bottom) and from the
// cursor cross, which are drawn in white or near it.
int whiteViewPixels(const std::filesystem::path& file, int cursorX, int cursorY) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return -1;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return -1;
    const int w = int(image.width), h = int(image.height);
    int n = 0;
    for (int top = 0; top < h; ++top) {
        const int y = h - 1 - top; // framebuffer rows count from the bottom
        if (y < 80 || y > h - 20) continue;
        for (int x = 0; x < w; ++x) {
            if (std::abs(x - cursorX) <= 6 && std::abs(y - cursorY) <= 6) continue;
            const png_byte* p = &pixels[size_t((top * w + x) * 3)];
            n += p[0] == 255 && p[1] == 255 && p[2] == 255;
        }
    }
    return n;
}

class EdgesCommand : public ProgramRun {};

TEST_F(EdgesCommand, DrawsWhiteLatticeLinesOverTheViewUntilTypedAgain) {
    // Look level along the corridor, then type the command once (on) or
    // twice (on, then off).
    auto script = [](int times) {
        Typist t;
        t.at(1, "cursor 100 88");
        t.hold(Vk::MiddleButton, 2);
        t.tap(Vk::Tab);
        for (int i = 0; i < times; ++i) {
            for (int k = 0; k < 5; ++k) t.tap(Vk::Backspace); // the line as it was
            t.type("edges");
            t.tap(Vk::Enter);
        }
        return std::make_pair(t.text, t.frame + 4);
    };
    const auto [onScript, onFrame] = script(1);
    const auto [offScript, offFrame] = script(2);
    const auto on = work_ / "on.png", off = work_ / "off.png";
    ASSERT_FALSE(run(onScript, onFrame + 1, 1, "--screenshot " + std::to_string(onFrame) + ":" +
                                                  on.string())
                     .empty());
    ASSERT_FALSE(run(offScript, offFrame + 1, 1,
                     "--screenshot " + std::to_string(offFrame) + ":" + off.string())
                     .empty());
    EXPECT_GT(whiteViewPixels(on, 100, 88), 300);
    EXPECT_EQ(whiteViewPixels(off, 100, 88), 0);
}

} // namespace
} // namespace delve
