// In the browser the page's canvas is the window, scripted or not, and its
// context is always WebGL (OpenGL ES 2.0).
#include "platform/backends/backends.h"

namespace delve {

std::unique_ptr<Platform> makePlatform(bool, GraphicsApi, std::string&) { return makeWebPlatform(); }

} // namespace delve
