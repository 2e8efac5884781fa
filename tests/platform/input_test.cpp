#include <gtest/gtest.h>

#include "platform/input.h"
#include "platform/rng.h"

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

TEST(InputScript, KeysStayDownUntilReleasedAndApplyBeforeTheirFrame) {
    Input in;
    std::vector<ScriptEvent> ev;
    std::string err;
    ASSERT_TRUE(parseInputScript("1 down 65\n4 up 65\n2 cursor 400 -3\n6 close\n", ev, err));
    in.useScript(ev);
    EXPECT_FALSE(in.applyScript(0));
    EXPECT_FALSE(in.isKeyDown('A'));
    for (int f = 1; f <= 3; ++f) {
        in.applyScript(f);
        EXPECT_TRUE(in.isKeyDown('A')) << f;
    }
    EXPECT_EQ(in.cursorX(320), 319); // clamped into the framebuffer
    EXPECT_EQ(in.cursorY(240), 0);
    in.applyScript(4);
    EXPECT_FALSE(in.isKeyDown('A'));
    EXPECT_FALSE(in.applyScript(5));
    EXPECT_TRUE(in.applyScript(6));
    EXPECT_FALSE(in.isKeyDown(-1));
    EXPECT_FALSE(in.isKeyDown(100000));
}
