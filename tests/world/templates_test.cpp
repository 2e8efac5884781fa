#include <gtest/gtest.h>

#include "world/templates.h"

namespace delve {
namespace {

int countValue(const TemplateScratch& s, uint8_t v) {
    int n = 0;
    for (uint8_t c : s.cells) n += c == v;
    return n;
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
