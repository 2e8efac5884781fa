#pragma once
#include <optional>

#include "console/contest_save.h"

namespace delve {

// The file a save or load is moving when it draws a progress frame.
enum class ProgressStage { Map, Units, Variables };

// What save and load need from the shell: progress screens, and the state
// of the party contest, which a slot keeps in a fourth file. The app
// implements it; tests implement it with a plain software screen.
class FrameHost {
public:
    virtual ~FrameHost() = default;
    // Clears the framebuffer (and the window) for a progress frame of `stage`.
    virtual void beginFrame(ProgressStage stage) = 0;
    // The reduced frame: view, banner, credits, status line, console,
    // movement tick, cursor, message pump and frame count. Its console run
    // never starts another save or load (commands wait until it is over).
    virtual void runProgressFrame() = 0;
    // Shows the framebuffer.
    virtual void presentFrame() = 0;

    // The party contest, which only the app plays: a save keeps what
    // contestToSave() gives in the slot's contest file (none: no file), and
    // a load hands a contest that the unit table it comes with can play to
    // restoreContest(), right after the tables, or null for a slot without
    // one (the contest under way then ends). A host without a contest keeps
    // these as they are.
    virtual std::optional<ContestSave> contestToSave() { return std::nullopt; }
    virtual void restoreContest(const ContestSave* contest) { (void)contest; }
};

} // namespace delve
