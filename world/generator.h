#pragma once
#include <functional>

#include "platform/clock.h"
#include "platform/rng.h"
#include "world/world.h"

namespace delve {

// What generateDungeon reports while it furnishes the levels. Off by
// default; when reportGeneration is non-zero, before each kind of furniture
// on each level it hands a line such as "Fountain Generation = 12" to `show`
// (the caller draws it: a cleared framebuffer with the line in the small
// font at (100, 100), nothing presented) and waits 100 ms.
struct GenerationReport {
    int reportGeneration = 0;
    std::function<void(const char* line)> show;
    Clock* clock = nullptr;
};

// Copies the template scratch to the map with its top-left cell at
// (left, top): 1 writes Floor, 3 writes TemplateMark (TemplateMarkAlt under
// generator style 6), 0 keeps the cell. Remembers the origin and layer.
void stampRoom(World& world, int left, int top, int layer);

// Grows levelCount dungeon levels on layers firstLayer.. (one tree of rooms
// per level from a centre room at (centreX, centreY) inside a claimed rock
// square of side levelSide, `attempts` placement attempts per level), then
// links consecutive levels by stairs and furnishes them. A seed of `rng`
// fixes the result. Ends at once, writing nothing more, when a level's
// square is not empty or not inside the map (so a second call on the same
// layers changes nothing). Allocates the generator tables if they are not.
void generateDungeon(World& world, Rng& rng, int centreX, int centreY, int firstLayer,
                     int levelCount, int levelSide, int attempts,
                     const GenerationReport& report = {});

} // namespace delve
