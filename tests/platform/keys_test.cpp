// Key names into virtual keys: letters through the keyboard layout, and the
// browser's key names into the keys the SDL window uses.
#include <gtest/gtest.h>

#include "platform/keymap.h"
#include "platform/web_keys.h"

namespace delve {
namespace {

TEST(LetterKeys, FollowTheActiveLayoutElseStayWhereAUsKeyboardHasThem) {
    // AZERTY as the scancodes of the keys that type a and m: the key in the US
    // place of Q, and the one right of L (51). No key types z: as on a
    // Cyrillic layout, that letter stays at its US place.
    auto azerty = [](int key) {
        return key == 'a' ? ScancodeLetterA + ('q' - 'a') : key == 'm' ? 51 : ScancodeUnknown;
    };
    EXPECT_EQ(letterScancode('A', azerty), ScancodeLetterA + ('q' - 'a'));
    EXPECT_EQ(letterScancode('M', azerty), 51);
    EXPECT_EQ(letterScancode('Z', azerty), ScancodeLetterA + ('z' - 'a'));
    // What is not a capital letter has no letter key, and the layout is not asked.
    int asked = 0;
    auto counting = [&](int) { ++asked; return 9; };
    for (int vk : {int('@'), int('['), int('a')}) EXPECT_EQ(letterScancode(vk, counting), ScancodeUnknown) << vk;
    EXPECT_EQ(asked, 0);
}

// A letter key counts as the letter it types (AZERTY's key in the US place of
// Q types a); one that types no ASCII letter keeps its US place, as other keys do.
TEST(WebKeys, LettersFollowTheLetterTheKeyTypesOtherKeysTheirPlace) {
    struct Case { const char* key; const char* code; int vk; };
    const Case cases[] = {
        {"a", "KeyA", 'A'}, {"A", "KeyA", 'A'}, {"a", "KeyQ", 'A'}, {"\xd1\x84", "KeyM", 'M'},
        {"!", "Digit1", '1'}, {"0", "Digit0", '0'}, {"F1", "F1", 112}, {"F12", "F12", 123},
        {"F13", "F13", 0}, {"Enter", "NumpadEnter", 13}, {"7", "Numpad7", 103},
        {nullptr, nullptr, 0}, {"Unidentified", "Lang1", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(webVirtualKey(c.key, c.code), c.vk) << (c.code ? c.code : "null");
}

TEST(WebKeys, TheBrowserKeepsItsOwnKeysExceptThoseThatFightTheGame) {
    for (int vk : {8, 9, 32, 37, 40, 107, 109, 112, 116, 117, 123})
        EXPECT_TRUE(webKeyDefaultBlocked(vk)) << vk;
    for (int vk : {13, 16, 17, 27, int('A'), int('M'), int('1'), 0})
        EXPECT_FALSE(webKeyDefaultBlocked(vk)) << vk;
}

} // namespace
} // namespace delve
