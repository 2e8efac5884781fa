#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "world/overworld.h"
#include "world/terrain.h"

namespace delve {
namespace {

namespace fs = std::filesystem;

struct OverworldFile : ::testing::Test {
    fs::path dir;
    std::unique_ptr<WorldMap> map = std::make_unique<WorldMap>();
    Clock clock{true};

    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("delve_overworld_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "map");
    }
    void TearDown() override { fs::remove_all(dir); }
    void writeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream out(dir / "map" / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // Loads overworld 1: what is said about it, and the bytes read.
    std::string load(int* got = nullptr) {
        int error = 0;
        const int n = loadOverworld(*map, clock, dir.string(), 1, &error);
        if (got) *got = n;
        return overworldProblem(overworldPath(dir.string(), 1), n, error);
    }
};

// Layer 0 is filled row by row with what the file holds, the rest kept; a
// longer file is cut; every way a file falls short has its own words. A FIFO
// is refused at once (the test would hang otherwise).
TEST_F(OverworldFile, FillsLayerZeroWithWhatTheFileHoldsAndSaysWhatIsMissing) {
    std::fill_n(map->data(), LayerSize, Cell::Water);
    map->setCell(0, 0, 1, 9);
    int got = 0;
    writeFile("1.overworld", std::vector<uint8_t>(300, Cell::Desert));
    EXPECT_EQ(load(&got), "has only 300 bytes of 65,536; the rest of the overworld stays empty");
    EXPECT_EQ(got, 300);
    EXPECT_TRUE(map->cell(255, 0, 0) == Cell::Desert && map->cell(43, 1, 0) == Cell::Desert);
    EXPECT_TRUE(map->cell(44, 1, 0) == Cell::Water && map->cell(255, 255, 0) == Cell::Water);

    std::vector<uint8_t> bytes(70000, Cell::Road);
    writeFile("1.overworld", bytes);
    EXPECT_EQ(load(&got), "");
    EXPECT_EQ(got, 65536);
    EXPECT_TRUE(std::equal(map->data(), map->data() + LayerSize, bytes.begin()));
    EXPECT_EQ(map->cell(0, 0, 1), 9) << "layer 1 untouched";

    const std::string path = overworldPath(dir.string(), 1);
    writeFile("1.overworld", {});
    EXPECT_EQ(load(), "is empty (0 bytes of 65,536); the overworld stays empty");
    fs::remove(path);
    EXPECT_EQ(load(), "no such file or directory; the overworld stays empty");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(load(), "is a named pipe (FIFO); the overworld stays empty");
}

// A save writes a whole file that loads back; a failed one reaches the
// caller, with no wait and no folder made.
TEST_F(OverworldFile, SaveWritesAWholeFileThatLoadsBackOrSaysItFailed) {
    EXPECT_FALSE(saveOverworld(*map, clock, (dir / "absent").string(), 1));
    EXPECT_FALSE(fs::exists(dir / "absent"));
    EXPECT_EQ(clock.waitedMs(), 0u);

    for (int i = 0; i < LayerSize; ++i) map->data()[i] = uint8_t(i * 7);
    map->setCell(0, 0, 1, 99); // not part of the file
    writeFile("3.overworld", std::vector<uint8_t>(10, 1)); // an older, shorter file
    ASSERT_TRUE(saveOverworld(*map, clock, dir.string(), 3));
    EXPECT_EQ(fs::file_size(dir / "map" / "3.overworld"), 65536u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "map"), fs::directory_iterator()), 1)
        << "no temporary file left behind";

    auto back = std::make_unique<WorldMap>();
    EXPECT_EQ(loadOverworld(*back, clock, dir.string(), 3), 65536);
    EXPECT_TRUE(std::equal(back->data(), back->data() + LayerSize, map->data()));
}

} // namespace
} // namespace delve
