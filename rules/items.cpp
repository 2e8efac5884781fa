#include "rules/items.h"

#include <cstdio>

namespace delve {

const char* const FirstSyllables[FirstSyllableCount] = {
    "A",   "Ab",  "Ac", "Ad",  "Af", "Agr", "Ast", "As", "Al", "Adw", "Adr",  "Ar",  "B",
    "Br",  "C",   "C",  "C",   "Cr", "Ch",  "Cad", "D",  "Dr", "Dw",  "Ed",   "Eth", "Et",
    "Er",  "El",  "Eow", "F",  "Fr", "G",   "Gr",  "Gw", "Gw", "Gal", "Gl",   "H",   "Ha",
    "Ib",  "Jer", "K",  "Ka",  "Ked", "L",  "Loth", "Lar", "Leg", "M", "Mir", "N",   "Nyd",
    "Ol",  "Oc",  "On", "P",   "Pr", "Q",   "R",   "Rh", "S",  "Sev", "T",    "Tr",  "Th",
    "Th",  "Ul",  "Um", "Un",  "V",  "Y",   "Yb",  "Z",  "W",  "W",   "Wic",
};

const char* const MiddleSyllables[MiddleSyllableCount] = {
    "a",   "ae",  "ae",  "au",  "ao",  "are", "ale", "ali", "ay",  "ardo",
    "e",   "edri", "ei", "ea",  "ea",  "eri", "era", "ela", "eli", "enda",
    "erra", "i",  "ia",  "ie",  "ire", "ira", "ila", "ili", "ira", "igo",
    "o",   "oha", "oma", "oa",  "oi",  "oe",  "ore", "u",   "y",
};

const char* const LastSyllables[LastSyllableCount] = {
    "a",    "and",  "b",    "bwyn", "baen", "bari", "c",    "ch",   "can",  "d",    "dan",
    "don",  "der",  "dric", "dus",  "f",    "g",    "gord", "gan",  "han",  "har",  "jar",
    "jan",  "k",    "kin",  "kith", "kath", "koth", "kor",  "kon",  "l",    "li",   "lin",
    "lith", "lath", "loth", "ld",   "ldan", "m",    "mas",  "mos",  "mar",  "mond", "n",
    "nydd", "nidd", "nnon", "nwan", "nyth", "nad",  "nn",   "nnor", "nd",   "p",
};

namespace {

// Armour names: material word and piece word, built once.
const char* const MaterialWords[ArmourMaterialCount] = {
    "Robe", "Leather", "Studded Leather", "Chain", "Scale", "Plate", "Full Plate", "Magic",
};
const char* const PieceWords[ArmourPieceCount] = {
    "Suit",  "Hat",    "Cape",  "Georget", "Scaling", "Torso",   "Greeves",
    "Bracers", "Ring", "Gloves", "Shield", "Sleeves", "Circlet", "Boots",
};
constexpr int FirstHelmetMaterial = 5; // Plate, Full Plate and Magic wear helmets

struct ArmourNames {
    char text[ArmourMaterialCount][ArmourPieceCount][32];
    ArmourNames() {
        for (int m = 0; m < ArmourMaterialCount; ++m)
            for (int p = 0; p < ArmourPieceCount; ++p)
                std::snprintf(text[m][p], sizeof text[m][p], "%s %s", MaterialWords[m],
                              p == 1 && m >= FirstHelmetMaterial ? "Helmet" : PieceWords[p]);
    }
};

const ArmourNames& armourNames() {
    static const ArmourNames names;
    return names;
}

// What a loot roll gives: nothing, a piece of a material, or a weapon.
struct LootRoll {
    int material; // index into ArmourBase, or -1
    int weapon;   // weapon type, or 0
};

constexpr LootRoll Nothing{-1, 0};
// Rolls 1 to 5 of the levels 1, 2, 3 and 4 and above.
constexpr LootRoll LootTable[4][5] = {
    {{0, 0}, {0, 0}, {-1, 6110}, Nothing, Nothing},
    {{0, 0}, {1, 0}, {-1, 6111}, Nothing, Nothing},
    {{1, 0}, {1, 0}, {-1, 6112}, Nothing, Nothing},
    {{2, 0}, {2, 0}, {-1, 6114}, {-1, 6115}, Nothing},
};

} // namespace

const char* objectName(const TypeDatabase& db, int id) {
    if (!db.holds(id)) return "";
    const int type = db[id].typeId;
    if (const char* weapon = weaponTypeName(type)) return weapon;
    if (type == BagType) return "Bag";
    for (int m = 0; m < ArmourMaterialCount; ++m) {
        const int piece = type - ArmourBase[m];
        if (piece >= 0 && piece < ArmourPieceCount) return armourNames().text[m][piece];
    }
    return "";
}

int findFreeSlot(const TypeDatabase& db, int container) {
    if (container < 0 || container >= ContainerCount) return -1;
    for (int s = 0; s < ContainerSlots; ++s) {
        const int id = containerSlotId(container, s);
        if (db.holds(id) && db[id].pictureId == 0) return s;
    }
    return -1;
}

void placeLoot(TypeDatabase& db, Rng& rng, int level, int container) {
    if (level < FirstLootLevel || level > LastLootLevel) return;
    if (container < 0 || container >= ContainerCount) return;
    const int row = level >= 4 ? 3 : level - 1;
    const int picks = level == 1 ? 1 : 2;
    for (int pick = 0; pick < picks; ++pick) {
        const int roll = rng.rand() % 5 + 1;
        const LootRoll what = LootTable[row][roll - 1];
        if (what.material < 0 && what.weapon == 0) continue;
        const int slot = findFreeSlot(db, container);
        if (slot == -1) continue;
        const int type = what.material >= 0
                             ? ArmourBase[what.material] + rng.rand() % ArmourPieceCount
                             : what.weapon;
        copyObjectType(db, containerSlotId(container, slot), type);
    }
}

void pickUniqueName(Units& units, Rng& rng, int unit) {
    if (unit < 0 || unit >= unitCapacity) return;
    for (;;) {
        const int a = rng.rand() % FirstSyllableCount;
        const int b = rng.rand() % MiddleSyllableCount;
        const int c = rng.rand() % LastSyllableCount;
        bool taken = false;
        for (int i = 0; i < unitCapacity && !taken; ++i) {
            const UnitRecord& r = units[i];
            taken = r.namePart1 == a && r.namePart2 == b && r.namePart3 == c;
        }
        if (taken) continue;
        UnitRecord& u = units[unit];
        u.namePart1 = uint16_t(a);
        u.namePart2 = uint16_t(b);
        u.namePart3 = uint16_t(c);
        return;
    }
}

void formatUnitName(const Units& units, int unit, NameBuffer& out) {
    if (unit < 0 || unit >= unitCapacity) return;
    const UnitRecord& u = units[unit];
    if (u.namePart1 >= FirstSyllableCount || u.namePart2 >= MiddleSyllableCount ||
        u.namePart3 >= LastSyllableCount)
        return;
    std::snprintf(out.text, sizeof out.text, "%s%s%s", FirstSyllables[u.namePart1],
                  MiddleSyllables[u.namePart2], LastSyllables[u.namePart3]);
}

} // namespace delve
