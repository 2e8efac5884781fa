#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "app/options.h"

using namespace delve;

namespace {

bool parse(std::vector<const char*> args, Options& o, std::string& err) {
    args.insert(args.begin(), "delve");
    return parseOptions(int(args.size()), args.data(), o, err);
}

std::string delveBin() {
    const char* d = std::getenv("DELVE_BIN");
    return std::string(d ? d : DELVE_BUILD_DIR) + "/delve";
}

} // namespace

TEST(Options, ReadsEveryFlag) {
    Options o;
    std::string err;
    ASSERT_TRUE(parse({"--headless", "--fast-clock", "--seed", "4294967295", "--frames", "10",
                       "--input", "a.script", "--screenshot", "3:x.png", "--screenshot",
                       "12:dir:y.png", "--dump-state", "s.json", "--data-dir", "d", "--save-dir",
                       "s"},
                      o, err))
        << err;
    EXPECT_TRUE(o.headless && o.fastClock && o.haveSeed);
    EXPECT_EQ(o.seed, 4294967295u);
    EXPECT_EQ(o.frames, 10);
    ASSERT_EQ(o.screenshots.size(), 2u);
    EXPECT_EQ(o.screenshots[1].first, 12);
    EXPECT_EQ(o.screenshots[1].second, "dir:y.png");
    EXPECT_EQ(o.saveDir, "s");
}

TEST(Options, ErrorsNameTheFlag) {
    struct Case {
        std::vector<const char*> args;
        const char* mention;
    } cases[] = {
        {{"--bogus"}, "--bogus"},         {{"--seed"}, "--seed"},
        {{"--seed", "-1"}, "--seed"},     {{"--seed", "12x"}, "--seed"},
        {{"--frames", "ten"}, "--frames"}, {{"--screenshot", "x.png"}, "--screenshot"},
        {{"--screenshot", "5:"}, "--screenshot"}, {{"--input"}, "--input"},
    };
    for (auto& c : cases) {
        Options o;
        std::string err;
        EXPECT_FALSE(parse(c.args, o, err)) << c.mention;
        EXPECT_NE(err.find(c.mention), std::string::npos) << err;
    }
}

TEST(Options, BadInvocationsExitWithStatusTwo) {
    std::string bin = delveBin();
    auto status = [&](const std::string& args) {
        int rc = std::system((bin + " " + args + " >/dev/null 2>&1").c_str());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    };
    EXPECT_EQ(status("--no-such-flag"), 2);
    EXPECT_EQ(status("--headless --frames"), 2);
    EXPECT_EQ(status("--headless --input /nonexistent/script"), 2);
    std::string bad = testing::TempDir() + "bad.script";
    std::ofstream(bad) << "0 down 27\n1 wiggle 3\n";
    EXPECT_EQ(status("--headless --input " + bad), 2);
    EXPECT_EQ(status("--help"), 0);
    EXPECT_EQ(status("--version"), 0);
    EXPECT_EQ(status("--headless --fast-clock --frames 2 --seed 3"), 0);
}
