// The desktop program holds both renderers; the context made at start-up
// decides which one can draw.
#include "gfx/renderers/renderers.h"

namespace delve {

std::unique_ptr<Renderer> makeRenderer(GraphicsApi api) {
    return api == GraphicsApi::Gles2 ? makeGles2Renderer() : makeFixedFunctionRenderer();
}

} // namespace delve
