#include "console/line_editor.h"

#include <algorithm>

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

} // namespace

void editCommandLine(ConsoleState& console, Input& input, Clock& clock, int frameCounter,
                     Screen& screen, TextBuffer& text, int x, int y, int maxLength,
                     const char* prompt) {
    const int limit = std::min(maxLength, CommandHardLimit);

    if (input.isKeyDown(Vk::Enter)) {
        console.commandLine[console.commandLength] = 0;
        clock.sleep(EnterPauseMs);
        console.commandReady = 1;
        return;
    }

    if (input.isKeyDown(Vk::Backspace) && console.commandLength >= 1) {
        console.commandLine[console.commandLength] = 0;
        console.commandLine[console.commandLength - 1] = 0;
        --console.commandLength;
        clock.sleep(CharacterPauseMs);
    }

    if (input.isKeyDown(Vk::Space)) typeCharacter(console, clock, limit, ' ');
    for (int i = 0; i < 26; ++i) {
        if (input.isKeyDown(Vk::LetterA + i) && !input.isKeyDown(Vk::Shift))
            typeCharacter(console, clock, limit, char('a' + i));
    }
    for (int i = 0; i < 26; ++i) {
        if (input.isKeyDown(Vk::LetterA + i) && input.isKeyDown(Vk::Shift))
            typeCharacter(console, clock, limit, char('A' + i));
    }
    for (int i = 0; i < 10; ++i) {
        if (input.isKeyDown(Vk::Digit0 + i)) typeCharacter(console, clock, limit, char('0' + i));
    }

    // The underscore blinks with a period of 20 frames.
    if (frameCounter % 20 < 10)
        text.format("%s%s_", prompt, console.commandLine);
    else
        text.format("%s%s", prompt, console.commandLine);
    drawLargeText(screen, text, x, y, 255, 255, 255);
}

} // namespace delve
