// The real window: SDL2 for the window, its GL context, the message queue
// and the polled key and mouse state.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/backends/backends.h"
#include "platform/keymap.h"

namespace delve {

namespace {

static_assert(SDL_SCANCODE_A == ScancodeLetterA && SDL_SCANCODE_UNKNOWN == ScancodeUnknown);

SDL_Scancode scancodeFor(int vk) {
    // Letters follow the active layout; the other keys keep their places.
    if (vk >= 'A' && vk <= 'Z')
        return SDL_Scancode(
            letterScancode(vk, [](int key) { return SDL_GetScancodeFromKey(SDL_Keycode(key)); }));
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

class SdlPlatform final : public Platform {
public:
    SdlPlatform() {
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
        if (ev.type == SDL_QUIT) return Message::Close;
        if (ev.type == SDL_WINDOWEVENT && ev.window.event == SDL_WINDOWEVENT_CLOSE)
            return Message::Close;
        return Message::Other;
    }

    bool deviceKeyDown(int vk) override {
        if (vk == 1 || vk == 2 || vk == 4) {
            Uint32 buttons = SDL_GetGlobalMouseState(nullptr, nullptr);
            Uint32 mask = vk == 1 ? SDL_BUTTON_LMASK : vk == 2 ? SDL_BUTTON_RMASK : SDL_BUTTON_MMASK;
            return (buttons & mask) != 0;
        }
        const Uint8* keys = SDL_GetKeyboardState(nullptr);
        switch (vk) {
        case 16: return keys[SDL_SCANCODE_LSHIFT] || keys[SDL_SCANCODE_RSHIFT];
        case 17: return keys[SDL_SCANCODE_LCTRL] || keys[SDL_SCANCODE_RCTRL];
        case 18: return keys[SDL_SCANCODE_LALT] || keys[SDL_SCANCODE_RALT];
        case 13: return keys[SDL_SCANCODE_RETURN] || keys[SDL_SCANCODE_KP_ENTER];
        default: break;
        }
        SDL_Scancode sc = scancodeFor(vk);
        return sc != SDL_SCANCODE_UNKNOWN && keys[sc];
    }

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

    bool initError_ = false;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
};

} // namespace

std::unique_ptr<Platform> makeSdlPlatform(std::string& error) {
    auto p = std::make_unique<SdlPlatform>();
    if (p->usable()) return p;
    error = SDL_GetError();
    return nullptr;
}

} // namespace delve
