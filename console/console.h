#pragma once
#include <string>

#include "console/console_state.h"
#include "console/frame_host.h"
#include "console/line_editor.h"
#include "console/save_load.h"

namespace delve {

constexpr int ConsolePromptX = 14;
constexpr int ConsolePromptY = 67;
constexpr int ConsoleLineLimit = 30;
constexpr const char* ConsolePrompt = "CMD:";
constexpr int ConsolePauseMs = 400;
constexpr int ConsoleMessageMs = 3000;
// The notice line stands in the small font just under the command line.
constexpr int ConsoleMessageX = 14;
constexpr int ConsoleMessageY = 53;

// One console step (once a frame, and inside every progress frame): the
// line editor takes the frame's presses (Tab and Escape show and hide the
// prompt), the prompt is drawn while it is shown, and a line finished with
// Enter is run as a command.
void runConsole(ConsoleState& console, Input& input, Clock& clock, Shell& shell, Screen& screen,
                TextBuffer& text, WorldMap& world, Units& units, FrameHost& host,
                const std::string& saveDir);
void runConsole(ConsoleState& console, const ConsoleContext& ctx);

// Splits the command line into words and runs the row of the command table
// that fits them, or answers why none does. A row that runs after the
// console step is left pending: runConsole runs it once it has drawn.
void runCommand(ConsoleState& console, const ConsoleContext& ctx);

// Splits `line` at spaces, '-', ',', tabs and newlines into the console's
// word buffers; returns the number of words (those beyond 20 are counted
// but not kept).
int splitCommandLine(ConsoleState& console, const char* line);

// Reads a decimal number like atoi, but saturates instead of overflowing.
int readNumber(const char* word);

// Whether the Escape key down now hid the prompt: the console took that
// press, and the key quits nothing until it has been let go.
inline bool consoleTookEscape(const ConsoleState& console) { return console.escapeTaken; }

// Shows a notice, such as a command's answer, under the command line (lines
// after a '\n' stand above the prompt): while the console is open, until the
// next command answers; when it is closed, for a few seconds.
void showConsoleMessage(ConsoleState& console, const Clock& clock, const char* message);
bool consoleMessageVisible(const ConsoleState& console, const Clock& clock);

} // namespace delve
