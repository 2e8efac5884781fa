#pragma once
// The hero as the tests set it up: unit 1 active on side 1, standing in the
// middle of one cell, and the view origin on that cell.
#include "platform/shell.h"
#include "units/unit_record.h"

namespace delve::test {

inline void standHero(UnitRecord& hero, int x, int y, int z) {
    hero.active = 1;
    hero.side = HeroSide;
    hero.x = uint16_t(x);
    hero.y = uint16_t(y);
    hero.z = uint16_t(z);
    hero.subX = hero.subY = hero.subZ = 0.5f;
}

inline void standHero(UnitRecord& hero, Shell& shell, int x, int y, int z) {
    standHero(hero, x, y, z);
    shell.SX = x;
    shell.SY = y;
    shell.SZ = z;
}

} // namespace delve::test
