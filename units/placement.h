#pragma once
// Units made on terrain outside the frame loop: overworld wanderers and the
// random test blocks with a unit on each of their cells.
#include "platform/rng.h"
#include "units/unit_record.h"
#include "world/world.h"

namespace delve {

// Makes units 1..255 overworld wanderers in the 63 x 63 corner nearest the
// origin, avoiding mountains for up to 10,000 tries each.
void placeOverworldWanderers(const WorldMap& map, Units& units, Rng& rng);

// Fills random Grass boxes (mode 0: count boxes; mode 1: count / 3 * 2 boxes
// and count bars of 18 cells) into layers 1..178, then draws unitCapacity
// random cells and makes a unit (from index 2) on each non-empty one,
// marking it with 10 in the mark grid. Sets units.nextFreeUnit.
void scatterRandomBlocks(WorldMap& map, MarkGrid& marks, Units& units, Rng& rng, int count,
                         int mode);

} // namespace delve
