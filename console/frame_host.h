#pragma once

namespace delve {

// What save and load need from the shell to draw their progress screens.
// The app implements it; tests implement it with a plain software screen.
class FrameHost {
public:
    virtual ~FrameHost() = default;
    // Clears the GL buffers and the framebuffer for a new picture.
    virtual void beginFrame() = 0;
    // The reduced frame: view, banner, credits, status line, console,
    // movement tick, cursor, message pump and frame count. Its console run
    // never starts another save or load (commands wait until it is over).
    virtual void runProgressFrame() = 0;
    // Shows the framebuffer.
    virtual void presentFrame() = 0;
    // Switches on GL 2D texturing and blending (the unit stage does this).
    virtual void enableTexturingAndBlending() = 0;
};

} // namespace delve
