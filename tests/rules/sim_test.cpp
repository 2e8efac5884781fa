// delve-sim run as a user runs it: flags in, tables and files out, and what
// it does when its files or its standard output are not what a user meant.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>

#include "tests/program_run.h"

namespace delve::test {
namespace {

namespace fs = std::filesystem;

class Sim : public ProgramRun {
protected:
    Sim() : ProgramRun("delve-sim") {}
    // A device node of the test's own as root (a faulty rename replaces only it), else /dev/null.
    static std::string testDevice(const std::string& where) {
        if (::mknod(where.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) return where;
        return "/dev/null";
    }
    static nlohmann::json readJson(const std::string& p) { return nlohmann::json::parse(slurp(p), nullptr, false); }
};

TEST_F(Sim, AThousandTurnsEndWithTheSameWinnerEveryTime) {
    std::string err;
    ASSERT_EQ(launch("", "--seed 5 --turns 1000 --json " + at("a.json") + " --png " + at("a.png"), err), 0)
        << err;
    const std::string first = printed();
    ASSERT_EQ(launch("", "--seed 5 --turns 1000 --json " + at("b.json"), err), 0);
    EXPECT_EQ(first, printed());
    const nlohmann::json a = readJson(at("a.json")), b = readJson(at("b.json"));
    ASSERT_TRUE(a.is_object());
    EXPECT_EQ(a, b);
    const int winner = a["winner"];
    EXPECT_NE(first.find("winner: group " + std::to_string(winner)), std::string::npos);
    int leadersActive = 0;
    for (const auto& u : a["units"])
        leadersActive += u["index"] >= 1 && u["index"] <= 3 && u["active"] == 1;
    EXPECT_EQ(leadersActive, 1);
    EXPECT_EQ(slurp(at("a.png")).substr(1, 3), "PNG");
}

// Both leaders of this seed fall in turn 87: a draw, not empty turns to the end of --turns.
TEST_F(Sim, NoLeaderLeftIsADraw) {
    std::string err;
    ASSERT_EQ(launch("", "--seed 139 --party-size 2 --turns 100000", err), 0) << err;
    const std::string out = printed();
    EXPECT_NE(out.find("a draw: no leader left, in turn 87 (frame 87 of 100000)"), std::string::npos)
        << out.substr(out.size() > 400 ? out.size() - 400 : 0);
    EXPECT_LT(std::count(out.begin(), out.end(), '\n'), 120);
}

TEST_F(Sim, BadCommandLinesAreRefused) {
    const char* bad[] = {"--turns 5 --clicks x.txt", "--party-size 0", "--seed -1",
                         "--objects --chase", "--bogus", "--turns"};
    std::string out;
    for (const char* args : bad) {
        EXPECT_EQ(launch("", args, out), 2) << args;
        EXPECT_NE(out.find("delve-sim:"), std::string::npos) << args;
    }
    // A bad line is named and echoed quoted, a NUL or escape as \xNN.
    const struct {
        std::string text, says;
    } clicks[] = {{"10 300\n", "line 1"},
                  {"1 2\n150 50" + std::string(1, '\0') + "\n", "line 2: expected \"X Y\" with cells 0..255: \"150 50\\x00\""},
                  {"+1 2\n", "\"+1 2\""},
                  {"\x1b[2J", "\"\\x1b[2J\""}};
    for (const auto& c : clicks) {
        std::ofstream(at("bad.txt")) << c.text;
        EXPECT_EQ(launch("", "--seed 1 --clicks " + at("bad.txt"), out), 2) << c.text;
        EXPECT_NE(out.find(c.says), std::string::npos) << out;
    }
}

// A clicks file that is no regular file (a FIFO would block), or past the
// size cap, is refused at once by name. What each kind of file is called
// belongs to the file layer's tests.
TEST_F(Sim, ClicksMustBeARegularFileOfReasonableSize) {
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0600), 0);
    std::string err;
    EXPECT_EQ(launch("", "--seed 1 --clicks " + at("fifo"), err), 2);
    EXPECT_NE(err.find(at("fifo") + ": is a named pipe"), std::string::npos) << err;
    std::ofstream(at("big.txt")) << "# 17 MiB\n";
    fs::resize_file(at("big.txt"), 17u << 20);
    EXPECT_EQ(launch("", "--seed 1 --clicks " + at("big.txt"), err), 2);
    EXPECT_NE(err.find("larger than 16 MiB"), std::string::npos) << err;
}

// --json and --png refuse what is no regular file with exit 1 and leave it
// as it was. Links to regular files and a user's own .tmp files are the
// file layer's, whose tests hold them.
TEST_F(Sim, OutputsGoToRegularFilesOnly) {
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0600), 0);
    fs::create_symlink(testDevice(at("device")), at("to-null"));
    for (const auto& [flag, target] : {std::pair{"--json", at("fifo")}, {"--png", at("to-null")}}) {
        std::string err;
        EXPECT_EQ(launch("", "--seed 3 --turns 5 " + std::string(flag) + " " + target, err), 1) << flag;
        EXPECT_NE(err.find(target), std::string::npos) << err;
    }
    EXPECT_TRUE(fs::is_fifo(at("fifo")));
    EXPECT_TRUE(fs::is_symlink(at("to-null")));
    EXPECT_TRUE(fs::is_character_file(at("to-null")));
}

// A JSON write failing part-way (a file-size limit, like a full disk) keeps the old file.
TEST_F(Sim, AJsonThatCannotBeWrittenKeepsTheOldFile) {
    std::ofstream(at("out.json")) << "{\"old\": true}\n";
    std::string err;
    EXPECT_EQ(launch("ulimit -f 8 && trap '' XFSZ &&", "--seed 3 --turns 5 --json " + at("out.json"), err,
                     "/dev/null"),
              1);
    EXPECT_EQ(slurp(at("out.json")), "{\"old\": true}\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(work_), fs::directory_iterator()), 2)
        << "a temporary file was left behind";
}

// A standard output that cannot take the table is a failure.
TEST_F(Sim, AFailedStandardOutputExitsOne) {
    std::string err;
    EXPECT_EQ(launch("", "--seed 3 --turns 5", err, "/dev/full"), 1);
    EXPECT_NE(err.find("standard output"), std::string::npos) << err;
    EXPECT_EQ(launch("", "--objects", err, "/dev/full"), 1);
}

} // namespace
} // namespace delve::test
