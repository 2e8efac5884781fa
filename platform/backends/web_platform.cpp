// The browser: the page's canvas (id "canvas") as the window, a WebGL 1
// context on it, and the page's key and mouse events. Events are recorded
// as they arrive (the browser delivers them while the program yields in a
// wait or a present) and kept in order.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <array>
#include <cstdio>
#include <cstring>

#include "platform/backends/backends.h"
#include "platform/clock.h"
#include "platform/web_keys.h"

namespace delve {

namespace {

constexpr const char* CanvasSelector = "#canvas";

// The page's side of the window: hooks the page may define on Module, and
// the canvas's place in the page.
EM_JS(void, webBlockContextMenu, (), {
    var canvas = document.getElementById('canvas');
    if (canvas) canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
});
EM_JS(void, webCanvasResized, (int width, int height), {
    if (Module.onCanvasResized) Module.onCanvasResized(width, height);
});
EM_JS(void, webFramePresented, (), {
    if (Module.onFramePresented) Module.onFramePresented();
});
// Lets the browser run its tasks (show the canvas, deliver events) and
// comes back at once: a message to ourselves is not held back the way a
// chain of zero-delay timers is. The program resumes as a user callback, so
// its end is handled as after any other wait.
EM_JS(void, webYield, (), {
    Asyncify.handleSleep(function(wakeUp) {
        var channel = new MessageChannel();
        channel.port1.onmessage = function() { callUserCallback(wakeUp); };
        channel.port2.postMessage(0);
    });
});
EM_JS(void, webCanvasRect, (double* rect), {
    var canvas = document.getElementById('canvas');
    if (!canvas) return;
    var r = canvas.getBoundingClientRect();
    HEAPF64[(rect >> 3) + 0] = r.left;
    HEAPF64[(rect >> 3) + 1] = r.top;
    HEAPF64[(rect >> 3) + 2] = r.right;
    HEAPF64[(rect >> 3) + 3] = r.bottom;
});
EM_JS(void, webShowCursor, (int visible), {
    var canvas = document.getElementById('canvas');
    if (canvas) canvas.style.cursor = visible ? 'auto' : 'none';
});
EM_JS(void, webMessageBox, (const char* title, const char* text), {
    if (Module.onMessageBox) Module.onMessageBox(UTF8ToString(title), UTF8ToString(text));
});

class WebPlatform final : public Platform {
public:
    WebPlatform() {
        emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, true, onKey);
        emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, true, onKey);
        emscripten_set_mousedown_callback(CanvasSelector, this, true, onMouse);
        // Releases and moves count wherever the pointer is by then.
        emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, true, onMouse);
        emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, true, onMouse);
        emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, true, onBlur);
        // The right button walks in the map: no context menu over the game.
        webBlockContextMenu();
    }
    ~WebPlatform() override {
        emscripten_html5_remove_all_event_listeners();
        if (context_ > 0) emscripten_webgl_destroy_context(context_);
    }

    bool createWindow(const char*, int width, int height) override {
        emscripten_set_canvas_element_size(CanvasSelector, width, height);
        if (context_ <= 0) {
            EmscriptenWebGLContextAttributes attrs;
            emscripten_webgl_init_context_attributes(&attrs);
            attrs.alpha = false;
            attrs.depth = true;
            attrs.stencil = false;
            attrs.antialias = false;
            // The page takes its pictures of the canvas right after a
            // present, before the browser composites it.
            attrs.preserveDrawingBuffer = false;
            attrs.majorVersion = 1;
            attrs.minorVersion = 0;
            context_ = emscripten_webgl_create_context(CanvasSelector, &attrs);
            if (context_ <= 0) {
                messageBox("ERROR", "Can't Create A GL Rendering Context (WebGL is not available).");
                return false;
            }
        }
        if (emscripten_webgl_make_context_current(context_) != EMSCRIPTEN_RESULT_SUCCESS) {
            messageBox("ERROR", "Can't Activate The GL Rendering Context.");
            return false;
        }
        width_ = width;
        height_ = height;
        open_ = true;
        webCanvasResized(width, height);
        return true;
    }

    // The context stays with the canvas (a browser hands the same one out
    // again); the renderer makes its objects anew on the next creation.
    void destroyWindow() override { open_ = false; }
    bool hasWindow() const override { return open_; }
    // A page cannot move its canvas on the screen; the size is the mode's.
    void moveWindow(int, int, int width, int height) override {
        if (!open_ || (width == width_ && height == height_)) return;
        emscripten_set_canvas_element_size(CanvasSelector, width, height);
        width_ = width;
        height_ = height;
    }

    void swapBuffers() override {
        if (!open_) return;
        webFramePresented();
        // The browser shows the canvas and delivers events while we yield.
        webYield();
    }

    Message pumpOneMessage() override { return Message::None; }

    // The browser hands events over as they happen, while the program
    // yields; they wait here, in order, for the frame loop.
    bool nextDeviceEvent(DeviceEvent& out) override { return events_.pop(out); }

    // The canvas fills the screen, scaled by the browser with its aspect
    // kept; the program goes on drawing the canvas as in a window (so
    // fullscreen() stays false) and the cursor maps through the canvas's
    // place in the page. A browser grants full screen only inside a
    // player's key or click: the request waits for the next one.
    bool setFullscreen(bool on) override {
        EmscriptenFullscreenChangeEvent status{};
        emscripten_get_fullscreen_status(&status);
        if (bool(status.isFullscreen) == on) return true;
        if (!on) return emscripten_exit_fullscreen() == EMSCRIPTEN_RESULT_SUCCESS;
        EmscriptenFullscreenStrategy strategy{};
        strategy.scaleMode = EMSCRIPTEN_FULLSCREEN_SCALE_ASPECT;
        strategy.canvasResolutionScaleMode = EMSCRIPTEN_FULLSCREEN_CANVAS_SCALE_NONE;
        strategy.filteringMode = EMSCRIPTEN_FULLSCREEN_FILTERING_NEAREST;
        const EMSCRIPTEN_RESULT r = emscripten_request_fullscreen_strategy(CanvasSelector, true, &strategy);
        return r == EMSCRIPTEN_RESULT_SUCCESS || r == EMSCRIPTEN_RESULT_DEFERRED;
    }
    bool fullscreen() const override { return false; }

    void cursorScreenPosition(int& x, int& y) override {
        x = cursorX_;
        y = cursorY_;
    }

    // The canvas as it is laid out in the page, in CSS pixels; the cursor
    // is in the same coordinates, so a canvas scaled to fit still maps onto
    // the framebuffer.
    ScreenRect windowRect() override {
        double rect[4] = {0, 0, double(width_), double(height_)};
        webCanvasRect(rect);
        return {int(rect[0]), int(rect[1]), int(rect[2]), int(rect[3])};
    }

    void showCursor(bool visible) override {
        webShowCursor(visible ? 1 : 0);
    }

    void messageBox(const char* title, const char* text) override {
        std::fprintf(stderr, "delve: %s: %s\n", title, text);
        webMessageBox(title, text);
    }

    bool headless() const override { return false; }

private:
    static EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* e, void* self) {
        auto* p = static_cast<WebPlatform*>(self);
        const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
        // A key held down repeats its keydown; only the first one counts.
        if (down && e->repeat) return webKeyDefaultBlocked(p->heldKey(e->code));
        int vk = 0;
        if (down) {
            vk = webVirtualKey(e->key, e->code);
            if (vk == 0) return false;
            if (p->heldKey(e->code) != 0) return webKeyDefaultBlocked(vk); // already down
            p->press(e->code, vk);
        } else {
            // The key goes up as the code it went down as, whatever it types now.
            vk = p->release(e->code);
            if (vk == 0) return false;
        }
        return webKeyDefaultBlocked(vk);
    }

    static EM_BOOL onMouse(int type, const EmscriptenMouseEvent* e, void* self) {
        auto* p = static_cast<WebPlatform*>(self);
        p->cursorX_ = int(e->clientX);
        p->cursorY_ = int(e->clientY);
        if (type == EMSCRIPTEN_EVENT_MOUSEMOVE) return false;
        const int vk = e->button == 0 ? 1 : e->button == 2 ? 2 : e->button == 1 ? 4 : 0;
        if (vk == 0) return false;
        char code[8];
        std::snprintf(code, sizeof code, "Mouse%d", vk);
        if (type == EMSCRIPTEN_EVENT_MOUSEDOWN) {
            if (p->heldKey(code) == 0) p->press(code, vk);
            return true;
        }
        return p->release(code) != 0;
    }

    // Keys held when the page loses focus never report their release.
    static EM_BOOL onBlur(int, const EmscriptenFocusEvent*, void* self) {
        auto* p = static_cast<WebPlatform*>(self);
        for (Held& h : p->heldCodes_)
            if (h.vk != 0) p->release(h.code);
        return false;
    }

    struct Held {
        char code[32] = {};
        int vk = 0;
    };

    int heldKey(const char* code) const {
        for (const Held& h : heldCodes_)
            if (h.vk != 0 && std::strcmp(h.code, code) == 0) return h.vk;
        return 0;
    }
    void press(const char* code, int vk) {
        for (Held& h : heldCodes_) {
            if (h.vk != 0) continue;
            std::snprintf(h.code, sizeof h.code, "%s", code);
            h.vk = vk;
            // Two keys of one code (both Shifts) make one press.
            if (held_[size_t(vk)]++ == 0) events_.push(vk, true);
            return;
        }
    }
    int release(const char* code) {
        for (Held& h : heldCodes_) {
            if (h.vk == 0 || std::strcmp(h.code, code) != 0) continue;
            const int vk = h.vk;
            h.vk = 0;
            if (held_[size_t(vk)] > 0 && --held_[size_t(vk)] == 0) events_.push(vk, false);
            return vk;
        }
        return 0;
    }

    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context_ = 0;
    bool open_ = false;
    int width_ = 0, height_ = 0;
    int cursorX_ = 0, cursorY_ = 0;
    std::array<Held, 32> heldCodes_{}; // physical keys and buttons down now
    std::array<int, Vk::Count> held_{}; // how many of them carry each virtual key
    DeviceEventQueue events_; // transitions waiting for the frame loop
};

// The page shows frames and takes events while the program waits (whole
// milliseconds; asyncify returns to the browser meanwhile).
void yieldToPage(uint64_t nanoseconds) { emscripten_sleep(unsigned(nanoseconds / 1000000u)); }

} // namespace

std::unique_ptr<Platform> makeWebPlatform() {
    setBlockingWait(yieldToPage);
    return std::make_unique<WebPlatform>();
}

} // namespace delve
