#pragma once
#include <cstdint>

#include "platform/rng.h"
#include "rules/object_types.h"
#include "units/unit_record.h"

namespace delve {

// Object containers: container c owns the 45 ids 10000 + 60c + s, s = 0..44.
constexpr int FirstContainerId = 10000;
constexpr int ContainerStride = 60;
constexpr int ContainerSlots = 45;
// Containers 0..3666 start inside the table; the last one's slots 40..44
// would lie past its end and count as taken.
constexpr int ContainerCount = (typeCapacity - FirstContainerId - 1) / ContainerStride + 1;
constexpr int FirstLootLevel = 1;
constexpr int LastLootLevel = 12;

constexpr int FirstSyllableCount = 76;
constexpr int MiddleSyllableCount = 39;
constexpr int LastSyllableCount = 54;
extern const char* const FirstSyllables[FirstSyllableCount];
extern const char* const MiddleSyllables[MiddleSyllableCount];
extern const char* const LastSyllables[LastSyllableCount];

// The text a unit name is printed into; keeps the last name printed.
struct NameBuffer {
    char text[256] = {};
};

constexpr int containerSlotId(int container, int slot) {
    return FirstContainerId + ContainerStride * container + slot;
}

// Name of the type in the record's typeId: weapons, the bag and the armour
// pieces by name; the potion, empty records and ids outside the table give
// the empty text. Never null.
const char* objectName(const TypeDatabase& db, int id);
// Name of a weapon type, or null for any other id.
const char* weaponTypeName(int typeId);

// First free slot (pictureId 0) of the container, or -1 when all 45 are
// taken or the container lies outside the table.
int findFreeSlot(const TypeDatabase& db, int container);

// Rolls loot for one container at danger level 1..12: one pick at level 1,
// two above. Each pick draws a roll 1..5; a piece of armour draws its piece
// after the free-slot search, and a full container ends the pick without
// that draw. Other levels, and containers outside the table, do nothing
// and draw nothing.
void placeLoot(TypeDatabase& db, Rng& rng, int level, int container);

// Draws name parts (first, then middle, then last syllable) until no record
// of the table holds the same triple, and gives them to the unit.
void pickUniqueName(Units& units, Rng& rng, int unit);

// Prints the unit's name into the buffer; out-of-range parts (a damaged
// table) leave the buffer as it was.
void formatUnitName(const Units& units, int unit, NameBuffer& out);

} // namespace delve
