// The delve program run on scripts: what it refuses and how it says so, the
// files it writes for the user, one save per Enter, a recorded session
// replaying to the same state, and F12's pictures.
#include <regex>
#include <vector>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "tests/program_run.h"
#include "world/world.h"

namespace delve::test {
namespace {

namespace fs = std::filesystem;

// Frames of one save's progress screens: a map chunk each, units, variables.
constexpr int SaveProgressFrames = int((WorldBytes + 999999) / 1000000) + 2;

int number(const std::string& json, const char* key) { return std::stoi(dumpField(json, key)); }

using Program = ProgramRun;

// What cannot be done is said in one line naming the cause, with a status
// that is not success; what can be done with less runs with a warning.
// Dumps and screenshots go through the file layer: a special file in their
// place is refused by name and left as it was.
TEST_F(Program, FailuresAreReportedNotPassedOffAsSuccess) {
    fs::create_directories(work_ / "empty");
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0600), 0);
    // As root, a device node of the test's own, so that a faulty rename could
    // only ever replace that; otherwise /dev/null, which a user cannot replace.
    std::string device = at("device");
    if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0)
        device = "/dev/null";
    fs::create_symlink(device, at("to-null"));
    // Two pictures missing and a short overworld, named with its size.
    fs::copy(dataDir_, work_ / "some", fs::copy_options::recursive);
    fs::remove(work_ / "some" / "bmp_land" / "plain.bmp");
    fs::remove(work_ / "some" / "bmp_unit" / "unit_dog.bmp");
    const fs::path overworld = work_ / "some" / "map" / "1.overworld";
    fs::remove(overworld);
    std::ofstream(overworld) << std::string(300, char(22));
    // A blocking open fails the run instead of stalling the test.
    const std::string run = "timeout 20 " + program_.string() + " --headless --fast-clock --seed 3 --frames 2 ";
    const std::string withData = run + "--data-dir " + dataDir_ + " ";
    const std::string nowhere = at("nowhere");
    std::ofstream(at("bad.script")) << "0 down 27\n1 wiggle 3\n";
    std::ofstream(at("quit.script")) << "1 close\n";
    const struct {
        std::string args;
        int status;
        std::vector<std::string> says;
        int lines = 1;
    } cases[] = {
        {run + "--data-dir " + nowhere, 2, {nowhere + " does not exist"}},
        {run + "--data-dir " + at("empty"), 2, {"no pictures in the data folder " + at("empty")}},
        {run + "--data-dir " + at("some"), 0,
         {"2 of 214 pictures are missing", "bmp_land/plain.bmp: no such file or directory",
          "delve: warning: " + overworld.string() + ": has only 300 bytes of 65,536"},
         4},
        {withData + "--input " + work_.string(), 2, {"is a directory"}},
        {withData + "--input /dev/zero", 2, {"larger than 16 MiB"}},
        {withData + "--input " + at("bad.script"), 2, {"line 2"}},
        {withData + "--screenshot 2:x.png", 2, {"frame 2 never comes"}},
        {withData + "--screenshot 1:", 2, {"--screenshot: needs FRAME:FILE, not \"1:\""}},
        {withData + "--frames 9 --input " + at("quit.script") + " --screenshot 5:" + at("late.png"), 1,
         {"1 screenshot was never taken: the run ended after 1 frames"}},
        {withData + "--frames ' 5'", 2, {"--frames: needs a count 0..2000000000, not \" 5\""}},
        {withData + "--renderer vulkan", 2, {"--renderer: needs gl1 or gles2, not \"vulkan\""}},
        {withData + "--fps", 2, {"--fps"}},
        {withData + "--seed 12x", 2, {"--seed"}},
        {withData + "--dump-state " + at("no/d.json"), 1, {"cannot write"}}, // refused before the run
        {withData + "--dump-state " + at("to-null"), 1, {at("to-null") + ": is a link to a character device"}},
        {withData + "--screenshot 1:" + at("fifo"), 1, {at("fifo") + ": is a named pipe (FIFO)"}},
        {withData + "--record " + at("no/r.txt"), 1, {"--record: cannot write"}},
        {"DELVE_DATA_DIR=" + nowhere + " " + run, 2,
         {"DELVE_DATA_DIR: the folder " + nowhere + " does not exist"}},
        {"DELVE_DATA_DIR=" + nowhere + " " + withData, 0, {}, 0}, // --data-dir wins
    };
    for (const auto& c : cases) {
        const int rc = std::system((c.args + " >/dev/null 2>" + at("stderr.txt")).c_str());
        const std::string text = slurp(work_ / "stderr.txt");
        EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, c.status) << c.args << "\n" << text;
        for (const std::string& says : c.says)
            EXPECT_NE(text.find(says), std::string::npos) << c.args << "\n" << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), c.lines) << c.args << "\n" << text;
    }
    EXPECT_FALSE(fs::exists(at("late.png")));
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_TRUE(fs::is_symlink(at("to-null")));
    EXPECT_TRUE(fs::is_fifo(at("fifo")));
    for (const char* asked : {" --help", " --version"})
        EXPECT_EQ(std::system((program_.string() + asked + " >/dev/null 2>&1").c_str()), 0);
}

// A session recorded and replayed reaches the same state. Its save's Enter
// is held through every progress frame and later ones: one press, one save.
TEST_F(Program, ARecordedSessionReplaysToTheSameState) {
    // Walk, edit, save, switch views, send the hero, scroll.
    Typist t;
    t.at(0, "cursor 200 130");
    t.hold(Vk::LeftButton, 30);
    t.at(t.frame, "cursor 100 90");
    t.hold(Vk::KeyZ, 12);
    t.tap(Vk::Tab);
    t.type("env4block");
    t.tap(Vk::Enter);
    for (int i = 0; i < 9; ++i)
        t.tap(Vk::Backspace);
    t.type("save game 2");
    t.hold(Vk::Enter, 40);
    t.tap(Vk::Tab);
    t.tap(Vk::F6);
    t.at(t.frame, "cursor 400 300");
    t.hold(Vk::RightButton, 3);
    t.hold(Vk::Left, 4);
    t.tap('1');
    const std::string rec = at("session.rec");
    const std::string a = run(t.text, t.frame + 40, 11, "--record " + rec);
    ASSERT_FALSE(a.empty());
    // Replayed as a player would: no frame limit, the recording ends it.
    const std::string replay = "--headless --fast-clock --seed 11 --input " + rec + " --save-dir " +
                               at("b") + " --dump-state " + at("b.json");
    std::string out;
    ASSERT_EQ(launch("", replay, out), 0) << out;
    EXPECT_EQ(a, slurp(at("b.json")));
    EXPECT_EQ(number(a, "frameCounter") - number(a, "framesRun"), SaveProgressFrames);
    EXPECT_TRUE(fs::exists(slots_ / "SAVEGAME2.check")) << slots_;
    EXPECT_EQ(number(a, "screenWidth"), 640);
}

// A recording keeps the pace it was made at: a key held in the console
// repeats after the same game time in the replay, which the command line
// the recording prints runs without --fps. Given --fps 60, the replay is
// warned about and parts from the recording.
TEST_F(Program, ARecordingReplaysAtItsOwnPace) {
    Typist t;
    t.tap(Vk::Tab);
    t.hold('A', 24);
    const std::string rec = at("paced.rec");
    const std::string a = run(t.text, t.frame + 5, 4, "--fps 30 --record " + rec);
    ASSERT_FALSE(a.empty());
    EXPECT_GT(dumpField(a, "commandLine").size(), 6u) << a; // the key repeated
    std::string printedLine;
    std::ifstream in(rec);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("# replay: delve ", 0) == 0) printedLine = line.substr(16);
    ASSERT_EQ(printedLine.substr(printedLine.size() - 12), "--input FILE") << printedLine;
    const std::string replay = printedLine.substr(0, printedLine.size() - 4) + rec +
                               " --save-dir " + at("b") + " --dump-state " + at("b.json");
    std::string err;
    ASSERT_EQ(launch("", replay, err), 0) << err;
    EXPECT_EQ(a, slurp(at("b.json")));
    ASSERT_EQ(launch("", replay + " --fps 60", err), 0) << err;
    EXPECT_NE(err.find("made at --fps 30; at --fps 60"), std::string::npos) << err;
    EXPECT_NE(a, slurp(at("b.json")));
}

// A --screenshot of the frame in which F6 or F5 switches the view holds that
// frame as shown: the same picture as the same frame of a run in which the
// key was not pressed (the switch acts after the frame is presented).
TEST_F(Program, AScreenshotHoldsTheFrameAsShownWhenTheViewSwitches) {
    const struct {
        const char* keys;     // what both runs do first
        const char* switchAt; // the switch in the frame taken, in one run
    } cases[] = {
        {"", "4 down 117\n5 up 117\n"},                  // F6 from the first-person view
        {"1 down 117\n2 up 117\n", "4 down 116\n5 up 116\n"}, // F5 from the map
    };
    for (const auto& c : cases) {
        std::string shots[2];
        for (int withSwitch = 0; withSwitch < 2; ++withSwitch) {
            const std::string png = at("shot" + std::to_string(withSwitch) + ".png");
            run(std::string(c.keys) + (withSwitch ? c.switchAt : ""), 6, 8, "--screenshot 4:" + png);
            shots[withSwitch] = slurp(png);
        }
        EXPECT_GT(shots[0].size(), 1000u) << c.switchAt;
        EXPECT_TRUE(shots[0] == shots[1]) << c.switchAt;
    }
}

// F12 held for three frames takes one picture, pressed again another with
// its own name within the same second, in the desktop's picture folder:
// XDG_PICTURES_DIR, else user-dirs.dirs; a FIFO or endless device there is
// not read, and the picture goes to ~/Pictures.
TEST_F(Program, F12WritesAPictureWhereTheDesktopKeepsThem) {
    const fs::path home = work_ / "home", config = home / ".config";
    fs::create_directories(config);
    Typist t;
    t.hold(Vk::F12, 3);
    t.tap(Vk::F12);
    std::ofstream(at("f12.txt")) << t.text;
    const std::string args = "--headless --fast-clock --seed 7 --frames 12 --input " +
                             at("f12.txt") + " --save-dir " + at("s");
    const std::string inHome =
        "env -u XDG_PICTURES_DIR -u XDG_CONFIG_HOME HOME='" + home.string() + "' ";
    std::string out;
    ASSERT_EQ(launch(inHome + "XDG_PICTURES_DIR='" + at("My Pictures") + "'", args, out), 0) << out;
    out += printed();
    const std::vector<fs::path> pictures(fs::directory_iterator(work_ / "My Pictures" / "delve"), {});
    ASSERT_EQ(pictures.size(), 2u);
    const std::regex name(R"(delve-\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d(-2)?\.png)");
    for (const fs::path& p : pictures) {
        EXPECT_TRUE(std::regex_match(p.filename().string(), name)) << p;
        EXPECT_NE(out.find("delve: screenshot " + p.string() + "\n"), std::string::npos) << out;
        EXPECT_EQ(slurp(p).substr(1, 3), "PNG");
    }
    const fs::path userDirs = config / "user-dirs.dirs";
    std::ofstream(userDirs) << "# written by xdg-user-dirs-update\n"
                               "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    ASSERT_EQ(launch(inHome, args, out), 0) << out;
    EXPECT_TRUE(fs::exists(home / "Bilder" / "delve")) << out;
    for (bool fifo : {true, false}) {
        fs::remove(userDirs);
        fs::remove_all(home / "Pictures");
        if (fifo)
            ASSERT_EQ(::mkfifo(userDirs.c_str(), 0600), 0);
        else
            fs::create_symlink("/dev/zero", userDirs);
        ASSERT_EQ(launch(inHome, args, out), 0) << fifo << out;
        EXPECT_EQ(std::distance(fs::directory_iterator(home / "Pictures" / "delve"), fs::directory_iterator()),
                  2);
    }
}

} // namespace
} // namespace delve::test
