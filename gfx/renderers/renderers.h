#pragma once
#include <memory>

#include "gfx/renderer.h"

namespace delve {

// Fixed-function GL: the matrix stack, vertex arrays and glDrawPixels (the
// desktop's renderer, for a compatibility-profile context).
std::unique_ptr<Renderer> makeFixedFunctionRenderer();
// GLES 2 / WebGL: shaders, buffers and an offscreen 320 x 240 target.
std::unique_ptr<Renderer> makeGles2Renderer();
// The renderer of this build: GLES 2 in the browser, else fixed-function.
std::unique_ptr<Renderer> makeRenderer();

} // namespace delve
