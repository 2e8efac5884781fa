// The "edges" console command as a player sees it: white lattice lines over
// the first-person picture while it is on, none once it is off again.
#include <png.h>

#include "tests/program_run.h"

namespace delve::test {
namespace {

// Pure white pixels of a screenshot away from the texts (banner at the top;
// credit, status and console lines at the bottom) and the cursor cross.
int whiteViewPixels(const std::filesystem::path& file, int cursorX, int cursorY) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str()))
        return -1;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        return -1;
    const int w = int(image.width), h = int(image.height);
    int n = 0;
    for (int top = 0; top < h; ++top) {
        const int y = h - 1 - top; // framebuffer rows count from the bottom
        for (int x = 0; x < w && y >= 80 && y <= h - 20; ++x) {
            const png_byte* p = &pixels[size_t((top * w + x) * 3)];
            n += (std::abs(x - cursorX) > 6 || std::abs(y - cursorY) > 6) && p[0] == 255 &&
                 p[1] == 255 && p[2] == 255;
        }
    }
    return n;
}

using EdgesCommand = ProgramRun;

TEST_F(EdgesCommand, DrawsWhiteLatticeLinesOverTheViewUntilTypedAgain) {
    // Look level along the corridor, type the command once (on) or twice (off).
    int white[2];
    for (int times : {1, 2}) {
        Typist t;
        t.at(1, "cursor 100 88");
        t.hold(Vk::MiddleButton, 2);
        t.tap(Vk::Tab);
        for (int i = 0; i < times; ++i) {
            for (int k = 0; k < 5; ++k)
                t.tap(Vk::Backspace); // the line as it was
            t.type("edges");
            t.tap(Vk::Enter);
        }
        const std::string shot = at("shot.png"), frame = std::to_string(t.frame + 4);
        ASSERT_FALSE(run(t.text, t.frame + 5, 1, "--screenshot " + frame + ":" + shot).empty());
        white[times - 1] = whiteViewPixels(shot, 100, 88);
    }
    EXPECT_GT(white[0], 300);
    EXPECT_EQ(white[1], 0);
}

} // namespace
} // namespace delve::test
