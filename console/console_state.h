#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "console/commands.h"
#include "console/slot_reader.h"

namespace delve {

constexpr int CommandTextSize = 256;   // line and word buffers, terminator included
constexpr int CommandTokenCount = 20;  // words kept from one command line
// Answers, help included (about a dozen short lines).
constexpr int ConsoleMessageSize = 640;

// The console's state: the prompt switch, the line store, the command table
// and the answer to the last command, shown under the command line.
struct ConsoleState {
    int consoleOpen = 0;
    int commandReady = 0;

    char commandLine[CommandTextSize] = {};
    int commandLength = 0;
    // The words of the last command; allocated by initCommandStore.
    std::vector<std::array<char, CommandTextSize>> commandTokens;
    int tokenCount = 0; // words in the last command, also those beyond the 20 kept

    // The key that typed last, repeated while it stays held past the delay.
    int repeatKey = 0;
    bool repeatShift = false;
    uint64_t repeatAtMs = 0; // game time of the next repeat

    // Set while a save or load runs: the progress frames' console runs edit
    // the line but leave a finished command waiting until the transfer ends.
    bool slotBusy = false;
    // What the last save or load adds to its notice: the errno (or file
    // layer code) that made it fail, and whether a loaded slot had no check
    // file to vouch for it.
    int slotError = 0;
    bool slotUnchecked = false;
    // What makes a slot's contest unplayable, naming the field; null if nothing.
    const char* slotProblem = nullptr;
    // What a load reads the slot into before it touches the live game; kept
    // from one load to the next, so a load does not fault in 14 MB anew.
    SlotImage loadImage;

    // The commands a line can run; the program adds its own at start-up.
    ConsoleCommands commands;
    // A command whose handler runs after the console step (its row in
    // `commands`), or -1.
    int pendingCommand = -1;
    // Set when Escape closed the prompt, until that key is let go: the
    // press was the console's, so it quits nothing.
    bool escapeTaken = false;

    char message[ConsoleMessageSize] = {};
    uint64_t messageUntilMs = 0; // Clock time at which the notice disappears
};

} // namespace delve
