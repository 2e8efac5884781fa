#include "path/movement.h"

#include <algorithm>

namespace delve {

void orderMove(Units& units, PathFinder& finder, int unit, int destX, int destY) {
    if (unit < 0 || unit >= unitCapacity) return;
    UnitRecord& u = units[unit];
    u.destX = uint16_t(destX);
    u.destY = uint16_t(destY);
    u.moveState = 1;
    finder.dropPath(unit);
}

namespace {

// Sets up and runs one search for `unit`; its window is centred on the unit
// unless `origin` places its top-left cell.
bool plan(PathWorld& pw, const Units& units, int unit, int toX, int toY, int window, int queueMode,
          const int* origin) {
    const UnitRecord& u = units[unit];
    if (u.z >= LayerCount) return false; // outside the world (a damaged save): no plan
    PathFinder& pf = pw.finder;
    if (origin)
        pf.beginSearchAt(pw.marks, units, SearchMode::FreeStartAndGoal, u.x, u.y, toX, toY, u.z,
                         window, origin[0], origin[1], queueMode);
    else
        pf.beginSearch(pw.marks, units, SearchMode::FreeStartAndGoal, u.x, u.y, toX, toY, u.z,
                       window, queueMode);
    pf.runSearch(pw.world, pw.costs, window * window);
    return pf.foundFlag == GoalReached;
}

} // namespace

bool planPath(PathWorld& pw, const Units& units, int unit, int toX, int toY, int window,
              int queueMode) {
    return plan(pw, units, unit, toX, toY, window, queueMode, nullptr);
}

bool planPathAt(PathWorld& pw, const Units& units, int unit, int toX, int toY, int window,
                int originX, int originY, int queueMode) {
    const int origin[2] = {originX, originY};
    return plan(pw, units, unit, toX, toY, window, queueMode, origin);
}

int followPath(PathWorld& pw, Units& units, int unit, int toX, int toY, int window, int queueMode,
               int consumeFirst, Arrival arrival) {
    if (unit < 0 || unit >= unitCapacity) return 0;
    PathFinder& pf = pw.finder;
    UnitRecord& u = units[unit];
    int32_t& step = pf.pathStep[size_t(unit)];
    const size_t base = size_t(unit) * PathCapacity;
    auto stop = [&] {
        step = PathNone;
        u.moveState = 0;
        return 0;
    };

    if (step == PathNone) {
        if (!planPath(pw, units, unit, toX, toY, window, queueMode)) {
            pf.pathLength[size_t(unit)] = 0;
            return stop();
        }
        // The goal as given, kept on the map so arrival never leaves it.
        pf.pathGoalX[size_t(unit)] = std::clamp(toX, 0, MapSide - 1);
        pf.pathGoalY[size_t(unit)] = std::clamp(toY, 0, MapSide - 1);
        pf.storeUnitPath(unit);
        u.nextX = uint16_t(pf.pathX[base + size_t(step)]);
        u.nextY = uint16_t(pf.pathY[base + size_t(step)]);
        // An approach that starts next to its goal is already over.
        if (arrival == Arrival::BesideGoal && u.nextX == toX && u.nextY == toY) return stop();
        if (consumeFirst != 0) step -= 1;
        return 1;
    }

    if (step < 0) return 0;
    if (step >= PathCapacity) return stop(); // never written by the finder; drop the plan
    u.nextX = uint16_t(pf.pathX[base + size_t(step)]);
    u.nextY = uint16_t(pf.pathY[base + size_t(step)]);
    step -= 1;
    if (step == -1) {
        // The next entry is the goal: a walk ends on it, an approach short of it.
        stop();
        if (arrival == Arrival::OntoGoal) {
            u.x = uint16_t(pf.pathGoalX[size_t(unit)]);
            u.y = uint16_t(pf.pathGoalY[size_t(unit)]);
        }
        return 0;
    }
    return 1;
}

int stepAlongPath(PathWorld& pw, Units& units, int unit, int toX, int toY, int window,
                  int queueMode, int consumeFirst) {
    return followPath(pw, units, unit, toX, toY, window, queueMode, consumeFirst,
                      Arrival::OntoGoal);
}

void advanceUnits(PathWorld& pw, Units& units) {
    for (int i = 0; i < unitCapacity; ++i) {
        UnitRecord& u = units[i];
        if (u.active != 1 || u.dead != 0 || u.moveState != 1) continue;
        if (stepAlongPath(pw, units, i, u.destX, u.destY, MovementWindow, 0, 1) == 1) {
            u.x = u.nextX;
            u.y = u.nextY;
        } else {
            u.moveState = 0;
        }
    }
}

} // namespace delve
