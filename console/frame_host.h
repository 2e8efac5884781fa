#pragma once
#include <cstdint>
#include <vector>

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

    // The contest's bytes: the console stores and checks them, the app gives
    // them their meaning. A host without a contest leaves these as they
    // are: its saves hold no contest file, its loads ignore one.
    // What a save writes to the contest file; empty: no contest file.
    virtual std::vector<uint8_t> contestBytes() { return {}; }
    // Whether a slot's contest file can be restored; asked before a load
    // touches anything, so a slot that cannot be is refused whole.
    virtual bool contestReadable(const std::vector<uint8_t>& bytes) {
        (void)bytes;
        return true;
    }
    // Puts a loaded slot's contest in place, right after its tables; null
    // when the slot holds no contest file (the contest is then reset).
    virtual void restoreContest(const std::vector<uint8_t>* bytes) { (void)bytes; }
};

} // namespace delve
