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
};

} // namespace delve
