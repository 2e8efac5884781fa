#include <gtest/gtest.h>


#include "world/templates.h"

namespace delve {
namespace {

int countValue(const TemplateScratch& s, uint8_t v) {
    int n = 0;
    for (uint8_t c : s.cells) n += c == v;
    return n;
}

TEST(RoomTemplates, EveryOrientationMapsCellsAsTabled) {
    for (int id = 0; id < RoomTemplateCount; ++id) {
        const RoomTemplate& t = roomTemplate(id);
        for (int rot = 0; rot < 4; ++rot) {
            SCOPED_TRACE(::testing::Message() << "template " << id << " rotation " << rot);
            TemplateScratch s;
            decodeTemplate(s, id, rot);
            int expectedFloor = 0, expectedMarks = 0;
            for (int r = 0; r < t.height; ++r) {
                for (int c = 0; c < t.width; ++c) {
                    const char ch = t.rows[r][c];
                    const uint8_t want = ch == 'd' ? 1 : ch == 'p' ? 3 : 0;
                    expectedFloor += want == 1;
                    expectedMarks += want == 3;
                    int row = r, col = c;
                    if (rot == 1) { row = t.width - 1 - c; col = r; }
                    if (rot == 2) { row = c; col = r; }
                    if (rot == 3) { row = t.height - 1 - r; col = c; }
                    ASSERT_EQ(s.at(row, col), want) << r << "," << c;
                    ASSERT_LT(col, s.width);
                    ASSERT_LT(row, s.height);
                }
            }
            // Nothing lands outside the mapped cells.
            EXPECT_EQ(countValue(s, 1), expectedFloor);
            EXPECT_EQ(countValue(s, 3), expectedMarks);
        }
    }
}

TEST(RoomTemplates, DecodeClearsWhatALargerTemplateLeft) {
    TemplateScratch s;
    decodeTemplate(s, 36, 0);
    decodeTemplate(s, 1, 0);
    EXPECT_EQ(countValue(s, 1), 3);
    EXPECT_EQ(countValue(s, 0), ScratchSide * ScratchSide - 3);
}

TEST(RoomTemplates, UnknownIdsAndRotationsStayInBounds) {
    TemplateScratch s;
    decodeTemplate(s, 44, 0);
    EXPECT_EQ(s.width, 0);
    EXPECT_EQ(countValue(s, 1), 0);
    decodeTemplate(s, -1, 2);
    EXPECT_EQ(s.height, 0);
    decodeTemplate(s, 15, 7); // read as rotation 0
    EXPECT_EQ(s.width, 8);
    EXPECT_EQ(s.at(5, 1), 1);
}

} // namespace
} // namespace delve
