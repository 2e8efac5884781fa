// The right-button walk through the running program: F6, the cursor on a
// floor cell several rooms away, the right button for one frame, then frames
// with the fast clock until the hero stands on that cell. How the remaining
// path is drawn is MapView's test.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

#include "path/movement.h"
#include "tests/program_run.h"
#include "tests/world/world_fixture.h"

namespace delve {
namespace {

constexpr uint32_t Seed = 4242;
constexpr int ClickFrame = 6;

int jsonInt(const std::string& json, const std::string& key, size_t from = 0) {
    return std::atoi(test::dumpField(json, key, from).c_str());
}

using MapWalk = test::ProgramRun;

TEST_F(MapWalk, RightButtonWalksTheHeroToTheCellUnderTheCursor) {
    // Where the view stands once F6 has switched to the map.
    const std::string f6 = "1 down 117\n2 up 117\n3 down 49\n4 up 49\n";
    const std::string first = run(f6, ClickFrame, Seed);
    const size_t heroAt = first.find("\"hero\"");
    ASSERT_NE(heroAt, std::string::npos) << "the program failed";
    const int SX = jsonInt(first, "SX"), SY = jsonInt(first, "SY");
    const int hx = jsonInt(first, "x", heroAt), hy = jsonInt(first, "y", heroAt);
    ASSERT_EQ(jsonInt(first, "z", heroAt), 2);
    ASSERT_EQ(jsonInt(first, "screenWidth"), 640);

    // The same level, generated here from the same seed, to choose a goal.
    World* world = test::startupWorld(Seed).world.get();
    ASSERT_NE(world->map.cell(hx, hy, 2), Cell::Rock) << "the level here differs from the program's";

    auto finder = std::make_unique<PathFinder>();
    Units units;
    int goalX = -1, goalY = -1, length = 0;
    for (int j = 0; j < 30; ++j)
        for (int i = 0; i < 40; ++i) {
            const int x = SX + i, y = SY + j;
            if (world->map.cell(x, y, 2) != Cell::Floor) continue;
            finder->beginSearch(world->marks, units, SearchMode::FreeStartAndGoal, hx, hy, x, y, 2,
                                256, 0);
            if (finder->runSearch(world->map, world->stepCosts, 65536) != SearchFound) continue;
            finder->storeUnitPath(1);
            if (finder->pathLength[1] > length && finder->pathLength[1] <= 40) {
                length = finder->pathLength[1];
                goalX = x;
                goalY = y;
            }
        }
    ASSERT_GE(length, 12) << "no floor cell several rooms away on the screen";

    // Movement every 10 frames: the plan and first step on frame 10, then a
    // cell per movement frame.
    const int cursorX = (goalX - SX) * 16 + 8, cursorY = (goalY - SY) * 16 + 8;
    std::ostringstream script;
    script << f6 << "5 cursor " << cursorX << " " << cursorY << "\n"
           << ClickFrame << " down 2\n" << ClickFrame + 1 << " up 2\n";
    const std::string walk = run(script.str(), 10 * (length + 3), Seed);
    const size_t heroWalk = walk.find("\"hero\"");
    ASSERT_NE(heroWalk, std::string::npos) << "the program failed";
    EXPECT_EQ(jsonInt(walk, "x", heroWalk), goalX);
    EXPECT_EQ(jsonInt(walk, "y", heroWalk), goalY);
    EXPECT_EQ(jsonInt(walk, "moveState", heroWalk), 0);
    EXPECT_EQ(jsonInt(walk, "pathStep", heroWalk), PathNone);
}

} // namespace
} // namespace delve
