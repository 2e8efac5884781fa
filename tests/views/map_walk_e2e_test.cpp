// The right-button walk through the running program: F6, the cursor on a
// floor cell several rooms away, the right button for one frame, then frames
// with the fast clock until the hero stands on that cell.
#include <gtest/gtest.h>
#include <png.h>

#include <memory>
#include <sstream>
#include <vector>

#include "gfx/bitmap.h"
#include "path/movement.h"
#include "platform/rng.h"
#include "tests/program_run.h"
#include "world/generator.h"
#include "world/world.h"

namespace delve {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t Seed = 4242;
constexpr int ClickFrame = 6;

int jsonInt(const std::string& json, const std::string& key, size_t from = 0) {
    return std::atoi(test::dumpField(json, key, from).c_str());
}

using MapWalk = test::ProgramRun;

// RGB rows of a PNG, top row first.
std::vector<uint8_t> readPng(const fs::path& file, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    width = int(image.width);
    height = int(image.height);
    return rgb;
}

TEST_F(MapWalk, RightButtonWalksTheHeroToTheCellUnderTheCursor) {
    // Where the view stands once F6 has switched to the map.
    const std::string f6 = "1 down 117\n2 up 117\n3 down 49\n4 up 49\n";
    const std::string first = run(f6, ClickFrame, Seed);
    const size_t heroAt = first.find("\"hero\"");
    ASSERT_NE(heroAt, std::string::npos) << "the program failed";
    const int SX = jsonInt(first, "SX"), SY = jsonInt(first, "SY");
    const int hx = jsonInt(first, "x", heroAt), hy = jsonInt(first, "y", heroAt);
    ASSERT_EQ(jsonInt(first, "z", heroAt), 2);
    ASSERT_EQ(jsonInt(first, "screenWidth"), 640);

    // The same level, generated here from the same seed, to choose a goal.
    auto world = std::make_unique<World>();
    fillStepCostTable(world->stepCosts);
    Rng rng;
    rng.srand(Seed);
    allocateGeneratorTables(*world);
    generateDungeon(*world, rng, 128, 128, FirstWorkLayer, WorkLayerCount, 255, 2400);
    stackDungeonLevels(world->map);
    freeGeneratorTables(*world);
    ASSERT_NE(world->map.cell(hx, hy, 2), Cell::Rock) << "the level here differs from the program's";

    auto finder = std::make_unique<PathFinder>();
    Units units;
    int goalX = -1, goalY = -1, length = 0;
    for (int j = 0; j < 30; ++j)
        for (int i = 0; i < 40; ++i) {
            const int x = SX + i, y = SY + j;
            if (world->map.cell(x, y, 2) != Cell::Floor) continue;
            finder->beginSearch(world->marks, units, 1, hx, hy, x, y, 2, 256, 0);
            if (finder->runSearch(world->map, world->stepCosts, 65536) != SearchFound) continue;
            finder->storeUnitPath(1);
            if (finder->pathLength[1] > length && finder->pathLength[1] <= 40) {
                length = finder->pathLength[1];
                goalX = x;
                goalY = y;
            }
        }
    ASSERT_GE(length, 12) << "no floor cell several rooms away on the screen";
    finder->beginSearch(world->marks, units, 1, hx, hy, goalX, goalY, 2, 256, 0);
    finder->runSearch(world->map, world->stepCosts, 65536);
    finder->storeUnitPath(1);

    // Movement every 10 frames: the plan and first step on frame 10, then a
    // cell per movement frame; the screenshot halfway.
    const int cursorX = (goalX - SX) * 16 + 8, cursorY = (goalY - SY) * 16 + 8;
    std::ostringstream script;
    script << f6 << "5 cursor " << cursorX << " " << cursorY << "\n"
           << ClickFrame << " down 2\n" << ClickFrame + 1 << " up 2\n";
    const int half = length / 2;
    const int shotFrame = 10 * half + 5;
    const fs::path shot = work_ / "midwalk.png";
    const std::string walk = run(script.str(), 10 * (length + 3), Seed,
                                 "--screenshot " + std::to_string(shotFrame) + ":" + shot.string());
    const size_t heroWalk = walk.find("\"hero\"");
    ASSERT_NE(heroWalk, std::string::npos) << "the program failed";
    EXPECT_EQ(jsonInt(walk, "x", heroWalk), goalX);
    EXPECT_EQ(jsonInt(walk, "y", heroWalk), goalY);
    EXPECT_EQ(jsonInt(walk, "moveState", heroWalk), 0);
    EXPECT_EQ(jsonInt(walk, "pathStep", heroWalk), PathNone);

    // Mid-walk the cells still to walk carry the road picture.
    int w = 0, h = 0;
    auto rgb = readPng(shot, w, h);
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    BitmapCatalogue pictures;
    ASSERT_TRUE(loadBitmap(pictures, (fs::path(dataDir_) / "bmp_land" / "road.bmp").string(), 22));
    const BitmapEntry& road = pictures[22];
    // Stepped on frames 10, 20, ... 10 * half: `half` cells walked, entries
    // 0 .. length - half - 1 still to walk.
    const int remaining = length - half;
    int marked = 0;
    for (int k = 0; k < remaining; ++k) {
        const int i = finder->pathX[1000 + size_t(k)] - SX, j = finder->pathY[1000 + size_t(k)] - SY;
        int same = 0, opaque = 0;
        for (int r = 0; r < 16; ++r)
            for (int c = 0; c < 16; ++c) {
                const uint8_t* p = &road.pixels[size_t((r * int(road.width) + c) * 3)];
                if ((p[0] == 255 && p[1] == 0 && p[2] == 246) || (p[0] == 0 && p[1] == 0 && p[2] == 0)) continue;
                ++opaque;
                const uint8_t* s = &rgb[size_t(((479 - (16 * j + r)) * 640 + 16 * i + c) * 3)];
                same += s[0] == p[0] && s[1] == p[1] && s[2] == p[2];
            }
        marked += same * 2 > opaque;
    }
    EXPECT_GE(marked, remaining - 1) << "of " << remaining << " cells still to walk";
    // A cell already walked is not marked any more.
    const int i0 = finder->pathX[1000 + size_t(length - 1)] - SX, j0 = finder->pathY[1000 + size_t(length - 1)] - SY;
    const uint8_t* p0 = &rgb[size_t(((479 - (16 * j0 + 4)) * 640 + 16 * i0 + 4) * 3)];
    const uint8_t* r0 = &road.pixels[size_t((4 * int(road.width) + 4) * 3)];
    EXPECT_FALSE(p0[0] == r0[0] && p0[1] == r0[1] && p0[2] == r0[2]);
}

} // namespace
} // namespace delve
