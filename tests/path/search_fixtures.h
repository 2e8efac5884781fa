#pragma once
// Worlds for the path tests and the literal cheapest-first search used as the
// oracle for the production open list.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "path/path_finder.h"
#include "platform/rng.h"
#include "units/unit_record.h"
#include "world/generator.h"
#include "world/world.h"

namespace delve::test {

// One world for the whole test program: the grid is 11.8 MB.
World& sharedWorld();
// A world with a generated dungeon stacked on layers 2..18 and an overworld-
// like layer 0 (land codes, roads, villages, impassable mountains).
World& generatedWorld();

// Fills layer z with `code`.
void fillLayer(WorldMap& map, int z, uint8_t code);
// Random grid: every cell of the layer drawn from open codes, rock and
// impassable codes with the given percentage of blocked cells.
void randomGrid(WorldMap& map, Rng& rng, int z, int blockedPercent);
// Overworld-like land: patches of land codes with roads and mountains.
void overworldLike(WorldMap& map, Rng& rng, int z);

// Cells of layer z that a node may stand on.
std::vector<std::pair<int, int>> passableCells(const WorldMap& map, int z);

// The search exactly as the open list was first written: a scan over all
// nodes picks the next one. Mirrors the PathFinder's public state.
class LiteralSearch {
public:
    LiteralSearch();
    void begin(const Units& units, int mode, int sx, int sy, int gx, int gy, int searchLayer, int w,
               int queueMode);
    int run(const WorldMap& world, const StepCostTable& costs, int budget);
    // Goal-first path as the finder stores it (no length cap).
    std::vector<std::pair<int, int>> path() const;

    std::vector<int16_t> nodeX, nodeY;
    std::vector<uint32_t> nodeParent;
    std::vector<uint8_t> nodeState;
    std::vector<float> nodeCost;
    std::vector<uint8_t> marks;
    int startX = 0, startY = 0, goalX = 0, goalY = 0, windowX = 0, windowY = 0, windowSize = 0;
    int layer = 0, queueMode = 0, currentNode = 0, lastNode = 0, firstOpen = 0, bestNode = 0;
    float bestCost = 0.0f;
    uint8_t foundFlag = 0, ready = 0;

private:
    int markAt(int x, int y) const { return (y - windowY) * windowSize + (x - windowX); }
    // FIFO per exact cost, cheapest cost first: what the bucket queue must give.
    std::vector<std::pair<float, std::vector<int>>> fifo_;
};

} // namespace delve::test
