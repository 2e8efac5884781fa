// The settings file: its parser, where it lives, what a damaged one turns
// into, when the game writes it, and the runs that never touch it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "app/settings.h"
#include "tests/program_run.h"

namespace delve {
namespace {

namespace fs = std::filesystem;

Settings make(int scale, bool fullscreen, int fps, GraphicsApi renderer) {
    Settings s;
    s.scale = scale;
    s.fullscreen = fullscreen;
    s.fps = fps;
    s.renderer = renderer;
    return s;
}

TEST(Settings, ParsesStrictlyAndNamesTheLineAndTheFault) {
    const Settings defaults;
    struct Case {
        std::string text;
        int line; // 0: parses
        const char* error;
        Settings want;
    };
    const Case cases[] = {
        {"", 0, "", defaults},
        {"# only a comment\n\n   \n", 0, "", defaults},
        {"scale = 3\nfullscreen = on\nfps = 0\nrenderer = gles2\n", 0, "",
         make(3, true, 0, GraphicsApi::Gles2)},
        {"\t scale=4   # the biggest\r\nfps = 1000", 0, "", make(4, false, 1000, defaults.renderer)},
        {"fullscreen = off\nrenderer = gl1\n", 0, "", make(2, false, 60, GraphicsApi::Gl1)},
        {"\n\nscale = 9\n", 3, "scale must be 1 to 4 (read \"9\")", {}},
        {"scale = 0", 1, "scale must be 1 to 4 (read \"0\")", {}},
        {"scale = +3", 1, "scale must be 1 to 4 (read \"+3\")", {}},
        {"scale = 3.0", 1, "scale must be 1 to 4", {}},
        {"scale =", 1, "scale must be 1 to 4 (read \"\")", {}},
        {"fps = 1001", 1, "fps must be 0 to 1000 (read \"1001\")", {}},
        {"fps = -1", 1, "fps must be 0 to 1000", {}},
        {"fullscreen = yes", 1, "fullscreen must be on or off (read \"yes\")", {}},
        {"renderer = vulkan", 1, "renderer must be gl1 or gles2 (read \"vulkan\")", {}},
        {"# ok\ncolour = red\n", 2, "unknown key \"colour\"", {}},
        {"Scale = 2", 1, "unknown key \"Scale\"", {}},
        {"scale 3", 1, "expected key = value (read \"scale 3\")", {}},
        {"scale = 2\nfps = 30\nscale = 3\n", 3, "scale is set twice (first on line 1)", {}},
        {std::string("scale = 2\n\x7f" "ELF\x01\x00", 16), 2, "control byte 0x7f", {}},
        {std::string("fps = 6\x00" "0\n", 9), 1, "control byte 0x00", {}},
        // Shown on one line whatever the bytes: escaped and cut short.
        {"scale = \xff\xfe" + std::string(40, 'x'), 1,
         "(read \"\\xff\\xfexxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...\")", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Settings got;
        int line = -1;
        std::string error;
        const bool ok = parseSettings(c.text, got, line, error);
        EXPECT_EQ(ok, c.line == 0) << error;
        if (ok) {
            EXPECT_EQ(got, c.want);
        } else {
            EXPECT_EQ(line, c.line);
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
        }
    }
}

// What the game writes, it reads back as it was; the header says each key.
TEST(Settings, WrittenTextReadsBackTheSame) {
    for (const Settings& s : {Settings{}, make(1, true, 0, GraphicsApi::Gles2),
                              make(4, false, 1000, GraphicsApi::Gl1)}) {
        const std::string text = formatSettings(s);
        Settings back = make(3, false, 7, GraphicsApi::Gles2);
        int line = 0;
        std::string error;
        ASSERT_TRUE(parseSettings(text, back, line, error)) << error << "\n" << text;
        EXPECT_EQ(back, s) << text;
    }
    const std::string header = formatSettings(Settings{});
    for (const char* key : {"# scale ", "# fullscreen ", "# fps ", "# renderer "})
        EXPECT_NE(header.find(key), std::string::npos) << key;
}

TEST(Settings, LivesInTheDesktopsConfigFolder) {
    const std::map<std::string, std::string> cases[] = {
        {{"XDG_CONFIG_HOME", "/x/conf"}, {"HOME", "/home/u"}, {"want", "/x/conf/delve/settings.ini"}},
        {{"HOME", "/home/u"}, {"want", "/home/u/.config/delve/settings.ini"}},
        {{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/u"}, {"want", "/home/u/.config/delve/settings.ini"}},
        {{"XDG_CONFIG_HOME", "conf"}, {"HOME", "/home/u"}, {"want", "/home/u/.config/delve/settings.ini"}},
        {{"want", "./.config/delve/settings.ini"}},
    };
    for (const auto& env : cases) {
        const std::string got = settingsPath([&env](const char* name) -> const char* {
            const auto it = env.find(name);
            return it == env.end() ? nullptr : it->second.c_str();
        });
        EXPECT_EQ(got, env.at("want"));
    }
}

// A flag wins for its run; the file fills in the rest.
TEST(Settings, CommandLineFlagsWinOverTheFile) {
    const Settings file = make(3, true, 30, GraphicsApi::Gles2);
    Options plain;
    applySettings(file, plain);
    EXPECT_EQ(plain.fps, 30);
    EXPECT_EQ(plain.renderer, GraphicsApi::Gles2);
    EXPECT_EQ(plain.windowScale, 3);
    EXPECT_TRUE(plain.fullscreen);
    Options flags;
    flags.fps = 0;
    flags.renderer = GraphicsApi::Gl1;
    flags.rendererGiven = true;
    applySettings(file, flags);
    EXPECT_EQ(flags.fps, 0);
    EXPECT_EQ(flags.renderer, GraphicsApi::Gl1);

    // The pace without --fps: 60 a second in a window, unpaced where
    // waits are virtual or nothing is shown.
    struct Run {
        void (*set)(Options&);
        bool uses;
        int pace;
    };
    const Run runs[] = {
        {[](Options&) {}, true, 60},
        {[](Options& o) { o.headless = true; }, false, 0},
        {[](Options& o) { o.fastClock = true; }, false, 0},
        {[](Options& o) { o.inputScript = "x.script"; }, false, 60},
        {[](Options& o) { o.noSettings = true; }, false, 60},
        {[](Options& o) { o.headless = true; o.fps = 30; }, false, 30},
    };
    for (const Run& r : runs) {
        Options o;
        r.set(o);
        EXPECT_EQ(usesSettingsFile(o), r.uses);
        EXPECT_EQ(framePace(o), r.pace);
    }
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("delve-settings-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "delve");
        path_ = (dir_ / "delve" / "settings.ini").string();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    static std::string slurp(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir_;
    std::string path_;
};

// Every kind of damage is said in one line naming the file (and the line
// where there is one), the game gets the defaults, and nothing is lost: a
// damaged file is kept as settings.ini.bad with its bytes and replaced by
// the defaults; what is not a file stays where it is and is not written.
TEST_F(SettingsFile, DamageIsNamedSetAsideAndReplacedByTheDefaults) {
    const std::string big(10 << 20, 's');
    struct Case {
        const char* name;
        std::function<void(const std::string&)> plant; // makes settings.ini
        const char* says;   // in the one line; empty: nothing is said
        bool keptAsBad;     // the bytes planted are in settings.ini.bad
        bool defaultsWritten;
        Settings want;
    };
    const auto file = [](std::string text) {
        return [text](const std::string& p) { std::ofstream(p, std::ios::binary) << text; };
    };
    const Case cases[] = {
        {"no file", [](const std::string&) {}, "", false, false, Settings{}},
        {"no folder", [](const std::string& p) { fs::remove_all(fs::path(p).parent_path()); }, "",
         false, false, Settings{}},
        {"good", file("scale = 4\nfps = 30\n"), "", false, false, make(4, false, 30, Settings{}.renderer)},
        {"unknown key", file("scale = 3\nvolume = 11\n"), ":2: unknown key \"volume\"", true, true,
         Settings{}},
        {"out of range", file("# mine\n\nscale = 9\n"), ":3: scale must be 1 to 4 (read \"9\")", true,
         true, Settings{}},
        {"binary bytes", file(std::string("\x89PNG\r\n\x1a\n\0\0", 10)), ":2: holds the control byte 0x1a",
         true, true, Settings{}},
        {"10 MB", file(big), ": is larger than 64 KiB", true, true, Settings{}},
        {"FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
         ": is a named pipe (FIFO); using the defaults and leaving it as it is", false, false,
         Settings{}},
        {"folder", [](const std::string& p) { fs::create_directory(p); },
         ": is a folder; using the defaults and leaving it as it is", false, false, Settings{}},
        {"/dev/zero", [](const std::string& p) { fs::create_symlink("/dev/zero", p); },
         ": is a link to a character device; using the defaults", false, false, Settings{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "delve");
        c.plant(path_);
        const std::string planted = fs::is_regular_file(path_) ? slurp(path_) : "";
        const auto type = fs::symlink_status(path_).type();

        const LoadedSettings got = loadSettings(path_);
        EXPECT_EQ(got.settings, c.want);
        if (*c.says) {
            EXPECT_EQ(got.problem.rfind(path_, 0), 0u) << got.problem;
            EXPECT_NE(got.problem.find(c.says), std::string::npos) << got.problem;
            EXPECT_EQ(got.problem.find('\n'), std::string::npos) << got.problem;
        } else {
            EXPECT_EQ(got.problem, "");
        }
        EXPECT_EQ(fs::exists(path_ + ".bad"), c.keptAsBad);
        if (c.keptAsBad) {
            EXPECT_NE(got.problem.find("kept as settings.ini.bad"), std::string::npos);
            EXPECT_TRUE(slurp(path_ + ".bad") == planted);
        }
        if (c.defaultsWritten) {
            EXPECT_EQ(slurp(path_), formatSettings(Settings{}));
            EXPECT_TRUE(got.writable);
        } else if (c.keptAsBad == false && type != fs::file_type::not_found) {
            // Left exactly as it was.
            EXPECT_EQ(fs::symlink_status(path_).type(), type);
            if (type == fs::file_type::regular) {
                EXPECT_EQ(slurp(path_), planted);
            }
        }
        // What cannot be read is not written over this run either.
        const bool special = type != fs::file_type::regular && type != fs::file_type::not_found;
        EXPECT_EQ(got.writable, !special);
    }
}

// The keeper writes once per change of the player's scale or full screen,
// never when nothing changed, never the pace a flag gave, and not the map
// view's own scale.
TEST_F(SettingsFile, WrittenOncePerChangeAndOnlyWhatThePlayerChose) {
    fs::remove_all(dir_ / "delve"); // the folder is made on the first write
    SettingsKeeper keeper(path_, make(2, true, 45, GraphicsApi::Gl1), true);
    // The remembered full screen the window system refused is not the
    // player's change: the file keeps it.
    keeper.start(320, 2, false);
    for (int frame = 0; frame < 3; ++frame) keeper.observe(320, 2, false);
    EXPECT_EQ(keeper.writes(), 0);
    EXPECT_FALSE(fs::exists(dir_ / "delve"));

    keeper.observe(320, 3, false); // F3
    keeper.observe(320, 3, false);
    EXPECT_EQ(keeper.writes(), 1);
    EXPECT_EQ(fs::status(dir_ / "delve").permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(slurp(path_), formatSettings(make(3, true, 45, GraphicsApi::Gl1)));

    keeper.observe(640, 1, false); // F6: the map view at its own scale
    keeper.observe(640, 4, true);  // F4 there, then F11: what the file holds
    EXPECT_EQ(keeper.writes(), 1);
    keeper.observe(640, 4, false); // F11 again
    EXPECT_EQ(keeper.writes(), 2);
    EXPECT_EQ(slurp(path_), formatSettings(make(3, false, 45, GraphicsApi::Gl1)));
    keeper.observe(320, 2, false); // F5: back to the first-person view at 2
    keeper.observe(320, 2, false);
    EXPECT_EQ(keeper.writes(), 3);
    EXPECT_EQ(slurp(path_), formatSettings(make(2, false, 45, GraphicsApi::Gl1)));
}

// A file that cannot be written is said once, not every frame.
TEST_F(SettingsFile, AFailedWriteIsSaidOnce) {
    std::ofstream(dir_ / "blocker") << "a file where the folder should be";
    SettingsKeeper keeper((dir_ / "blocker" / "settings.ini").string(), Settings{}, true);
    keeper.start(320, 2, false);
    ::testing::internal::CaptureStderr();
    for (int zoom : {3, 4, 1}) keeper.observe(320, zoom, false);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(keeper.writes(), 0);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("cannot write the settings"), std::string::npos) << said;
}

// Runs that must repeat exactly neither read nor write the file, however
// damaged it is and whatever it holds.
class SettingsProgram : public test::ProgramRun {};

TEST_F(SettingsProgram, HeadlessScriptedAndFastRunsLeaveTheFileAlone) {
    const fs::path config = work_ / "config" / "delve";
    fs::create_directories(config);
    const std::string damaged = "scale = 9\n";
    std::ofstream(config / "settings.ini") << damaged;
    std::ofstream(at("none.script")) << "";
    const std::string env = "XDG_CONFIG_HOME='" + (work_ / "config").string() + "'";
    for (const std::string& args : std::vector<std::string>{"--headless --frames 3", "--headless --fast-clock --frames 3",
                                   "--headless --input " + at("none.script") + " --frames 3"}) {
        SCOPED_TRACE(args);
        std::string err;
        ASSERT_EQ(launch(env, args + " --seed 3 --save-dir " + at("s") + " --dump-state " +
                                  at("d.json"),
                         err),
                  0)
            << err;
        EXPECT_EQ(err.find("settings"), std::string::npos) << err;
        EXPECT_EQ(test::dumpField(slurp(work_ / "d.json"), "pixelZoom"), "2");
        EXPECT_EQ(slurp(config / "settings.ini"), damaged);
        EXPECT_FALSE(fs::exists(config / "settings.ini.bad"));
    }
}

} // namespace
} // namespace delve
