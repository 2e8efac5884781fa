// Letters through the keyboard layout.
#include <gtest/gtest.h>

#include <map>

#include "platform/keymap.h"

using namespace delve;

namespace {

// A layout as the scancodes (US positions) of the keys that type each letter.
using Layout = std::map<char, int>;

int usPosition(char letter) { return ScancodeLetterA + (letter - 'a'); }

// usKeysToLetters[i] is the letter typed by the key at the US position of 'a' + i.
Layout layoutFrom(const char* usKeysToLetters) {
    Layout l;
    for (int i = 0; i < 26; ++i) l[usKeysToLetters[i]] = ScancodeLetterA + i;
    return l;
}

} // namespace

TEST(LetterKeys, FollowTheActiveLayout) {
    const Layout qwerty = layoutFrom("abcdefghijklmnopqrstuvwxyz");
    // AZERTY: A and Q, Z and W swap; M sits right of L (scancode 51) and
    // the US M key types a comma.
    Layout azerty = layoutFrom("qbcdefghijkl,nopatsrvuzxyw");
    azerty['m'] = 51;

    struct Case {
        const char* name;
        const Layout* layout;
        char letter;
        int scancode;
    } cases[] = {
        {"qwerty A", &qwerty, 'A', usPosition('a')},
        {"azerty A", &azerty, 'A', usPosition('q')},
        {"azerty Z", &azerty, 'Z', usPosition('w')},
        {"azerty M", &azerty, 'M', 51},
    };
    for (const Case& c : cases) {
        auto lookup = [&](int key) {
            auto it = c.layout->find(char(key));
            return it == c.layout->end() ? ScancodeUnknown : it->second;
        };
        EXPECT_EQ(letterScancode(c.letter, lookup), c.scancode) << c.name;
    }
}

TEST(LetterKeys, NonLatinLayoutsAndNonLettersFallBack) {
    // A Cyrillic layout types no Latin letter: letters stay where they are
    // printed on a US keyboard rather than becoming unreachable.
    auto none = [](int) { return ScancodeUnknown; };
    EXPECT_EQ(letterScancode('A', none), usPosition('a'));
    int asked = 0;
    auto counting = [&](int) { ++asked; return 9; };
    for (int vk : {int('@'), int('['), int('1'), 13, int('a'), 0, 255})
        EXPECT_EQ(letterScancode(vk, counting), ScancodeUnknown) << vk;
    EXPECT_EQ(asked, 0);
}
