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

// What a few seeds generate, committed beside this test: any change to a
// draw, a template or a rule of the generator shows up here.
constexpr uint32_t CatalogueSeeds[] = {1, 42, 1234, 20240601};

std::string cataloguePath() {
    return std::string(DELVE_SOURCE_DIR) + "/tests/units/seed_catalogue.txt";
}

int count(const WorldMap& map, int z, uint8_t code) {
    const uint8_t* p = map.data() + cellIndex(0, 0, z);
    return int(std::count(p, p + LayerSize, code));
}

std::string describe(uint32_t seed, const test::StartedWorld& s) {
    const World& w = *s.world;
    std::ostringstream out;
    out << "seed " << seed << "\n";
    for (int level = 1; level <= 9; ++level) {
        const int z = 2 * level; // the stacked copy of work layer 32 + level
        const int work = 32 + level;
        out << "  level " << level << ": rooms "
            << w.gen.levelRoomEnd[size_t(work)] - w.gen.levelFirstRoom[size_t(work)]
            << " floor " << count(w.map, z, Cell::Floor) << " doors " << count(w.map, z, Cell::Door)
            << " up " << count(w.map, z, Cell::StairsUp) << " down " << count(w.map, z, Cell::StairsDown)
            << " chests " << count(w.map, z, Cell::Chest) << " candelabra "
            << count(w.map, z, Cell::Candelabrum) << " scrolls " << count(w.map, z, Cell::Scrolls)
            << " coffins " << count(w.map, z, Cell::Coffin) << " fountains "
            << count(w.map, z, Cell::Fountain) << "\n";
    }
    // Start-up places the hero next, with the generator where it stopped.
    auto units = std::make_unique<Units>();
    units->selectedUnit = 1;
    Rng rng = s.rng;
    const int heroPlaced = placeHero(w.map, *units, rng);
    const UnitRecord& hero = (*units)[1];
    out << "  hero " << (heroPlaced ? "placed" : "unplaced") << " at " << hero.x << " " << hero.y
        << " " << hero.z << "\n";
    char digest[32];
    std::snprintf(digest, sizeof digest, "%016llx",
                  static_cast<unsigned long long>(fnv1a64(w.map.data(), WorldBytes)));
    out << "  world fnv1a64 " << digest << "\n";
    return out.str();
}

TEST(SeedCatalogue, GeneratedWorldsMatchTheCommittedCatalogue) {
    std::string text;
    for (uint32_t seed : CatalogueSeeds) text += describe(seed, test::startupWorld(seed));
    if (const char* update = std::getenv("DELVE_UPDATE_SEED_CATALOGUE"); update && *update == '1') {
        std::ofstream(cataloguePath()) << text;
        GTEST_SKIP() << "catalogue rewritten";
    }
    std::ifstream in(cataloguePath());
    ASSERT_TRUE(in) << "missing " << cataloguePath();
    std::stringstream committed;
    committed << in.rdbuf();
    EXPECT_EQ(text, committed.str())
        << "generation changed; if intended, rerun with DELVE_UPDATE_SEED_CATALOGUE=1";
}

} // namespace
} // namespace delve
