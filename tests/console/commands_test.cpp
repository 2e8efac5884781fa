#include <climits>
#include <tuple>

#include <gtest/gtest.h>

#include "console_rig.h"

namespace delve::test {
namespace {

TEST(CommandWords, NumbersReadLikeAtoiButNeverOverflow) {
    const std::pair<const char*, int> cases[] = {{"12abc", 12}, {"abc", 0}, {"-7", -7},
                                                 {"99999999999999999999", INT_MAX},
                                                 {"-99999999999999999999", INT_MIN}};
    for (auto [text, value] : cases) EXPECT_EQ(readNumber(text), value) << text;
}

TEST(CellCommands, EditTheHerosCellsWhateverTheCaseOrExtraWordsAndNothingElse) {
    Rig r("cells");
    auto at = [&](int dx, int dy, int dz) { return r.world.cell(100 + dx, 120 + dy, 2 + dz); };
    const std::pair<const char*, uint8_t> writes[] = {
        {"corner1", Cell::Corner}, {"ENV4BLOCK with more words", Cell::Block}, {"Env4Grass", Cell::Grass}};
    for (auto [line, code] : writes) {
        r.command(line);
        EXPECT_EQ(at(0, 0, 0), code) << line;
    }
    EXPECT_EQ(at(0, 0, 1), Cell::Corner); // corner1 also writes the layer beneath
    r.world.setCell(101, 120, 2, Cell::Rock);
    r.world.setCell(100, 121, 2, Cell::Rock);
    r.command("env4emptyx1");
    EXPECT_EQ(at(1, 0, 0), Cell::Empty);
    EXPECT_EQ(at(0, 1, 0), Cell::Rock);
    r.command("env4emptyy1");
    EXPECT_EQ(at(0, 1, 0), Cell::Empty);
    const uint64_t before = r.worldDigest();
    for (const char* near : {"env4blocks", "block"}) r.command(near);
    EXPECT_EQ(r.worldDigest(), before);
    // get, search and flush (one condition, tried as SEARCH) clear to floor, except doors and rock.
    for (uint8_t code : {Cell::Chest, Cell::Door, Cell::Rock}) {
        r.world.setCell(100, 120, 2, code);
        r.command("SEARCH");
        EXPECT_EQ(at(0, 0, 0), code == Cell::Chest ? Cell::Floor : code) << int(code);
    }
}

TEST(CellCommands, NeverWriteOutsideTheMap) {
    Rig r("edges");
    UnitRecord& hero = r.units[1];
    using Spot = std::tuple<uint16_t, uint16_t, uint16_t>;
    WorldMap expected = r.world;
    std::tie(hero.x, hero.y, hero.z) = Spot(255, 255, 179);
    for (const char* c : {"corner1", "env4emptyx1", "env4emptyy1"}) r.command(c);
    expected.setCell(255, 255, 179, Cell::Corner);
    EXPECT_TRUE(r.world.bytes == expected.bytes);
    // A hero placed off the map by a loaded file edits nothing at all.
    const uint64_t before = r.worldDigest();
    for (const Spot& s : {Spot(65535, 10, 2), Spot(10, 300, 2), Spot(10, 10, 180)}) {
        std::tie(hero.x, hero.y, hero.z) = s;
        for (const char* c : {"corner1", "env4block", "get"}) r.command(c);
    }
    EXPECT_EQ(r.worldDigest(), before);
}

TEST(Teleport, ClampsIntoTheMapMovesHeroAndViewAndRefusesRock) {
    Rig r("teleport");
    const UnitRecord& hero = r.units[1];
    r.world.setCell(50, 60, 6, Cell::Rock);
    r.units[1].moveState = 1; // a walking hero keeps walking
    using At = std::tuple<int, int, int>;
    const struct { const char* line; At at; const char* answer; } steps[] = {
        {"env4teleport 0 0 0", {1, 1, 2}, "teleported to 1 1 2"},
        {"env4teleport 999 999 999", {254, 254, 178}, "teleported to 254 254 178"},
        {"env4teleport 30 40 5", {30, 40, 5}, "teleported to 30 40 5"},
        {"env4teleport 50 60 6", {30, 40, 5}, "50 60 6 is rock: not moved"},
        {"env4teleport 50 60 7 8", {30, 40, 5}, "env4teleport X Y Z: three numbers"}};
    for (const auto& [line, at, answer] : steps) {
        r.command(line);
        EXPECT_EQ(At(hero.x, hero.y, hero.z), at) << line;
        EXPECT_EQ(At(r.shell.SX, r.shell.SY, r.shell.SZ), at) << line;
        EXPECT_STREQ(r.console.message, answer) << line;
    }
    EXPECT_EQ(hero.moveState, 1);
}

// A command with the wrong number of words, or a slot outside 1..12, does
// nothing; every command answers under the prompt until the next one.
TEST(ConsoleCommands, ActOnlyWhenTheirWordsMatchAndAnswerUntilTheNextOne) {
    Rig r("answers");
    r.world.setCell(100, 120, 2, Cell::Chest);
    for (const char* line : {"get now", "screensavertoggle please", "save game", "save game 3 now",
                             "save slot 3", "save game 0", "save game 13"})
        r.command(line);
    EXPECT_EQ(r.world.cell(100, 120, 2), Cell::Chest);
    EXPECT_EQ(r.shell.screensaverMode, 0);
    EXPECT_EQ(r.host.presented.size(), 0u);
    EXPECT_FALSE(std::filesystem::exists(r.saveDir)); // nothing saved, no folder made
    r.command("screensavertoggle");
    EXPECT_EQ(r.shell.screensaverMode, 1);

    const std::pair<const char*, const char*> cases[] = {
        {"contetst", "unknown command: contetst (type help)"},
        {"load game", "load game N: N is 1 to 12"},
        {"save game 3", "slot 3 saved"},
        {"save game 12", "slot 12 saved"},
        {"env4block", "block set at 100 120 2"},
    };
    for (auto [line, answer] : cases) {
        r.command(line);
        EXPECT_STREQ(r.console.message, answer) << line;
        for (int i = 0; i < 300; ++i) r.frame();
        EXPECT_TRUE(consoleMessageVisible(r.console, r.clock)) << line;
    }
}

// A line that names a command with the wrong number of words answers with
// its usage where it has one, else as an unknown command; only a slot
// outside 1..12 in a well-formed line still pauses.
TEST(ConsoleCommands, WrongWordCountsAnswerWithUsageOrAsUnknown) {
    Rig r("counts");
    r.console.consoleOpen = 1;
    const struct { const char* line; const char* answer; uint64_t pausedMs; } cases[] = {
        {"", "", 0},
        {"screensavertoggle now", "unknown command: screensavertoggle (type help)", 0},
        {"flush it", "unknown command: flush (type help)", 0},
        {"save game", "save game N: N is 1 to 12", 0},
        {"save slot 3", "save game N: N is 1 to 12", 0},
        {"load game 3 now", "load game N: N is 1 to 12", 0},
        {"load game 13", "load game N: N is 1 to 12", ConsolePauseMs},
        {"env4teleport 1 2", "env4teleport X Y Z: three numbers", 0},
        {"help me please", "help: type it alone for this list", 0},
        {"env4dirt 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21", "dirt set at 100 120 2", 0},
    };
    for (const auto& c : cases) {
        const uint64_t before = r.clock.waitedMs();
        r.enterLine(c.line, std::strlen(c.line));
        EXPECT_STREQ(r.console.message, c.answer) << c.line;
        EXPECT_EQ(r.clock.waitedMs() - before, c.pausedMs) << c.line;
    }
}

// help lists every command the table holds, added ones too, in lines that
// fit the first-person view, and the keys that close and clear the line.
TEST(ConsoleCommands, HelpIsMadeFromTheTable) {
    Rig r("help");
    ConsoleCommand added;
    added.words = "wave hand";
    added.wordCount = 2;
    added.help = "wave hand";
    int waved = 0;
    added.handler = [&waved](const CommandCall&) { ++waved; };
    r.console.commands.addCommand(added);
    r.command("WAVE hand");
    EXPECT_EQ(waved, 1);
    r.command("help");
    const std::string help = r.console.message;
    for (const ConsoleCommand& row : r.console.commands.rows())
        if (*row.help) {
            EXPECT_NE(help.find(row.help), std::string::npos) << row.words;
        }
    for (const char* key : {"Esc", "Ctrl+U"}) EXPECT_NE(help.find(key), std::string::npos) << key;
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < help.size(); start = end + 1) {
        end = std::min(help.find('\n', start), help.size());
        lines.push_back(help.substr(start, end - start));
        EXPECT_LE(lines.back().size(), 64u) << lines.back();
    }
    // Packed: entries stand two spaces apart, and a line ends only where
    // its next entry would not fit (the keys always have the last line).
    EXPECT_EQ(help.find("   "), std::string::npos) << help;
    for (size_t i = 0; i + 2 < lines.size(); ++i) {
        const std::string next = lines[i + 1].substr(0, lines[i + 1].find("  "));
        EXPECT_FALSE(next.empty() || next[0] == ' ') << help;
        EXPECT_GT(lines[i].size() + 2 + next.size(), 64u) << lines[i] << "|" << next;
    }
}

} // namespace
} // namespace delve::test
