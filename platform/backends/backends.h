#pragma once
#include <memory>
#include <string>

#include "platform/platform.h"

namespace delve {

// The window backend chosen by the command line: never headless by accident.
// Without a display to open windows on, returns none and says why. Its
// windows' contexts speak `api`.
std::unique_ptr<Platform> makeSdlPlatform(std::string& error, GraphicsApi api = GraphicsApi::Gl1);
// An offscreen Mesa context (EGL surfaceless) speaking `api`: the same GL
// calls, no window.
std::unique_ptr<Platform> makeHeadlessPlatform(GraphicsApi api = GraphicsApi::Gl1);
// The browser page's canvas, WebGL and events (the browser build only).
std::unique_ptr<Platform> makeWebPlatform();

// The backend the command line asks for: on the desktop the headless one or
// the SDL window (none when no display can be opened, with the reason in
// `error`), in the browser always the page's canvas.
std::unique_ptr<Platform> makePlatform(bool headless, GraphicsApi api, std::string& error);

} // namespace delve
