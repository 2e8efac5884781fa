#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace delve;

namespace {

struct TempDir {
    fs::path path;
    TempDir() {
        char pattern[] = "/tmp/delve-bitmap-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
};

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// A BMP header with the given size fields followed by `pixelBytes` bytes,
// pixel i holding blue i, green i+1, red i+2 (mod 256).
std::vector<uint8_t> makeBmp(uint32_t width, uint32_t height, size_t pixelBytes, uint8_t bpp = 24) {
    std::vector<uint8_t> b(54 + pixelBytes, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, uint32_t(b.size()));
    put32(b, 10, 54);
    put32(b, 14, 40);
    put32(b, 18, width);
    put32(b, 22, height);
    b[26] = 1;
    b[28] = bpp;
    for (size_t i = 0; i < pixelBytes; ++i) b[54 + i] = uint8_t(i);
    return b;
}

void writeFile(const fs::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A 16 x 16 entry filled with one colour, placed straight into the catalogue.
void fillEntry(BitmapCatalogue& cat, int index, uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b) {
    BitmapEntry& e = cat[index];
    e.width = w;
    e.height = h;
    e.bytesPerPixel = 3;
    e.pixels.resize(size_t(w) * h * 3);
    for (size_t i = 0; i < e.pixels.size(); i += 3) {
        e.pixels[i] = r;
        e.pixels[i + 1] = g;
        e.pixels[i + 2] = b;
    }
}

int litPixels(const Screen& s) {
    int n = 0;
    for (size_t i = 3; i < s.framebuffer.size(); i += 4) n += s.framebuffer[i] != 0;
    return n;
}

bool lit(const Screen& s, int x, int y) {
    return s.framebuffer[(size_t(y) * size_t(s.width) + size_t(x)) * 4 + 3] != 0;
}

} // namespace

namespace {

// A picture as a writer would store it: `rgb` holds width x height pixels,
// bottom row first. `layout` picks the header length (40 or 124 bytes), a
// gap before the pixel data, and whether rows are stored top row first.
struct Layout {
    uint32_t infoSize = 40;
    uint32_t gap = 0;
    bool topDown = false;
};
std::vector<uint8_t> writeBmp(int width, int height, const std::vector<uint8_t>& rgb, Layout layout) {
    const size_t row = (size_t(width) * 3 + 3) & ~size_t(3);
    const uint32_t offset = 14 + layout.infoSize + layout.gap;
    std::vector<uint8_t> b(offset + row * size_t(height), 0xEE); // the gap and padding are noise
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, uint32_t(b.size()));
    put32(b, 6, 0);
    put32(b, 10, offset);
    put32(b, 14, layout.infoSize);
    put32(b, 18, uint32_t(width));
    put32(b, 22, layout.topDown ? uint32_t(-height) : uint32_t(height));
    b[26] = 1;
    b[27] = 0;
    b[28] = 24;
    b[29] = 0;
    for (size_t i = 30; i < 14 + size_t(layout.infoSize); ++i) b[i] = 0;
    for (int y = 0; y < height; ++y) {
        const int stored = layout.topDown ? height - 1 - y : y;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                b[offset + size_t(stored) * row + size_t(x) * 3 + size_t(c)] =
                    rgb[(size_t(y) * size_t(width) + size_t(x)) * 3 + size_t(2 - c)];
    }
    return b;
}

} // namespace

// Padded rows, a longer header with the pixel data further on, and rows
// stored top row first all load as the pixels that were written.
TEST(BitmapLoad, PaddedOffsetAndTopDownPicturesLoadAsWritten) {
    TempDir dir;
    const int width = 5, height = 3; // 15 bytes a row, padded to 16
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(i * 37 + 11);
    const Layout layouts[] = {
        {40, 0, false}, {124, 0, false}, {40, 100, false}, {40, 0, true}, {124, 16, true},
    };
    for (const Layout& l : layouts) {
        const fs::path p = dir.path / "w.bmp";
        writeFile(p, writeBmp(width, height, rgb, l));
        BitmapCatalogue cat;
        std::string why;
        ASSERT_TRUE(loadBitmap(cat, p.string(), 7, why)) << l.infoSize << " " << why;
        EXPECT_EQ(cat[7].width, uint32_t(width));
        EXPECT_EQ(cat[7].height, uint32_t(height));
        EXPECT_EQ(cat[7].pixels, rgb) << l.infoSize << " " << l.gap << " " << l.topDown;
    }
    // The last row's padding may be missing from the file.
    auto bytes = writeBmp(width, height, rgb, {});
    bytes.pop_back();
    writeFile(dir.path / "trim.bmp", bytes);
    BitmapCatalogue cat;
    ASSERT_TRUE(loadBitmap(cat, (dir.path / "trim.bmp").string(), 7));
    EXPECT_EQ(cat[7].pixels, rgb);
}

// Each refusal says why, in words that name what the file holds.
TEST(BitmapLoad, EveryRefusalSaysWhy) {
    TempDir dir;
    std::vector<uint8_t> rgb(16 * 16 * 3, 50);
    const auto good = writeBmp(16, 16, rgb, {});
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> spoil;
        std::string why;
    };
    const Case cases[] = {
        {"depth8", [](auto& b) { b[28] = 8; }, "8 bits per pixel; only 24 are read"},
        {"depth280", [](auto& b) { b[29] = 1; }, "280 bits per pixel; only 24 are read"},
        {"rle", [](auto& b) { b[30] = 1; }, "compressed (method 1); only uncompressed pictures are read"},
        {"os2", [](auto& b) { put32(b, 14, 12); },
         "a 12-byte BMP header; only Windows headers (40 bytes or more) are read"},
        {"sig", [](auto& b) { b[1] = 'A'; }, "not a BMP file (it does not start with \"BM\")"},
        {"53", [](auto& b) { b.resize(53); }, "53 bytes, shorter than a BMP header (54)"},
        {"short", [](auto& b) { b.resize(b.size() - 49); },
         "cut short: 773 bytes where a 16 x 16 picture needs 822"},
        {"offset", [](auto& b) { put32(b, 10, 20); }, "pixel data at byte 20, inside the 54-byte header"},
        {"negwidth", [](auto& b) { put32(b, 18, uint32_t(-16)); }, "-16 x 16 pixels: an empty picture"},
        {"huge", [](auto& b) { put32(b, 22, 5000); }, "16 x 5000 pixels; at most 4096 a side are read"},
    };
    for (const Case& c : cases) {
        auto bytes = good;
        c.spoil(bytes);
        const fs::path p = dir.path / (std::string(c.name) + ".bmp");
        writeFile(p, bytes);
        BitmapCatalogue cat;
        std::string why;
        EXPECT_FALSE(loadBitmap(cat, p.string(), 1, why)) << c.name;
        EXPECT_EQ(why, c.why) << c.name;
        EXPECT_TRUE(cat[1].pixels.empty()) << c.name;
    }
    std::string why;
    BitmapCatalogue cat;
    EXPECT_FALSE(loadBitmap(cat, (dir.path / "none.bmp").string(), 1, why));
    EXPECT_EQ(why, "no such file or directory");
    EXPECT_FALSE(loadBitmap(cat, dir.path.string(), 1, why));
    EXPECT_EQ(why, "is a folder");
}

// The start-up report names each picture it could not use and the reason,
// and a first-person texture that is not square.
TEST(BitmapGroups, TheReportNamesEachFileAndItsReason) {
    TempDir dir;
    fs::create_directories(dir.path / "bmp_dungeon");
    fs::create_directories(dir.path / "bmp_cube");
    auto wall = writeBmp(16, 16, std::vector<uint8_t>(16 * 16 * 3, 9), {});
    wall[28] = 8;
    writeFile(dir.path / "bmp_dungeon" / "wall.bmp", wall);
    writeFile(dir.path / "bmp_dungeon" / "floor.bmp",
              writeBmp(16, 16, std::vector<uint8_t>(16 * 16 * 3, 9), {}));
    writeFile(dir.path / "bmp_cube" / "brickold2.bmp",
              writeBmp(64, 32, std::vector<uint8_t>(64 * 32 * 3, 9), {}));
    writeFile(dir.path / "bmp_cube" / "grass3.bmp",
              writeBmp(64, 64, std::vector<uint8_t>(64 * 64 * 3, 9), {}));
    BitmapCatalogue cat;
    const PictureReport report = loadAllBitmaps(cat, dir.path.string());
    EXPECT_EQ(report.loaded, 3);
    EXPECT_EQ(report.missing, int(bitmapFiles().size()) - 3);
    auto has = [&](const std::string& line) {
        return std::find(report.problems.begin(), report.problems.end(), line) !=
               report.problems.end();
    };
    EXPECT_TRUE(has("bmp_dungeon/wall.bmp: 8 bits per pixel; only 24 are read"));
    EXPECT_TRUE(has("bmp_cube/brickold2.bmp: 64 x 32 pixels, wider than tall: a first-person "
                    "texture must be square, so the walls drawn with it stay white"));
    EXPECT_TRUE(has("bmp_land/plain.bmp: no such file or directory"));
    EXPECT_FALSE(has("bmp_dungeon/floor.bmp: ")) << "a good picture is no problem";
    EXPECT_EQ(report.problems.size(), size_t(report.missing) + 1);
}

TEST(BitmapLoad, HostileSizesAreRefusedBeforeAllocation) {
    // Each file holds a whole 16 x 16 picture's bytes; only sizes that fit
    // both those bytes and the 4096 x 4096 cap may load. A size that got
    // through to allocation would exhaust memory or overflow the product.
    TempDir dir;
    const uint32_t sizes[] = {0u, 1u, 65536u, 0x7FFFFFFFu, 0xFFFFFFFFu};
    int n = 0;
    for (uint32_t s : sizes) {
        for (int axis = 0; axis < 2; ++axis) {
            uint32_t w = axis == 0 ? s : 16, h = axis == 0 ? 16 : s;
            fs::path p = dir.path / "h";
            p += std::to_string(n++) + ".bmp";
            writeFile(p, makeBmp(w, h, 768));
            BitmapCatalogue cat;
            bool ok = loadBitmap(cat, p.string(), 3);
            // 1 x 16 and 16 x 1 need 48 of the 768 bytes (a 1-pixel row is
            // padded to 4); a height of 0xFFFFFFFF is -1, a top-down 16 x 1.
            bool fits = s == 1 || (axis == 1 && s == 0xFFFFFFFFu);
            EXPECT_EQ(ok, fits) << w << " x " << h;
            if (!ok) {
                EXPECT_TRUE(cat[3].pixels.empty());
            }
        }
    }
    // Large but within the cap: still refused when the file lacks the bytes.
    writeFile(dir.path / "big.bmp", makeBmp(4096, 4096, 768));
    BitmapCatalogue cat;
    EXPECT_FALSE(loadBitmap(cat, (dir.path / "big.bmp").string(), 3));
    EXPECT_FALSE(loadBitmap(cat, (dir.path / "big.bmp").string(), 3100)); // index past the table
}

class BitmapDraw : public ::testing::Test {
protected:
    void SetUp() override { screen.setMode(64, 48); }
    Screen screen;
    BitmapCatalogue cat;
};

TEST_F(BitmapDraw, KeyedCopySkipsExactlyKeyAndBlack) {
    fillEntry(cat, 849, 16, 16, 255, 0, 246);
    drawBitmapKeyed(screen, cat, 0, 0, 849);
    EXPECT_EQ(litPixels(screen), 0);

    cat[849].pixels[0 * 3 + 2] = 245;                    // (255, 0, 245) at (0, 0)
    uint8_t* black = &cat[849].pixels[1 * 3];            // (0, 0, 0) at (1, 0)
    black[0] = black[1] = black[2] = 0;
    uint8_t* nearBlack = &cat[849].pixels[2 * 3];        // (0, 0, 1) at (2, 0)
    nearBlack[0] = nearBlack[1] = 0;
    nearBlack[2] = 1;
    drawBitmapKeyed(screen, cat, 0, 0, 849);
    EXPECT_EQ(litPixels(screen), 2);
    EXPECT_TRUE(lit(screen, 0, 0));
    EXPECT_FALSE(lit(screen, 1, 0));
    EXPECT_TRUE(lit(screen, 2, 0));

    drawBitmap(screen, cat, 20, 0, 849); // the plain copy draws key and black
    EXPECT_EQ(litPixels(screen), 2 + 256);
}

TEST_F(BitmapDraw, StaysInsideEntryPixels) {
    // Index outside the table, an empty entry, a width with no pixels and a
    // picture lower than it is wide: none may read past the pixel array.
    drawBitmap(screen, cat, 0, 0, -1);
    drawBitmap(screen, cat, 0, 0, 3100);
    drawBitmapKeyed(screen, cat, 0, 0, 70000);
    drawBitmap(screen, cat, 0, 0, 10);
    cat[11].width = 16;
    cat[11].height = 16;
    drawBitmap(screen, cat, 0, 0, 11);
    EXPECT_EQ(litPixels(screen), 0);

    fillEntry(cat, 12, 16, 4, 1, 2, 3);
    drawBitmap(screen, cat, 0, 0, 12);
    EXPECT_EQ(litPixels(screen), 16 * 4);
    EXPECT_TRUE(lit(screen, 15, 3));
    EXPECT_FALSE(lit(screen, 0, 4));

    fillEntry(cat, 13, 4, 8, 1, 2, 3); // taller than wide: drawn as a 4 x 4 square
    screen.clearFramebuffer();
    drawBitmapKeyed(screen, cat, 0, 0, 13);
    EXPECT_EQ(litPixels(screen), 16);
}

// The pictures the build generates: every file loads with the size its use
// needs, and unit figures stand on the transparent key.
TEST(GeneratedPictures, AllLoadWithTheirSizesAndUnitsStandOnTheKey) {
    const char* data = std::getenv("DELVE_TEST_DATA");
    ASSERT_NE(data, nullptr);
    BitmapCatalogue all;
    loadAllBitmaps(all, data);
    for (const auto& f : bitmapFiles()) {
        const BitmapEntry& e = all[f.index];
        ASSERT_EQ(e.bytesPerPixel, 3) << f.folder << "/" << f.name << " did not load";
        ASSERT_EQ(e.pixels.size(), size_t(e.width) * e.height * 3) << f.name;
        const uint32_t side = f.index == 1000 ? 320 : f.index >= 1200 && f.index <= 1206 ? 64 : 16;
        if (f.index == 1104) {
            EXPECT_TRUE(e.width == e.height && e.width <= 16u);
        } else {
            EXPECT_EQ(e.width, side) << f.name;
            EXPECT_EQ(e.height, side == 320 ? 240u : side) << f.name;
        }
        if (std::string(f.folder) != "bmp_unit" || f.index >= 1200) continue;
        int key = 0;
        for (size_t i = 0; i < e.pixels.size(); i += 3)
            key += e.pixels[i] == 255 && e.pixels[i + 1] == 0 && e.pixels[i + 2] == 246;
        EXPECT_GT(key, 20) << f.name;
        EXPECT_LT(key, 256 - 30) << f.name;
    }
}

#include "platform/backends/backends.h"

#include <GL/gl.h>

// Every context creation uploads entries 1200..1206 again from the unchanged
// catalogue, as after F5; textures come back pixel for pixel.
TEST(BitmapTextures, RecreatedOnEveryContext) {
    auto platform = makeHeadlessPlatform();
    if (!platform->createWindow("GAME", 64, 64)) {
        // In CI a missing GL is a broken runner, not a reason to pass.
        const char* ci = std::getenv("CI");
        if (ci && std::string(ci) == "true") FAIL() << "no headless GL context, and CI=true";
        GTEST_SKIP() << "no headless GL context here";
    }
    BitmapCatalogue cat;
    for (int t = 0; t < 7; ++t) {
        uint32_t side = t == 6 ? 0 : 4; // the last entry stays empty: no image, no crash
        if (side) fillEntry(cat, 1200 + t, side, side, uint8_t(10 * t), 20, 30);
    }
    cat[1203].pixels[4 * 3 * 4 - 1] = 99; // top-right pixel of a 4 x 4 texture, blue
    for (int round = 0; round < 2; ++round) {
        if (round == 1) {
            platform->destroyWindow();
            ASSERT_TRUE(platform->createWindow("GAME", 64, 64));
        }
        createTextures(cat);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        for (int t = 0; t < 6; ++t) {
            ASSERT_TRUE(glIsTexture(cat.textureNames[t])) << t;
            glBindTexture(GL_TEXTURE_2D, cat.textureNames[t]);
            GLint w = 0;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
            ASSERT_EQ(w, 4);
            std::vector<uint8_t> back(4 * 4 * 3);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back.data());
            EXPECT_EQ(back, cat[1200 + t].pixels) << t;
        }
        GLint filter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        EXPECT_EQ(filter, GL_NEAREST);
    }
    platform->destroyWindow();
}

namespace {

// Every pixel of the square, each plotted where it lands (or dropped): what
// a copy must produce wherever the square sits.
void referenceCopy(Screen& s, const BitmapEntry& e, int x, int y, bool keyed) {
    const uint32_t rows = std::min(e.width, e.height);
    for (uint32_t row = 0; row < rows; ++row)
        for (uint32_t col = 0; col < e.width; ++col) {
            const uint8_t* p = e.pixels.data() + (size_t(row) * e.width + col) * 3;
            if (keyed && ((p[0] == 255 && p[1] == 0 && p[2] == 246) || (p[0] | p[1] | p[2]) == 0))
                continue;
            plotPixel(s, x + int(col), y + int(row), p[0], p[1], p[2]);
        }
}

} // namespace

// A huge tile, clipped wherever it sits, gives the pixels of a copy that
// visits every pixel.
TEST_F(BitmapDraw, AHugeTileClipsToWhatAPixelByPixelCopyDraws) {
    fillEntry(cat, 10, 1024, 1024, 1, 2, 3);
    for (size_t i = 0; i < cat[10].pixels.size(); ++i) cat[10].pixels[i] = uint8_t(i * 31 / 7);
    fillEntry(cat, 11, 64, 64, 0, 0, 0);
    for (size_t i = 0; i < cat[11].pixels.size(); ++i) cat[11].pixels[i] = uint8_t(i * 31 / 7);
    const int places[][2] = {{-1000, -700}, {-3, 5}, {20, -1010}, {63, 47}, {64, 0}};
    for (bool keyed : {false, true})
        for (const auto& at : places) {
            Screen want;
            want.setMode(64, 48);
            referenceCopy(want, cat[10], at[0], at[1], keyed);
            screen.clearFramebuffer();
            if (keyed) drawBitmapKeyed(screen, cat, at[0], at[1], 10);
            else drawBitmap(screen, cat, at[0], at[1], 10);
            EXPECT_EQ(screen.framebuffer, want.framebuffer) << at[0] << "," << at[1];
        }
}

// Pictures that would take the catalogue past its memory cap are refused
// and named; the ones before them load.
TEST(BitmapGroups, PicturesPastTheMemoryCapAreRefusedByName) {
    TempDir dir;
    fs::create_directories(dir.path / "bmp_land");
    const auto big = makeBmp(512, 512, 512 * 512 * 3); // 768 KiB of pixels each
    for (const char* name : {"plain.bmp", "forest.bmp", "forest_fruit.bmp", "forest_gray.bmp"})
        writeFile(dir.path / "bmp_land" / name, big);
    BitmapCatalogue cat;
    cat.memoryCap = 2 << 20;
    const PictureReport report = loadAllBitmaps(cat, dir.path.string());
    EXPECT_EQ(report.loaded, 2);
    EXPECT_EQ(report.refused,
              (std::vector<std::string>{"bmp_land/forest_fruit.bmp", "bmp_land/forest_gray.bmp"}));
    EXPECT_EQ(report.missing, int(bitmapFiles().size()) - 4);
    EXPECT_EQ(cat.pixelBytes, 2u * 512 * 512 * 3);
    EXPECT_TRUE(cat[12].pixels.empty());
    // Loading a picture again over itself does not count it twice.
    EXPECT_TRUE(loadBitmap(cat, (dir.path / "bmp_land" / "plain.bmp").string(), 10));
    EXPECT_EQ(cat.pixelBytes, 2u * 512 * 512 * 3);
}

// A FIFO in place of a picture is refused at once, not waited on forever.
TEST(BitmapLoad, AFifoInPlaceOfAPictureIsRefusedWithoutBlocking) {
    TempDir dir;
    const fs::path fifo = dir.path / "wall.bmp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    BitmapCatalogue cat;
    auto load = std::async(std::launch::async, [&] { return loadBitmap(cat, fifo.string(), 111); });
    ASSERT_EQ(load.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(load.get());
}
