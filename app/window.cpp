#include "app/window.h"

// glWindowPos (OpenGL 1.4) places the full-screen picture.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glu.h>

#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "views/first_person.h"

namespace delve {

namespace {

constexpr double FieldOfViewDegrees = 45.0; // vertical
constexpr float NearPlane = 0.1f;
constexpr double FarPlane = 100.0;

} // namespace

int createWindowAndContext(Platform& platform, BitmapCatalogue& pictures, const char* title,
                           int width, int height) {
    if (!platform.createWindow(title, width, height)) return 0;
    setProjection();
    initGLState(pictures);
    return 1;
}

void destroyWindowAndContext(Platform& platform) { platform.destroyWindow(); }

void setProjection() {
    // The first-person picture is always rendered at its own size in the
    // window's lower-left corner, whatever the window's size and scale.
    glViewport(0, 0, ViewWidth, ViewHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfViewDegrees, double(float(ViewWidth) / float(ViewHeight)),
                   double(NearPlane), FarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void initGLState(BitmapCatalogue& pictures) {
    createTextures(pictures);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(1.0f, 0.0f, 0.9f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void beginFrame(Platform& platform, Screen& screen) {
    if (platform.hasWindow()) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
    }
    screen.clearFramebuffer();
}

void presentFrame(Platform& platform, const Screen& screen, int pixelZoom) {
    // Without a window (creation failed) there is no context to draw into;
    // the loop goes on and Escape still ends the program.
    if (!platform.hasWindow()) return;
    glDisable(GL_TEXTURE_2D);
    if (platform.fullscreen()) {
        // The picture at the largest whole scale that fits, centred on black.
        const ScreenRect area = platform.windowRect();
        const int w = area.right - area.left, h = area.bottom - area.top;
        const ScreenRect pic = fullscreenPictureRect(ScreenRect{0, 0, w, h}, screen.width,
                                                     screen.height);
        const int scale = screen.width > 0 ? (pic.right - pic.left) / screen.width : 1;
        GLfloat clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
        glWindowPos2i(pic.left, h - pic.bottom);
        glPixelZoom(float(scale), float(scale));
    } else {
        glWindowPos2i(0, 0);
        if (pixelZoom >= 1 && pixelZoom <= 5) glPixelZoom(float(pixelZoom), float(pixelZoom));
    }
    glDrawPixels(screen.width, screen.height, GL_RGBA, GL_UNSIGNED_BYTE, screen.framebuffer.data());
    platform.swapBuffers();
    glEnable(GL_TEXTURE_2D);
}

} // namespace delve
