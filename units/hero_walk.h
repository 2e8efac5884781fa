#pragma once
// The hero on foot in the first-person mode: walking along the heading,
// the ground check, the push-out from walls, the eye bob, the carry into
// the next cell and the mouse look. Nothing here draws.
#include <cstdint>

#include "units/unit_record.h"
#include "world/world_map.h"

namespace delve {

struct Shell;
class Input;

// Where the hero looks and the last view origin that stood on rock.
struct HeroWalk {
    float cameraYaw = 0.0f;   // heading in degrees, set from the cursor
    float cameraPitch = 0.0f; // pitch in degrees, set from the cursor
    int lastGoodSX = 1, lastGoodSY = 1, lastGoodSZ = 28;
};

// One frame of walking for the hero: a step forward (left button) or back
// (Z) on walking frames, each followed by the ground check; then the
// push-out from walls, the eye bob and the carry into a neighbouring cell.
void updateHero(HeroWalk& walk, const WorldMap& world, UnitRecord& hero, Shell& shell,
                Input& input);

// True on the frames the hero may take a step (every movementInterval/10
// frames).
bool isWalkingFrame(const Shell& shell);

// One step forward or backward along the heading, scaled by the pitch.
void stepHero(const HeroWalk& walk, UnitRecord& hero, bool forward);

// Puts the view origin back to the last one that stood on rock (and centres
// the hero) when the cell beneath the origin is not rock.
void checkGround(HeroWalk& walk, const WorldMap& world, UnitRecord& hero, Shell& shell);

// Code of the cell at the hero's cell plus the rounded-down offsets; 0
// outside the map.
uint8_t cellNearHero(const WorldMap& world, const UnitRecord& hero, float ox, float oy, float oz);

// Pushes the hero away from rock within 0.3 of (px, py) on its own layer.
void pushOutOfWalls(const WorldMap& world, UnitRecord& hero, float px, float py, float pz);

// Heading and pitch from the cursor while any mouse button is down.
void mouseLook(HeroWalk& walk, const Shell& shell, Input& input);

} // namespace delve
