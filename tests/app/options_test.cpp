#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <unistd.h>
#include <sys/wait.h>
#include <fstream>
#include <string>

#include "app/options.h"

using namespace delve;

namespace {

std::string delveBin() {
    const char* d = std::getenv("DELVE_BIN");
    return std::string(d ? d : DELVE_BUILD_DIR) + "/delve";
}

} // namespace

// What cannot be done is said in one line naming the cause, with a status
// that is not success; what can be done with less runs with a warning.
TEST(Options, FailuresAreReportedNotPassedOffAsSuccess) {
    namespace fs = std::filesystem;
    const std::string bin = delveBin();
    const char* envData = std::getenv("DELVE_TEST_DATA");
    const std::string data = envData ? envData : DELVE_BUILD_DIR "/data";
    const fs::path work = fs::path(testing::TempDir()) / ("delve-cli-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work / "empty");
    // A data folder with two pictures missing.
    fs::copy(data, work / "some", fs::copy_options::recursive);
    fs::remove(work / "some" / "bmp_land" / "plain.bmp");
    fs::remove(work / "some" / "bmp_unit" / "unit_dog.bmp");
    const std::string run = bin + " --headless --fast-clock --seed 3 ";
    const std::string withData = run + "--data-dir " + data + " ";
    std::ofstream(work / "bad.script") << "0 down 27\n1 wiggle 3\n";
    struct Case {
        std::string args;
        int status;
        std::string says;
        int lines = 1;
    } cases[] = {
        {run + "--frames 2 --data-dir " + (work / "nowhere").string(), 2,
         (work / "nowhere").string() + " does not exist"},
        {run + "--frames 2 --data-dir " + (work / "empty").string(), 2,
         "no pictures in the data folder " + (work / "empty").string()},
        {run + "--frames 2 --data-dir " + (work / "some").string(), 0,
         "2 of 214 pictures are missing", 3},
        {run + "--frames 2 --data-dir " + (work / "some").string(), 0,
         "bmp_land/plain.bmp: no such file or directory", 3},
        {withData + "--frames 2 --input " + work.string(), 2, "is a directory"},
        {withData + "--frames 2 --input /dev/zero", 2, "larger than 16 MiB"},
        {withData + "--frames 2 --input " + (work / "bad.script").string(), 2, "line 2"},
        {withData + "--frames 2 --screenshot 1:" + (work / "no" / "x.png").string(), 1,
         "no such file or directory"},
        {withData + "--frames 2 --screenshot 2:x.png", 2, "frame 2 never comes"},
        {withData + "--frames ' 5'", 2, "--frames needs a count"},
        {withData + "--frames 2 --seed 12x", 2, "--seed"},
        {withData + "--frames 2 --dump-state " + (work / "no" / "d.json").string(), 1,
         "cannot write"},
        {withData + "--frames 2 --record " + (work / "no" / "r.txt").string(), 1,
         "--record: cannot write"},
        {"DELVE_DATA_DIR=" + (work / "nowhere").string() + " " + run + "--frames 2", 2,
         "DELVE_DATA_DIR: the folder " + (work / "nowhere").string() + " does not exist"},
        // --data-dir wins over the environment.
        {"DELVE_DATA_DIR=" + (work / "nowhere").string() + " " + withData + "--frames 2", 0, "",
         0},
    };
    for (const Case& c : cases) {
        const fs::path err = work / "stderr.txt";
        const int rc = std::system((c.args + " >/dev/null 2>" + err.string()).c_str());
        std::ifstream in(err);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, c.status) << c.args << "\n" << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << c.args << "\n" << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), c.lines) << c.args << "\n" << text;
    }
    // A screenshot whose frame never comes because the script ends the run.
    std::ofstream(work / "quit.script") << "1 close\n";
    const int rc = std::system((withData + "--input " + (work / "quit.script").string() +
                                " --screenshot 5:" + (work / "late.png").string() +
                                " >/dev/null 2>&1")
                                   .c_str());
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 1);
    EXPECT_FALSE(fs::exists(work / "late.png"));
    for (const char* asked : {" --help", " --version"})
        EXPECT_EQ(std::system((bin + asked + " >/dev/null 2>&1").c_str()), 0) << asked;
    fs::remove_all(work);
}
