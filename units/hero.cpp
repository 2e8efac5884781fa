#include "units/hero.h"

namespace delve {

int placeHero(const WorldMap& map, Units& units, Rng& rng) {
    for (int attempt = 0; attempt < HeroPlacementTries; ++attempt) {
        const int x = rng.rand() % 254 + 1;
        const int y = rng.rand() % 254 + 1;
        if (map.cell(x, y, HeroLayer) == Cell::Rock) continue;
        UnitRecord& hero = units[HeroUnit];
        hero.active = 1;
        hero.side = HeroSide;
        hero.dead = 0;
        hero.moveState = 0;
        hero.spriteId = HeroSprite;
        hero.maxHitPoints = 24.0f;
        hero.hitPoints = 24.0f;
        hero.x = uint16_t(x);
        hero.y = uint16_t(y);
        hero.z = HeroLayer;
        hero.subX = hero.subY = hero.subZ = 0.5f;
        hero.condition = 0;
        return 1;
    }
    return 0;
}

} // namespace delve
