// The browser's key names map to the virtual keys the SDL window uses.
#include <gtest/gtest.h>

#include "platform/web_keys.h"

namespace delve {
namespace {

TEST(WebKeys, LettersFollowTheLetterTheKeyTypes) {
    EXPECT_EQ(webVirtualKey("a", "KeyA"), 'A');
    EXPECT_EQ(webVirtualKey("A", "KeyA"), 'A'); // with Shift
    // AZERTY: the key in the US place of Q types A, and counts as A.
    EXPECT_EQ(webVirtualKey("a", "KeyQ"), 'A');
    EXPECT_EQ(webVirtualKey("z", "KeyW"), 'Z');
    // A non-Latin layout types no ASCII letter: the key keeps its US place.
    EXPECT_EQ(webVirtualKey("\xd1\x84", "KeyA"), 'A');
    EXPECT_EQ(webVirtualKey("Dead", "KeyM"), 'M');
}

TEST(WebKeys, OtherKeysGoByTheirPlace) {
    EXPECT_EQ(webVirtualKey("1", "Digit1"), '1');
    EXPECT_EQ(webVirtualKey("!", "Digit1"), '1'); // shifted digit
    EXPECT_EQ(webVirtualKey("&", "Digit1"), '1'); // AZERTY's unshifted 1
    EXPECT_EQ(webVirtualKey("0", "Digit0"), '0');
    EXPECT_EQ(webVirtualKey("F1", "F1"), 112);
    EXPECT_EQ(webVirtualKey("F12", "F12"), 123);
    EXPECT_EQ(webVirtualKey("F13", "F13"), 0);
    EXPECT_EQ(webVirtualKey("Backspace", "Backspace"), 8);
    EXPECT_EQ(webVirtualKey("Tab", "Tab"), 9);
    EXPECT_EQ(webVirtualKey("Enter", "Enter"), 13);
    EXPECT_EQ(webVirtualKey("Enter", "NumpadEnter"), 13);
    EXPECT_EQ(webVirtualKey("Shift", "ShiftRight"), 16);
    EXPECT_EQ(webVirtualKey("Control", "ControlLeft"), 17);
    EXPECT_EQ(webVirtualKey("Alt", "AltLeft"), 18);
    EXPECT_EQ(webVirtualKey("Escape", "Escape"), 27);
    EXPECT_EQ(webVirtualKey(" ", "Space"), 32);
    EXPECT_EQ(webVirtualKey("ArrowLeft", "ArrowLeft"), 37);
    EXPECT_EQ(webVirtualKey("ArrowDown", "ArrowDown"), 40);
    EXPECT_EQ(webVirtualKey("+", "NumpadAdd"), 107);
    EXPECT_EQ(webVirtualKey("-", "NumpadSubtract"), 109);
    EXPECT_EQ(webVirtualKey("7", "Numpad7"), 103);
    EXPECT_EQ(webVirtualKey("", ""), 0);
    EXPECT_EQ(webVirtualKey(nullptr, nullptr), 0);
    EXPECT_EQ(webVirtualKey("Unidentified", "Lang1"), 0);
}

TEST(WebKeys, TheBrowserKeepsItsOwnKeysExceptThoseThatFightTheGame) {
    for (int vk : {8, 9, 32, 37, 40, 107, 109, 112, 116, 117, 123})
        EXPECT_TRUE(webKeyDefaultBlocked(vk)) << vk;
    for (int vk : {13, 16, 17, 27, int('A'), int('M'), int('1'), 0})
        EXPECT_FALSE(webKeyDefaultBlocked(vk)) << vk;
}

} // namespace
} // namespace delve
