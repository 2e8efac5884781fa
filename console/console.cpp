#include "console/console.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "platform/shell.h"
#include "console/slot_files.h"
#include "gfx/text.h"
#include "platform/clock.h"
#include "platform/input.h"

namespace delve {

namespace {

bool isSeparator(char c) { return c == ' ' || c == '-' || c == ',' || c == '\t' || c == '\n'; }

bool wordIs(const ConsoleState& console, int index, const char* word) {
    return index < console.tokenCount && index < CommandTokenCount &&
           strcasecmp(console.commandTokens[size_t(index)].data(), word) == 0;
}

// Writes a cell only when it lies inside the grid: a hero on the last
// column, row or layer, or one placed off the map by a loaded file, must
// not reach outside it.
void setCellInside(WorldMap& world, int x, int y, int z, uint8_t code) {
    if (insideMap(x, y, z)) world.setCell(x, y, z, code);
}

void teleport(ConsoleState& console, const ConsoleContext& ctx) {
    int x = readNumber(console.commandTokens[1].data());
    int y = readNumber(console.commandTokens[2].data());
    int z = readNumber(console.commandTokens[3].data());
    if (x < 1) x = 1;
    if (y < 1) y = 1;
    if (x > MapSide - 2) x = MapSide - 2;
    if (y > MapSide - 2) y = MapSide - 2;
    if (z < 2) z = 2;
    if (z > LayerCount - 2) z = LayerCount - 2;
    char answer[ConsoleMessageSize];
    if (ctx.world.cell(x, y, z) == Cell::Rock) {
        std::snprintf(answer, sizeof answer, "%d %d %d is rock: not moved", x, y, z);
        showConsoleMessage(console, ctx.clock, answer);
        return;
    }
    std::snprintf(answer, sizeof answer, "teleported to %d %d %d", x, y, z);
    showConsoleMessage(console, ctx.clock, answer);
    UnitRecord& hero = ctx.units[HeroUnit];
    hero.x = uint16_t(x);
    hero.y = uint16_t(y);
    hero.z = uint16_t(z);
    ctx.shell.SX = x;
    ctx.shell.SY = y;
    ctx.shell.SZ = z;
}

void reportSlot(ConsoleState& console, const Clock& clock, int slot, bool saving,
                SlotResult result) {
    const char* what = nullptr;
    bool reason = false;
    switch (result) {
    case SlotResult::Done:
        if (saving || !console.slotUnchecked) {
            char line[ConsoleMessageSize];
            std::snprintf(line, sizeof line, "slot %d %s", slot, saving ? "saved" : "loaded");
            showConsoleMessage(console, clock, line);
            return;
        }
        what = "loaded without a check file";
        break;
    case SlotResult::Interrupted: what = "was not changed: the game is ending"; break;
    case SlotResult::Busy: return;
    case SlotResult::Empty: what = "is empty"; break;
    case SlotResult::Damaged: what = "is damaged"; break;
    case SlotResult::Mixed: what = "is damaged: its last save was cut off"; break;
    case SlotResult::Foreign: what = "is damaged: its files are from another game"; break;
    case SlotResult::Unreadable: what = "could not be read"; reason = true; break;
    case SlotResult::SaveFailed: what = "could not be saved"; reason = true; break;
    }
    char line[ConsoleMessageSize];
    if (result == SlotResult::Damaged && console.slotProblem)
        std::snprintf(line, sizeof line, "Slot %d %s: its contest's %s", slot, what,
                      console.slotProblem);
    else if (reason && console.slotError != 0)
        std::snprintf(line, sizeof line, "Slot %d %s: %s", slot, what,
                      errorText(console.slotError).c_str());
    else
        std::snprintf(line, sizeof line, "Slot %d %s", slot, what);
    showConsoleMessage(console, clock, line);
}

// The cell commands answer with the cell they changed, or why they did not.
void setCellAnswered(ConsoleState& console, const ConsoleContext& ctx, int x, int y, int z,
                     uint8_t code, const char* what) {
    char answer[ConsoleMessageSize];
    if (insideMap(x, y, z)) {
        ctx.world.setCell(x, y, z, code);
        std::snprintf(answer, sizeof answer, "%s at %d %d %d", what, x, y, z);
    } else {
        std::snprintf(answer, sizeof answer, "%d %d %d is outside the map: nothing changed", x, y,
                      z);
    }
    showConsoleMessage(console, ctx.clock, answer);
}

void answerSlotRange(ConsoleState& console, const Clock& clock, const char* verb) {
    char answer[ConsoleMessageSize];
    std::snprintf(answer, sizeof answer, "%s game N: N is %d to %d", verb, FirstSlot, LastSlot);
    showConsoleMessage(console, clock, answer);
}

// Short lines: the first-person view is 320 pixels wide.
constexpr const char* HelpText =
    "commands: corner1 env4block env4grass env4dirt\n"
    "env4emptyx1 env4emptyy1 get search flush\n"
    "screensavertoggle  env4teleport X Y Z\n"
    "save game N  load game N  (N is 1 to 12)\n"
    "contest  edges  help";

} // namespace

int readNumber(const char* word) {
    const char* p = word;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > (long long)INT_MAX + 1) value = (long long)INT_MAX + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return int(value);
}

int splitCommandLine(ConsoleState& console, const char* line) {
    if (console.commandTokens.size() < size_t(CommandTokenCount)) initCommandStore(console);
    for (auto& token : console.commandTokens) token[0] = 0;
    int count = 0;
    const char* p = line;
    const char* end = line + strnlen(line, CommandTextSize - 1);
    while (p < end) {
        while (p < end && isSeparator(*p)) ++p;
        if (p == end) break;
        const char* start = p;
        while (p < end && !isSeparator(*p)) ++p;
        if (count < CommandTokenCount) {
            auto& token = console.commandTokens[size_t(count)];
            size_t n = size_t(p - start);
            std::memcpy(token.data(), start, n);
            token[n] = 0;
        }
        ++count;
    }
    console.tokenCount = count;
    return count;
}

void runCommand(ConsoleState& console, const ConsoleContext& ctx) {
    const int n = splitCommandLine(console, console.commandLine);
    const UnitRecord& hero = ctx.units[HeroUnit];
    const int x = hero.x, y = hero.y, z = hero.z;
    WorldMap& world = ctx.world;
    // Each command answers; a line that matches none says so.
    console.message[0] = 0;
    bool known = n == 0;

    if (wordIs(console, 0, "corner1")) {
        known = true;
        setCellInside(world, x, y, z + 1, Cell::Corner);
        setCellAnswered(console, ctx, x, y, z, Cell::Corner, "corners set");
    }
    const struct {
        const char* word;
        int dx, dy;
        uint8_t code;
        const char* what;
    } cellCommands[] = {
        {"env4block", 0, 0, Cell::Block, "block set"},
        {"env4grass", 0, 0, Cell::Grass, "grass set"},
        {"env4dirt", 0, 0, Cell::Dirt, "dirt set"},
        {"env4emptyx1", 1, 0, Cell::Empty, "emptied"},
        {"env4emptyy1", 0, 1, Cell::Empty, "emptied"},
    };
    for (const auto& c : cellCommands) {
        if (!wordIs(console, 0, c.word)) continue;
        known = true;
        setCellAnswered(console, ctx, x + c.dx, y + c.dy, z, c.code, c.what);
    }
    if (wordIs(console, 0, "screensavertoggle") && n == 1) {
        known = true;
        ctx.shell.screensaverMode = ctx.shell.screensaverMode == 0 ? 1 : 0;
        showConsoleMessage(console, ctx.clock,
                           ctx.shell.screensaverMode ? "screensaver on" : "screensaver off");
        ctx.clock.sleep(ConsolePauseMs);
    }
    for (const bool saving : {true, false}) {
        const char* verb = saving ? "save" : "load";
        if (!wordIs(console, 0, verb)) continue;
        known = true;
        if (!wordIs(console, 1, "game") || n != 3) {
            answerSlotRange(console, ctx.clock, verb);
            continue;
        }
        int slot = readNumber(console.commandTokens[2].data());
        if (slot >= FirstSlot && slot <= LastSlot)
            reportSlot(console, ctx.clock, slot, saving,
                       saving ? saveGame(console, ctx, slot) : loadGame(console, ctx, slot));
        else
            answerSlotRange(console, ctx.clock, verb);
        ctx.clock.sleep(ConsolePauseMs);
    }
    if ((wordIs(console, 0, "get") || wordIs(console, 0, "search") || wordIs(console, 0, "flush")) &&
        n == 1) {
        known = true;
        // Doors and rock stay; any other cell of the map becomes floor.
        const uint8_t c = insideMap(x, y, z) ? world.cell(x, y, z) : Cell::Empty;
        if (c == Cell::Door || c == Cell::Rock) {
            char answer[ConsoleMessageSize];
            std::snprintf(answer, sizeof answer, "%d %d %d is %s: not changed", x, y, z,
                          c == Cell::Door ? "a door" : "rock");
            showConsoleMessage(console, ctx.clock, answer);
        } else {
            setCellAnswered(console, ctx, x, y, z, Cell::Floor, "floor");
        }
        ctx.clock.sleep(ConsolePauseMs);
    }
    if (wordIs(console, 0, "env4teleport")) {
        known = true;
        if (n == 4)
            teleport(console, ctx);
        else
            showConsoleMessage(console, ctx.clock, "env4teleport X Y Z: three numbers");
    }
    if (wordIs(console, 0, "contest") && n == 1) {
        known = true;
        console.contestRequested = 1;
    }
    if (wordIs(console, 0, "edges") && n == 1) {
        known = true;
        console.edgesRequested = 1;
        showConsoleMessage(console, ctx.clock, "edges: cell edge overlay switched");
    }
    if (wordIs(console, 0, "help")) {
        known = true;
        showConsoleMessage(console, ctx.clock, HelpText);
    }
    if (!known) {
        char answer[ConsoleMessageSize];
        std::snprintf(answer, sizeof answer, "unknown command: %.40s (type help)",
                      console.commandTokens[0].data());
        showConsoleMessage(console, ctx.clock, answer);
    }
}

void showConsoleMessage(ConsoleState& console, const Clock& clock, const char* message) {
    std::snprintf(console.message, sizeof console.message, "%s", message);
    console.messageUntilMs = clock.nowMs() + ConsoleMessageMs;
}

bool consoleMessageVisible(const ConsoleState& console, const Clock& clock) {
    return console.message[0] != 0 &&
           (console.consoleOpen == 1 || clock.nowMs() < console.messageUntilMs);
}

namespace {

// The answer under the prompt; a longer one (help) stands line by line
// above it, where nothing else is drawn.
void drawAnswer(const ConsoleState& console, TextBuffer& text, Screen& screen) {
    const char* p = console.message;
    const char* firstBreak = std::strchr(p, '\n');
    if (!firstBreak) {
        text.set(p);
        drawSmallText(screen, text, ConsoleMessageX, ConsoleMessageY, 255, 120, 90);
        return;
    }
    int lines = 1;
    for (const char* q = p; *q; ++q) lines += *q == '\n';
    int y = ConsolePromptY + 12 + (lines - 1) * 9;
    while (*p) {
        const char* end = std::strchr(p, '\n');
        const size_t n = end ? size_t(end - p) : std::strlen(p);
        text.format("%.*s", int(n), p);
        drawSmallText(screen, text, ConsoleMessageX, y, 255, 120, 90);
        y -= 9;
        p += n;
        if (*p == '\n') ++p;
    }
}

} // namespace

void runConsole(ConsoleState& console, const ConsoleContext& ctx) {
    // The presses since the last frame, in order: Tab shows or hides the
    // prompt, and while it is shown the others type. Presses made while
    // it is hidden type nothing.
    KeyPress press;
    bool typed = false;
    while (ctx.input.peekPress(press)) {
        if (press.virtualKey == Vk::Tab) {
            ctx.input.takePress(press);
            console.consoleOpen = console.consoleOpen == 0 ? 1 : 0;
            ctx.clock.sleep(ConsolePauseMs);
            continue;
        }
        if (console.consoleOpen != 1) {
            ctx.input.takePress(press);
            continue;
        }
        typeCommandLine(console, ctx.input, ctx.clock, ConsoleLineLimit);
        typed = true;
        if (console.commandReady == 1) break;
    }
    // A held key repeats also in a frame without presses.
    if (!typed && console.consoleOpen == 1 && console.commandReady == 0)
        typeCommandLine(console, ctx.input, ctx.clock, ConsoleLineLimit);
    ctx.input.captureTyping(console.consoleOpen == 1);
    if (console.consoleOpen == 1 && console.commandReady == 0)
        drawCommandLine(console, ctx.shell.frameCounter, ctx.screen, ctx.text, ConsolePromptX,
                        ConsolePromptY, ConsolePrompt);
    // Inside a save's or load's progress frames a finished line waits.
    if (console.commandReady == 1 && !console.slotBusy) {
        console.commandReady = 0;
        runCommand(console, ctx);
    }
    if (consoleMessageVisible(console, ctx.clock)) drawAnswer(console, ctx.text, ctx.screen);
}

void runConsole(ConsoleState& console, Input& input, Clock& clock, Shell& shell, Screen& screen,
                TextBuffer& text, WorldMap& world, Units& units, FrameHost& host,
                const std::string& saveDir) {
    const ConsoleContext ctx{input, clock, shell, screen, text, world, units, host, saveDir};
    runConsole(console, ctx);
}

} // namespace delve
