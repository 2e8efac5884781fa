#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

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
    void TearDown() override {
        fs::permissions(dir / "map", fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    void writeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream out(dir / "map" / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    size_t filesInMap() {
        return size_t(std::distance(fs::directory_iterator(dir / "map"), fs::directory_iterator()));
    }
};

TEST_F(OverworldFile, FullFileFillsLayerZeroRowByRowAndWaitsASecond) {
    std::vector<uint8_t> bytes(65536, Cell::Road);
    bytes[3 * 256 + 200] = Cell::Castle;
    writeFile("1.overworld", bytes);
    map->setCell(0, 0, 1, 9);
    EXPECT_EQ(loadOverworld(*map, clock, dir.string(), 1), 65536);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), map->data()));
    EXPECT_EQ(map->cell(200, 3, 0), Cell::Castle);
    EXPECT_EQ(map->cell(0, 0, 1), 9) << "layer 1 untouched";
    EXPECT_EQ(clock.waitedMs(), 1000u);
}

TEST_F(OverworldFile, ShortFileFillsOnlyItsFirstCellsAndLongFileIsCut) {
    for (int i = 0; i < LayerSize; ++i) map->data()[i] = Cell::Water;
    writeFile("1.overworld", std::vector<uint8_t>(300, Cell::Desert));
    EXPECT_EQ(loadOverworld(*map, clock, dir.string(), 1), 300);
    EXPECT_TRUE(map->cell(255, 0, 0) == Cell::Desert && map->cell(43, 1, 0) == Cell::Desert);
    EXPECT_TRUE(map->cell(44, 1, 0) == Cell::Water && map->cell(255, 255, 0) == Cell::Water);

    writeFile("2.overworld", std::vector<uint8_t>(70000, Cell::Swamp));
    EXPECT_EQ(loadOverworld(*map, clock, dir.string(), 2), 65536);
    EXPECT_EQ(map->cell(0, 0, 1), Cell::Empty);
}

// Each way an overworld fails to fill layer 0 has its own words; a FIFO is
// refused at once (the test would hang otherwise).
TEST_F(OverworldFile, EveryUnusableFileHasItsOwnReason) {
    const std::string path = overworldPath(dir.string(), 1);
    auto problem = [&] {
        int error = 0;
        const int got = loadOverworld(*map, clock, dir.string(), 1, &error);
        return overworldProblem(path, got, error);
    };
    EXPECT_EQ(problem(), "no such file or directory; the overworld stays empty");
    fs::create_directory(path);
    EXPECT_EQ(problem(), "is a folder; the overworld stays empty");
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(problem(), "is a named pipe (FIFO); the overworld stays empty");
    fs::remove(path);
    writeFile("1.overworld", {});
    EXPECT_EQ(problem(), "is empty (0 bytes of 65,536); the overworld stays empty");
    writeFile("1.overworld", std::vector<uint8_t>(300, Cell::Desert));
    EXPECT_EQ(problem(), "has only 300 bytes of 65,536; the rest of the overworld stays empty");
    writeFile("1.overworld", std::vector<uint8_t>(65536, Cell::Desert));
    EXPECT_EQ(problem(), "");
}

TEST_F(OverworldFile, SaveWritesAWholeFileThatLoadsBack) {
    for (int i = 0; i < LayerSize; ++i) map->data()[i] = uint8_t(i * 7);
    map->setCell(0, 0, 1, 99); // not part of the file
    writeFile("3.overworld", std::vector<uint8_t>(10, 1)); // an older, shorter file
    ASSERT_TRUE(saveOverworld(*map, clock, dir.string(), 3));
    EXPECT_EQ(clock.waitedMs(), 1000u);
    EXPECT_EQ(fs::file_size(dir / "map" / "3.overworld"), 65536u);
    EXPECT_EQ(filesInMap(), 1u) << "no temporary file left behind";

    auto back = std::make_unique<WorldMap>();
    EXPECT_EQ(loadOverworld(*back, clock, dir.string(), 3), 65536);
    EXPECT_TRUE(std::equal(back->data(), back->data() + LayerSize, map->data()));
}

// A failed save reaches the caller, with no wait and no folder made.
TEST_F(OverworldFile, AFailedSaveIsReportedWithoutWaitingOrMakingTheFolder) {
    EXPECT_FALSE(saveOverworld(*map, clock, (dir / "absent").string(), 1));
    EXPECT_FALSE(fs::exists(dir / "absent"));
    EXPECT_EQ(clock.waitedMs(), 0u);
}

} // namespace
} // namespace delve
