#pragma once
#include "platform/rng.h"
#include "units/unit_record.h"
#include "world/world_map.h"

namespace delve {

constexpr int HeroLayer = 2;           // the first dungeon level
constexpr int HeroPlacementTries = 1000;
constexpr uint16_t HeroSprite = 849;

// Puts the hero (unit 1) on a random cell of layer 2 that is not Rock:
// up to 1000 tries, each drawing x then y as rand() % 254 + 1. Writes
// active 1, side 1, dead 0, condition 0, moveState 0, sprite 849, 24 hit
// points, the cell, z 2 and sub-cell position 0.5 on the first open cell
// and returns 1; returns 0 and writes nothing when every try finds Rock.
int placeHero(const WorldMap& map, Units& units, Rng& rng);

} // namespace delve
