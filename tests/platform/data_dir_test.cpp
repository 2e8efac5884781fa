#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/data_dir.h"

namespace delve {
namespace {

namespace fs = std::filesystem;

// The lookup order: --data-dir (the program test shows it wins), then
// DELVE_DATA_DIR, then data/ beside the program, then the installed folder;
// nothing at all (never the working folder) when none of them is there.
TEST(DataDir, RequestedThenEnvironmentThenBesideTheProgramThenInstalledElseNothing) {
    const fs::path root = fs::path(testing::TempDir()) / ("delve-datadir-" + std::to_string(getpid())),
                   bin = root / "usr/games", installed = root / "usr/share/games/delve";
    fs::remove_all(root);
    fs::create_directories(bin);
    const std::string rel = "../share/games/delve";
    EXPECT_EQ(findDataDirFrom("", nullptr, bin.string(), rel), "");
    EXPECT_EQ(findDataDirFrom("", nullptr, "", rel), "");

    fs::create_directories(installed);
    EXPECT_EQ(findDataDirFrom("", "", bin.string(), rel), installed.string()); // an empty variable is unset

    fs::create_directories(bin / "data");
    EXPECT_EQ(findDataDirFrom("", nullptr, bin.string(), rel), (bin / "data").string());
    EXPECT_EQ(findDataDirFrom("", "/env/data", bin.string(), rel), "/env/data");
    fs::remove_all(root);
}

} // namespace
} // namespace delve
