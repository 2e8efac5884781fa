#pragma once

namespace delve {

class Clock;

// Windows virtual-key codes, the names every part of the program uses for
// keys and mouse buttons.
namespace Vk {
constexpr int LeftButton = 1;
constexpr int RightButton = 2;
constexpr int MiddleButton = 4;
constexpr int Backspace = 8;
constexpr int Tab = 9;
constexpr int Enter = 13;
constexpr int Shift = 16;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Digit0 = 48; // '0'..'9' are 48..57
constexpr int LetterA = 65; // 'A'..'Z' are 65..90
constexpr int KeyM = 77;
constexpr int KeyZ = 90;
constexpr int KeypadPlus = 107;
constexpr int KeypadMinus = 109;
constexpr int F1 = 112; // F1..F6 are 112..117
constexpr int F5 = 116;
constexpr int F6 = 117;
constexpr int F12 = 123;
constexpr int Count = 256;
} // namespace Vk

// A rectangle in screen pixels; right and bottom are exclusive edges.
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// What a pumped message was.
enum class Message { None, Close, Other };

// The window system: one window with a current, double-buffered RGBA GL
// context (16-bit depth), polled device state and message boxes. Two
// backends: SDL2 (a real window) and headless (an offscreen Mesa context).
class Platform {
public:
    virtual ~Platform() = default;

    // Creates the borderless window at the screen's top-left corner with a
    // client area of width x height and makes its GL context current.
    // Reports a failure with a message box titled "ERROR" and returns false.
    virtual bool createWindow(const char* title, int width, int height) = 0;
    // Releases the GL context and the window; safe when there is none.
    virtual void destroyWindow() = 0;
    virtual bool hasWindow() const = 0;
    // Moves the window's top-left corner to (x, y) and sizes its client area.
    virtual void moveWindow(int x, int y, int width, int height) = 0;
    virtual void swapBuffers() = 0;
    // Handles one waiting window message without blocking; Message::None
    // when the queue is empty.
    virtual Message pumpOneMessage() = 0;

    // Device state at the moment of the call.
    virtual bool deviceKeyDown(int virtualKey) = 0;
    // Cursor position and window rectangle, in screen pixels.
    virtual void cursorScreenPosition(int& x, int& y) = 0;
    virtual ScreenRect windowRect() = 0;
    virtual void showCursor(bool visible) = 0;

    virtual void messageBox(const char* title, const char* text) = 0;
    virtual bool headless() const = 0;
};

} // namespace delve
