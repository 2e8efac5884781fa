#pragma once

namespace delve {

struct Screen;
struct TrigTables;
struct Shell;
class Rng;

// Frames between two repaints of the screensaver picture.
constexpr int ScreensaverPeriod = 50;

// The screensaver: on every 50th frame paints blue noise and four outlined
// circles of random colour into the work canvas; on every frame copies the
// canvas into the framebuffer.
void drawScreensaverView(Screen& screen, const TrigTables& trig, Rng& rng, const Shell& shell);

} // namespace delve
