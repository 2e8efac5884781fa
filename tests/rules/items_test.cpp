#include <gtest/gtest.h>

#include <set>
#include <string>

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
    void SetUp() override { emptyContainers(); }
    static void emptyContainers() {
        for (int id = FirstContainerId; id < typeCapacity; ++id) (*db)[id] = ObjectTypeRecord{};
    }
    static int held(int container) {
        int n = 0;
        for (int s = 0; s < ContainerSlots; ++s)
            if (db->holds(containerSlotId(container, s)) &&
                (*db)[containerSlotId(container, s)].pictureId != 0)
                ++n;
        return n;
    }
    static void fill(int container, int slots) {
        for (int s = 0; s < slots; ++s) copyObjectType(*db, containerSlotId(container, s), 7000);
    }
    static TypeDatabase* db;
};
TypeDatabase* Items::db = nullptr;

TEST_F(Items, UnitNamesJoinThreeSyllables) {
    Units units;
    NameBuffer name;
    struct Case {
        int a, b, c;
        const char* expected;
    } cases[] = {
        {75, 38, 53, "Wicyp"}, {45, 19, 44, "Lothendanydd"},
    };
    for (const Case& c : cases) {
        units[7].namePart1 = uint16_t(c.a);
        units[7].namePart2 = uint16_t(c.b);
        units[7].namePart3 = uint16_t(c.c);
        formatUnitName(units, 7, name);
        EXPECT_STREQ(name.text, c.expected);
    }
    // Parts past a table leave the last name printed.
    for (auto [a, b, c] : {std::tuple{76, 0, 0}, std::tuple{0, 39, 0}, std::tuple{0, 0, 54}}) {
        units[8].namePart1 = uint16_t(a);
        units[8].namePart2 = uint16_t(b);
        units[8].namePart3 = uint16_t(c);
        formatUnitName(units, 8, name);
        EXPECT_STREQ(name.text, "Lothendanydd");
    }
}

TEST_F(Items, UniqueNamesSkipEveryTripleInTheTable) {
    // A table whose every record already holds a different triple, and the
    // triples the generator will draw next are among them.
    Units units;
    Rng reference;
    reference.srand(99);
    int firstDraws[5][3];
    for (auto& d : firstDraws) {
        d[0] = reference.rand() % 76;
        d[1] = reference.rand() % 39;
        d[2] = reference.rand() % 54;
    }
    std::set<std::tuple<int, int, int>> used, drawn;
    for (auto& d : firstDraws) drawn.insert({d[0], d[1], d[2]});
    for (int i = 0, t = 0; i < unitCapacity; ++i) {
        std::tuple<int, int, int> triple;
        if (i < 4) {
            triple = {firstDraws[i][0], firstDraws[i][1], firstDraws[i][2]};
        } else {
            do {
                triple = {t % 76, (t / 76) % 39, t / (76 * 39)};
                ++t;
            } while (drawn.count(triple));
        }
        units[i].namePart1 = uint16_t(std::get<0>(triple));
        units[i].namePart2 = uint16_t(std::get<1>(triple));
        units[i].namePart3 = uint16_t(std::get<2>(triple));
        used.insert(triple);
    }
    ASSERT_EQ(used.size(), size_t(unitCapacity)) << "the fixture's triples must differ";
    Rng rng;
    rng.srand(99);
    pickUniqueName(units, rng, 2999);
    const UnitRecord& u = units[2999];
    EXPECT_EQ(u.namePart1, firstDraws[4][0]);
    EXPECT_EQ(u.namePart2, firstDraws[4][1]);
    EXPECT_EQ(u.namePart3, firstDraws[4][2]);
    EXPECT_EQ(rng.state(), reference.state()) << "three draws per try, five tries";
}

TEST_F(Items, LootStaysInsideEachLevelsLimitsAndChoices) {
    struct Case {
        int level;
        int maxObjects;
        std::set<std::string> allowedWeapons;
        std::set<std::string> allowedMaterials;
    } cases[] = {
        {1, 1, {"Dagger"}, {"Robe"}},
        {2, 2, {"Knife"}, {"Robe", "Leather"}},
        {3, 2, {"Short Sword"}, {"Leather"}},
        {5, 2, {"Long Sword", "Bastard Sword"}, {"Studded Leather"}},
        {12, 2, {"Long Sword", "Bastard Sword"}, {"Studded Leather"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        emptyContainers();
        Rng rng;
        rng.srand(uint32_t(c.level));
        int most = 0;
        for (int container = 0; container < 300; ++container) {
            placeLoot(*db, rng, c.level, container);
            most = std::max(most, held(container));
            for (int s = 0; s < held(container); ++s) {
                const int id = containerSlotId(container, s);
                const std::string name = objectName(*db, id);
                if ((*db)[id].isWeapon) {
                    EXPECT_TRUE(c.allowedWeapons.count(name)) << name;
                } else {
                    bool known = false;
                    for (const auto& m : c.allowedMaterials)
                        known |= name.rfind(m + " ", 0) == 0 &&
                                 (m != "Leather" || name.rfind("Studded", 0) != 0);
                    EXPECT_TRUE(known) << name;
                }
            }
        }
        EXPECT_EQ(most, c.maxObjects);
    }
}

TEST_F(Items, LevelsOutsideOneToTwelveDrawNothing) {
    for (int level : {-1, 0, 13, 100}) {
        Rng rng;
        rng.srand(7);
        placeLoot(*db, rng, level, 3);
        EXPECT_EQ(rng.state(), 7u) << level;
        EXPECT_EQ(held(3), 0) << level;
    }
}

TEST_F(Items, AFullContainerEndsEachPickAfterItsRoll) {
    fill(4, ContainerSlots);
    EXPECT_EQ(findFreeSlot(*db, 4), -1);
    // Whatever the rolls, a full container costs exactly one draw per pick.
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
