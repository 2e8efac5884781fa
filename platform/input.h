#pragma once
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace delve {

// One event of an input script: applied before frame `frame` begins.
struct ScriptEvent {
    enum Kind { Down, Up, Cursor, Close } kind = Down;
    int frame = 0;
    int a = 0; // virtual key, or cursor x
    int b = 0; // cursor y
};

// Parses an input script ("FRAME down VK", "FRAME up VK",
// "FRAME cursor X Y", "FRAME close"; '#' starts a comment). On a malformed
// line returns false and sets `error` to a one-line message naming it.
bool parseInputScript(const std::string& text, std::vector<ScriptEvent>& events, std::string& error);

// Converts a cursor position in screen pixels into framebuffer pixels from
// the window's screen rectangle, clamped to the framebuffer's edges.
int cursorFromScreenX(int cursorX, const ScreenRect& rect, int screenWidth);
int cursorFromScreenY(int cursorY, const ScreenRect& rect, int screenHeight);

// Writes what the player did as an input script: "# seed N" first, then for
// every main-loop frame the keys that went down or up and the cursor when
// it moved, and the frame at which the session ended as a close event.
class InputRecorder {
public:
    InputRecorder() = default;
    ~InputRecorder();
    InputRecorder(const InputRecorder&) = delete;
    InputRecorder& operator=(const InputRecorder&) = delete;

    // Creates (truncates) `path`; false when it cannot be written.
    bool open(const std::string& path, uint32_t seed);
    bool recording() const { return file_ != nullptr; }
    // The state the program reads in `frame`; only changes are written.
    void frame(int frame, const std::array<bool, 256>& keys, int cursorX, int cursorY);
    // Ends the recording with "FRAME close"; false when writing failed.
    bool finish(int frame);

private:
    std::FILE* file_ = nullptr;
    std::array<bool, 256> keys_{};
    int cursorX_ = 0, cursorY_ = 0;
};

// The polled key and cursor state that every part of the program reads.
// With a script, the script's state overrides the real devices.
//
// Script time and real time agree: a script's events apply before the
// main-loop frame they name, and the progress frames of a save or load run
// inside that main-loop frame, so they apply nothing new. A key that was
// seen down in a main-loop frame is not seen again by that frame's progress
// frames until it is released: one Enter starts one save, however long the
// save takes.
class Input {
public:
    explicit Input(Platform& platform) : platform_(&platform) {}
    // Input without devices: keys and cursor come only from a script or
    // from setKey/setCursor (tests and command-line tools).
    Input() = default;

    void useScript(std::vector<ScriptEvent> events);
    bool scripted() const { return scripted_; }
    // Applies the script's events for `frame`; returns true when one of
    // them was the window's close message.
    bool applyScript(int frame);

    // Starts main-loop frame `frame` of a screen of the given size: applies
    // the script's events (true on a close message), forgets which keys were
    // seen, and when recording takes the frame's key and cursor state once
    // so that the recording holds exactly what the frame read.
    bool beginFrame(int frame, int screenWidth, int screenHeight);
    // Brackets a progress frame run inside the current main-loop frame.
    void beginProgressFrame() { inProgress_ = true; }
    void endProgressFrame() { inProgress_ = false; }

    // Records every main-loop frame's input into `recorder` from now on.
    void recordTo(InputRecorder* recorder) { recorder_ = recorder; }

    bool isKeyDown(int virtualKey);
    // Cursor in framebuffer pixels, y counted from the bottom row.
    int cursorX(int screenWidth);
    int cursorY(int screenHeight);

    // Sets a key or the cursor directly (tests drive the game this way).
    void setKey(int virtualKey, bool down);
    void setCursor(int x, int y);

private:
    bool keyState(int virtualKey);

    Platform* platform_ = nullptr;
    InputRecorder* recorder_ = nullptr;
    bool scripted_ = false;
    bool snapshot_ = false; // live keys and cursor taken once per frame
    bool inProgress_ = false;
    std::array<bool, Vk::Count> seen_{};
    std::vector<ScriptEvent> events_;
    size_t nextEvent_ = 0;
    std::array<bool, Vk::Count> keys_{};
    int cursorX_ = 0, cursorY_ = 0;
};

} // namespace delve
