#pragma once

namespace delve {

class Platform;
class Renderer;
struct Screen;
struct BitmapCatalogue;

// Creates the window and GL context of client size width x height, then the
// renderer's projection, textures and fixed state. Returns 1 when ready, 0
// after the failure was reported.
int createWindowAndContext(Platform& platform, Renderer& renderer, BitmapCatalogue& pictures,
                           const char* title, int width, int height);
void destroyWindowAndContext(Platform& platform);

// Clears the GL buffers, resets the camera and clears the framebuffer.
void beginFrame(Platform& platform, Renderer& renderer, Screen& screen);
// Shows the framebuffer with one zoomed pixel copy at the window's
// lower-left corner and swaps the buffers.
void presentFrame(Platform& platform, Renderer& renderer, const Screen& screen, int pixelZoom);

} // namespace delve
