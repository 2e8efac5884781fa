#pragma once
#include <array>
#include <cstdint>
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

// The polled key and cursor state that every part of the program reads.
// With a script, the script's state overrides the real devices.
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

    bool isKeyDown(int virtualKey);
    // Cursor in framebuffer pixels, y counted from the bottom row.
    int cursorX(int screenWidth);
    int cursorY(int screenHeight);

    // Sets a key or the cursor directly (tests drive the game this way).
    void setKey(int virtualKey, bool down);
    void setCursor(int x, int y);

private:
    Platform* platform_ = nullptr;
    bool scripted_ = false;
    std::vector<ScriptEvent> events_;
    size_t nextEvent_ = 0;
    std::array<bool, Vk::Count> keys_{};
    int cursorX_ = 0, cursorY_ = 0;
};

} // namespace delve
