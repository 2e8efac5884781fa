#include "console/own_commands.h"
#include "platform/files.h"

#include <cstdio>

#include "console/commands.h"
#include "console/console.h"
#include "console/slot_files.h"
#include "platform/clock.h"
#include "platform/shell.h"

namespace delve {

namespace {

static_assert(FirstSlot == 1 && LastSlot == 12, "the slot answers name slots 1 to 12");
constexpr const char* SaveUsage = "save game N: N is 1 to 12";
constexpr const char* LoadUsage = "load game N: N is 1 to 12";

// Help lines are at most this many characters: the first-person view is
// 320 pixels wide.
constexpr int HelpWidth = 64;

struct HeroCell {
    int x, y, z;
};

HeroCell heroCell(const CommandCall& call) {
    const UnitRecord& hero = call.ctx.units[HeroUnit];
    return {hero.x, hero.y, hero.z};
}

// Writes a cell only when it lies inside the grid: a hero on the last
// column, row or layer, or one placed off the map by a loaded file, must
// not reach outside it.
void setCellInside(WorldMap& world, int x, int y, int z, uint8_t code) {
    if (insideMap(x, y, z)) world.setCell(x, y, z, code);
}

// The cell commands answer with the cell they changed, or why they did not.
void setCellAnswered(const CommandCall& call, int x, int y, int z, uint8_t code,
                     const char* what) {
    char answer[ConsoleMessageSize];
    if (insideMap(x, y, z)) {
        call.ctx.world.setCell(x, y, z, code);
        std::snprintf(answer, sizeof answer, "%s at %d %d %d", what, x, y, z);
    } else {
        std::snprintf(answer, sizeof answer, "%d %d %d is outside the map: nothing changed", x, y,
                      z);
    }
    call.answer(answer);
}

// A cell command: `code` written `dx`, `dy` from the hero's cell.
ConsoleCommand cellCommand(const char* word, int dx, int dy, uint8_t code, const char* what,
                           const char* help) {
    ConsoleCommand row;
    row.words = word;
    row.wordCount = AnyWordCount;
    row.help = help;
    row.handler = [dx, dy, code, what](const CommandCall& call) {
        const HeroCell h = heroCell(call);
        setCellAnswered(call, h.x + dx, h.y + dy, h.z, code, what);
    };
    return row;
}

void corner(const CommandCall& call) {
    const HeroCell h = heroCell(call);
    setCellInside(call.ctx.world, h.x, h.y, h.z + 1, Cell::Corner);
    setCellAnswered(call, h.x, h.y, h.z, Cell::Corner, "corners set");
}

void toggleScreensaver(const CommandCall& call) {
    Shell& shell = call.ctx.shell;
    shell.screensaverMode = shell.screensaverMode == 0 ? 1 : 0;
    call.answer(shell.screensaverMode ? "screensaver on" : "screensaver off");
    call.ctx.clock.sleep(ConsolePauseMs);
}

void reportSlot(const CommandCall& call, int slot, bool saving, SlotResult result) {
    const char* what = nullptr;
    bool reason = false;
    switch (result) {
    case SlotResult::Done:
        if (saving || !call.console.slotUnchecked) {
            char line[ConsoleMessageSize];
            std::snprintf(line, sizeof line, "slot %d %s", slot, saving ? "saved" : "loaded");
            call.answer(line);
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
    if (result == SlotResult::Damaged && call.console.slotProblem)
        std::snprintf(line, sizeof line, "Slot %d %s: its contest's %s", slot, what,
                      call.console.slotProblem);
    else if (reason && call.console.slotError != 0)
        std::snprintf(line, sizeof line, "Slot %d %s: %s", slot, what,
                      errorText(call.console.slotError).c_str());
    else
        std::snprintf(line, sizeof line, "Slot %d %s", slot, what);
    call.answer(line);
}

// "save game N" and "load game N": a slot outside 1 to 12 is refused; the
// pause comes either way.
void transferSlot(const CommandCall& call, bool saving) {
    const int slot = call.number(2);
    if (slot >= FirstSlot && slot <= LastSlot)
        reportSlot(call, slot, saving,
                   saving ? saveGame(call.console, call.ctx, slot)
                          : loadGame(call.console, call.ctx, slot));
    else
        call.answer(saving ? SaveUsage : LoadUsage);
    call.ctx.clock.sleep(ConsolePauseMs);
}

// "get", "search" and "flush": doors and rock stay; any other cell of the
// map becomes floor.
void clearToFloor(const CommandCall& call) {
    const HeroCell h = heroCell(call);
    const uint8_t c = insideMap(h.x, h.y, h.z) ? call.ctx.world.cell(h.x, h.y, h.z) : Cell::Empty;
    if (c == Cell::Door || c == Cell::Rock) {
        char answer[ConsoleMessageSize];
        std::snprintf(answer, sizeof answer, "%d %d %d is %s: not changed", h.x, h.y, h.z,
                      c == Cell::Door ? "a door" : "rock");
        call.answer(answer);
    } else {
        setCellAnswered(call, h.x, h.y, h.z, Cell::Floor, "floor");
    }
    call.ctx.clock.sleep(ConsolePauseMs);
}

// Moves the hero and the view to the clamped cell, unless it is rock.
void teleport(const CommandCall& call) {
    int x = call.number(1);
    int y = call.number(2);
    int z = call.number(3);
    if (x < 1) x = 1;
    if (y < 1) y = 1;
    if (x > MapSide - 2) x = MapSide - 2;
    if (y > MapSide - 2) y = MapSide - 2;
    if (z < 2) z = 2;
    if (z > LayerCount - 2) z = LayerCount - 2;
    char answer[ConsoleMessageSize];
    if (call.ctx.world.cell(x, y, z) == Cell::Rock) {
        std::snprintf(answer, sizeof answer, "%d %d %d is rock: not moved", x, y, z);
        call.answer(answer);
        return;
    }
    std::snprintf(answer, sizeof answer, "teleported to %d %d %d", x, y, z);
    call.answer(answer);
    UnitRecord& hero = call.ctx.units[HeroUnit];
    hero.x = uint16_t(x);
    hero.y = uint16_t(y);
    hero.z = uint16_t(z);
    call.ctx.shell.SX = x;
    call.ctx.shell.SY = y;
    call.ctx.shell.SZ = z;
}

ConsoleCommand row(const char* words, int wordCount, void (*handler)(const CommandCall&),
                   const char* help, const char* usage = nullptr) {
    ConsoleCommand r;
    r.words = words;
    r.wordCount = wordCount;
    r.handler = handler;
    r.help = help;
    r.usage = usage;
    return r;
}

} // namespace

void addConsoleOwnCommands(ConsoleCommands& commands) {
    commands.addCommand(row("corner1", AnyWordCount, corner, "corner1"));
    commands.addCommand(cellCommand("env4block", 0, 0, Cell::Block, "block set", "env4block"));
    commands.addCommand(cellCommand("env4grass", 0, 0, Cell::Grass, "grass set", "env4grass"));
    commands.addCommand(cellCommand("env4dirt", 0, 0, Cell::Dirt, "dirt set", "env4dirt"));
    commands.addCommand(cellCommand("env4emptyx1", 1, 0, Cell::Empty, "emptied", "env4emptyx1"));
    commands.addCommand(cellCommand("env4emptyy1", 0, 1, Cell::Empty, "emptied", "env4emptyy1"));
    commands.addCommand(row("get", 1, clearToFloor, "get search flush"));
    commands.addCommand(row("search", 1, clearToFloor, ""));
    commands.addCommand(row("flush", 1, clearToFloor, ""));
    commands.addCommand(row("screensavertoggle", 1, toggleScreensaver, "screensavertoggle"));
    commands.addCommand(row("env4teleport", 4, teleport, "env4teleport X Y Z",
                            "env4teleport X Y Z: three numbers"));
    commands.addCommand(row(
        "save game", 3, [](const CommandCall& call) { transferSlot(call, true); },
        "save game N", SaveUsage));
    commands.addCommand(row(
        "load game", 3, [](const CommandCall& call) { transferSlot(call, false); },
        "load game N  (N is 1 to 12)", LoadUsage));
    commands.addCommand(row(
        "help", 1,
        [](const CommandCall& call) {
            char text[ConsoleMessageSize];
            call.console.commands.writeHelp(text, sizeof text, HelpWidth);
            call.answer(text);
        },
        "help", "help: type it alone for this list"));
}

} // namespace delve
