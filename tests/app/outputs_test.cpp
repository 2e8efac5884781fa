// The files the game writes for the user and the few it reads besides its
// data: a state dump or screenshot aimed at something that is not a file is
// refused untouched; F12 reads the desktop's folder list without hanging on
// it; a short overworld is named with its size.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

#include "platform/platform.h"
#include "tests/program_run.h"

namespace delve::test {
namespace {

namespace fs = std::filesystem;

class Outputs : public ProgramRun {
protected:
    int launch(const std::string& env, const std::string& args, std::string& err) {
        return ProgramRun::launch(env, "--headless --fast-clock --seed 4 " + args, err, "/dev/null");
    }
    // A character device to aim outputs at. As root, a node of its own in
    // the test's folder, so that a faulty rename could only ever replace
    // that node; otherwise /dev/null, which a user cannot replace.
    static std::string testDevice(const std::string& where) {
        if (::mknod(where.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) return where;
        return "/dev/null";
    }
};

TEST_F(Outputs, DumpsAndScreenshotsGoToRegularFilesOnly) {
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0600), 0);
    fs::create_directory(at("folder"));
    const std::string device = testDevice(at("device"));
    fs::create_symlink(device, at("to-null"));
    struct Case {
        std::string flag, path, words;
    };
    const Case cases[] = {
        {"--dump-state ", at("to-null"), "is a link to a character device"},
        {"--dump-state ", at("folder"), "is a folder"},
        {"--screenshot 1:", device, "is a character device"},
        {"--screenshot 1:", at("fifo"), "is a named pipe (FIFO)"},
    };
    for (const Case& c : cases) {
        std::string err;
        EXPECT_EQ(launch("", "--frames 2 " + c.flag + c.path, err), 1) << c.flag << c.path;
        EXPECT_NE(err.find(c.path + ": " + c.words), std::string::npos) << err;
    }
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_TRUE(fs::is_symlink(at("to-null")));
    EXPECT_TRUE(fs::is_fifo(at("fifo")));
    EXPECT_TRUE(fs::is_empty(at("folder")));

    // Through a link to a regular file: the file is written, the link stays.
    std::ofstream(at("dump.json")) << "old";
    std::ofstream(at("dump.json.tmp")) << "mine";
    fs::create_symlink(at("dump.json"), at("link.json"));
    std::string err;
    ASSERT_EQ(launch("", "--frames 2 --dump-state " + at("link.json"), err), 0) << err;
    EXPECT_TRUE(fs::is_symlink(at("link.json")));
    std::stringstream dump, mine;
    dump << std::ifstream(at("dump.json")).rdbuf();
    mine << std::ifstream(at("dump.json.tmp")).rdbuf();
    EXPECT_EQ(dumpField(dump.str(), "framesRun"), "2");
    EXPECT_EQ(mine.str(), "mine");
}

// A FIFO or an endless device where user-dirs.dirs belongs is not read: the
// picture goes to ~/Pictures/delve, promptly.
TEST_F(Outputs, F12ReadsTheDesktopsFolderListSafely) {
    const fs::path home = work_ / "home";
    const fs::path config = work_ / "config";
    fs::create_directories(config);
    Typist t;
    t.tap(Vk::F12);
    std::ofstream(at("f12.txt")) << t.text;
    const std::string args = "--frames 4 --input " + at("f12.txt") + " --save-dir " + at("s");
    const std::string env = "env -u XDG_PICTURES_DIR HOME='" + home.string() +
                            "' XDG_CONFIG_HOME='" + config.string() + "'";
    const fs::path userDirs = config / "user-dirs.dirs";
    for (int kind = 0; kind < 2; ++kind) {
        fs::remove(userDirs);
        if (kind == 0) {
            ASSERT_EQ(::mkfifo(userDirs.c_str(), 0600), 0);
        } else {
            fs::create_symlink("/dev/zero", userDirs);
        }
        fs::remove_all(home);
        std::string err;
        ASSERT_EQ(launch(env, args, err), 0) << kind << err;
        const fs::path folder = home / "Pictures" / "delve";
        ASSERT_TRUE(fs::is_directory(folder)) << kind;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    }
}

// An overworld that is not whole is named with its size (each other reason
// is the overworld loader's own test); the game runs on.
TEST_F(Outputs, AShortOverworldIsNamedWithItsSize) {
    const fs::path data = work_ / "data";
    fs::copy(dataDir_, data, fs::copy_options::recursive);
    const fs::path file = data / "map" / "1.overworld";
    fs::remove(file);
    std::ofstream(file) << std::string(300, char(22));
    dataDir_ = data.string();
    std::string err;
    EXPECT_EQ(launch("", "--frames 2", err), 0) << err;
    EXPECT_NE(err.find("delve: warning: " + file.string() + ": has only 300 bytes of 65,536"),
              std::string::npos)
        << err;
}

} // namespace
} // namespace delve::test
