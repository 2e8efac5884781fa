#pragma once

namespace delve {

class Platform;
struct Screen;
struct Shell;
struct BitmapCatalogue;

// Creates the window and GL context of client size width x height, then the
// projection, the textures and the fixed GL state. Returns 1 when ready, 0
// after the failure was reported.
int createWindowAndContext(Platform& platform, BitmapCatalogue& pictures, const char* title,
                           int width, int height);
void destroyWindowAndContext(Platform& platform);

// The fixed 320 x 240 viewport and the 45-degree perspective of the
// first-person view, with the model-view matrix current.
void setProjection();
// Textures from the catalogue, then the fixed state the views draw with.
void initGLState(BitmapCatalogue& pictures);

// Clears the GL buffers, resets the model-view matrix and clears the
// framebuffer.
void beginFrame(Platform& platform, Screen& screen);
// Shows the framebuffer with one zoomed pixel copy at the window's
// lower-left corner and swaps the buffers.
void presentFrame(Platform& platform, const Screen& screen, int pixelZoom);

} // namespace delve
