#pragma once
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/output_file.h"
#include "platform/platform.h"

namespace delve {

// One event of an input script: applied before frame `frame` begins. A
// Pace event says at how many frames a second the script was made (a).
struct ScriptEvent {
    enum Kind { Down, Up, Cursor, Close, Pace } kind = Down;
    int frame = 0;
    int a = 0; // virtual key, cursor x, or frames a second
    int b = 0; // cursor y
};

// Parses an input script ("FRAME down VK", "FRAME up VK",
// "FRAME cursor X Y", "FRAME close", and once, at frame 0, "0 fps N";
// '#' starts a comment). On a malformed line returns false and sets `error`
// to a one-line message naming it, the line quoted.
bool parseInputScript(const std::string& text, std::vector<ScriptEvent>& events, std::string& error);

// The frames a second a script was made at ("0 fps N"), or -1 when it does
// not say. Time in the game (key repeat, blinking) advances one frame period
// a frame, so a replay runs at this pace to type what the recording typed.
int scriptPace(const std::vector<ScriptEvent>& events);

// Converts a cursor position in screen pixels into framebuffer pixels from
// the window's screen rectangle, clamped to the framebuffer's edges.
int cursorFromScreenX(int cursorX, const ScreenRect& rect, int screenWidth);
int cursorFromScreenY(int cursorY, const ScreenRect& rect, int screenHeight);

// Where a picture of width x height stands on a full screen `area`: scaled
// by the largest whole factor that fits (at least 1) and centred, so every
// framebuffer pixel stays a square block of screen pixels.
ScreenRect fullscreenPictureRect(const ScreenRect& area, int width, int height);

// Writes what the player did as an input script: "# seed N" first, the
// frame pace as "0 fps N", then every key and button transition in the order the program took it, under
// the main-loop frame that took it, and the cursor when it moved; the frame
// at which the session ended is written as a close event. A replay of the
// file takes the same transitions in the same frames, so it types the same
// characters and clicks the same cells.
//
// The recording is written to a temporary file beside its name and put in
// place when the session ends: a recording that could not be written whole
// leaves nothing cut mid-line, and an older file of that name stays as it
// was.
class InputRecorder {
public:
    InputRecorder() = default;
    InputRecorder(const InputRecorder&) = delete;
    InputRecorder& operator=(const InputRecorder&) = delete;

    // Starts a recording for `path` under the file layer's output rule, of
    // a session with world seed `seed` run at `framesPerSecond` (0 =
    // unpaced); the error (0 on success) that refused it.
    int open(const std::string& path, uint32_t seed, int framesPerSecond);
    bool recording() const { return open_; }
    void keyEvent(int frame, int virtualKey, bool down);
    void cursor(int frame, int cursorX, int cursorY);
    // Ends the recording with "FRAME close" and puts it in place; the error
    // that made it fail (nothing is left of it then), or 0.
    int finish(int frame);

private:
    void line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void flush();

    OutputFile out_;
    bool open_ = false;
    int error_ = 0;
    std::array<char, 1 << 16> buffer_{};
    size_t used_ = 0;
    bool haveCursor_ = false;
    int cursorX_ = 0, cursorY_ = 0;
};

// A key press, in the order the player made it, with the modifiers as they
// were at that moment.
struct KeyPress {
    int virtualKey = 0;
    bool shift = false;
    bool alt = false;
    bool control = false;
};

// The key and cursor state that every part of the program reads, and the
// ordered presses the console types from.
//
// The devices (or a script) deliver transitions; each main-loop frame takes
// those that arrived since the previous frame, in order. A key reads as down
// in a frame when it is held at the frame's start or went down since the
// previous frame, so a tap shorter than a frame is seen by exactly one
// frame. Presses also queue, so typing keeps every key once and in order.
//
// Script time and real time agree: a script's events apply before the
// main-loop frame they name, and the progress frames of a save or load run
// inside that main-loop frame, so they take nothing new. A key that was
// seen down in a main-loop frame is not seen again by that frame's progress
// frames: one Enter starts one save, however long the save takes.
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

    // Starts main-loop frame `frame` of a screen of the given size: forgets
    // the previous frame's taps and seen keys, takes the script's events
    // (true on a close message) or the devices' transitions and cursor, and
    // records what it took.
    bool beginFrame(int frame, int screenWidth, int screenHeight);
    // Brackets a progress frame run inside the current main-loop frame.
    void beginProgressFrame() { inProgress_ = true; }
    void endProgressFrame() { inProgress_ = false; }

    // Records every main-loop frame's input into `recorder` from now on.
    void recordTo(InputRecorder* recorder) { recorder_ = recorder; }

    // Down in this frame: held, or tapped since the previous frame. While
    // typing is captured, the keys that type read as up here.
    bool isKeyDown(int virtualKey);
    // Went down since the previous main-loop frame: keys that act once per
    // press (window and mode keys) ask this.
    bool wasPressed(int virtualKey) const;
    // Held at this moment, as far as the program has taken the transitions
    // (the console's key repeat asks this).
    bool isHeld(int virtualKey) const;
    // Cursor in framebuffer pixels, y counted from the bottom row.
    int cursorX(int screenWidth);
    int cursorY(int screenHeight);

    // The oldest press not yet typed. Progress frames take none: what the
    // player types during a save waits for the next frame.
    bool takePress(KeyPress& press);
    // The oldest press without taking it; false when none can be taken.
    bool peekPress(KeyPress& press) const;
    bool inProgressFrame() const { return inProgress_; }
    // While the console is open the keys that type (letters, digits, Space,
    // Backspace, Enter) only type: no other part of the program sees them.
    void captureTyping(bool on) { typingCaptured_ = on; }
    bool typingCaptured() const { return typingCaptured_; }
    static bool typesInConsole(int virtualKey);

    // Sets a key or the cursor directly (tests drive the game this way). A
    // key set down is pressed at once, as if its frame had just begun.
    void setKey(int virtualKey, bool down);
    void setCursor(int x, int y);

private:
    void applyTransition(int frame, int virtualKey, bool down);
    bool pushPress(int virtualKey);

    static constexpr int PressCapacity = 1024;

    Platform* platform_ = nullptr;
    InputRecorder* recorder_ = nullptr;
    bool scripted_ = false;
    bool inProgress_ = false;
    bool typingCaptured_ = false;
    std::array<bool, Vk::Count> held_{};    // after the transitions taken so far
    std::array<bool, Vk::Count> tapped_{};  // went down since the frame began
    std::array<bool, Vk::Count> seen_{};    // read down by this main-loop frame
    std::array<KeyPress, PressCapacity> presses_{};
    size_t pressHead_ = 0, pressCount_ = 0;
    std::vector<ScriptEvent> events_;
    size_t nextEvent_ = 0;
    int cursorX_ = 0, cursorY_ = 0;
};

} // namespace delve
