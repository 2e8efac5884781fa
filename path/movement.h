#pragma once
#include "path/path_finder.h"
#include "units/unit_record.h"
#include "world/world_map.h"

namespace delve {

constexpr int MovementWindow = 256; // search window of the movement pass: the whole layer

// Everything a path step reads or writes besides the unit table.
struct PathWorld {
    const WorldMap& world;
    MarkGrid& marks;
    const StepCostTable& costs;
    PathFinder& finder;
};

// Gives `unit` the order to walk to (destX, destY): it plans on its next step.
void orderMove(Units& units, PathFinder& finder, int unit, int destX, int destY);

// Plans (when the unit has no path) or follows the unit's path. Returns 1
// when nextX/nextY hold the cell the unit may step onto now, 0 when it is
// not to move (no path, walk finished: it then stands on the recorded goal).
int stepAlongPath(PathWorld& pw, Units& units, int unit, int toX, int toY, int window, int queueMode,
                  int consumeFirst);

// The movement pass: every active, living unit with moveState 1 moves one
// cell along its path or stops.
void advanceUnits(PathWorld& pw, Units& units);

} // namespace delve
