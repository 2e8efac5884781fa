// The real window: SDL2 for the window, its GL context, the message queue
// and the key and mouse events.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/backends/backends.h"

namespace delve {

namespace {

// The place on the keyboard of a virtual key other than a letter (letters
// follow the layout: see virtualKeyOf); unknown for a key the game has no
// use for.
SDL_Scancode scancodeFor(int vk) {
    if (vk >= '1' && vk <= '9') return SDL_Scancode(SDL_SCANCODE_1 + (vk - '1'));
    if (vk >= 112 && vk <= 123) return SDL_Scancode(SDL_SCANCODE_F1 + (vk - 112));
    if (vk >= 97 && vk <= 105) return SDL_Scancode(SDL_SCANCODE_KP_1 + (vk - 97));
    switch (vk) {
    case '0': return SDL_SCANCODE_0;
    case 8: return SDL_SCANCODE_BACKSPACE;
    case 9: return SDL_SCANCODE_TAB;
    case 13: return SDL_SCANCODE_RETURN;
    case 19: return SDL_SCANCODE_PAUSE;
    case 20: return SDL_SCANCODE_CAPSLOCK;
    case 27: return SDL_SCANCODE_ESCAPE;
    case 32: return SDL_SCANCODE_SPACE;
    case 33: return SDL_SCANCODE_PAGEUP;
    case 34: return SDL_SCANCODE_PAGEDOWN;
    case 35: return SDL_SCANCODE_END;
    case 36: return SDL_SCANCODE_HOME;
    case 37: return SDL_SCANCODE_LEFT;
    case 38: return SDL_SCANCODE_UP;
    case 39: return SDL_SCANCODE_RIGHT;
    case 40: return SDL_SCANCODE_DOWN;
    case 45: return SDL_SCANCODE_INSERT;
    case 46: return SDL_SCANCODE_DELETE;
    case 96: return SDL_SCANCODE_KP_0;
    case 106: return SDL_SCANCODE_KP_MULTIPLY;
    case 107: return SDL_SCANCODE_KP_PLUS;
    case 109: return SDL_SCANCODE_KP_MINUS;
    case 110: return SDL_SCANCODE_KP_PERIOD;
    case 111: return SDL_SCANCODE_KP_DIVIDE;
    default: return SDL_SCANCODE_UNKNOWN;
    }
}

// The virtual key of a key event: letters by the letter the layout gives the
// key (so Z and M are the keys labelled so on AZERTY, QWERTZ or Dvorak
// keyboards), the other keys by their place on the keyboard.
int virtualKeyOf(const SDL_Keysym& key) {
    if (key.sym >= 'a' && key.sym <= 'z') return int('A' + (key.sym - 'a'));
    switch (key.scancode) {
    case SDL_SCANCODE_LSHIFT: case SDL_SCANCODE_RSHIFT: return Vk::Shift;
    case SDL_SCANCODE_LCTRL: case SDL_SCANCODE_RCTRL: return Vk::Control;
    case SDL_SCANCODE_LALT: case SDL_SCANCODE_RALT: return Vk::Alt;
    case SDL_SCANCODE_KP_ENTER: return Vk::Enter;
    default: break;
    }
    // A letter key that types no Latin letter (a non-Latin layout) keeps
    // its US place.
    if (key.scancode >= SDL_SCANCODE_A && key.scancode <= SDL_SCANCODE_Z)
        return int('A' + (key.scancode - SDL_SCANCODE_A));
    if (key.scancode == SDL_SCANCODE_UNKNOWN) return 0;
    for (int vk = 0; vk < Vk::Count; ++vk)
        if (scancodeFor(vk) == key.scancode) return vk;
    return 0;
}

class SdlPlatform final : public Platform {
public:
    explicit SdlPlatform(GraphicsApi api) : api_(api) {
        // The program handles SIGINT and SIGTERM itself (as the close message).
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            initError_ = true;
            return;
        }
        // Without a display SDL falls back to a driver that draws nowhere and
        // reads no keys; a player would be left with a game they cannot see
        // or quit. Only a driver asked for by name is accepted then.
        const char* driver = SDL_GetCurrentVideoDriver();
        bool invisible = driver && (!SDL_strcmp(driver, "offscreen") || !SDL_strcmp(driver, "dummy"));
        if (invisible && !SDL_getenv("SDL_VIDEODRIVER")) {
            const char* x = SDL_getenv("DISPLAY");
            const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
            if (x || wayland)
                SDL_SetError("cannot reach the display %s", x ? x : wayland);
            else
                SDL_SetError("no display found (DISPLAY and WAYLAND_DISPLAY are not set)");
            initError_ = true;
        }
    }
    bool usable() const { return !initError_; }
    ~SdlPlatform() override {
        destroyWindow();
        SDL_Quit();
    }

    bool createWindow(const char* title, int width, int height) override {
        // Unreachable through makeSdlPlatform, which refuses a failed start.
        if (initError_) return false;
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 5);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
        if (api_ == GraphicsApi::Gles2) {
            // Asked for before the window is made, which picks its visual.
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
        }
        window_ = SDL_CreateWindow(title, 0, 0, width, height,
                                   SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS);
        if (!window_) {
            destroyWindow();
            return fail("Window Creation Error.");
        }
        context_ = SDL_GL_CreateContext(window_);
        if (!context_) {
            destroyWindow();
            return fail("Can't Create A GL Rendering Context.");
        }
        if (SDL_GL_MakeCurrent(window_, context_) != 0) {
            destroyWindow();
            return fail("Can't Activate The GL Rendering Context.");
        }
        // Presentation waits for the display's refresh where the driver
        // allows it; the frame loop paces itself where it does not.
        SDL_GL_SetSwapInterval(1);
        fullscreen_ = false;
        SDL_ShowWindow(window_);
        SDL_RaiseWindow(window_);
        SDL_SetWindowInputFocus(window_);
        return true;
    }

    void destroyWindow() override {
        if (context_) {
            if (SDL_GL_MakeCurrent(window_, nullptr) != 0)
                messageBox("SHUTDOWN ERROR", withReason("Release Of The GL Rendering Context Failed.").c_str());
            SDL_GL_DeleteContext(context_);
            context_ = nullptr;
        }
        if (window_) {
            SDL_DestroyWindow(window_);
            window_ = nullptr;
        }
    }

    bool hasWindow() const override { return window_ != nullptr; }

    void moveWindow(int x, int y, int width, int height) override {
        if (!window_) return;
        SDL_SetWindowPosition(window_, x, y);
        SDL_SetWindowSize(window_, width, height);
    }

    void swapBuffers() override {
        if (window_) SDL_GL_SwapWindow(window_);
    }

    Message pumpOneMessage() override {
        SDL_Event ev;
        if (!SDL_PollEvent(&ev)) return Message::None;
        switch (ev.type) {
        case SDL_QUIT: return Message::Close;
        case SDL_WINDOWEVENT:
            if (ev.window.event == SDL_WINDOWEVENT_CLOSE) return Message::Close;
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            // The system's own repeats are no presses; the program makes
            // its own where it wants them.
            if (ev.key.repeat) break;
            if (int vk = virtualKeyOf(ev.key.keysym)) events_.push(vk, ev.type == SDL_KEYDOWN);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const int vk = ev.button.button == SDL_BUTTON_LEFT     ? Vk::LeftButton
                           : ev.button.button == SDL_BUTTON_RIGHT  ? Vk::RightButton
                           : ev.button.button == SDL_BUTTON_MIDDLE ? Vk::MiddleButton
                                                                   : 0;
            if (vk) events_.push(vk, ev.type == SDL_MOUSEBUTTONDOWN);
            break;
        }
        default: break;
        }
        return Message::Other;
    }

    bool nextDeviceEvent(DeviceEvent& out) override { return events_.pop(out); }

    // Full screen is the borderless window grown over its whole display, so
    // it works alike with or without a window manager (the window-manager
    // request SDL makes goes unanswered where none runs).
    bool setFullscreen(bool on) override {
        if (!window_) return false;
        if (on == fullscreen_) return true;
        if (on) {
            SDL_Rect display;
            const int index = SDL_GetWindowDisplayIndex(window_);
            if (index < 0 || SDL_GetDisplayBounds(index, &display) != 0) {
                std::fprintf(stderr, "delve: full screen: %s\n", SDL_GetError());
                return false;
            }
            SDL_GetWindowPosition(window_, &windowed_.x, &windowed_.y);
            SDL_GetWindowSize(window_, &windowed_.w, &windowed_.h);
            SDL_SetWindowPosition(window_, display.x, display.y);
            SDL_SetWindowSize(window_, display.w, display.h);
        } else {
            SDL_SetWindowSize(window_, windowed_.w, windowed_.h);
            SDL_SetWindowPosition(window_, windowed_.x, windowed_.y);
        }
        SDL_RaiseWindow(window_);
        fullscreen_ = on;
        return true;
    }
    bool fullscreen() const override { return window_ && fullscreen_; }

    void cursorScreenPosition(int& x, int& y) override { SDL_GetGlobalMouseState(&x, &y); }

    ScreenRect windowRect() override {
        ScreenRect r;
        if (!window_) return r;
        int x = 0, y = 0, w = 0, h = 0;
        SDL_GetWindowPosition(window_, &x, &y);
        SDL_GetWindowSize(window_, &w, &h);
        r.left = x; r.top = y; r.right = x + w; r.bottom = y + h;
        return r;
    }

    void showCursor(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

    void messageBox(const char* title, const char* text) override {
        std::fprintf(stderr, "delve: %s: %s\n", title, text);
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, title, text, nullptr);
    }

    bool headless() const override { return false; }

private:
    // The program's own words for a failure, and SDL's reason after them.
    static std::string withReason(const char* text) {
        const char* reason = SDL_GetError();
        std::string out = text;
        if (reason && *reason) out += std::string("\n") + reason;
        return out;
    }
    bool fail(const char* text) {
        messageBox("ERROR", withReason(text).c_str());
        return false;
    }

    DeviceEventQueue events_; // transitions waiting for the frame loop
    bool fullscreen_ = false;
    GraphicsApi api_;
    SDL_Rect windowed_{0, 0, 0, 0}; // where the window stood before full screen
    bool initError_ = false;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
};

} // namespace

std::unique_ptr<Platform> makeSdlPlatform(std::string& error, GraphicsApi api) {
    auto p = std::make_unique<SdlPlatform>(api);
    if (p->usable()) return p;
    error = SDL_GetError();
    return nullptr;
}

} // namespace delve
