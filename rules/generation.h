#pragma once
#include <cstdint>

#include "platform/rng.h"
#include "units/unit_record.h"
#include "world/world_map.h"

namespace delve {

constexpr int SpreadAttempts = 10000;
constexpr int MonsterCount = 210;
constexpr int MonsterPlacementTries = 10;
constexpr int MonsterGroup = 99;
constexpr uint16_t PartySprite = 189;
constexpr uint16_t MonsterSprite = 194;
constexpr int StartingStock = 100;

// Seeds the generator with `seed`, then writes party units 1..partySize
// (side 3, each its own group, 100 stock) spread apart over layer 0, puts
// units 1 to 3 near their fixed spots, and adds 210 monsters (side 9,
// group 99) that prefer Hills, Mountain and MountainHigh cells. Records
// are taken from nextFreeUnit on and never past the table's end.
void generatePartyAndMonsters(Units& units, const WorldMap& map, Rng& rng, uint32_t seed);

} // namespace delve
