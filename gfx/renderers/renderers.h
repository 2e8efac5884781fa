#pragma once
#include <memory>

#include "gfx/renderer.h"
#include "platform/platform.h"

namespace delve {

// Fixed-function GL: the matrix stack, vertex arrays and glDrawPixels (the
// desktop's renderer, for a compatibility-profile context).
std::unique_ptr<Renderer> makeFixedFunctionRenderer();
// GLES 2 / WebGL: shaders, buffers and an offscreen 320 x 240 target.
std::unique_ptr<Renderer> makeGles2Renderer();
// The renderer for a context that speaks `api`: fixed-function for desktop
// OpenGL 1.x, GLES 2 for OpenGL ES 2.0. The browser build holds only the
// GLES 2 renderer and returns it for either.
std::unique_ptr<Renderer> makeRenderer(GraphicsApi api);

} // namespace delve
