// The browser's key names into the keys the SDL window uses.
#include <gtest/gtest.h>

#include "platform/web_keys.h"

namespace delve {
namespace {

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
