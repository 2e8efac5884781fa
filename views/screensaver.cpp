#include "views/screensaver.h"

#include "platform/shell.h"
#include "gfx/framebuffer.h"
#include "platform/rng.h"

namespace delve {

void drawScreensaverView(Screen& screen, const TrigTables& trig, Rng& rng, const Shell& shell) {
    const int w = screen.width, h = screen.height;
    const size_t bytes = size_t(w) * size_t(h) * 4;
    if (w <= 0 || h <= 0 || screen.workCanvas.size() < bytes || screen.framebuffer.size() < bytes)
        return;

    if (shell.frameCounter % ScreensaverPeriod == 0) {
        uint8_t* p = screen.workCanvas.data();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x, p += 4) {
                p[0] = 0;
                p[1] = 0;
                p[2] = uint8_t(rng.rand() % 255);
                p[3] = 255;
            }
        const double radius = double(w / 5);
        for (int i = 0; i < 4; ++i) {
            const int blue = rng.rand() % 255;
            const int green = rng.rand() % 255;
            const int red = rng.rand() % 255;
            const int cy = rng.rand() % h;
            const int cx = rng.rand() % w;
            drawCanvasCircle(screen, trig, cx, cy, radius, uint8_t(red), uint8_t(green),
                             uint8_t(blue));
        }
    }

    // The canvas's alpha is not copied: every shown pixel is opaque.
    const uint8_t* src = screen.workCanvas.data();
    uint8_t* dst = screen.framebuffer.data();
    for (size_t i = 0; i < bytes; i += 4) {
        dst[i] = src[i];
        dst[i + 1] = src[i + 1];
        dst[i + 2] = src[i + 2];
        dst[i + 3] = 255;
    }
}

} // namespace delve
