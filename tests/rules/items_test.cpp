#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "rules/items.h"
#include "rules/object_types.h"

namespace delve {
namespace {

class Items : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        db = new TypeDatabase;
        db->allocate();
        initTypeDatabase(*db);
    }
    static void TearDownTestSuite() { delete db; }
    void SetUp() override {
        for (int id = FirstContainerId; id < typeCapacity; ++id) (*db)[id] = ObjectTypeRecord{};
    }
    static int held(int container) {
        int n = 0;
        for (int s = 0; s < ContainerSlots; ++s)
            n += db->holds(containerSlotId(container, s)) &&
                 (*db)[containerSlotId(container, s)].pictureId != 0;
        return n;
    }
    static bool allZero(const ObjectTypeRecord& r) {
        return r.pictureId == 0 && r.typeId == 0 && r.slot == 0 && r.power == 0 &&
               r.value == 0 && r.quality == 0.0f && r.currentPower == 0.0f && r.isWeapon == 0 &&
               r.flag1 + r.flag2 + r.flag3 + r.flag4 + r.flag5 == 0;
    }
    static inline TypeDatabase* db = nullptr;
};

// A copied object carries its type's fields, and its power becomes current.
TEST_F(Items, CopiedObjectsCarryTheirTypeAndOnlyTheTableIsWritten) {
    const int object = containerSlotId(5, 7);
    copyObjectType(*db, object, 8333);
    const ObjectTypeRecord& r = (*db)[object];
    EXPECT_EQ(r.typeId, 8333);
    EXPECT_STREQ(objectName(*db, object), "Magic Boots");
    EXPECT_EQ(r.flag1 + r.flag2 + r.flag3 + r.flag4 + r.flag5, 5);
    copyObjectType(*db, object, 7100);
    EXPECT_FLOAT_EQ(r.currentPower, 200.0f);
    EXPECT_FLOAT_EQ((*db)[7100].currentPower, 0.0f) << "types keep currentPower 0";
    copyObjectType(*db, object, 0);
    EXPECT_TRUE(allZero(r));
    for (int id : {0, 6109, 6321, 7001, 8334, 10001, 229999}) // holes between the ranges
        EXPECT_TRUE(allZero((*db)[id]) && *objectName(*db, id) == 0) << id;
    copyObjectType(*db, typeCapacity, 6110);
    copyObjectType(*db, -1, 6110);
    copyObjectType(*db, typeCapacity - 1, typeCapacity + 5);
    EXPECT_TRUE(allZero((*db)[typeCapacity - 1]));
    EXPECT_STREQ(objectName(*db, -3), "");
    EXPECT_STREQ(objectName(*db, typeCapacity), "");
}

// Material word and piece word; from Plate up the second piece is a helmet.
TEST_F(Items, ArmourNamesJoinMaterialAndPieceAndHelmetsStartAtPlate) {
    const int object = containerSlotId(2, 0);
    for (auto [type, name] : {std::tuple{8100, "Robe Suit"}, {8101, "Robe Hat"}, {8221, "Scale Hat"},
                              {8231, "Scale Sleeves"}, {8250, "Plate Suit"}, {8251, "Plate Helmet"},
                              {8252, "Plate Cape"}, {8281, "Full Plate Helmet"}, {8321, "Magic Helmet"},
                              {8333, "Magic Boots"}}) {
        copyObjectType(*db, object, type);
        EXPECT_STREQ(objectName(*db, object), name) << type;
    }
}

TEST_F(Items, UnitNamesJoinThreeSyllablesAndIgnorePartsPastTheirTable) {
    Units units;
    NameBuffer name;
    auto format = [&](int a, int b, int c) {
        units[7].namePart1 = uint16_t(a);
        units[7].namePart2 = uint16_t(b);
        units[7].namePart3 = uint16_t(c);
        formatUnitName(units, 7, name);
        return std::string(name.text);
    };
    EXPECT_EQ(format(75, 38, 53), "Wicyp"); // the last of each table
    EXPECT_EQ(format(45, 19, 44), "Lothendanydd");
    EXPECT_EQ(format(76, 0, 0), "Lothendanydd");
    EXPECT_EQ(format(0, 39, 0), "Lothendanydd");
    EXPECT_EQ(format(0, 0, 54), "Lothendanydd");
}

// Every record holds a different triple, among them the generator's first
// four draws: the fifth draw is taken.
TEST_F(Items, UniqueNamesSkipEveryTripleInTheTable) {
    Units units;
    Rng reference;
    reference.srand(99);
    std::vector<std::tuple<int, int, int>> draws(5);
    for (auto& d : draws) d = {reference.rand() % 76, reference.rand() % 39, reference.rand() % 54};
    auto nth = [](int t) { return std::tuple(t % 76, (t / 76) % 39, t / (76 * 39)); };
    for (int i = 0, t = 0; i < unitCapacity; ++i) {
        auto name = i < 4 ? draws[size_t(i)] : nth(t++);
        while (i >= 4 && std::count(draws.begin(), draws.end(), name)) name = nth(t++);
        std::tie(units[i].namePart1, units[i].namePart2, units[i].namePart3) = name;
    }
    Rng rng;
    rng.srand(99);
    pickUniqueName(units, rng, 2999);
    const UnitRecord& u = units[2999];
    EXPECT_EQ(std::tuple(int(u.namePart1), int(u.namePart2), int(u.namePart3)), draws[4]);
    EXPECT_EQ(rng.state(), reference.state()) << "three draws per try, five tries";
}

TEST_F(Items, LootStaysInsideEachLevelsLimitsAndChoices) {
    struct Case {
        int level, maxObjects;
        std::set<std::string> weapons, materials;
    } cases[] = {
        {1, 1, {"Dagger"}, {"Robe"}},
        {2, 2, {"Knife"}, {"Robe", "Leather"}},
        {12, 2, {"Long Sword", "Bastard Sword"}, {"Studded Leather"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        SetUp();
        Rng rng;
        rng.srand(uint32_t(c.level));
        int most = 0;
        for (int container = 0; container < 300; ++container) {
            placeLoot(*db, rng, c.level, container);
            most = std::max(most, held(container));
            for (int s = 0; s < held(container); ++s) {
                const int id = containerSlotId(container, s);
                const std::string name = objectName(*db, id), material = name.substr(0, name.rfind(' '));
                EXPECT_TRUE((*db)[id].isWeapon ? c.weapons.count(name) : c.materials.count(material)) << name;
            }
        }
        EXPECT_EQ(most, c.maxObjects);
    }
}

TEST_F(Items, BadLevelsDrawNothingAndAFullContainerCostsOneDrawPerPick) {
    for (int level : {0, 13}) {
        Rng rng;
        rng.srand(7);
        placeLoot(*db, rng, level, 3);
        EXPECT_EQ(rng.state(), 7u) << level;
        EXPECT_EQ(held(3), 0) << level;
    }
    for (int s = 0; s < ContainerSlots; ++s) copyObjectType(*db, containerSlotId(4, s), 7000);
    EXPECT_EQ(findFreeSlot(*db, 4), -1);
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        Rng rng, reference;
        rng.srand(seed);
        reference.srand(seed);
        placeLoot(*db, rng, 4, 4);
        reference.rand();
        reference.rand();
        EXPECT_EQ(rng.state(), reference.state()) << seed;
    }
    EXPECT_EQ(held(4), ContainerSlots);
}

} // namespace
} // namespace delve
