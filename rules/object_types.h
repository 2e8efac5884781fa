#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/zeroed_array.h"

namespace delve {

constexpr int typeCapacity = 230000;

// One object type, or one object copied from its type.
struct ObjectTypeRecord {
    uint16_t pictureId;   // catalogue picture; 0 marks an empty record or a free slot
    int32_t typeId;       // the type the record describes; objects keep their type's id
    uint8_t flag1, flag2, flag3, flag4, flag5;
    uint8_t slot;         // 1-2 weapons, 10-23 armour pieces, 0 otherwise
    uint8_t isWeapon;
    uint8_t power;
    uint8_t grade;
    float currentPower;   // 0 in types; an object's power when it is made
    float quality;
    uint16_t value;
};

// Every type and every object, indexed by id: types 6110..8333, start-up
// objects 9000..9003, container slots from 10000 upward.
struct TypeDatabase {
    // Zero pages until written: the types and the few objects made touch a
    // hundred kilobytes of the 7 MB.
    ZeroedArray<ObjectTypeRecord> records;

    // Allocates typeCapacity zero-filled records (once, at start-up).
    void allocate() { records = ZeroedArray<ObjectTypeRecord>(size_t(typeCapacity)); }
    void release() { records = ZeroedArray<ObjectTypeRecord>(); }
    bool holds(int id) const { return id >= 0 && size_t(id) < records.size(); }
    ObjectTypeRecord& operator[](int id) { return records[size_t(id)]; }
    const ObjectTypeRecord& operator[](int id) const { return records[size_t(id)]; }
};

// Id ranges of the types.
constexpr int FirstSwordType = 6110;
constexpr int SwordTypeCount = 20;
constexpr int FirstMaceType = 6200;
constexpr int MaceTypeCount = 4;
constexpr int FirstAxeType = 6316;
constexpr int AxeTypeCount = 5;
constexpr int BagType = 7000;
constexpr int PotionType = 7100;
constexpr int ArmourMaterialCount = 8;
constexpr int ArmourPieceCount = 14;
constexpr int ArmourBase[ArmourMaterialCount] = {8100, 8130, 8170, 8200, 8220, 8250, 8280, 8320};
constexpr int FirstArmourSlot = 10; // slot of piece 0; piece p is worn at 10 + p

// Writes every type record (record 0 all zero); each type's typeId is its id.
void initTypeDatabase(TypeDatabase& db);
// Makes the record dstId an object of the type srcTypeId: a copy of the
// type's record whose currentPower is the type's power. Copying an empty
// record empties the destination. Ids outside the table are ignored.
void copyObjectType(TypeDatabase& db, int dstId, int srcTypeId);
// The five start-up objects: 10000 and 9000 daggers, 9001 a knife, 9002 a
// maul, 9003 a hand axe.
void makeStartingObjects(TypeDatabase& db);

} // namespace delve
