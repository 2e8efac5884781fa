#include "rules/generation.h"

#include <cstdlib>

namespace delve {

namespace {

constexpr int FixedSpotX[3] = {145, 113, 93};
constexpr int FixedSpotY[3] = {43, 32, 24};
constexpr int FixedSpotSpread = 20;

bool preferredByMonsters(uint8_t code) {
    return code == Cell::Hills || code == Cell::Mountain || code == Cell::MountainHigh;
}

int drawHealth(Rng& rng) { return rng.rand() % 8 + 5; }

} // namespace

void generatePartyAndMonsters(Units& units, const WorldMap& map, Rng& rng, uint32_t seed) {
    rng.srand(seed);
    units.nextFreeUnit = 1;

    // A party larger than the table could hold is cut to the table.
    const int partySize = units.partySize < unitCapacity - 1 ? units.partySize : unitCapacity - 1;

    for (int k = 1; k <= partySize; ++k) {
        UnitRecord& u = units[units.nextFreeUnit];
        u.active = 1;
        u.side = PartySide;
        u.group = units.nextFreeUnit;
        u.spriteId = PartySprite;
        u.maxHealth = drawHealth(rng);
        u.health = u.maxHealth;
        u.stock = StartingStock;
        u.z = 0;
        u.dead = 0;
        u.condition = 0;
        units.nextFreeUnit += 1;
    }

    // Spread the party so that no two members stand closer than the map
    // side divided among them. With fewer than two members there is no
    // pair to compare (and nothing to divide by): one attempt places them.
    const int spacing = partySize > 0 ? MapSide / partySize : MapSide;
    for (int attempt = 0; attempt < SpreadAttempts; ++attempt) {
        for (int k = 1; k <= partySize; ++k) {
            UnitRecord& u = units[k];
            u.x = uint16_t(rng.rand() % 254 + 1);
            u.y = uint16_t(rng.rand() % 254 + 1);
            u.z = 0;
        }
        bool tooClose = false;
        for (int i = 1; i <= partySize && !tooClose; ++i) {
            for (int j = 1; j <= partySize && !tooClose; ++j) {
                if (i == j) continue;
                tooClose = std::abs(units[i].x - units[j].x) + std::abs(units[i].y - units[j].y) <
                           spacing;
            }
        }
        if (!tooClose) break;
    }

    // Units 1 to 3 always end near their fixed spots, whatever the party size.
    for (int k = 1; k <= 3; ++k) {
        UnitRecord& u = units[k];
        u.x = uint16_t(FixedSpotX[k - 1] + rng.rand() % FixedSpotSpread);
        u.y = uint16_t(FixedSpotY[k - 1] + rng.rand() % FixedSpotSpread);
        u.z = 0;
    }

    for (int m = 0; m < MonsterCount && units.nextFreeUnit < unitCapacity; ++m) {
        UnitRecord& u = units[units.nextFreeUnit];
        u.active = 1;
        u.side = MonsterSide;
        for (int attempt = 0; attempt < MonsterPlacementTries; ++attempt) {
            u.x = uint16_t(rng.rand() % 254 + 1);
            u.y = uint16_t(rng.rand() % 254 + 1);
            u.z = 0;
            if (preferredByMonsters(map.cell(u.x, u.y, 0))) break;
        }
        u.maxHealth = drawHealth(rng);
        u.health = u.maxHealth;
        u.group = MonsterGroup;
        u.spriteId = MonsterSprite;
        u.dead = 0;
        u.condition = 0;
        units.nextFreeUnit += 1;
    }
}

} // namespace delve
