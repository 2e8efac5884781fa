#include "rules/object_types.h"

#include <cstring>

#include "rules/items.h"

namespace delve {

namespace {

struct WeaponType {
    int id;
    const char* name;
    uint16_t picture;
    uint8_t flags[5];
    uint8_t slot, power, grade;
    float quality;
    uint16_t value;
};

// The 29 weapons. The two knives' pictures and the two great axes'
// pictures are deliberately not in id order.
constexpr WeaponType Weapons[] = {
    {6110, "Dagger", 600, {1, 0, 1, 1, 1}, 2, 1, 0, 0.0f, 50},
    {6111, "Knife", 601, {1, 1, 0, 0, 0}, 1, 2, 0, 0.0f, 180},
    {6112, "Short Sword", 602, {1, 0, 0, 0, 1}, 1, 3, 0, 0.0f, 300},
    {6113, "Gauche", 603, {0, 1, 0, 0, 0}, 2, 3, 1, 0.2f, 400},
    {6114, "Long Sword", 604, {1, 0, 0, 0, 0}, 1, 4, 0, 0.0f, 430},
    {6115, "Bastard Sword", 605, {1, 0, 0, 0, 0}, 1, 5, 0, 0.0f, 560},
    {6116, "Kopesh", 606, {1, 1, 0, 0, 1}, 2, 5, 1, 0.0f, 700},
    {6117, "Blade", 607, {0, 1, 0, 0, 0}, 1, 6, 0, 1.0f, 1000},
    {6118, "Blade Ameliorated", 608, {0, 1, 0, 0, 1}, 1, 6, 1, 2.8f, 2000},
    {6119, "Behead", 609, {0, 1, 0, 0, 1}, 1, 7, 0, 0.0f, 3000},
    {6120, "Broadsword", 610, {1, 0, 0, 0, 0}, 1, 6, 1, 0.0f, 700},
    {6121, "Horner", 611, {0, 1, 0, 0, 1}, 2, 8, 0, 0.0f, 2300},
    {6122, "Glaive", 612, {1, 0, 0, 0, 0}, 1, 8, 1, 0.0f, 980},
    {6123, "Saber", 613, {1, 0, 0, 0, 0}, 1, 8, 2, 2.0f, 1300},
    {6124, "Saber Ameliorated", 614, {1, 0, 0, 0, 1}, 1, 8, 3, 4.0f, 2900},
    {6125, "Whale Blade", 615, {1, 0, 0, 0, 1}, 1, 9, 0, 1.5f, 5000},
    {6126, "Whale Blade Ameliorated", 616, {1, 0, 0, 0, 1}, 1, 9, 2, 3.3f, 10000},
    {6127, "Two Handed Sword", 617, {1, 0, 0, 0, 0}, 1, 10, 0, 0.0f, 1200},
    {6128, "Two Bladed Sword", 618, {1, 0, 0, 0, 1}, 1, 11, 0, 0.0f, 6000},
    {6129, "Two Bladed Sword Ameliorated", 619, {1, 0, 0, 0, 1}, 1, 12, 0, 3.2f, 28000},
    {6200, "Maul", 630, {0, 1, 0, 0, 0}, 1, 3, 0, 0.0f, 300},
    {6201, "Morningstar", 631, {0, 1, 0, 0, 0}, 1, 5, 1, 0.0f, 600},
    {6202, "Mace", 632, {0, 1, 0, 0, 0}, 1, 8, 0, 0.0f, 3000},
    {6203, "War Mace", 633, {0, 1, 0, 0, 0}, 1, 8, 0, 0.0f, 3000},
    {6316, "Hand Axe", 650, {0, 0, 0, 1, 0}, 2, 2, 0, 0.0f, 180},
    {6317, "Axe", 651, {0, 0, 0, 1, 0}, 1, 3, 0, 0.0f, 380},
    {6318, "Battle Axe", 652, {0, 0, 0, 1, 0}, 1, 8, 0, 0.0f, 4000},
    {6319, "Iron Rubioux Battle Axe", 655, {0, 0, 0, 1, 0}, 1, 12, 0, 2.8f, 32000},
    {6320, "Iron Ordered Battle Axe", 654, {0, 0, 0, 1, 0}, 1, 14, 0, 4.0f, 60000},
};

struct ArmourMaterial {
    uint16_t picture;
    float quality;
    uint16_t value;
};

constexpr ArmourMaterial Materials[ArmourMaterialCount] = {
    {730, 0.1f, 30},  {740, 0.2f, 70},  {741, 0.3f, 120}, {742, 0.4f, 160},
    {743, 0.5f, 210}, {744, 0.6f, 280}, {745, 0.7f, 350}, {746, 0.9f, 600},
};

} // namespace

const char* weaponTypeName(int typeId) {
    for (const WeaponType& w : Weapons)
        if (w.id == typeId) return w.name;
    return nullptr;
}

void initTypeDatabase(TypeDatabase& db) {
    if (db.records.size() < size_t(typeCapacity)) db.allocate();
    db[0] = ObjectTypeRecord{};

    for (const WeaponType& w : Weapons) {
        ObjectTypeRecord& r = db[w.id];
        r = ObjectTypeRecord{};
        r.pictureId = w.picture;
        r.typeId = w.id;
        r.flag1 = w.flags[0];
        r.flag2 = w.flags[1];
        r.flag3 = w.flags[2];
        r.flag4 = w.flags[3];
        r.flag5 = w.flags[4];
        r.slot = w.slot;
        r.isWeapon = 1;
        r.power = w.power;
        r.grade = w.grade;
        r.quality = w.quality;
        r.value = w.value;
    }

    for (int m = 0; m < ArmourMaterialCount; ++m) {
        for (int piece = 0; piece < ArmourPieceCount; ++piece) {
            const int id = ArmourBase[m] + piece;
            ObjectTypeRecord& r = db[id];
            r = ObjectTypeRecord{};
            r.pictureId = Materials[m].picture;
            r.typeId = id;
            r.flag1 = r.flag2 = r.flag3 = r.flag4 = r.flag5 = 1;
            r.slot = uint8_t(FirstArmourSlot + piece);
            r.quality = Materials[m].quality;
            r.value = Materials[m].value;
        }
    }

    ObjectTypeRecord& bag = db[BagType];
    bag = ObjectTypeRecord{};
    bag.pictureId = 3000;
    bag.typeId = BagType;
    bag.value = 30;

    ObjectTypeRecord& potion = db[PotionType];
    potion = ObjectTypeRecord{};
    potion.pictureId = 682;
    potion.typeId = PotionType;
    potion.power = 200;
    potion.value = 50;
}

void copyObjectType(TypeDatabase& db, int dstId, int srcTypeId) {
    if (!db.holds(dstId) || !db.holds(srcTypeId)) return;
    db[dstId] = db[srcTypeId];
    db[dstId].currentPower = float(db[dstId].power);
}

void makeStartingObjects(TypeDatabase& db) {
    copyObjectType(db, 10000, 6110);
    copyObjectType(db, 9000, 6110);
    copyObjectType(db, 9001, 6111);
    copyObjectType(db, 9002, 6200);
    copyObjectType(db, 9003, 6316);
}

} // namespace delve
