#pragma once
// The hero as the tests set it up: unit 1 active on side 1, standing in the
// middle of one cell, and the view origin on that cell.
#include <tuple>

#include "platform/shell.h"
#include "units/unit_record.h"

namespace delve::test {

inline void standHero(UnitRecord& hero, int x, int y, int z) {
    std::tie(hero.active, hero.side, hero.x, hero.y, hero.z) = std::tuple(1, HeroSide, x, y, z);
    hero.subX = hero.subY = hero.subZ = 0.5f;
}

inline void standHero(UnitRecord& hero, Shell& shell, int x, int y, int z) {
    standHero(hero, x, y, z);
    std::tie(shell.SX, shell.SY, shell.SZ) = std::tuple(x, y, z);
}

} // namespace delve::test
