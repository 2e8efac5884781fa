#pragma once
#include <memory>
#include <string>

#include "platform/platform.h"

namespace delve {

// The window backend chosen by the command line: never headless by accident.
// Without a display to open windows on, returns none and says why.
std::unique_ptr<Platform> makeSdlPlatform(std::string& error);
// An offscreen Mesa context (EGL surfaceless): the same GL calls, no window.
std::unique_ptr<Platform> makeHeadlessPlatform();
// The browser page's canvas, WebGL and events (the browser build only).
std::unique_ptr<Platform> makeWebPlatform();

} // namespace delve
