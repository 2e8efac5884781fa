#include "app/window.h"

#include <algorithm>

#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"
#include "gfx/renderer.h"
#include "platform/input.h"
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
    Placement place;
    if (platform.fullscreen()) {
        // The picture at the largest whole scale that fits, centred on black.
        const ScreenRect area = platform.windowRect();
        const int w = area.right - area.left, h = area.bottom - area.top;
        const ScreenRect pic = fullscreenPictureRect(ScreenRect{0, 0, w, h}, screen.width,
                                                     screen.height);
        place.left = pic.left;
        place.bottom = h - pic.bottom;
        place.scale = std::max(1, screen.width > 0 ? (pic.right - pic.left) / screen.width : 1);
        place.blackSurround = true;
    } else {
        // A zoom the keys cannot give keeps the previous one.
        place.scale = pixelZoom >= 1 && pixelZoom <= 5 ? pixelZoom : 0;
    }
    renderer.present(screen, place);
    platform.swapBuffers();
}

} // namespace delve
