#pragma once
// The shipped overworld: made from a fixed seed with the terrain library.
#include <cstdint>
#include <string>
#include <vector>

namespace delve {
class Rng;
struct World;
} // namespace delve

namespace delve::art {

struct OverworldStats {
    std::vector<uint8_t> cells; // the 65,536 codes of layer 0
    int villages = 0;
    int roadCells = 0;
    int waterCells = 0;
    std::vector<uint8_t> missing; // land or site codes the map lacks (none when sound)
};

// Every land and site code an overworld may hold: 10-24, 180-184, 188-194.
const std::vector<uint8_t>& overworldCodes();

// Fills layer 0 of the world: relief from a midpoint-displaced height field,
// forest kinds, desert and swamp from two more fields, lakes, a river,
// villages of every colour joined by roads, and the sites. Uses the world's
// height grid. The same generator state always gives the same land.
void buildOverworld(World& world, Rng& rng);

// Builds the overworld from the fixed seed and writes
// "<dataDir>/map/1.overworld"; throws when the file cannot be written.
OverworldStats writeOverworld(const std::string& dataDir);

} // namespace delve::art
