#pragma once

namespace delve {

// Side of one map cell in the map view, in framebuffer pixels.
constexpr int MapCellPixels = 16;

// The settings and counters the frame loop owns. Views read the view
// origin, the console sets it, saves store frameCounter and the origin.
struct Shell {
    int screenWidth = 320;
    int screenHeight = 240;
    int pixelZoom = 2;
    float movementInterval = 30.0f;
    int frameCounter = 0;
    int quitRequested = 0;
    int screensaverMode = 0;
    int SX = 0, SY = 0, SZ = 0;

    // Brings the view origin into the range the frame loop keeps it in for
    // a 256-cell map of `layers` layers: a whole screen of cells inside.
    void clampViewOrigin(int layers) {
        if (SY > 256 - screenHeight / MapCellPixels) SY = 256 - screenHeight / MapCellPixels;
        if (SY < 0) SY = 0;
        if (SX > 256 - screenWidth / MapCellPixels) SX = 256 - screenWidth / MapCellPixels;
        if (SX < 0) SX = 0;
        if (SZ > layers - 1) SZ = layers - 1;
        if (SZ < 0) SZ = 0;
    }
};

} // namespace delve
