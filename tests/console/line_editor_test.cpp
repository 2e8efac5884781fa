#include <gtest/gtest.h>

#include "console_rig.h"

namespace delve::test {
namespace {

// Runs the editor alone with the prompt shown, as the console does each
// frame.
void edit(Rig& r, int maxLength = ConsoleLineLimit) {
    r.console.consoleOpen = 1;
    editCommandLine(r.console, r.input, r.clock, maxLength);
    r.clock.endFrame();
}

// Taps each key: down and up again before the editor runs.
void tap(Rig& r, std::initializer_list<int> keys) {
    for (int k : keys) {
        r.input.setKey(k, true);
        r.input.setKey(k, false);
    }
}

// Rollover: each key goes down before the last comes up, Shift is let go
// between two keys, and a key is tapped twice, all before one frame.
TEST(LineEditor, TypesEveryPressOnceInOrderWithShiftAsItWasAtThePress) {
    Rig r("typing");
    const int c = Vk::LetterA + 2, o = Vk::LetterA + 14, n = Vk::LetterA + 13;
    for (auto [k, down] : {std::pair{c, true}, {o, true}, {c, false}, {int(Vk::Shift), true},
                           {n, true}, {int(Vk::Shift), false}, {o, false}, {n, false}})
        r.input.setKey(k, down);
    tap(r, {Vk::Space, Vk::Digit0 + 5, Vk::F5, Vk::Digit0 + 5, Vk::Up});
    edit(r);
    EXPECT_STREQ(r.console.commandLine, "coN 55");
}

TEST(LineEditor, AHeldKeyTypesOnceThenRepeatsEachFrameAfterTheDelay) {
    Rig r("repeat");
    r.input.setKey(Vk::LetterA + 23, true); // x, held
    while (r.clock.gameMs() < KeyRepeatDelayMs) edit(r);
    EXPECT_STREQ(r.console.commandLine, "x");
    for (int i = 0; i < 40; ++i) edit(r);
    EXPECT_EQ(r.console.commandLength, ConsoleLineLimit); // the limit holds
    r.input.setKey(Vk::LetterA + 23, false);
    r.input.setKey(Vk::Backspace, true);
    edit(r);
    edit(r);
    EXPECT_EQ(r.console.commandLength, ConsoleLineLimit - 1); // released keys stop repeating

    // A larger limit is cut to the 255 characters the line can hold.
    Rig big("hardlimit");
    for (int i = 0; i < 300; ++i) { tap(big, {Vk::Digit0 + 9}); edit(big, 100000); }
    EXPECT_EQ(big.console.commandLength, 255);
    EXPECT_EQ(std::string(big.console.commandLine), std::string(255, '9'));
}

TEST(LineEditor, EnterEndsTheLineAndLeavesLaterPressesForTheNextFrame) {
    Rig r("enter");
    tap(r, {Vk::LetterA + 2, Vk::Backspace, Vk::LetterA + 3, Vk::Enter, Vk::LetterA + 1,
            Vk::Backspace});
    edit(r);
    EXPECT_EQ(r.console.commandReady, 1);
    EXPECT_STREQ(r.console.commandLine, "d");
    r.console.commandReady = 0;
    edit(r);
    EXPECT_EQ(r.console.commandReady, 0);
    EXPECT_STREQ(r.console.commandLine, "d");

    // The prompt is not drawn in Enter's frame (an empty line answers
    // nothing), and is again in the next.
    Rig drawn("enter-drawn");
    drawn.console.consoleOpen = 1;
    drawn.press({Vk::Enter});
    EXPECT_EQ(inkPixels(drawn.screen.framebuffer), 0u);
    drawn.frame();
    EXPECT_GT(inkPixels(drawn.screen.framebuffer), 0u);

    // Alt+Enter is the full-screen key, not a command.
    r.input.setKey(Vk::Alt, true);
    tap(r, {Vk::Enter});
    edit(r);
    EXPECT_EQ(r.console.commandReady, 0);
}

TEST(Console, TabPressesAndTypedKeysActInTheOrderTheyCame) {
    Rig r("order");
    // "m" before Tab is a game key; "ls" after it types; Tab again closes,
    // and "q" after that types nothing; no prompt is drawn.
    tap(r, {Vk::KeyM, Vk::Tab, Vk::LetterA + 11, Vk::LetterA + 18, Vk::Tab, Vk::LetterA + 16});
    r.frame();
    EXPECT_EQ(r.console.consoleOpen, 0);
    EXPECT_STREQ(r.console.commandLine, "ls");
    EXPECT_EQ(inkPixels(r.screen.framebuffer), 0u);

    // While the prompt is shown the keys that type reach nothing else (the
    // console's own repeat still sees them held); closed, they reach the game.
    r.press({Vk::Tab});
    Screen kept; // the kept line, drawn alone
    kept.setMode(320, 240);
    TextBuffer line;
    line.set("CMD:ls_");
    drawLargeText(kept, line, 14, 67, 255, 255, 255);
    EXPECT_EQ(r.screen.framebuffer, kept.framebuffer);
    for (int k : {int(Vk::KeyM), Vk::Digit0 + 2, int(Vk::Left)}) r.input.setKey(k, true);
    EXPECT_FALSE(r.input.isKeyDown(Vk::KeyM));
    EXPECT_FALSE(r.input.isKeyDown(Vk::Digit0 + 2));
    EXPECT_TRUE(r.input.isKeyDown(Vk::Left));
    EXPECT_TRUE(r.input.isHeld(Vk::KeyM));
    r.press({Vk::Tab});
    EXPECT_TRUE(r.input.isKeyDown(Vk::KeyM));

    // A held key repeats once a frame, however many Tabs split its presses.
    Rig held("held");
    held.press({Vk::Tab});
    held.input.setKey(Vk::LetterA + 23, true); // x
    while (held.clock.gameMs() < KeyRepeatDelayMs) held.frame();
    const int before = held.console.commandLength;
    tap(held, {Vk::F5, Vk::Tab, Vk::Tab, Vk::F5, Vk::Tab, Vk::Tab});
    held.frame();
    EXPECT_EQ(held.console.commandLength, before + 1);
}

// Escape hides a shown prompt as Tab does and is then the console's until
// it is let go; pressed with the prompt hidden it is the game's. Ctrl+U
// empties a shown line and types nothing; hidden, it does nothing.
TEST(Console, EscapeHidesTheShownPromptAndCtrlUEmptiesTheLine) {
    Rig r("escape");
    r.command("abc");
    ASSERT_EQ(r.console.consoleOpen, 1);
    const uint64_t before = r.clock.waitedMs();
    r.input.setKey(Vk::Escape, true);
    r.frame();
    EXPECT_EQ(r.console.consoleOpen, 0);
    EXPECT_EQ(r.clock.waitedMs() - before, uint64_t(PromptTogglePauseMs));
    for (int held = 0; held < 3; ++held) {
        EXPECT_TRUE(consoleTookEscape(r.console)) << "held for " << held << " frames";
        r.frame();
    }
    EXPECT_EQ(r.console.consoleOpen, 0); // a held Escape hides once, opens nothing
    r.input.setKey(Vk::Escape, false);
    r.frame();
    EXPECT_FALSE(consoleTookEscape(r.console));
    r.press({Vk::Escape});
    EXPECT_FALSE(consoleTookEscape(r.console)); // hidden: the game's
    // Let go and pressed again before the next frame: a new press.
    r.press({Vk::Tab});
    r.input.setKey(Vk::Escape, true);
    r.frame();
    tap(r, {Vk::Escape});
    r.input.setKey(Vk::Escape, true);
    r.frame();
    EXPECT_FALSE(consoleTookEscape(r.console));
    r.input.setKey(Vk::Escape, false);

    const int u = Vk::LetterA + 20;
    const struct { bool open; const char* line; } cases[] = {{true, ""}, {false, "abc"}};
    for (const auto& c : cases) {
        r.console.consoleOpen = c.open;
        r.console.commandReady = 0;
        std::strcpy(r.console.commandLine, "abc");
        r.console.commandLength = 3;
        r.input.setKey(Vk::Control, true);
        r.input.setKey(u, true);
        for (int i = 0; i < 60; ++i) r.frame(); // held well past the repeat delay
        r.input.setKey(u, false);
        r.input.setKey(Vk::Control, false);
        EXPECT_STREQ(r.console.commandLine, c.line) << c.open;
        EXPECT_EQ(r.console.commandLength, int(std::strlen(c.line))) << c.open;
        EXPECT_EQ(r.console.commandReady, 0) << c.open;
    }
    r.console.consoleOpen = 1;
    tap(r, {Vk::LetterA, u});
    r.frame();
    EXPECT_STREQ(r.console.commandLine, "abcau"); // U alone types
}

} // namespace
} // namespace delve::test
