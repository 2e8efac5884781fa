#include <gtest/gtest.h>

#include "console_rig.h"

namespace delve::test {
namespace {

// Runs the editor alone, as the console does while the prompt is shown.
void edit(Rig& r, std::initializer_list<int> keys, int maxLength = ConsoleLineLimit) {
    for (int k : keys) r.input.setKey(k, true);
    r.screen.clearFramebuffer();
    editCommandLine(r.console, r.input, r.clock, r.shell.frameCounter, r.screen, r.text,
                    ConsolePromptX, ConsolePromptY, maxLength, ConsolePrompt);
    for (int k : keys) r.input.setKey(k, false);
}

TEST(LineEditor, TypesLettersCapitalsDigitsAndSpacesEachWithAPause) {
    Rig r("typing");
    edit(r, {Vk::LetterA + 7});            // h
    edit(r, {Vk::Shift, Vk::LetterA + 8}); // I
    edit(r, {Vk::Space});
    edit(r, {Vk::Shift, Vk::Digit0 + 5});  // Shift does not change digits
    edit(r, {Vk::LetterA + 25});           // z
    EXPECT_STREQ(r.console.commandLine, "hI 5z");
    EXPECT_EQ(r.console.commandLength, 5);
    EXPECT_EQ(r.clock.waitedMs(), 5u * 120u);
}

TEST(LineEditor, HeldKeyRepeatsOncePerFrameUntilTheLimit) {
    Rig r("limit");
    for (int i = 0; i < 40; ++i) edit(r, {Vk::LetterA + 23});
    EXPECT_EQ(r.console.commandLength, 30);
    EXPECT_EQ(std::string(r.console.commandLine), std::string(30, 'x'));
    EXPECT_EQ(r.clock.waitedMs(), 30u * 120u); // a full line ignores keys without pausing

    // A larger limit is cut to the 255 characters the line can hold.
    Rig big("hardlimit");
    for (int i = 0; i < 300; ++i) edit(big, {Vk::Digit0 + 9}, 100000);
    EXPECT_EQ(big.console.commandLength, 255);
    EXPECT_EQ(big.console.commandLine[254], '9');
    EXPECT_EQ(big.console.commandLine[255], 0);
}

TEST(LineEditor, BackspaceRemovesBeforeAppendingAndEnterReadsNoOtherKey) {
    Rig r("backspace");
    edit(r, {Vk::LetterA});
    const uint64_t before = r.clock.waitedMs();
    edit(r, {Vk::Backspace});
    edit(r, {Vk::Backspace}); // an empty line ignores it, without a pause
    EXPECT_EQ(r.console.commandLength, 0);
    EXPECT_EQ(r.clock.waitedMs(), before + 120);
    edit(r, {Vk::LetterA + 2});
    edit(r, {Vk::Backspace, Vk::LetterA + 3});
    EXPECT_STREQ(r.console.commandLine, "d");
    edit(r, {Vk::Enter, Vk::LetterA + 1, Vk::Backspace});
    EXPECT_EQ(r.console.commandReady, 1);
    EXPECT_STREQ(r.console.commandLine, "d");
    EXPECT_EQ(inkPixels(r.screen.framebuffer), 0u);
}

} // namespace
} // namespace delve::test
