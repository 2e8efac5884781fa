// The program run on scripts: one Enter gives one save however long the
// save takes, a recorded session replays to the same state, and F12 writes
// a screenshot where a desktop keeps pictures.
#include <regex>

#include "platform/platform.h"
#include "tests/program_run.h"
#include "world/world.h"

namespace delve::test {
namespace {

namespace fs = std::filesystem;

// Frames of one save's progress screens: a map chunk each, units, variables.
constexpr int SaveProgressFrames = int((WorldBytes + 999999) / 1000000) + 2;

int number(const std::string& json, const char* key) { return std::stoi(dumpField(json, key)); }

using Session = ProgramRun;

TEST_F(Session, OneEnterGivesOneSaveHoweverLongItIsHeld) {
    // Enter held stays down through every progress frame of the save it
    // starts, and over later main-loop frames; it is one press, one save.
    for (int held : {1, 40}) {
        Typist t;
        t.tap(Vk::Tab);
        t.type("save game 3");
        t.hold(Vk::Enter, held);
        std::string dump = run(t.text, t.frame + 10, 7);
        ASSERT_FALSE(dump.empty());
        EXPECT_EQ(number(dump, "frameCounter") - number(dump, "framesRun"), SaveProgressFrames)
            << "Enter held " << held;
        EXPECT_TRUE(fs::exists(slots_ / "SAVEGAME3.check")) << slots_;
    }
}

TEST_F(Session, ARecordedSessionReplaysToTheSameState) {
    // A session that walks, edits, scrolls, switches views, saves and loads.
    Typist t;
    t.at(0, "cursor 200 130");
    t.hold(Vk::LeftButton, 30);  // walk forward in the first-person view
    t.at(t.frame, "cursor 100 90");
    t.hold(Vk::KeyZ, 12);        // and back
    t.tap(Vk::Tab);
    t.type("env4block");
    t.tap(Vk::Enter);
    for (int i = 0; i < 9; ++i) t.tap(Vk::Backspace);
    t.type("save game 2");
    t.tap(Vk::Enter);
    t.tap(Vk::Tab);
    t.tap(Vk::F6);
    t.at(t.frame, "cursor 400 300");
    t.hold(Vk::RightButton, 3);  // walk the hero on the map
    t.hold(Vk::Left, 4);
    t.tap('1');
    t.frame += 40;
    std::ofstream(work_ / "script.txt") << t.text;

    const fs::path rec = work_ / "session.rec";
    std::string out;
    ASSERT_EQ(launch("", "--headless --fast-clock --seed 11 --frames " + std::to_string(t.frame) +
                             " --input " + at("script.txt") + " --save-dir " + at("a") +
                             " --record " + rec.string() + " --dump-state " + at("a.json"),
                         out),
              0)
        << out;
    const std::string recording = slurp(rec);
    EXPECT_EQ(recording.rfind("# seed 11\n", 0), 0u) << recording;
    EXPECT_NE(recording.find(std::to_string(t.frame) + " close\n"), std::string::npos);

    // The replay as a player would run it: no frame limit, the recording
    // ends the session.
    ASSERT_EQ(launch("", "--headless --fast-clock --seed 11 --input " + rec.string() +
                             " --save-dir " + at("b") + " --dump-state " + at("b.json"),
                         out),
              0)
        << out;
    const std::string a = slurp(work_ / "a.json"), b = slurp(work_ / "b.json");
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(a, b);
    // The session did something: the hero moved and a save ran.
    EXPECT_EQ(number(a, "framesRun"), t.frame);
    EXPECT_EQ(number(a, "frameCounter") - number(a, "framesRun"), SaveProgressFrames);
    EXPECT_EQ(number(a, "screenWidth"), 640);
}

TEST_F(Session, F12WritesAPictureWhereTheDesktopKeepsThem) {
    const fs::path home = work_ / "home";
    const fs::path custom = work_ / "My Pictures";
    fs::create_directories(home / ".config");
    // F12 held for three frames takes one picture; pressed again, another
    // one with its own name even within the same second.
    Typist t;
    t.hold(Vk::F12, 3);
    t.tap(Vk::F12);
    std::ofstream(work_ / "f12.txt") << t.text;
    const std::string args = "--headless --fast-clock --seed 7 --frames 12 --input " +
                             (work_ / "f12.txt").string() + " --save-dir " +
                             (work_ / "s").string();
    const std::regex name(R"(delve-\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d(-2)?\.png)");
    std::string out;
    ASSERT_EQ(launch("HOME='" + home.string() + "' XDG_PICTURES_DIR='" + custom.string() + "'",
                     args, out),
              0)
        << out;
    out += printed();
    std::vector<fs::path> pictures;
    for (const auto& e : fs::directory_iterator(custom / "delve")) pictures.push_back(e.path());
    ASSERT_EQ(pictures.size(), 2u);
    for (const fs::path& p : pictures) {
        EXPECT_TRUE(std::regex_match(p.filename().string(), name)) << p;
        EXPECT_NE(out.find("delve: screenshot " + p.string() + "\n"), std::string::npos) << out;
        EXPECT_EQ(slurp(p).substr(1, 3), "PNG");
    }
    // Without the variable, the desktop's own user-dirs.dirs names the folder.
    std::ofstream(home / ".config" / "user-dirs.dirs")
        << "# written by xdg-user-dirs-update\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    ASSERT_EQ(launch("env -u XDG_PICTURES_DIR -u XDG_CONFIG_HOME HOME='" + home.string() + "'",
                     args, out),
              0)
        << out;
    EXPECT_TRUE(fs::exists(home / "Bilder" / "delve")) << out;
}

} // namespace
} // namespace delve::test
