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
// A key held this long after its press types again, once a frame.
constexpr int KeyRepeatDelayMs = 500;

// Empties the line and allocates the 20 word buffers (once, at start-up).
void initCommandStore(ConsoleState& console);
// Frees the word buffers (at shutdown).
void releaseCommandStore(ConsoleState& console);

// One editing step: types the waiting key presses in the order they were
// made (a character, Backspace or Enter each, with a pause after each), then
// repeats a character or Backspace key held since its press for longer than
// the repeat delay, and draws prompt, line and blinking cursor at (x, y).
// Enter marks the line ready, leaves the presses after it waiting for the
// next frame, and draws nothing in that frame.
void editCommandLine(ConsoleState& console, Input& input, Clock& clock, int frameCounter,
                     Screen& screen, TextBuffer& text, int x, int y, int maxLength,
                     const char* prompt);

// The typing half of editCommandLine: stops before a Tab press, which is
// the console's own key, and after Enter.
void typeCommandLine(ConsoleState& console, Input& input, Clock& clock, int maxLength);
// The drawing half: prompt, line and the underscore that blinks every 20
// frames.
void drawCommandLine(const ConsoleState& console, int frameCounter, Screen& screen,
                     TextBuffer& text, int x, int y, const char* prompt);

} // namespace delve
