// No window: an offscreen Mesa context (EGL without a surface) of the
// window's size, desktop GL or OpenGL ES 2.0, so presentation and the
// first-person view run the same GL calls as with a window. Devices read as
// idle; scripts drive the input.
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

#include "platform/backends/backends.h"

namespace delve {

namespace {

class HeadlessPlatform final : public Platform {
public:
    explicit HeadlessPlatform(GraphicsApi api) : api_(api) {}
    // The display is shared by every headless platform of the process (EGL
    // hands out one per platform), so it is left initialised.
    ~HeadlessPlatform() override { destroyWindow(); }

    bool createWindow(const char*, int width, int height) override {
        if (!openDisplay()) return fail("Can't Open The Offscreen GL Display (EGL surfaceless).");
        const bool es = api_ == GraphicsApi::Gles2;
        // The API is the calling thread's: bound before each context call.
        if (!eglBindAPI(es ? EGL_OPENGL_ES_API : EGL_OPENGL_API)) return fail("Can't Bind The GL API.");
        const EGLint configAttribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                        es ? EGL_OPENGL_ES2_BIT : EGL_OPENGL_BIT,
                                        EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                        EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 16,
                                        EGL_NONE};
        EGLConfig config = nullptr;
        EGLint count = 0;
        if (!eglChooseConfig(display_, configAttribs, &config, 1, &count) || count < 1) {
            destroyWindow();
            return fail("Can't Find A Suitable PixelFormat.");
        }
        const EGLint surfaceAttribs[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
        surface_ = eglCreatePbufferSurface(display_, config, surfaceAttribs);
        if (surface_ == EGL_NO_SURFACE) {
            destroyWindow();
            return fail("Window Creation Error.");
        }
        const EGLint es2Attribs[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
        context_ = eglCreateContext(display_, config, EGL_NO_CONTEXT, es ? es2Attribs : nullptr);
        if (context_ == EGL_NO_CONTEXT) {
            destroyWindow();
            return fail("Can't Create A GL Rendering Context.");
        }
        if (!eglMakeCurrent(display_, surface_, surface_, context_)) {
            destroyWindow();
            return fail("Can't Activate The GL Rendering Context.");
        }
        width_ = width;
        height_ = height;
        return true;
    }

    void destroyWindow() override {
        if (display_ == EGL_NO_DISPLAY) return;
        if (context_ != EGL_NO_CONTEXT) {
            eglBindAPI(api_ == GraphicsApi::Gles2 ? EGL_OPENGL_ES_API : EGL_OPENGL_API);
            if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT))
                messageBox("SHUTDOWN ERROR", "Release Of The GL Rendering Context Failed.");
            if (!eglDestroyContext(display_, context_))
                messageBox("SHUTDOWN ERROR", "Release Rendering Context Failed.");
            context_ = EGL_NO_CONTEXT;
        }
        if (surface_ != EGL_NO_SURFACE) {
            eglDestroySurface(display_, surface_);
            surface_ = EGL_NO_SURFACE;
        }
        width_ = height_ = 0;
    }

    bool hasWindow() const override { return surface_ != EGL_NO_SURFACE; }
    void moveWindow(int x, int y, int, int) override { left_ = x; top_ = y; }
    void swapBuffers() override {
        if (surface_ != EGL_NO_SURFACE) eglSwapBuffers(display_, surface_);
    }
    Message pumpOneMessage() override { return Message::None; }
    // No devices: input comes from a script.
    bool nextDeviceEvent(DeviceEvent&) override { return false; }
    // The offscreen picture has no screen to fill.
    bool setFullscreen(bool) override { return false; }
    bool fullscreen() const override { return false; }
    void cursorScreenPosition(int& x, int& y) override { x = left_; y = top_ + height_; }
    ScreenRect windowRect() override { return {left_, top_, left_ + width_, top_ + height_}; }
    void showCursor(bool) override {}
    void messageBox(const char* title, const char* text) override {
        std::fprintf(stderr, "delve: %s: %s\n", title, text);
    }
    bool headless() const override { return true; }

private:
    bool openDisplay() {
        if (display_ != EGL_NO_DISPLAY) return true;
        auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!getPlatformDisplay) return false;
        display_ = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display_ == EGL_NO_DISPLAY) return false;
        if (!eglInitialize(display_, nullptr, nullptr)) {
            display_ = EGL_NO_DISPLAY;
            return false;
        }
        return true;
    }
    // The program's own words for a failure, and EGL's error code after them.
    bool fail(const char* text) {
        char line[160];
        std::snprintf(line, sizeof line, "%s (EGL error 0x%04x)", text, unsigned(eglGetError()));
        messageBox("ERROR", line);
        return false;
    }

    GraphicsApi api_;
    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLSurface surface_ = EGL_NO_SURFACE;
    EGLContext context_ = EGL_NO_CONTEXT;
    int width_ = 0, height_ = 0, left_ = 0, top_ = 0;
};

} // namespace

std::unique_ptr<Platform> makeHeadlessPlatform(GraphicsApi api) {
    return std::make_unique<HeadlessPlatform>(api);
}

} // namespace delve
