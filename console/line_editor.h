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

// Pause after Tab or Escape shows or hides the prompt.
constexpr int PromptTogglePauseMs = 400;

// One editing step, once a frame: takes the key presses since the last
// frame in one pass, in the order they were made. Tab shows or hides the
// prompt, and Escape hides a shown one (with a pause each). While the
// prompt is shown a press types a character or a Backspace (with a pause
// after each), Ctrl+U empties the line, and Enter marks the line ready and
// leaves the presses after it for the next frame; while it is hidden a
// press types nothing. Then a character or Backspace key held since its
// press for longer than the repeat delay types once more.
void editCommandLine(ConsoleState& console, Input& input, Clock& clock, int maxLength);

// Draws the prompt, line and the underscore that blinks every 20
// frames.
void drawCommandLine(const ConsoleState& console, int frameCounter, Screen& screen,
                     TextBuffer& text, int x, int y, const char* prompt);

} // namespace delve
