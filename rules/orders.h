#pragma once
#include "path/movement.h"
#include "path/path_finder.h"
#include "units/unit_record.h"

namespace delve {

constexpr int OrderPassInterval = 30; // frames between passes of advanceOrders
constexpr int ReplanBudget = 15;      // fresh plans one pass acknowledges
constexpr int NearLimit = 28;         // a plan with this many steps or fewer left is near
constexpr int ChaseReplanSteps = 25;  // a chaser re-targets after more steps than this
constexpr int OrderWindow = 64;       // search window of every pass search
constexpr int MouseGridX = 32;        // pixels per cell of the unit-0 mouse order
constexpr int MouseGridY = 24;
constexpr int MouseBorder = MapSide - 11; // 245: columns and rows from here up are refused

// What one pass of advanceOrders did, for reports.
struct OrderPassReport {
    bool ran = false;   // the frame was a pass frame
    int replanned = 0;  // freshly planned units acknowledged against the budget
    int moved = 0;      // units that stepped onto a new cell
    int caughtUp = 0;   // chasers whose chase ended in this pass
};

// Orders `unit` toward cell (x, y): to chase the lowest-indexed unit that
// stands there, or else to walk to the cell.
void orderUnit(Units& units, PathFinder& finder, int unit, int x, int y);

// While the right button is down, sends unit 0 to the cell under the cursor
// on a 32 x 24 pixel grid; cells in the outer border are refused. A plan
// unit 0 already has is kept.
void mouseOrderUnitZero(Units& units, bool rightButtonDown, int cursorX, int cursorY, int SX, int SY);

// Every 30 frames: advances walking and chasing units one cell, stopping
// after the pass has acknowledged 15 fresh plans.
OrderPassReport advanceOrders(PathWorld& pw, Units& units, int frameCounter);

// Path steps. Each leaves the cell to step onto in nextX/nextY; the caller
// moves the unit when the result is 1.
// Like stepAlongPath, but ends next to the goal instead of on it.
int approachAlongPath(PathWorld& pw, Units& units, int unit, int toX, int toY, int window,
                      int queueMode, int consumeFirst);
// A new search on every call: 1 and the first cell, 2 when the goal lies
// next to the unit (nothing stored), 0 when there is no path.
int stepNear(PathWorld& pw, Units& units, int unit, int toX, int toY, int window, int queueMode);
// As stepNear, but steps onto the goal when it lies next to the unit.
int stepNearAlways(PathWorld& pw, Units& units, int unit, int toX, int toY, int window,
                   int queueMode);
// As the two above with the search window's top-left cell at (originX, originY).
int stepNearFrom(PathWorld& pw, Units& units, int unit, int toX, int toY, int window, int originX,
                 int originY, int queueMode);
int stepNearAlwaysFrom(PathWorld& pw, Units& units, int unit, int toX, int toY, int window,
                       int originX, int originY, int queueMode);

} // namespace delve
