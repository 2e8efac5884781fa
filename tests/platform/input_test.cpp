#include <gtest/gtest.h>

#include "platform/input.h"
#include "platform/rng.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace delve;

TEST(Cursor, ScalesByTheWindowsRealSizeAndClampsOutsideIt) {
    // 320 x 240 shown in a 640 x 480 window at the screen's corner.
    ScreenRect r{0, 0, 640, 480};
    EXPECT_EQ(cursorFromScreenX(101, r, 320), 50);
    EXPECT_EQ(cursorFromScreenY(480 - 51, r, 240), 25);
    ScreenRect off{100, 50, 740, 530};
    EXPECT_EQ(cursorFromScreenX(5000, off, 640), 639);
    EXPECT_EQ(cursorFromScreenY(5000, off, 480), 0);   // below the window
    EXPECT_EQ(cursorFromScreenY(-100, off, 480), 479); // above it
    // A window of no size reads 0 rather than dividing by zero into garbage.
    EXPECT_EQ(cursorFromScreenX(10, ScreenRect{10, 10, 10, 10}, 320), 0);
}

TEST(InputScript, MalformedLinesNameTheLine) {
    std::vector<ScriptEvent> ev;
    std::string err;
    for (const char* bad : {"x down 27", "1 down", "1 down 256", "1 down -1", "1 jump 3",
                            "1 cursor 4", "1 close now", "1 down 27x"}) {
        std::string text = std::string("0 down 1\n") + bad + "\n";
        EXPECT_FALSE(parseInputScript(text, ev, err)) << bad;
        EXPECT_NE(err.find("line 2"), std::string::npos) << err;
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

std::string typed(Input& in) {
    std::string out;
    for (KeyPress p; in.takePress(p);) {
        if (p.virtualKey == Vk::Shift) continue;
        out += char(p.virtualKey);
        if (p.shift) out += '^';
    }
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
    EXPECT_FALSE(in.isKeyDown(-1));
    EXPECT_FALSE(in.isKeyDown(100000));
    EXPECT_EQ(typed(in), "A");
}

TEST(Presses, ATapBetweenTwoFramesReadsDownForExactlyTheNextFrame) {
    // Down and up before frame 2 begins: frame 2 sees the key, frame 3
    // does not, and the press is queued once.
    Input in = scripted("2 down 1\n2 up 1\n2 down 70\n2 up 70\n");
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
    EXPECT_EQ(typed(in), std::string({char(Vk::LeftButton), 'F'}));
}

TEST(Presses, OverlappingKeysTypeInTheOrderTheyWentDownWithShiftAsItWas) {
    // A fast typist: each key goes down before the last comes up, and Shift
    // is let go between two keys of the same frame.
    Input in = scripted("1 down 67\n1 down 79\n1 up 67\n1 down 78\n1 up 79\n"
                        "2 down 16\n2 down 84\n2 up 16\n2 up 84\n2 down 69\n2 up 69\n"
                        "3 down 67\n3 up 67\n3 down 67\n3 up 67\n");
    frame(in, 1);
    frame(in, 2);
    frame(in, 3);
    EXPECT_EQ(typed(in), "CONT^ECC"); // the same key twice in a frame is two presses
    KeyPress none;
    EXPECT_FALSE(in.takePress(none));
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

TEST(Presses, TheOpenConsoleKeepsTypingKeysFromTheGame) {
    Input in = scripted("1 down 77\n1 down 49\n1 down 38\n1 down 116\n1 down 1\n");
    frame(in, 1);
    in.captureTyping(true);
    EXPECT_FALSE(in.isKeyDown(Vk::KeyM));
    EXPECT_FALSE(in.isKeyDown('1'));
    EXPECT_TRUE(in.isKeyDown(Vk::Up));
    EXPECT_TRUE(in.isKeyDown(Vk::F5));
    EXPECT_TRUE(in.isKeyDown(Vk::LeftButton));
    EXPECT_TRUE(in.isHeld(Vk::KeyM)); // the console's own repeat still sees it
    in.captureTyping(false);
    EXPECT_TRUE(in.isKeyDown(Vk::KeyM));
}

TEST(Recording, AReplayTakesTheSameTransitionsInTheSameFrames) {
    const std::string path = ::testing::TempDir() + "delve-input-record.txt";
    const char* script = "0 cursor 10 20\n3 down 16\n3 down 65\n3 up 65\n3 up 16\n"
                         "5 down 66\n5 up 66\n5 cursor 30 40\n9 down 2\n12 up 2\n";
    Input live = scripted(script);
    InputRecorder rec;
    ASSERT_EQ(rec.open(path, 42), 0);
    live.recordTo(&rec);
    std::vector<std::pair<bool, int>> seen;
    auto look = [&](Input& in, int f) {
        frame(in, f);
        seen.emplace_back(in.isKeyDown(2), in.cursorX(320));
    };
    for (int f = 0; f < 14; ++f) look(live, f);
    ASSERT_EQ(rec.finish(14), 0);
    const std::string liveTyped = typed(live);

    std::vector<ScriptEvent> ev;
    std::string err, text;
    {
        std::FILE* f = std::fopen(path.c_str(), "r");
        ASSERT_NE(f, nullptr);
        for (int c; (c = std::fgetc(f)) != EOF;) text += char(c);
        std::fclose(f);
    }
    ASSERT_TRUE(parseInputScript(text, ev, err)) << err;
    EXPECT_EQ(text.rfind("# seed 42\n", 0), 0u);
    Input replay;
    replay.useScript(ev);
    const auto liveSeen = seen;
    seen.clear();
    for (int f = 0; f < 14; ++f) look(replay, f);
    EXPECT_EQ(seen, liveSeen);
    EXPECT_EQ(typed(replay), liveTyped);
    EXPECT_EQ(liveTyped, "A^B\x02");
    std::remove(path.c_str());
}

TEST(FullScreen, ThePictureTakesTheLargestWholeScaleCentredAndTheCursorFollowsIt) {
    const ScreenRect screen{0, 0, 1280, 1024};
    const ScreenRect small = fullscreenPictureRect(screen, 320, 240);
    EXPECT_EQ(small.left, 0);
    EXPECT_EQ(small.top, 32);
    EXPECT_EQ(small.right, 1280);
    EXPECT_EQ(small.bottom, 992);
    const ScreenRect map = fullscreenPictureRect(ScreenRect{0, 0, 1920, 1080}, 640, 480);
    EXPECT_EQ(map.left, 320);
    EXPECT_EQ(map.right, 1600);
    EXPECT_EQ(map.top, 60);
    EXPECT_EQ(map.bottom, 1020);
    // The same framebuffer pixel as in a window: (50, 25) of 320 x 240.
    EXPECT_EQ(cursorFromScreenX(50 * 4 + 2, small, 320), 50);
    EXPECT_EQ(cursorFromScreenY(992 - 25 * 4 - 1, small, 240), 25);
    // A screen smaller than the picture still shows it at scale 1.
    const ScreenRect tiny = fullscreenPictureRect(ScreenRect{0, 0, 600, 400}, 640, 480);
    EXPECT_EQ(tiny.right - tiny.left, 640);
}

TEST(Recording, AFailedRecordingLeavesTheOldFileAndNoPieceOfItself) {
    const std::string dir = ::testing::TempDir() + "delve-record-fail";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/rec.txt";
    { std::ofstream(path) << "old\n"; }
    InputRecorder rec;
    ASSERT_EQ(rec.open(path, 1), 0);
    rec.keyEvent(0, 65, true);
    setFileFaultHook([](FileOp op) { return FileFault{op == FileOp::Write ? ENOSPC : 0}; });
    EXPECT_EQ(rec.finish(3), ENOSPC);
    setFileFaultHook({});
    std::ifstream in(path);
    std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "old\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1); // no temporary file left beside it

    // A FIFO at the name is refused before anything waits on it.
    const std::string fifo = dir + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    InputRecorder toPipe;
    EXPECT_EQ(toPipe.open(fifo, 1), NotRegularFile);
    std::filesystem::remove_all(dir);
}
