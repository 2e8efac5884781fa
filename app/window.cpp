#include "app/window.h"

#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"
#include "gfx/renderer.h"
#include "platform/platform.h"

namespace delve {

int createWindowAndContext(Platform& platform, Renderer& renderer, BitmapCatalogue& pictures,
                           const char* title, int width, int height) {
    if (!platform.createWindow(title, width, height)) return 0;
    renderer.contextCreated(pictures);
    return 1;
}

void destroyWindowAndContext(Platform& platform) { platform.destroyWindow(); }

void beginFrame(Platform& platform, Renderer& renderer, Screen& screen) {
    if (platform.hasWindow()) renderer.clear();
    screen.clearFramebuffer();
}

void presentFrame(Platform& platform, Renderer& renderer, const Screen& screen, int pixelZoom) {
    // Without a window (creation failed) there is no context to draw into;
    // the loop goes on and Escape still ends the program.
    if (!platform.hasWindow()) return;
    renderer.present(screen, pixelZoom);
    platform.swapBuffers();
}

} // namespace delve
