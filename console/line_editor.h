#pragma once
#include "console/console_state.h"

namespace delve {

class Clock;
class Input;
struct Screen;
struct TextBuffer;

constexpr int CharacterPauseMs = 120;
constexpr int EnterPauseMs = 500;
constexpr int CommandHardLimit = 255;

// Empties the line and allocates the 20 word buffers (once, at start-up).
void initCommandStore(ConsoleState& console);
// Frees the word buffers (at shutdown).
void releaseCommandStore(ConsoleState& console);

// One editing step: reads Enter, Backspace and the character keys, extends or
// shortens the line, and draws prompt, line and blinking cursor at (x, y).
// Enter marks the line ready and draws nothing in that frame.
void editCommandLine(ConsoleState& console, Input& input, Clock& clock, int frameCounter,
                     Screen& screen, TextBuffer& text, int x, int y, int maxLength,
                     const char* prompt);

} // namespace delve
