// The browser build holds only the GLES 2 renderer: WebGL is OpenGL ES 2.0.
#include "gfx/renderers/renderers.h"

namespace delve {

std::unique_ptr<Renderer> makeRenderer(GraphicsApi) { return makeGles2Renderer(); }

} // namespace delve
