#include <gtest/gtest.h>

#include "platform/output_file.h"
#include "platform/input.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <tuple>

using namespace delve;

TEST(InputScript, MalformedLinesNameTheLine) {
    std::vector<ScriptEvent> ev;
    std::string err;
    using namespace std::string_literals;
    for (const std::string& bad : {"x down 27"s, "1"s, "1 down"s, "1 down 256"s, "1 down -1"s,
                                  "1 jump 3"s, "1 cursor 4"s, "1 close now"s, "1 down 27x"s,
                                  "1 down 65\0xyz"s, "+1 down 65"s, "-0 down 65"s, "1 down +65"s,
                                  "0 fps"s, "0 fps 1001"s, "1 fps 30"s, "0 fps 30 4"s,
                                  "1 down 27 28"s, "1 cursor -0 5"s}) {
        EXPECT_FALSE(parseInputScript("0 down 1\n" + bad + "\n", ev, err)) << bad;
        EXPECT_NE(err.find("line 2"), std::string::npos) << err;
    }
}

// The line is echoed quoted: a terminal escape or a NUL shows as \xNN, and
// a line of megabytes as its first 80 characters.
TEST(InputScript, ErrorsQuoteTheLineShortAndHarmless) {
    std::vector<ScriptEvent> ev;
    std::string err;
    using namespace std::string_literals;
    const struct {
        std::string line, shown;
    } cases[] = {
        {"1 jump \x1b[2J\0\"\\"s, R"("1 jump \x1b[2J\x00\"\\")"},
        {"1 jump " + std::string(15 << 20, 'a'), "\"1 jump " + std::string(73, 'a') + "\"..."},
        {"1 jump \x1b" + std::string(200, 'b'), R"("1 jump \x1b)" + std::string(69, 'b') + "\"..."},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(parseInputScript(c.line + "\n", ev, err));
        const std::string tail = ": " + c.shown;
        ASSERT_GE(err.size(), tail.size()) << err;
        EXPECT_EQ(err.substr(err.size() - tail.size()), tail);
    }
}

// Runs main-loop frame `f` of a 320 x 240 screen.
bool frame(Input& in, int f) { return in.beginFrame(f, 320, 240); }

Input scripted(const char* text) {
    std::vector<ScriptEvent> ev;
    std::string err;
    EXPECT_TRUE(parseInputScript(text, ev, err)) << err;
    Input in;
    in.useScript(ev);
    return in;
}

// The presses queued, in order, each followed by ^ if Shift was down (Shift's own left out).
std::string typed(Input& in) {
    std::string out;
    for (KeyPress p; in.takePress(p);)
        if (p.virtualKey != Vk::Shift) out += std::string(1, char(p.virtualKey)) + (p.shift ? "^" : "");
    return out;
}

TEST(InputScript, KeysStayDownUntilReleasedAndApplyBeforeTheirFrame) {
    Input in = scripted("1 down 65\n4 up 65\n2 cursor 400 -3\n6 close\n");
    EXPECT_FALSE(frame(in, 0));
    EXPECT_FALSE(in.isKeyDown('A'));
    for (int f = 1; f <= 3; ++f) {
        frame(in, f);
        EXPECT_TRUE(in.isKeyDown('A')) << f;
        EXPECT_EQ(in.wasPressed('A'), f == 1) << f; // a held key is one press
    }
    EXPECT_EQ(in.cursorX(320), 319); // clamped into the framebuffer
    EXPECT_EQ(in.cursorY(240), 0);
    frame(in, 4);
    EXPECT_FALSE(in.isKeyDown('A'));
    EXPECT_FALSE(frame(in, 5));
    EXPECT_TRUE(frame(in, 6));
    EXPECT_FALSE(in.isKeyDown(-1) || in.isKeyDown(100000));
    EXPECT_EQ(typed(in), "A");
}

TEST(Presses, ATapBetweenTwoFramesReadsDownForExactlyTheNextFrame) {
    // Down and up before frame 2 begins: frame 2 sees the key, frame 3 does
    // not, and each press is queued once, in order, with Shift as it was then.
    Input in = scripted("2 down 1\n2 up 1\n2 down 16\n2 down 70\n2 up 16\n2 up 70\n2 down 70\n2 up 70\n");
    frame(in, 1);
    EXPECT_FALSE(in.isKeyDown(Vk::LeftButton));
    frame(in, 2);
    EXPECT_TRUE(in.isKeyDown(Vk::LeftButton));
    EXPECT_TRUE(in.isKeyDown(Vk::LeftButton)); // every query of the frame
    EXPECT_TRUE(in.wasPressed('F'));
    EXPECT_FALSE(in.isHeld('F'));
    frame(in, 3);
    EXPECT_FALSE(in.isKeyDown(Vk::LeftButton));
    EXPECT_FALSE(in.wasPressed('F'));
    EXPECT_EQ(typed(in), std::string({char(Vk::LeftButton), 'F', '^', 'F'}));
}

TEST(Presses, ProgressFramesTakeNoPressAndDoNotSeeAKeyTheirFrameSaw) {
    Input in = scripted("1 down 13\n1 down 65\n");
    frame(in, 1);
    EXPECT_TRUE(in.isKeyDown(Vk::Enter));
    in.beginProgressFrame();
    KeyPress p;
    EXPECT_FALSE(in.takePress(p));
    EXPECT_FALSE(in.peekPress(p));
    EXPECT_FALSE(in.isKeyDown(Vk::Enter)); // already acted in its frame
    EXPECT_TRUE(in.isKeyDown('A'));        // not read yet by the frame
    in.endProgressFrame();
    EXPECT_EQ(typed(in), "\rA");
}

TEST(Recording, AReplayTakesTheSameTransitionsInTheSameFrames) {
    const std::string path = ::testing::TempDir() + "delve-input-record.txt";
    const char* script = "0 cursor 10 20\n3 down 16\n3 down 65\n3 up 65\n3 up 16\n"
                         "5 down 66\n5 up 66\n5 cursor 30 40\n9 down 2\n12 up 2\n";
    // What frames 0 to 13 see of the right button and the cursor.
    auto play = [](Input& in) {
        std::vector<std::pair<bool, int>> seen;
        for (int f = 0; f < 14; ++f) { frame(in, f); seen.emplace_back(in.isKeyDown(2), in.cursorX(320)); }
        return seen;
    };
    Input live = scripted(script);
    InputRecorder rec;
    ASSERT_EQ(rec.open(path, 42, 30), 0);
    live.recordTo(&rec);
    const auto liveSeen = play(live);
    ASSERT_EQ(rec.finish(14), 0);
    const std::string liveTyped = typed(live);

    std::vector<uint8_t> text;
    ASSERT_EQ(readWholeFile(path, text, 1 << 20), 0);
    std::vector<ScriptEvent> events;
    std::string err;
    ASSERT_TRUE(parseInputScript(std::string(text.begin(), text.end()), events, err)) << err;
    EXPECT_EQ(scriptPace(events), 30);
    Input replay = scripted(std::string(text.begin(), text.end()).c_str());
    EXPECT_EQ(play(replay), liveSeen);
    EXPECT_EQ(typed(replay), liveTyped);
    EXPECT_EQ(liveTyped, "A^B\x02");
    std::filesystem::remove(path);
}

// A picture shown at the largest whole scale, centred (at least at scale 1);
// the cursor is read in its pixels, clamped inside it, 0 in a window of no size.
TEST(Cursor, ScalesByThePicturesPlaceOnTheScreenAndClampsOutsideIt) {
    const ScreenRect small = fullscreenPictureRect(ScreenRect{0, 0, 1280, 1024}, 320, 240);
    const ScreenRect map = fullscreenPictureRect(ScreenRect{0, 0, 1920, 1080}, 640, 480);
    const ScreenRect tiny = fullscreenPictureRect(ScreenRect{0, 0, 600, 400}, 640, 480);
    using Rect = std::tuple<int, int, int, int>;
    EXPECT_EQ(Rect(small.left, small.top, small.right, small.bottom), Rect(0, 32, 1280, 992));
    EXPECT_EQ(Rect(map.left, map.top, map.right, map.bottom), Rect(320, 60, 1600, 1020));
    EXPECT_EQ(tiny.right - tiny.left, 640);
    EXPECT_EQ(cursorFromScreenX(320 + 50 * 2 + 1, map, 640), 50);
    EXPECT_EQ(cursorFromScreenY(992 - 25 * 4 - 1, small, 240), 25);
    EXPECT_EQ(cursorFromScreenX(5000, map, 640), 639);
    EXPECT_EQ(cursorFromScreenY(5000, map, 480), 0);   // below the picture
    EXPECT_EQ(cursorFromScreenY(-100, map, 480), 479); // above it
    EXPECT_EQ(cursorFromScreenX(10, ScreenRect{10, 10, 10, 10}, 320), 0);
}

TEST(Recording, AFailedRecordingLeavesTheOldFileAndNoPieceOfItself) {
    namespace fs = std::filesystem;
    const std::string dir = ::testing::TempDir() + "delve-record-fail", path = dir + "/rec.txt";
    fs::remove_all(dir);
    fs::create_directories(dir);
    ASSERT_EQ(replaceFile(path, "old\n", 4), 0);
    InputRecorder rec;
    ASSERT_EQ(rec.open(path, 1, 0), 0);
    rec.keyEvent(0, 65, true);
    setFileFaultHook([](FileOp op) { return FileFault{op == FileOp::Write ? ENOSPC : 0}; });
    EXPECT_EQ(rec.finish(3), ENOSPC);
    setFileFaultHook({});
    std::vector<uint8_t> kept;
    ASSERT_EQ(readWholeFile(path, kept, 100), 0);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "old\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1); // no temporary file

    // A FIFO at the name is refused when the recording opens, before anything waits on it.
    ASSERT_EQ(::mkfifo((dir + "/pipe").c_str(), 0600), 0);
    InputRecorder toPipe;
    EXPECT_EQ(toPipe.open(dir + "/pipe", 1, 0), NotRegularFile);
    fs::remove_all(dir);
}
