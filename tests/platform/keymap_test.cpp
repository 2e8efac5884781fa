// Letters through the keyboard layout.
#include <gtest/gtest.h>

#include "platform/keymap.h"

using namespace delve;

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
