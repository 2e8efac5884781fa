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

void teleport(const ConsoleState& console, const ConsoleContext& ctx) {
    int x = readNumber(console.commandTokens[1].data());
    int y = readNumber(console.commandTokens[2].data());
    int z = readNumber(console.commandTokens[3].data());
    if (x < 1) x = 1;
    if (y < 1) y = 1;
    if (x > MapSide - 2) x = MapSide - 2;
    if (y > MapSide - 2) y = MapSide - 2;
    if (z < 2) z = 2;
    if (z > LayerCount - 2) z = LayerCount - 2;
    if (ctx.world.cell(x, y, z) == Cell::Rock) return;
    UnitRecord& hero = ctx.units[HeroUnit];
    hero.x = uint16_t(x);
    hero.y = uint16_t(y);
    hero.z = uint16_t(z);
    ctx.shell.SX = x;
    ctx.shell.SY = y;
    ctx.shell.SZ = z;
}

void reportSlot(ConsoleState& console, const Clock& clock, int slot, SlotResult result) {
    const char* what = nullptr;
    bool reason = false;
    switch (result) {
    case SlotResult::Done:
        if (!console.slotUnchecked) {
            console.message[0] = 0;
            return;
        }
        what = "loaded without a check file";
        break;
    case SlotResult::Interrupted:
    case SlotResult::Busy: return;
    case SlotResult::Empty: what = "is empty"; break;
    case SlotResult::Damaged: what = "is damaged"; break;
    case SlotResult::Mixed: what = "is damaged: its last save was cut off"; break;
    case SlotResult::Foreign: what = "is damaged: its files are from another game"; break;
    case SlotResult::Unreadable: what = "could not be read"; reason = true; break;
    case SlotResult::SaveFailed: what = "could not be saved"; reason = true; break;
    }
    char line[ConsoleMessageSize];
    if (reason && console.slotError != 0)
        std::snprintf(line, sizeof line, "Slot %d %s: %s", slot, what,
                      errorText(console.slotError).c_str());
    else
        std::snprintf(line, sizeof line, "Slot %d %s", slot, what);
    showConsoleMessage(console, clock, line);
}

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

    if (wordIs(console, 0, "corner1")) {
        setCellInside(world, x, y, z, Cell::Corner);
        setCellInside(world, x, y, z + 1, Cell::Corner);
    }
    if (wordIs(console, 0, "env4block")) setCellInside(world, x, y, z, Cell::Block);
    if (wordIs(console, 0, "env4grass")) setCellInside(world, x, y, z, Cell::Grass);
    if (wordIs(console, 0, "env4dirt")) setCellInside(world, x, y, z, Cell::Dirt);
    if (wordIs(console, 0, "env4emptyx1")) setCellInside(world, x + 1, y, z, Cell::Empty);
    if (wordIs(console, 0, "env4emptyy1")) setCellInside(world, x, y + 1, z, Cell::Empty);
    if (wordIs(console, 0, "screensavertoggle") && n == 1) {
        ctx.shell.screensaverMode = ctx.shell.screensaverMode == 0 ? 1 : 0;
        ctx.clock.sleep(ConsolePauseMs);
    }
    if (wordIs(console, 0, "save") && wordIs(console, 1, "game") && n == 3) {
        int slot = readNumber(console.commandTokens[2].data());
        if (slot >= FirstSlot && slot <= LastSlot)
            reportSlot(console, ctx.clock, slot, saveGame(console, ctx, slot));
        ctx.clock.sleep(ConsolePauseMs);
    }
    if (wordIs(console, 0, "load") && wordIs(console, 1, "game") && n == 3) {
        int slot = readNumber(console.commandTokens[2].data());
        if (slot >= FirstSlot && slot <= LastSlot)
            reportSlot(console, ctx.clock, slot, loadGame(console, ctx, slot));
        ctx.clock.sleep(ConsolePauseMs);
    }
    if ((wordIs(console, 0, "get") || wordIs(console, 0, "search") || wordIs(console, 0, "flush")) &&
        n == 1) {
        if (insideMap(x, y, z)) {
            uint8_t c = world.cell(x, y, z);
            if (c != Cell::Door && c != Cell::Rock) world.setCell(x, y, z, Cell::Floor);
        }
        ctx.clock.sleep(ConsolePauseMs);
    }
    if (wordIs(console, 0, "env4teleport") && n == 4) teleport(console, ctx);
    if (wordIs(console, 0, "contest") && n == 1) console.contestRequested = 1;
    if (wordIs(console, 0, "edges") && n == 1) console.edgesRequested = 1;
}

void showConsoleMessage(ConsoleState& console, const Clock& clock, const char* message) {
    std::snprintf(console.message, sizeof console.message, "%s", message);
    console.messageUntilMs = clock.nowMs() + ConsoleMessageMs;
}

bool consoleMessageVisible(const ConsoleState& console, const Clock& clock) {
    return console.message[0] != 0 && clock.nowMs() < console.messageUntilMs;
}

void runConsole(ConsoleState& console, const ConsoleContext& ctx) {
    if (ctx.input.isKeyDown(Vk::Tab)) {
        console.consoleOpen = console.consoleOpen == 0 ? 1 : 0;
        ctx.clock.sleep(ConsolePauseMs);
    }
    if (console.consoleOpen == 1)
        editCommandLine(console, ctx.input, ctx.clock, ctx.shell.frameCounter, ctx.screen, ctx.text,
                        ConsolePromptX, ConsolePromptY, ConsoleLineLimit, ConsolePrompt);
    // Inside a save's or load's progress frames a finished line waits.
    if (console.commandReady == 1 && !console.slotBusy) {
        console.commandReady = 0;
        runCommand(console, ctx);
    }
    if (consoleMessageVisible(console, ctx.clock)) {
        ctx.text.set(console.message);
        drawSmallText(ctx.screen, ctx.text, ConsoleMessageX, ConsoleMessageY, 255, 120, 90);
    }
}

void runConsole(ConsoleState& console, Input& input, Clock& clock, Shell& shell, Screen& screen,
                TextBuffer& text, WorldMap& world, Units& units, FrameHost& host,
                const std::string& saveDir) {
    const ConsoleContext ctx{input, clock, shell, screen, text, world, units, host, saveDir};
    runConsole(console, ctx);
}

} // namespace delve
