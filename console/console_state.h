#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace delve {

constexpr int CommandTextSize = 256;   // line and word buffers, terminator included
constexpr int CommandTokenCount = 20;  // words kept from one command line
constexpr int ConsoleMessageSize = 256;

// The console's state: the prompt switch, the line store and the answer to
// the last command, shown under the command line.
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

    // Set by the "contest" command; the shell starts or stops the party
    // contest and clears it (the console itself knows no game rules).
    int contestRequested = 0;
    // Set by the "edges" command; the shell turns the cell edge overlay of
    // the first-person view on or off and clears it.
    int edgesRequested = 0;

    char message[ConsoleMessageSize] = {};
    uint64_t messageUntilMs = 0; // Clock time at which the notice disappears
};

} // namespace delve
