#pragma once
#include <string>

#include "console/console_state.h"
#include "console/frame_host.h"
#include "platform/file_store.h"
#include "units/unit_record.h"
#include "world/world_map.h"

namespace delve {

class Clock;
class Input;
struct Screen;
struct Shell;
struct TextBuffer;

// Everything a console step, a save and a load touch.
struct ConsoleContext {
    Input& input;
    Clock& clock;
    Shell& shell;
    Screen& screen;
    TextBuffer& text;
    WorldMap& world;
    Units& units;
    FrameHost& host;
    const std::string& saveDir; // folder of the slots; made when a save needs it
    FileStore& files = diskFiles(); // where the slots' files are read and written
};

constexpr int MapChunkBytes = 1000000;
constexpr int ChunkWaitMs = 100;
constexpr int FileWaitMs = 1000;

enum class SlotResult {
    Done,
    Empty,       // load: the slot holds no game
    Damaged,     // load: a file is missing, cut short or the check file is broken
    Mixed,       // load: the files belong to different saves
    Foreign,     // load: a file belongs to the game of another slot
    Unreadable,  // load: a file could not be read (console.slotError says why)
    SaveFailed,  // save: the folder or a file could not be written; the slot is as
                 // before (console.slotError says why)
    Interrupted, // save: abandoned on purpose after a number of steps (crash tests)
    Busy,        // a save or load is already running
};

// Percentage shown on the progress screen of the map chunk at `offset`.
int mapChunkPercent(int offset);

// Writes the grid, the unit table and the game variables into the slot's
// three files, with a progress screen between steps, and the host's contest
// (if any) into a fourth. Each file is written whole under a temporary
// name and flushed; then the check file and the game's files replace the old
// ones, so an interrupted save leaves either game or a slot that loading
// recognises as mixed. A save that fails (rather than being cut off) puts
// back every file it replaced.
// `stopAfterSteps` >= 0 abandons the save after that many file steps, as a
// crash would (for crash tests); -1 runs it to the end.
SlotResult saveGame(ConsoleState& console, const ConsoleContext& ctx, int slot,
                    int stopAfterSteps = -1);

// Reads the slot's files into memory and checks them first, refusing an
// empty, damaged, mixed, foreign or unreadable slot, or one whose contest
// its own unit table cannot play (console.slotProblem names the field),
// without touching the game; only then copies them over the live grid,
// unit table and game variables, with progress screens, and has the host
// restore the contest (or end it, for a slot without one). The loaded view
// origin is brought into the map. Never creates a file.
SlotResult loadGame(ConsoleState& console, const ConsoleContext& ctx, int slot);

} // namespace delve
