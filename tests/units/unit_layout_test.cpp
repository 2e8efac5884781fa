#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "units/hero.h"
#include "units/unit_record.h"

namespace delve {
namespace {

template <typename T>
T readAt(const uint8_t* record, size_t offset) {
    T v;
    std::memcpy(&v, record + offset, sizeof v);
    return v;
}

TEST(UnitLayout, PlacedHeroHasTheStartUpFieldsAtTheFileOffsets) {
    auto map = std::make_unique<WorldMap>();
    for (int i = 0; i < LayerSize; ++i) map->data()[cellIndex(0, 0, 2) + size_t(i)] = Cell::Rock;
    map->setCell(77, 150, 2, Cell::Floor);
    auto units = std::make_unique<Units>();
    Rng rng;
    // Find a seed whose first draws land on the one open cell.
    uint32_t seed = 0;
    for (;; ++seed) {
        Rng probe;
        probe.srand(seed);
        if (probe.rand() % 254 + 1 == 77 && probe.rand() % 254 + 1 == 150) break;
    }
    rng.srand(seed);
    ASSERT_EQ(placeHero(*map, *units, rng), 1);

    const uint8_t* hero = units->bytes() + sizeof(UnitRecord);
    EXPECT_EQ(hero[4], 1);                               // active
    EXPECT_EQ(readAt<uint16_t>(hero, 102), 77);          // x
    EXPECT_EQ(readAt<uint16_t>(hero, 104), 150);         // y
    EXPECT_EQ(readAt<uint16_t>(hero, 106), 2);           // z
    EXPECT_EQ(readAt<uint16_t>(hero, 150), 0);           // moveState
    EXPECT_EQ(readAt<float>(hero, 168), 0.5f);           // subX
    EXPECT_EQ(readAt<float>(hero, 172), 0.5f);           // subY
    EXPECT_EQ(readAt<float>(hero, 176), 0.5f);           // subZ
    EXPECT_EQ(readAt<uint16_t>(hero, 196), 849);         // spriteId
    EXPECT_EQ(readAt<uint16_t>(hero, 198), 1);           // side
    EXPECT_EQ(readAt<float>(hero, 280), 24.0f);          // maxHitPoints
    EXPECT_EQ(readAt<float>(hero, 284), 24.0f);          // hitPoints
    EXPECT_EQ(hero[308], 0);                             // dead
    EXPECT_EQ(hero[385], 0);                             // condition

    // Every other byte of the hero, and every other record, stays zero.
    const size_t written[][2] = {{4, 1},    {102, 6},  {168, 12}, {196, 4}, {280, 8}};
    for (size_t i = 0; i < sizeof(UnitRecord); ++i) {
        bool inField = false;
        for (auto& f : written) inField |= i >= f[0] && i < f[0] + f[1];
        if (!inField) {
            ASSERT_EQ(hero[i], 0) << "byte " << i;
        }
    }
    for (size_t i = 0; i < Units::byteSize(); ++i) {
        if (i >= sizeof(UnitRecord) && i < 2 * sizeof(UnitRecord)) continue;
        ASSERT_EQ(units->bytes()[i], 0) << "byte " << i;
    }
}

TEST(UnitLayout, HeroPlacementDrawsXThenYAndSkipsRock) {
    auto map = std::make_unique<WorldMap>();
    for (int i = 0; i < LayerSize; ++i) map->data()[cellIndex(0, 0, 2) + size_t(i)] = Cell::Rock;
    Rng replay;
    replay.srand(42);
    // Open the cell of the third try only.
    int x = 0, y = 0;
    for (int i = 0; i < 3; ++i) {
        x = replay.rand() % 254 + 1;
        y = replay.rand() % 254 + 1;
    }
    map->setCell(x, y, 2, Cell::Door);
    auto units = std::make_unique<Units>();
    Rng rng;
    rng.srand(42);
    ASSERT_EQ(placeHero(*map, *units, rng), 1);
    EXPECT_EQ((*units)[1].x, x);
    EXPECT_EQ((*units)[1].y, y);
    EXPECT_EQ(rng.state(), replay.state());
}

TEST(UnitLayout, AllRockLeavesTheHeroUnwrittenAfterAThousandTries) {
    auto map = std::make_unique<WorldMap>();
    for (int i = 0; i < LayerSize; ++i) map->data()[cellIndex(0, 0, 2) + size_t(i)] = Cell::Rock;
    map->setCell(0, 0, 2, Cell::Floor);     // outside the 1..254 range
    map->setCell(255, 255, 2, Cell::Floor);
    auto units = std::make_unique<Units>();
    Rng rng, expect;
    EXPECT_EQ(placeHero(*map, *units, rng), 0);
    for (int i = 0; i < 2000; ++i) expect.rand();
    EXPECT_EQ(rng.state(), expect.state());
    EXPECT_EQ((*units)[1].active, 0);
    EXPECT_EQ((*units)[1].spriteId, 0);
}

TEST(UnitLayout, RecordBytesRoundTrip) {
    auto units = std::make_unique<Units>();
    std::vector<uint8_t> image(Units::byteSize());
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 31 + 7);
    std::memcpy(units->bytes(), image.data(), image.size());
    const UnitRecord& r = (*units)[2];
    const uint8_t* raw = image.data() + 2 * sizeof(UnitRecord);
    EXPECT_EQ(r.group, readAt<int32_t>(raw, 88));
    EXPECT_EQ(r.destY, readAt<uint16_t>(raw, 132));
    EXPECT_EQ(r.chaseSteps, readAt<int32_t>(raw, 140));
    EXPECT_EQ(r.targetUnit, readAt<int16_t>(raw, 144));
    EXPECT_EQ(r.namePart3, readAt<uint16_t>(raw, 238));
    EXPECT_EQ(r.health, readAt<int32_t>(raw, 672));
    EXPECT_EQ(r.stock, readAt<int32_t>(raw, 696));
    // Writing fields and copying the table back out changes only those bytes.
    (*units)[2].stock = 100;
    (*units)[2].walkPhase = 1.0f;
    std::vector<uint8_t> out(units->bytes(), units->bytes() + Units::byteSize());
    int changed = 0;
    for (size_t i = 0; i < out.size(); ++i) changed += out[i] != image[i];
    EXPECT_LE(changed, 8);
    EXPECT_EQ(readAt<int32_t>(out.data() + 2 * sizeof(UnitRecord), 696), 100);
    EXPECT_EQ(readAt<float>(out.data() + 2 * sizeof(UnitRecord), 700), 1.0f);
}

TEST(UnitLayout, TableStartsEmptyWithTheStartValues) {
    auto units = std::make_unique<Units>();
    EXPECT_EQ(units->table.size(), 3000u);
    EXPECT_EQ(Units::byteSize(), 3000u * 704u);
    EXPECT_EQ(units->selectedUnit, 1);
    EXPECT_EQ(units->partySize, 3);
    EXPECT_EQ(units->nextFreeUnit, 0);
    for (size_t i = 0; i < Units::byteSize(); i += 13) ASSERT_EQ(units->bytes()[i], 0);
}

} // namespace
} // namespace delve
