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

// How a walk along a stored path ends.
enum class Arrival {
    OntoGoal,   // the unit is put on the recorded goal (a move order)
    BesideGoal, // the unit stops on the cell before the goal (an approach)
};

// Sets up and runs one search for `unit` from its cell toward (toX, toY)
// on its layer, centred on it. False when none was found or the unit stands
// outside the world.
bool planPath(PathWorld& pw, const Units& units, int unit, int toX, int toY, int window,
              int queueMode);
// The same in a window whose top-left cell the caller places at (originX,
// originY) (brought into 0..MapSide - 1 - window); start and goal are
// clamped into the window's interior.
bool planPathAt(PathWorld& pw, const Units& units, int unit, int toX, int toY, int window,
                int originX, int originY, int queueMode);

// One step of a unit along its path: plans when the unit has none (a failed
// search clears its path and stops it), else takes the next stored cell.
// Returns 1 when nextX/nextY hold the cell the unit may step onto now, 0
// when it is not to move; at the last entry the walk ends as `arrival` says.
// consumeFirst: the planning step already counts as the first step.
int followPath(PathWorld& pw, Units& units, int unit, int toX, int toY, int window, int queueMode,
               int consumeFirst, Arrival arrival);

// followPath ending on the goal. Returns 1
// when nextX/nextY hold the cell the unit may step onto now, 0 when it is
// not to move (no path, walk finished: it then stands on the recorded goal).
int stepAlongPath(PathWorld& pw, Units& units, int unit, int toX, int toY, int window, int queueMode,
                  int consumeFirst);

// The movement pass: every active, living unit with moveState 1 moves one
// cell along its path or stops.
void advanceUnits(PathWorld& pw, Units& units);

} // namespace delve
