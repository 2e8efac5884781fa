#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace delve {

constexpr int unitCapacity = 3000;
// Unit 1 is the hero: the player's own unit.
constexpr int HeroUnit = 1;

// What a unit is: its `side` field (16 bits in the record).
constexpr uint16_t NoSide = 0;      // nothing: never drawn, never blocks a search
constexpr uint16_t HeroSide = 1;    // the hero, or a wanderer made on the overworld
constexpr uint16_t PartySide = 3;   // a party member or follower
constexpr uint16_t MonsterSide = 9; // a monster

// One unit, laid out byte for byte as a record of the unit save file, so a
// table read from a file needs no conversion. The gaps are bytes no
// operation uses; they are saved and loaded as they stand.
struct UnitRecord {
    uint8_t unused0[4];
    uint8_t active;          // 1 = a unit; anything else is an empty slot
    uint8_t unused5[83];
    int32_t group;           // leader of the unit's group; 99 for monsters
    uint8_t unused92[10];
    uint16_t x, y, z;        // cell and layer
    uint8_t unused108[22];
    uint16_t destX, destY;   // cell the unit walks to
    uint16_t nextX, nextY;   // next cell of its path
    uint8_t unused138[2];
    int32_t chaseSteps;
    int16_t targetUnit;      // unit being chased, 0 = none
    uint8_t replanned;
    uint8_t unused147[3];
    uint16_t moveState;      // 0 standing, 1 walking, 2 chasing
    uint8_t unused152[16];
    float subX, subY, subZ;  // position inside the cell; subZ is eye height
    uint8_t unused180[12];
    uint16_t blocking;
    uint8_t unused194[2];
    uint16_t spriteId;       // picture drawn in the map view
    uint16_t side;           // HeroSide, PartySide, MonsterSide or NoSide
    uint8_t unused200[34];
    uint16_t namePart1, namePart2, namePart3;
    uint8_t unused240[40];
    float maxHitPoints;
    float hitPoints;
    uint8_t unused288[20];
    uint8_t dead;
    uint8_t unused309[76];
    uint8_t condition;       // 1 and 3 draw a purple health bar
    uint8_t unused386[286];
    int32_t health;
    int32_t maxHealth;
    uint8_t unused680[16];
    int32_t stock;
    float walkPhase;
};

static_assert(sizeof(UnitRecord) == 704);
static_assert(offsetof(UnitRecord, active) == 4);
static_assert(offsetof(UnitRecord, group) == 88);
static_assert(offsetof(UnitRecord, x) == 102);
static_assert(offsetof(UnitRecord, y) == 104);
static_assert(offsetof(UnitRecord, z) == 106);
static_assert(offsetof(UnitRecord, destX) == 130);
static_assert(offsetof(UnitRecord, destY) == 132);
static_assert(offsetof(UnitRecord, nextX) == 134);
static_assert(offsetof(UnitRecord, nextY) == 136);
static_assert(offsetof(UnitRecord, chaseSteps) == 140);
static_assert(offsetof(UnitRecord, targetUnit) == 144);
static_assert(offsetof(UnitRecord, replanned) == 146);
static_assert(offsetof(UnitRecord, moveState) == 150);
static_assert(offsetof(UnitRecord, subX) == 168);
static_assert(offsetof(UnitRecord, subY) == 172);
static_assert(offsetof(UnitRecord, subZ) == 176);
static_assert(offsetof(UnitRecord, blocking) == 192);
static_assert(offsetof(UnitRecord, spriteId) == 196);
static_assert(offsetof(UnitRecord, side) == 198);
static_assert(offsetof(UnitRecord, namePart1) == 234);
static_assert(offsetof(UnitRecord, namePart2) == 236);
static_assert(offsetof(UnitRecord, namePart3) == 238);
static_assert(offsetof(UnitRecord, maxHitPoints) == 280);
static_assert(offsetof(UnitRecord, hitPoints) == 284);
static_assert(offsetof(UnitRecord, dead) == 308);
static_assert(offsetof(UnitRecord, condition) == 385);
static_assert(offsetof(UnitRecord, health) == 672);
static_assert(offsetof(UnitRecord, maxHealth) == 676);
static_assert(offsetof(UnitRecord, stock) == 696);
static_assert(offsetof(UnitRecord, walkPhase) == 700);

// The unit table and its table-wide values. Index 0 is never a unit.
struct Units {
    std::vector<UnitRecord> table = std::vector<UnitRecord>(unitCapacity, UnitRecord{});
    int selectedUnit = 1;
    int partySize = 3;
    int nextFreeUnit = 0;

    UnitRecord& operator[](int i) { return table[size_t(i)]; }
    const UnitRecord& operator[](int i) const { return table[size_t(i)]; }
    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(table.data()); }
    const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(table.data()); }
    static constexpr size_t byteSize() { return size_t(unitCapacity) * sizeof(UnitRecord); }
};

} // namespace delve
