#include <gtest/gtest.h>

#include "rules/items.h"
#include "rules/object_types.h"

namespace delve {
namespace {

class ObjectTypes : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        db = new TypeDatabase;
        db->allocate();
        initTypeDatabase(*db);
    }
    static void TearDownTestSuite() { delete db; }
    static bool allZero(const ObjectTypeRecord& r) {
        return r.pictureId == 0 && r.typeId == 0 && r.slot == 0 && r.power == 0 &&
               r.value == 0 && r.quality == 0.0f && r.currentPower == 0.0f && r.isWeapon == 0 &&
               r.flag1 + r.flag2 + r.flag3 + r.flag4 + r.flag5 == 0;
    }
    static TypeDatabase* db;
};
TypeDatabase* ObjectTypes::db = nullptr;

// An object copied from each type, as the item operations see it.
TEST_F(ObjectTypes, CopiedObjectsCarryTheirTypeAndPower) {
    struct Case {
        int type;
        const char* name;
        int picture, slot, isWeapon, power;
        float quality;
        int value;
        float currentPower;
    } cases[] = {
        {6110, "Dagger", 600, 2, 1, 1, 0.0f, 50, 1.0f},
        {7100, "", 682, 0, 0, 200, 0.0f, 50, 200.0f},
        {8333, "Magic Boots", 746, 23, 0, 0, 0.9f, 600, 0.0f},
    };
    const int object = containerSlotId(5, 7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        copyObjectType(*db, object, c.type);
        const ObjectTypeRecord& r = (*db)[object];
        EXPECT_EQ(r.typeId, c.type);
        EXPECT_STREQ(objectName(*db, object), c.name);
        EXPECT_EQ(r.pictureId, c.picture);
        EXPECT_EQ(r.slot, c.slot);
        EXPECT_EQ(r.isWeapon, c.isWeapon);
        EXPECT_EQ(r.power, c.power);
        EXPECT_FLOAT_EQ(r.quality, c.quality);
        EXPECT_EQ(r.value, c.value);
        EXPECT_FLOAT_EQ(r.currentPower, c.currentPower);
        if (c.slot >= 10) {
            EXPECT_EQ(r.flag1 + r.flag2 + r.flag3 + r.flag4 + r.flag5, 5);
        }
        EXPECT_FLOAT_EQ((*db)[c.type].currentPower, 0.0f) << "types keep currentPower 0";
    }
    copyObjectType(*db, object, 0);
    EXPECT_TRUE(allZero((*db)[object]));
}

TEST_F(ObjectTypes, HolesBetweenTheRangesStayEmpty) {
    for (int id : {0, 6109, 6321, 7001, 7099, 8099, 8334, 10001, 229999}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(allZero((*db)[id]));
        EXPECT_STREQ(objectName(*db, id), "");
    }
}

TEST_F(ObjectTypes, IdsOutsideTheTableAreIgnored) {
    copyObjectType(*db, typeCapacity, 6110);
    copyObjectType(*db, -1, 6110);
    copyObjectType(*db, typeCapacity - 1, typeCapacity + 5);
    EXPECT_TRUE(allZero((*db)[typeCapacity - 1]));
    EXPECT_STREQ(objectName(*db, -3), "");
    EXPECT_STREQ(objectName(*db, typeCapacity), "");
}

} // namespace
} // namespace delve
