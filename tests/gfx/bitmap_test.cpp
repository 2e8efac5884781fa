#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
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
        fs::remove_all(path, ec);
    }
    // Writes `bytes` to `name` in the folder; returns its path.
    std::string file(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(path / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return (path / name).string();
    }
};

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// An entry of one colour, placed straight into the catalogue.
void fillEntry(BitmapCatalogue& cat, int index, uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b) {
    BitmapEntry& e = cat[index];
    e.width = w;
    e.height = h;
    e.bytesPerPixel = 3;
    e.pixels.clear();
    for (uint32_t i = 0; i < w * h; ++i) e.pixels.insert(e.pixels.end(), {r, g, b});
}

// A picture as a writer would store it: `rgb` holds width x height pixels,
// bottom row first; `layout` picks header length, a gap before the pixels
// and top-down rows.
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
    put32(b, 26, 24u << 16 | 1);
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

std::vector<uint8_t> plainBmp(int w, int h) {
    return writeBmp(w, h, std::vector<uint8_t>(size_t(w) * size_t(h) * 3, 9), {});
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
        BitmapCatalogue cat;
        std::string why;
        ASSERT_TRUE(loadBitmap(cat, dir.file("w.bmp", writeBmp(width, height, rgb, l)), 7, why))
            << l.infoSize << " " << why;
        EXPECT_EQ(cat[7].width, uint32_t(width));
        EXPECT_EQ(cat[7].height, uint32_t(height));
        EXPECT_EQ(cat[7].pixels, rgb) << l.infoSize << " " << l.gap << " " << l.topDown;
    }
    // The last row's padding may be missing from the file.
    auto bytes = writeBmp(width, height, rgb, {});
    bytes.pop_back();
    BitmapCatalogue cat;
    ASSERT_TRUE(loadBitmap(cat, dir.file("trim.bmp", bytes), 7));
    EXPECT_EQ(cat[7].pixels, rgb);
}

// Each refusal says why, in words that name what the file holds (a missing
// file is the group test's).
TEST(BitmapLoad, EveryRefusalSaysWhy) {
    TempDir dir;
    const auto good = plainBmp(16, 16);
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
        BitmapCatalogue cat;
        std::string why;
        EXPECT_FALSE(loadBitmap(cat, dir.file(std::string(c.name) + ".bmp", bytes), 1, why)) << c.name;
        EXPECT_EQ(why, c.why) << c.name;
        EXPECT_TRUE(cat[1].pixels.empty()) << c.name;
    }
    std::string why;
    BitmapCatalogue cat;
    EXPECT_FALSE(loadBitmap(cat, dir.path.string(), 1, why));
    EXPECT_EQ(why, "is a folder");
    EXPECT_FALSE(loadBitmap(cat, dir.file("good.bmp", good), 3100, why));
    EXPECT_EQ(why, "catalogue index 3100 is past the table");
}

// The start-up report names each picture it could not use and the reason,
// and a first-person texture that is not square. Pictures that would take
// the catalogue past its memory cap are refused by name; those before load.
TEST(BitmapGroups, TheReportNamesEachFileItCouldNotUseAndWhy) {
    TempDir dir;
    for (const char* folder : {"bmp_land", "bmp_dungeon", "bmp_cube"}) fs::create_directories(dir.path / folder);
    for (const char* name : {"plain.bmp", "forest.bmp", "forest_fruit.bmp", "forest_gray.bmp"})
        dir.file(std::string("bmp_land/") + name, plainBmp(512, 512));
    auto wall = plainBmp(16, 16);
    wall[28] = 8;
    dir.file("bmp_dungeon/wall.bmp", wall);
    dir.file("bmp_dungeon/floor.bmp", plainBmp(16, 16));
    dir.file("bmp_cube/brickold2.bmp", plainBmp(64, 32));
    dir.file("bmp_cube/grass3.bmp", plainBmp(64, 64));
    BitmapCatalogue cat;
    // Room for two of the land pictures (each 512 x 512 pixels in two forms)
    // and the small ones after them.
    cat.memoryCap = 4 << 20;
    const PictureReport report = loadAllBitmaps(cat, dir.path.string());
    EXPECT_EQ(report.loaded, 5);
    EXPECT_EQ(report.refused,
              (std::vector<std::string>{"bmp_land/forest_fruit.bmp", "bmp_land/forest_gray.bmp"}));
    EXPECT_TRUE(cat[12].pixels.empty());
    EXPECT_EQ(report.missing, int(bitmapFiles().size()) - 7); // wall.bmp among them
    auto has = [&](const std::string& line) {
        return std::find(report.problems.begin(), report.problems.end(), line) !=
               report.problems.end();
    };
    EXPECT_TRUE(has("bmp_dungeon/wall.bmp: 8 bits per pixel; only 24 are read"));
    EXPECT_TRUE(has("bmp_cube/brickold2.bmp: 64 x 32 pixels, wider than tall: a first-person "
                    "texture must be square, so the walls drawn with it stay white"));
    EXPECT_TRUE(has("bmp_dungeon/chest.bmp: no such file or directory"));
    EXPECT_EQ(report.problems.size(), size_t(report.missing) + 1); // the missing and brickold2
    // Loading a picture again over itself does not count it twice.
    const uint64_t bytes = cat.pixelBytes;
    EXPECT_TRUE(loadBitmap(cat, (dir.path / "bmp_land" / "plain.bmp").string(), 10));
    EXPECT_EQ(cat.pixelBytes, bytes);
}

class BitmapDraw : public ::testing::Test {
protected:
    void SetUp() override { screen.setMode(64, 48); }
    Screen screen;
    BitmapCatalogue cat;
};

TEST_F(BitmapDraw, StaysInsideEntryPixels) {
    // Indices outside the table, an empty entry, a size with no pixels: nothing drawn.
    for (int index : {-1, 3100, 10}) drawBitmap(screen, cat, 0, 0, index);
    drawBitmapKeyed(screen, cat, 0, 0, 70000);
    cat[11].width = cat[11].height = 16;
    drawBitmap(screen, cat, 0, 0, 11);
    EXPECT_EQ(screen.framebuffer, std::vector<uint8_t>(screen.framebuffer.size(), 0));
}

// The pictures the build generates: every file loads with the size its use
// needs, none uses pure black (the keyed copy drops it), tiles never show
// the transparent key and unit figures stand on it.
TEST(GeneratedPictures, AllLoadWithTheirSizesAndUnitsStandOnTheKey) {
    const char* data = std::getenv("DELVE_TEST_DATA");
    ASSERT_NE(data, nullptr);
    BitmapCatalogue all;
    loadAllBitmaps(all, data);
    for (const auto& f : bitmapFiles()) {
        const BitmapEntry& e = all[f.index];
        ASSERT_EQ(e.bytesPerPixel, 3) << f.folder << "/" << f.name << " did not load";
        const uint32_t side = f.index == 1000 ? 320 : f.index >= 1200 && f.index <= 1206 ? 64 : 16;
        if (f.index == 1104) {
            EXPECT_TRUE(e.width == e.height && e.width <= 16u);
        } else {
            EXPECT_EQ(e.width, side) << f.name;
            EXPECT_EQ(e.height, side == 320 ? 240u : side) << f.name;
        }
        int key = 0, black = 0;
        for (size_t i = 0; i < e.pixels.size(); i += 3) {
            key += e.pixels[i] == 255 && e.pixels[i + 1] == 0 && e.pixels[i + 2] == 246;
            black += (e.pixels[i] | e.pixels[i + 1] | e.pixels[i + 2]) == 0;
        }
        EXPECT_EQ(black, 0) << f.name;
        const std::string folder = f.folder;
        if (folder == "bmp_unit" && f.index < 1200) {
            EXPECT_GT(key, 20) << f.name;
            EXPECT_LT(key, 256 - 30) << f.name;
        } else if (folder != "bmp_unit" && folder != "bmp_item" && folder != "bmp_cross") {
            EXPECT_EQ(key, 0) << f.name << " is a tile";
        }
    }
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
// visits every pixel; the keyed copy leaves out exactly the key and black.
TEST_F(BitmapDraw, AHugeTileClipsToWhatAPixelByPixelCopyDraws) {
    // Also a picture lower than wide and one taller than wide (drawn as a square).
    const uint32_t sizes[][3] = {{10, 1024, 1024}, {12, 16, 4}, {13, 4, 8}};
    for (const auto& [index, w, h] : sizes) {
        fillEntry(cat, int(index), w, h, 1, 2, 3);
        for (size_t i = 0; i < cat[int(index)].pixels.size(); ++i) cat[int(index)].pixels[i] = uint8_t(i * 31 / 7);
    }
    // The key, black and their nearest neighbours along the top row, past the clipped columns.
    const uint8_t row[] = {255, 0, 246, 255, 0, 245, 0, 0, 0, 0, 0, 1};
    std::copy(std::begin(row), std::end(row), cat[12].pixels.begin() + 4 * 3);
    const int places[][2] = {{-1000, -700}, {-3, 5}, {0, 0}, {20, -1010}, {63, 47}, {64, 0}};
    // Filled by hand (drawn from the pixels), then set as a load sets them
    // (drawn from their framebuffer form).
    for (bool asLoaded : {false, true})
    for (const auto& entry : sizes) {
        if (asLoaded) {
            BitmapEntry& e = cat[int(entry[0])];
            setBitmapPixels(cat, entry[0], e.pixels, e.width, e.height);
        }
        for (bool keyed : {false, true})
            for (const auto& at : places) {
                const int index = int(entry[0]);
                Screen want;
                want.setMode(64, 48);
                referenceCopy(want, cat[index], at[0], at[1], keyed);
                screen.clearFramebuffer();
                if (keyed) drawBitmapKeyed(screen, cat, at[0], at[1], index);
                else drawBitmap(screen, cat, at[0], at[1], index);
                EXPECT_EQ(screen.framebuffer, want.framebuffer)
                    << index << " at " << at[0] << "," << at[1] << (asLoaded ? " as loaded" : "");
            }
    }
}
