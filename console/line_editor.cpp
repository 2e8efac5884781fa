#include "console/line_editor.h"

#include <algorithm>
#include <cstring>

#include "gfx/text.h"
#include "platform/clock.h"
#include "platform/input.h"

namespace delve {

void initCommandStore(ConsoleState& console) {
    console.commandLength = 0;
    console.commandLine[0] = 0;
    console.commandLine[1] = 0;
    console.commandTokens.assign(CommandTokenCount, std::array<char, CommandTextSize>{});
    console.tokenCount = 0;
}

void releaseCommandStore(ConsoleState& console) {
    console.commandTokens.clear();
    console.commandTokens.shrink_to_fit();
    console.tokenCount = 0;
}

namespace {

// Appends one character when there is room, then pauses so a held key
// repeats at a readable rate.
void typeCharacter(ConsoleState& console, Clock& clock, int limit, char c) {
    if (console.commandLength >= limit) return;
    console.commandLine[console.commandLength] = c;
    console.commandLine[console.commandLength + 1] = 0;
    ++console.commandLength;
    clock.sleep(CharacterPauseMs);
}

void backspace(ConsoleState& console, Clock& clock) {
    if (console.commandLength < 1) return;
    console.commandLine[console.commandLength] = 0;
    console.commandLine[console.commandLength - 1] = 0;
    --console.commandLength;
    clock.sleep(CharacterPauseMs);
}

void clearLine(ConsoleState& console) {
    std::memset(console.commandLine, 0, sizeof console.commandLine);
    console.commandLength = 0;
}

// The character a key types: Space, a letter (a capital with Shift) or a
// digit (Shift does not change digits); 0 for a key that types nothing.
char characterOf(int vk, bool shift) {
    if (vk == Vk::Space) return ' ';
    if (vk >= Vk::LetterA && vk < Vk::LetterA + 26) return char((shift ? 'A' : 'a') + (vk - Vk::LetterA));
    if (vk >= Vk::Digit0 && vk < Vk::Digit0 + 10) return char('0' + (vk - Vk::Digit0));
    return 0;
}

// Types what one key does: a character or Backspace. False for a key that
// edits nothing.
bool editWith(ConsoleState& console, Clock& clock, int limit, int vk, bool shift) {
    if (vk == Vk::Backspace) {
        backspace(console, clock);
        return true;
    }
    const char c = characterOf(vk, shift);
    if (c == 0) return false;
    typeCharacter(console, clock, limit, c);
    return true;
}

} // namespace

void editCommandLine(ConsoleState& console, Input& input, Clock& clock, int maxLength) {
    const int limit = std::min(maxLength, CommandHardLimit);
    // The Escape that hid the prompt is the console's until it is let go.
    if (console.escapeTaken && !input.isHeld(Vk::Escape)) console.escapeTaken = false;
    KeyPress press;
    while (input.takePress(press)) {
        if (press.virtualKey == Vk::Tab) {
            console.consoleOpen = console.consoleOpen == 0 ? 1 : 0;
            clock.sleep(PromptTogglePauseMs);
            continue;
        }
        if (press.virtualKey == Vk::Escape) {
            // Escape hides a shown prompt, as Tab does; pressed while the
            // prompt is hidden it is the game's (it quits).
            console.escapeTaken = console.consoleOpen == 1;
            if (console.consoleOpen == 1) {
                console.consoleOpen = 0;
                clock.sleep(PromptTogglePauseMs);
            }
            continue;
        }
        // Presses made while the prompt is hidden type nothing.
        if (console.consoleOpen != 1) continue;
        if (press.control && press.virtualKey == Vk::LetterA + ('u' - 'a')) {
            // Ctrl+U empties the line and types nothing.
            clearLine(console);
            console.repeatKey = 0;
            continue;
        }
        if (press.virtualKey == Vk::Enter) {
            // Alt+Enter is the full-screen key, not a command.
            if (press.alt) continue;
            console.commandLine[console.commandLength] = 0;
            clock.sleep(EnterPauseMs);
            console.commandReady = 1;
            console.repeatKey = 0;
            return;
        }
        if (editWith(console, clock, limit, press.virtualKey, press.shift)) {
            console.repeatKey = press.virtualKey;
            console.repeatShift = press.shift;
            console.repeatAtMs = clock.gameMs() + KeyRepeatDelayMs;
        }
    }
    // A key still held well after its press repeats, once a frame.
    if (console.consoleOpen != 1 || console.commandReady == 1 || console.repeatKey == 0 ||
        input.inProgressFrame())
        return;
    if (!input.isHeld(console.repeatKey)) {
        console.repeatKey = 0;
        return;
    }
    if (clock.gameMs() >= console.repeatAtMs)
        editWith(console, clock, limit, console.repeatKey, console.repeatShift);
}

void drawCommandLine(const ConsoleState& console, int frameCounter, Screen& screen,
                     TextBuffer& text, int x, int y, const char* prompt) {
    // The underscore blinks with a period of 20 frames.
    if (frameCounter % 20 < 10)
        text.format("%s%s_", prompt, console.commandLine);
    else
        text.format("%s%s", prompt, console.commandLine);
    drawLargeText(screen, text, x, y, 255, 255, 255);
}

} // namespace delve
