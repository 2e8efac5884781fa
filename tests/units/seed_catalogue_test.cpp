// What a few seeds generate, committed beside this test: any change to a
// draw, a template or a rule of the generator, or to where start-up puts the
// hero, shows up here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "tests/world/world_fixture.h"
#include "platform/digest.h"
#include "units/hero.h"
#include "units/unit_record.h"

namespace delve {
namespace {

std::string describe(uint32_t seed) {
    const test::StartedWorld& s = test::startupWorld(seed);
    const World& w = *s.world;
    std::ostringstream out;
    out << "seed " << seed << "\n";
    for (int level = 1; level <= 9; ++level) {
        const int z = 2 * level, work = 32 + level; // layer z is the stacked copy of work layer 32 + level
        const uint8_t* cells = w.map.data() + cellIndex(0, 0, z);
        out << "  level " << level << ": rooms "
            << w.gen.levelRoomEnd[size_t(work)] - w.gen.levelFirstRoom[size_t(work)];
        for (auto [name, code] : {std::pair{"floor", Cell::Floor}, {"doors", Cell::Door}, {"up", Cell::StairsUp},
                                  {"down", Cell::StairsDown}, {"chests", Cell::Chest},
                                  {"candelabra", Cell::Candelabrum}, {"scrolls", Cell::Scrolls},
                                  {"coffins", Cell::Coffin}, {"fountains", Cell::Fountain}})
            out << " " << name << " " << std::count(cells, cells + LayerSize, code);
        out << "\n";
    }
    // Start-up places the hero next, with the generator where it stopped.
    auto units = std::make_unique<Units>();
    units->selectedUnit = 1;
    Rng rng = s.rng;
    const int heroPlaced = placeHero(w.map, *units, rng);
    const UnitRecord& hero = (*units)[1];
    out << "  hero " << (heroPlaced ? "placed" : "unplaced") << " at " << hero.x << " " << hero.y << " "
        << hero.z << "\n";
    char digest[32];
    std::snprintf(digest, sizeof digest, "%016llx",
                  static_cast<unsigned long long>(fnv1a64(w.map.data(), WorldBytes)));
    out << "  world fnv1a64 " << digest << "\n";
    return out.str();
}

TEST(SeedCatalogue, GeneratedWorldsMatchTheCommittedCatalogue) {
    const std::string path = std::string(DELVE_SOURCE_DIR) + "/tests/units/seed_catalogue.txt";
    std::string text;
    for (uint32_t seed : {1u, 42u, 1234u, 20240601u}) text += describe(seed);
    if (const char* update = std::getenv("DELVE_UPDATE_SEED_CATALOGUE"); update && *update == '1') {
        std::ofstream(path) << text;
        GTEST_SKIP() << "catalogue rewritten";
    }
    std::ifstream in(path);
    ASSERT_TRUE(in) << "missing " << path;
    std::stringstream committed;
    committed << in.rdbuf();
    EXPECT_EQ(text, committed.str()) << "generation changed; if intended, rerun with DELVE_UPDATE_SEED_CATALOGUE=1";
}

} // namespace
} // namespace delve
