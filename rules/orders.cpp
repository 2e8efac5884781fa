#include "rules/orders.h"

#include <algorithm>

namespace delve {

namespace {

bool validUnit(int unit) { return unit >= 0 && unit < unitCapacity; }

// Stores the found path and puts its first cell into nextX/nextY.
void takeFirstCell(PathFinder& pf, UnitRecord& u, int unit) {
    pf.storeUnitPath(unit);
    const size_t entry = size_t(unit) * PathCapacity + size_t(pf.pathLength[size_t(unit)] - 1);
    u.nextX = uint16_t(pf.pathX[entry]);
    u.nextY = uint16_t(pf.pathY[entry]);
}

int stepNearImpl(PathWorld& pw, Units& units, int unit, int toX, int toY, int window,
                 int queueMode, bool placed, int originX, int originY, bool always) {
    if (!validUnit(unit)) return 0;
    UnitRecord& u = units[unit];
    const bool found = placed ? planPathAt(pw, units, unit, toX, toY, window, originX, originY, queueMode)
                              : planPath(pw, units, unit, toX, toY, window, queueMode);
    if (!found) {
        u.moveState = 0;
        return 0;
    }
    if (!always && pw.finder.goalNextToStart()) return 2;
    takeFirstCell(pw.finder, u, unit);
    return 1;
}

// Moves the unit onto its next cell.
void stepOn(UnitRecord& u) {
    u.x = u.nextX;
    u.y = u.nextY;
}

void retarget(PathFinder& pf, UnitRecord& u, const UnitRecord& target, int unit) {
    u.chaseSteps = 0;
    u.destX = target.x;
    u.destY = target.y;
    u.moveState = 2;
    pf.dropPath(unit);
    u.replanned = 1;
}

} // namespace

void orderUnit(Units& units, PathFinder& finder, int unit, int x, int y) {
    if (!validUnit(unit)) return;
    UnitRecord& u = units[unit];
    u.replanned = 1;
    u.chaseSteps = 0;
    u.targetUnit = 0;
    for (int i = 1; i < unitCapacity; ++i) {
        if (units[i].x == x && units[i].y == y) {
            u.targetUnit = int16_t(i);
            break;
        }
    }
    if (u.targetUnit == 0) {
        u.destX = uint16_t(x);
        u.destY = uint16_t(y);
        u.moveState = 1;
    } else {
        const UnitRecord& t = units[u.targetUnit];
        u.destX = t.x;
        u.destY = t.y;
        u.moveState = 2;
    }
    finder.dropPath(unit);
}

void mouseOrderUnitZero(Units& units, bool rightButtonDown, int cursorX, int cursorY, int SX, int SY) {
    if (!rightButtonDown) return;
    const int cx = cursorX / MouseGridX + SX;
    const int cy = cursorY / MouseGridY + SY;
    if (cx < 1 || cx >= MouseBorder || cy < 1 || cy >= MouseBorder) return;
    UnitRecord& u = units[0];
    u.destX = uint16_t(cx);
    u.destY = uint16_t(cy);
    u.moveState = 1;
}

int approachAlongPath(PathWorld& pw, Units& units, int unit, int toX, int toY, int window,
                      int queueMode, int consumeFirst) {
    return followPath(pw, units, unit, toX, toY, window, queueMode, consumeFirst,
                      Arrival::BesideGoal);
}

int stepNear(PathWorld& pw, Units& units, int unit, int toX, int toY, int window, int queueMode) {
    return stepNearImpl(pw, units, unit, toX, toY, window, queueMode, false, 0, 0, false);
}

int stepNearAlways(PathWorld& pw, Units& units, int unit, int toX, int toY, int window,
                   int queueMode) {
    return stepNearImpl(pw, units, unit, toX, toY, window, queueMode, false, 0, 0, true);
}

int stepNearFrom(PathWorld& pw, Units& units, int unit, int toX, int toY, int window, int originX,
                 int originY, int queueMode) {
    return stepNearImpl(pw, units, unit, toX, toY, window, queueMode, true, originX, originY, false);
}

int stepNearAlwaysFrom(PathWorld& pw, Units& units, int unit, int toX, int toY, int window,
                       int originX, int originY, int queueMode) {
    return stepNearImpl(pw, units, unit, toX, toY, window, queueMode, true, originX, originY, true);
}

OrderPassReport advanceOrders(PathWorld& pw, Units& units, int frameCounter) {
    OrderPassReport report;
    if (frameCounter % OrderPassInterval != 0) return report;
    report.ran = true;
    PathFinder& pf = pw.finder;
    int counted = 0;
    for (int i = 1; i < unitCapacity && counted < ReplanBudget; ++i) {
        UnitRecord& u = units[i];
        if (u.active == 1 && u.moveState == 1) {
            if (u.replanned == 1) {
                u.replanned = 0;
                counted += 1;
            }
            const int32_t step = pf.pathStep[size_t(i)];
            const bool near = step <= NearLimit && step != PathNone;
            const int result = near ? stepNearAlways(pw, units, i, u.destX, u.destY, OrderWindow, 0)
                                    : stepAlongPath(pw, units, i, u.destX, u.destY, OrderWindow, 0, 1);
            if (result == 1) {
                stepOn(u);
                report.moved += 1;
                if (u.x == u.destX && u.y == u.destY) u.moveState = 0;
            }
        }
        if (u.active == 1 && u.moveState == 2) {
            if (u.replanned == 1) {
                u.replanned = 0;
                counted += 1;
            }
            // A target index from a damaged save that lies outside the
            // table ends the chase instead of reading past it.
            const int t = u.targetUnit;
            if (!validUnit(t)) {
                u.moveState = 0;
                continue;
            }
            const UnitRecord& target = units[t];
            const int32_t step = pf.pathStep[size_t(i)];
            // Far, the chaser approaches its recorded destination; near, it
            // searches anew toward where the target stands now.
            const bool far = step > NearLimit || step == PathNone;
            const bool stepped =
                far ? approachAlongPath(pw, units, i, u.destX, u.destY, OrderWindow, 0, 1) == 1
                    : stepNear(pw, units, i, target.x, target.y, OrderWindow, 0) == 1;
            if (stepped) {
                stepOn(u);
                report.moved += 1;
                u.chaseSteps += 1;
                if (u.chaseSteps > ChaseReplanSteps) retarget(pf, u, target, i);
                // The end is read after a re-target, which moves the destination.
                const bool arrived = far ? u.x == u.destX && u.y == u.destY
                                         : u.x == target.x && u.y == target.y;
                if (arrived) u.moveState = 0;
            }
            if (u.moveState == 0) report.caughtUp += 1;
        }
    }
    report.replanned = counted;
    return report;
}

} // namespace delve
