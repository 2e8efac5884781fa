#pragma once
#include <cstdint>
#include <vector>

#include "path/bucket_queue.h"
#include "path/open_list.h"
#include "platform/zeroed_array.h"
#include "units/unit_record.h"
#include "world/world_map.h"

namespace delve {

constexpr int PathNone = -9;           // pathStep: no planned path, search before the next step
constexpr int PathCapacity = 1000;     // cells of one unit's share of pathX/pathY
constexpr int ParentWalkGuard = 10000; // most parent links storeUnitPath follows
constexpr int NodeCapacity = MapSide * MapSide; // one node per cell of the largest window

constexpr uint8_t NodeOpen = 0;
constexpr uint8_t NodeClosed = 9;

constexpr uint8_t MarkFree = 0;
constexpr uint8_t MarkQueued = 1;
constexpr uint8_t MarkClosed = 9;
constexpr uint8_t MarkUnitNext = 11;
constexpr uint8_t MarkUnit = 12;

// runSearch results.
constexpr int SearchBudgetSpent = 0; // the budget ran out before the goal was reached
constexpr int SearchFound = 1;       // the goal was reached
constexpr int SearchTrivial = 4;     // the start is the goal: no path
constexpr int SearchNotReady = 5;    // no search has been set up

// foundFlag: how the current search stands.
constexpr uint8_t GoalNotReached = 0;
constexpr uint8_t GoalReached = 1;
constexpr uint8_t GoalIsStart = 3;

// How a search treats the cells of units 0..9 that block (beginSearch's
// mode). The values are those callers have always passed.
enum class SearchMode : int {
    FreeStart = 0,        // unit cells are closed, except the start cell
    FreeStartAndGoal = 1, // unit cells are closed, except the start and goal (unit movement)
    FreeUnitEnds = 2,     // closed; the start and goal are opened only if a unit stands there
    IgnoreUnits = 3,      // no unit closes a cell
};

// A node may be placed on every code but these.
constexpr bool isPassable(uint8_t code) {
    return !(code <= 5 || code == Cell::Mountain || code == Cell::MountainHigh || code == Cell::Rock);
}
// A diagonal step may pass beside only these codes.
constexpr bool permitsCorner(uint8_t code) {
    return code == Cell::Plain || code == Cell::Forest || code == Cell::Hills || code == Cell::Floor;
}

// The one path search object: a cheapest-first search over the eight
// neighbours of a cell in a square window of one layer, plus the stored path
// of every unit. Every array is allocated by the constructor; a search
// allocates nothing.
class PathFinder {
public:
    PathFinder();

    void setScanOrder(int order);
    // Sets up a search and returns 0. Units 0..9 that block are marked
    // (writing MarkUnit into layer 1 of `marks`).
    int beginSearch(MarkGrid& marks, const Units& units, SearchMode mode, int sx, int sy, int gx,
                    int gy, int searchLayer, int w, int useQueue);
    // The same with the window's top-left cell placed by the caller at
    // (originX, originY), brought into 0..MapSide - 1 - w, instead of
    // centred on the start; start and goal are clamped into its interior.
    int beginSearchAt(MarkGrid& marks, const Units& units, SearchMode mode, int sx, int sy, int gx,
                      int gy, int searchLayer, int w, int originX, int originY, int useQueue);
    // After a successful search: 1 when the goal was reached straight from
    // the start node, that is when it lies next to the start.
    bool goalNextToStart() const {
        return foundFlag == GoalReached && nodeParent[size_t(currentNode)] == 0;
    }
    // Runs or continues the current search: SearchBudgetSpent, SearchFound,
    // SearchTrivial or SearchNotReady.
    int runSearch(const WorldMap& world, const StepCostTable& costs, int budget);
    // Copies the found path, goal first, into unit u's share. A path longer
    // than the share keeps the cells nearest the unit and records the far end
    // of them as the unit's goal. Returns the number of parent links followed.
    int storeUnitPath(int u);

    // Number of nodes the search has created (start node included).
    int nodeCount() const { return lastNode + 1; }

    // Every unit's stored path: its goal, its share of PathCapacity cells
    // (goal first; zero pages until a path is stored), the cells' count and
    // the index of the next step (PathNone: none planned).
    std::vector<int32_t> pathGoalX;
    std::vector<int32_t> pathGoalY;
    ZeroedArray<int32_t> pathX;
    ZeroedArray<int32_t> pathY;
    std::vector<int32_t> pathLength;
    std::vector<int32_t> pathStep;
    // GoalReached once the current search has reached its goal.
    uint8_t foundFlag = GoalNotReached;

    // The next step of unit u's stored path (PathNone: none planned, or u
    // is no unit).
    int nextStep(int u) const {
        return u >= 0 && u < unitCapacity ? pathStep[size_t(u)] : PathNone;
    }
    // Forgets unit u's plan: its next step searches again.
    void dropPath(int u) {
        if (u >= 0 && u < unitCapacity) pathStep[size_t(u)] = PathNone;
    }

private:
    // Tests read the search's machinery through this (tests/path).
    friend struct PathFinderInspector;

    // Index of the window mark of map cell (x, y); the cell must lie in the window.
    int markIndex(int x, int y) const { return (y - windowY) * windowSize + (x - windowX); }
    // Node tables, one entry per cell of the largest window; they start as
    // zero pages (NodeOpen, cost 0) and a search touches only its own nodes.
    ZeroedArray<int16_t> nodeX;
    ZeroedArray<int16_t> nodeY;
    ZeroedArray<uint32_t> nodeParent;
    ZeroedArray<uint8_t> nodeState;
    ZeroedArray<float> nodeCost;
    int32_t startX = 0, startY = 0;
    int32_t goalX = 0, goalY = 0;
    int32_t windowX = 0, windowY = 0;
    int32_t windowSize = 0;
    int32_t dirX[8] = {};
    int32_t dirY[8] = {};
    float dirCost[8] = {};
    int32_t scanOrder = 0;
    ZeroedArray<uint8_t> windowMarks; // MarkFree is zero
    int32_t layer = 0;
    int32_t queueMode = 0;
    int32_t currentNode = 0;
    int32_t lastNode = 0;
    int32_t firstOpen = 0;
    float bestCost = 0.0f;
    int32_t bestNode = 0;
    uint8_t ready = 0;
    int32_t scanCursor = 0;
    int32_t cursorFound = 0;

    int setUpSearch(MarkGrid& marks, const Units& units, SearchMode mode, int sx, int sy, int gx,
                    int gy, int searchLayer, int w, bool centred, int originX, int originY, int useQueue);
    void resetSearch();
    void markUnits(MarkGrid& marks, const Units& units);
    void selectCheapestOpen();
    int advanceOpenCursor();

    void chooseOpenScale(const StepCostTable& costs);
    OpenNodes openNodes() const { return {nodeCost.data(), nodeX.data(), nodeY.data()}; }

    OpenList open_;      // open nodes of the linear mode
    BucketQueue queue_;  // open nodes of the queue mode
    int takenCell_ = -1; // cell of the node the open list last gave, -1 for none

    // Direction bits in scan order for each mask of open neighbours given
    // in the order of scan order 0.
    uint8_t fromOrderZero_[256] = {};
    int tablesOrder_ = -1; // the order the direction tables were built for; -1 none yet
    int closedBelow_ = 0; // every node below this index is closed
    int nodesWritten_ = NodeCapacity; // node slots that may differ from their empty state
};

} // namespace delve
