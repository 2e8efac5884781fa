#pragma once
#include <cstdint>

namespace delve {

// Side of one map cell in the map view, in framebuffer pixels.
constexpr int MapCellPixels = 16;

// The columns and rows the view origin may take: from `low` up to
// `highEdge` less one screen of cells. Start-up and following a unit keep
// the origin off the map's outer ring; scrolling and loading let it reach
// the edge. Layers are always 0 to the map's last.
struct ViewOriginRange {
    int low;
    int highEdge;
};
constexpr ViewOriginRange StartOriginRange{1, 255};
constexpr ViewOriginRange ScrollOriginRange{0, 256};

// Moves a view origin by (dx, dy, dz) and keeps it in `range` for a view of
// `columns` by `rows` cells on a 256-cell map of `layers` layers. Sums are
// taken in 64 bits, so no origin (a loaded or typed one) can overflow.
inline void clampViewOrigin(int& SX, int& SY, int& SZ, ViewOriginRange range, int columns, int rows,
                            int layers, int dx = 0, int dy = 0, int dz = 0) {
    auto clampAxis = [](int v, int d, long long lo, long long hi) {
        const long long w = (long long)v + d;
        return int(w < lo ? lo : w > hi ? (hi < lo ? lo : hi) : w);
    };
    SX = clampAxis(SX, dx, range.low, range.highEdge - columns);
    SY = clampAxis(SY, dy, range.low, range.highEdge - rows);
    SZ = clampAxis(SZ, dz, 0, layers - 1);
}

// The two screen modes and the view each shows: the first-person view at
// 320 by 240 (window scale 2), the map view at 640 by 480 (scale 1). The
// width names the mode; a width of neither (no key makes one) shows
// neither view.
enum class ViewMode { FirstPerson, Map, Neither };

struct ScreenModeSize {
    int width, height, pixelZoom;
};
constexpr ScreenModeSize FirstPersonModeSize{320, 240, 2};
constexpr ScreenModeSize MapModeSize{640, 480, 1};

constexpr ScreenModeSize screenModeSize(ViewMode mode) {
    return mode == ViewMode::Map ? MapModeSize : FirstPersonModeSize;
}

// The settings and counters of the running program, and who writes them:
//   screenWidth, screenHeight, pixelZoom  the frame loop's mode and scale keys
//                                         and start-up (app)
//   movementInterval                      the frame loop's speed keys (app)
//   frameCounter                          the frame loop (app); a load (console)
//   quitRequested                         the frame loop and its messages (app)
//   screensaverMode                       the "screensavertoggle" command (console)
//   SX, SY, SZ (view origin)              start-up, scrolling and the contest's view
//                                         (app, rules); the hero's ground check
//                                         (units); teleport and load (console)
// Views and the rules read them; saves store frameCounter and the origin.
struct Shell {
    int screenWidth = 320;
    int screenHeight = 240;
    int pixelZoom = 2;
    float movementInterval = 30.0f;
    int frameCounter = 0;
    // The next frame: a loaded game may carry any count, so it wraps
    // instead of overflowing.
    void countFrame() { frameCounter = int(uint32_t(frameCounter) + 1u); }
    int quitRequested = 0;
    int screensaverMode = 0;
    int SX = 0, SY = 0, SZ = 0;

    ViewMode viewMode() const {
        return screenWidth == MapModeSize.width           ? ViewMode::Map
               : screenWidth == FirstPersonModeSize.width ? ViewMode::FirstPerson
                                                          : ViewMode::Neither;
    }

    // The same for this screen's view of map cells.
    void clampViewOrigin(ViewOriginRange range, int layers, int dx = 0, int dy = 0, int dz = 0) {
        delve::clampViewOrigin(SX, SY, SZ, range, screenWidth / MapCellPixels,
                               screenHeight / MapCellPixels, layers, dx, dy, dz);
    }
};

} // namespace delve
