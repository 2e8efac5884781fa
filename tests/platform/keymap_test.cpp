// Letters through the keyboard layout, held keys across progress frames,
// and recordings of what a frame read.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

#include "platform/input.h"
#include "platform/keymap.h"

using namespace delve;

namespace {

// A layout as the scancodes (US positions) of the keys that type each letter.
using Layout = std::map<char, int>;

int usPosition(char letter) { return ScancodeLetterA + (letter - 'a'); }

Layout layoutFrom(const char* usKeysToLetters) {
    // usKeysToLetters[i] is the letter typed by the key at the US position
    // of 'a' + i.
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
    // Dvorak on the same keys: the US S key types O, the US ; key types S.
    Layout dvorak = layoutFrom("axje.uidchtnmbrl'poygk,qf;");
    dvorak['s'] = 51;
    dvorak['v'] = 55; // US period key
    dvorak['w'] = 54; // US comma key
    dvorak['z'] = 56; // US slash key

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
        {"dvorak O", &dvorak, 'O', usPosition('s')},
        {"dvorak S", &dvorak, 'S', 51},
        {"dvorak Z", &dvorak, 'Z', 56},
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

TEST(HeldKeys, AreSeenOncePerMainFrameNotAgainInItsProgressFrames) {
    Input in;
    std::vector<ScriptEvent> ev;
    std::string err;
    // Enter for one frame, Tab held over two frames.
    ASSERT_TRUE(parseInputScript("1 down 13\n2 up 13\n1 down 9\n3 up 9\n", ev, err));
    in.useScript(ev);
    in.beginFrame(1, 320, 240);
    EXPECT_TRUE(in.isKeyDown(Vk::Enter));
    EXPECT_TRUE(in.isKeyDown(Vk::Tab));
    for (int progress = 0; progress < 3; ++progress) {
        in.beginProgressFrame();
        EXPECT_FALSE(in.isKeyDown(Vk::Enter)) << progress;
        EXPECT_FALSE(in.isKeyDown(Vk::Tab)) << progress;
        in.endProgressFrame();
    }
    EXPECT_TRUE(in.isKeyDown(Vk::Enter)); // the rest of the main frame
    in.beginFrame(2, 320, 240);
    EXPECT_FALSE(in.isKeyDown(Vk::Enter));
    EXPECT_TRUE(in.isKeyDown(Vk::Tab)); // still held: the next main frame sees it
    // A key not read in the main frame is seen by a progress frame.
    in.setKey(Vk::Space, true);
    in.beginProgressFrame();
    EXPECT_TRUE(in.isKeyDown(Vk::Space));
    EXPECT_FALSE(in.isKeyDown(Vk::Tab));
    in.endProgressFrame();
}

TEST(Recording, WritesChangesOnlyAndParsesBackToTheSameFrames) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("delve-record-" + std::to_string(::getpid()) + ".txt");
    std::array<bool, 256> keys{};
    {
        InputRecorder r;
        ASSERT_TRUE(r.open(path.string(), 4242));
        r.frame(0, keys, 0, 0);       // nothing yet
        keys[Vk::Enter] = true;
        r.frame(3, keys, 10, 20);     // Enter down, cursor moved
        r.frame(4, keys, 10, 20);     // unchanged
        keys[Vk::Enter] = false;
        keys[Vk::F12] = true;
        r.frame(5, keys, 10, 21);
        ASSERT_TRUE(r.finish(9));
    }
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    std::filesystem::remove(path);
    EXPECT_EQ(text.str().rfind("# seed 4242\n", 0), 0u) << text.str();

    std::vector<ScriptEvent> ev;
    std::string err;
    ASSERT_TRUE(parseInputScript(text.str(), ev, err)) << err;
    struct Want {
        int frame;
        ScriptEvent::Kind kind;
        int a, b;
    } want[] = {{3, ScriptEvent::Cursor, 10, 20}, {3, ScriptEvent::Down, Vk::Enter, 0},
                {5, ScriptEvent::Cursor, 10, 21}, {5, ScriptEvent::Up, Vk::Enter, 0},
                {5, ScriptEvent::Down, Vk::F12, 0}, {9, ScriptEvent::Close, 0, 0}};
    ASSERT_EQ(ev.size(), std::size(want)) << text.str();
    for (size_t i = 0; i < ev.size(); ++i) {
        EXPECT_EQ(ev[i].frame, want[i].frame) << i;
        EXPECT_EQ(ev[i].kind, want[i].kind) << i;
        EXPECT_EQ(ev[i].a, want[i].a) << i;
        if (want[i].kind == ScriptEvent::Cursor) {
            EXPECT_EQ(ev[i].b, want[i].b) << i;
        }
    }
    InputRecorder bad;
    EXPECT_FALSE(bad.open("/nonexistent/folder/rec.txt", 1));
}
