// delve-sim run as a user runs it: flags in, tables and files out.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <unistd.h>

namespace delve::test {
namespace {

namespace fs = std::filesystem;

class Sim : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("DELVE_BIN");
        const char* data = std::getenv("DELVE_TEST_DATA");
        program_ = fs::path(bin ? bin : DELVE_BUILD_DIR) / "delve-sim";
        dataDir_ = data ? data : DELVE_BUILD_DIR "/data";
        ASSERT_TRUE(fs::exists(program_)) << program_;
        work_ = fs::temp_directory_path() /
                ("delve-sim-" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                 "-" + std::to_string(::getpid()));
        fs::remove_all(work_);
        fs::create_directories(work_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(work_, ec);
    }
    // Runs delve-sim with `args`; returns its exit status and fills `out`.
    int sim(const std::string& args, std::string& out) {
        const std::string cmd = program_.string() + " --data-dir " + dataDir_ + " " + args +
                                " > " + (work_ / "out.txt").string() + " 2>&1";
        const int status = std::system(cmd.c_str());
        std::stringstream s;
        s << std::ifstream(work_ / "out.txt").rdbuf();
        out = s.str();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    nlohmann::json readJson(const fs::path& p) {
        std::ifstream in(p);
        return nlohmann::json::parse(in, nullptr, false);
    }
    static int lines(const std::string& s) { return int(std::count(s.begin(), s.end(), '\n')); }

    fs::path program_, work_;
    std::string dataDir_;
};

TEST_F(Sim, AThousandTurnsEndWithTheSameWinnerEveryTime) {
    std::string first, second;
    ASSERT_EQ(sim("--seed 5 --turns 1000 --json " + (work_ / "a.json").string() + " --png " +
                      (work_ / "a.png").string(),
                  first),
              0)
        << first;
    ASSERT_EQ(sim("--seed 5 --turns 1000 --json " + (work_ / "b.json").string(), second), 0);
    EXPECT_EQ(first, second);
    const nlohmann::json a = readJson(work_ / "a.json"), b = readJson(work_ / "b.json");
    ASSERT_TRUE(a.is_object());
    EXPECT_EQ(a, b);
    EXPECT_EQ(a["seed"], 5);
    EXPECT_EQ(a["partySize"], 3);
    const int winner = a["winner"];
    EXPECT_GE(winner, 1);
    EXPECT_LE(winner, 3);
    EXPECT_NE(first.find("winner: group " + std::to_string(winner)), std::string::npos);
    int leadersActive = 0, monsters = 0;
    for (const auto& u : a["units"]) {
        EXPECT_TRUE(u["side"] == 3 || u["side"] == 9);
        EXPECT_EQ(u["z"], 0);
        const int index = u["index"];
        if (index >= 1 && index <= 3 && u["active"] == 1) ++leadersActive;
        if (u["side"] == 9) ++monsters;
    }
    EXPECT_EQ(leadersActive, 1);
    EXPECT_EQ(monsters, 210);
    std::ifstream png(work_ / "a.png", std::ios::binary);
    char magic[8] = {};
    png.read(magic, 8);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");
}

// Both leaders of this seed fall in the same turn: the contest ends there
// as a draw instead of playing empty turns to the end of --turns.
TEST_F(Sim, NoLeaderLeftIsADraw) {
    std::string out;
    ASSERT_EQ(sim("--seed 139 --party-size 2 --turns 100000", out), 0) << out;
    EXPECT_NE(out.find("a draw: no leader left, in turn 87 (frame 87 of 100000)"), std::string::npos)
        << out.substr(out.size() > 400 ? out.size() - 400 : 0);
    EXPECT_LT(lines(out), 120);
}

TEST_F(Sim, BadCommandLinesAreRefused) {
    const char* bad[] = {
        "--turns 5 --clicks x.txt", "--party-size 0", "--seed -1",  "--objects --chase",
        "--frames 10",              "--bogus",        "--turns",    "--containers 3",
    };
    for (const char* args : bad) {
        std::string out;
        EXPECT_EQ(sim(args, out), 2) << args;
        EXPECT_NE(out.find("delve-sim:"), std::string::npos) << args;
    }
    std::string out;
    EXPECT_EQ(sim("--seed 1 --clicks " + (work_ / "missing.txt").string(), out), 2);
    std::ofstream(work_ / "bad.txt") << "10 300\n";
    EXPECT_EQ(sim("--seed 1 --clicks " + (work_ / "bad.txt").string(), out), 2);
    EXPECT_NE(out.find("line 1"), std::string::npos) << out;
}

} // namespace
} // namespace delve::test
