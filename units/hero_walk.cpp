#include "units/hero_walk.h"

#include <cmath>

#include "platform/input.h"
#include "platform/shell.h"

namespace delve {

namespace {
constexpr double DegToRad = 0.017453292516666667;
} // namespace

bool isWalkingFrame(const Shell& shell) {
    // An interval below 10 (only a loaded or edited value) walks every frame
    // instead of dividing by zero.
    const double q = double(shell.movementInterval) / 10.0;
    const int period = (q >= 1.0 && q < 2147483647.0) ? int(q) : 1;
    return shell.frameCounter % period == 0;
}

void stepHero(const HeroWalk& walk, UnitRecord& hero, bool forward) {
    const double heading = double(walk.cameraYaw + 180.0f) * DegToRad;
    float a = -float(std::sin(heading)) * 0.1f;
    float b = -float(std::cos(heading)) * 0.1f;
    const float pitchSine = float(std::sin(double(walk.cameraPitch) * DegToRad));
    a = -pitchSine * a;
    b = -pitchSine * b;
    if (forward) {
        hero.subX -= a;
        hero.subY -= b;
        hero.walkPhase += 1.0f;
    } else {
        hero.subX += a;
        hero.subY += b;
        hero.walkPhase -= 1.0f;
    }
}

void checkGround(HeroWalk& walk, const WorldMap& world, UnitRecord& hero, Shell& shell) {
    // Beneath the deepest layer there is no ground: it counts as open.
    if (world.cellOr(shell.SX, shell.SY, shell.SZ + 1, Cell::Empty) == Cell::Rock) {
        walk.lastGoodSX = shell.SX;
        walk.lastGoodSY = shell.SY;
        walk.lastGoodSZ = shell.SZ;
    } else {
        shell.SX = walk.lastGoodSX;
        shell.SY = walk.lastGoodSY;
        shell.SZ = walk.lastGoodSZ;
        hero.subX = hero.subY = hero.subZ = 0.5f;
    }
}

uint8_t cellNearHero(const WorldMap& world, const UnitRecord& hero, float ox, float oy, float oz) {
    const double fx = std::floor(double(ox)), fy = std::floor(double(oy)),
                 fz = std::floor(double(oz));
    // Offsets that are not small finite numbers lie outside the map anyway.
    constexpr double limit = 1 << 20;
    if (!(std::fabs(fx) < limit && std::fabs(fy) < limit && std::fabs(fz) < limit)) return 0;
    return world.cellOr(int(hero.x) + int(fx), int(hero.y) + int(fy), int(hero.z) + int(fz), 0);
}

void pushOutOfWalls(const WorldMap& world, UnitRecord& hero, float px, float py, float pz) {
    auto solid = [&](float dx, float dy) {
        return cellNearHero(world, hero, px + dx, py + dy, pz) == Cell::Rock;
    };
    const bool centre = solid(0.0f, 0.0f);

    if (solid(-0.3f, 0.0f) && !centre) hero.subX -= 0.3f - px;
    if (solid(-0.2f, 0.0f)) hero.subX -= 0.2f;
    if (solid(0.3f, 0.0f) && !centre) hero.subX += px + 0.3f - 1.0f;
    if (solid(0.2f, 0.0f)) hero.subX += 0.2f;

    if (solid(0.0f, -0.3f) && !centre) hero.subY += 0.3f - py;
    if (solid(0.0f, -0.2f)) hero.subY += 0.2f;
    if (solid(0.0f, 0.3f) && !centre) hero.subY -= py + 0.3f - 1.0f;
    if (solid(0.0f, 0.2f)) hero.subY -= 0.2f;

    if (solid(-0.2f, -0.2f)) {
        hero.subX -= 0.2f;
        hero.subY += 0.2f;
    } else if (solid(0.2f, 0.2f)) {
        hero.subX += 0.2f;
        hero.subY -= 0.2f;
    } else if (solid(0.2f, -0.2f)) {
        hero.subY += 0.2f;
        hero.subX += 0.2f;
    } else if (solid(-0.2f, 0.2f)) {
        hero.subY -= 0.2f;
        hero.subX -= 0.2f;
    }
}

void updateHero(HeroWalk& walk, const WorldMap& world, UnitRecord& hero, Shell& shell,
                Input& input) {
    // A position that is not a number (only a damaged save holds one) would
    // freeze the hero for good: stand it at the centre instead.
    if (!std::isfinite(hero.subX)) hero.subX = 0.5f;
    if (!std::isfinite(hero.subY)) hero.subY = 0.5f;
    if (!std::isfinite(hero.subZ)) hero.subZ = 0.5f;
    if (!std::isfinite(hero.walkPhase)) hero.walkPhase = 0.0f;

    const bool walking = isWalkingFrame(shell);
    if (walking && input.isKeyDown(Vk::LeftButton)) {
        stepHero(walk, hero, true);
        checkGround(walk, world, hero, shell);
    }
    if (walking && input.isKeyDown(Vk::KeyZ)) {
        stepHero(walk, hero, false);
        checkGround(walk, world, hero, shell);
    }

    pushOutOfWalls(world, hero, 1.0f - hero.subX, hero.subY, 1.0f - hero.subZ);

    hero.subZ = float(std::sin(double(hero.walkPhase * 1.5f))) * 0.024f + 0.54f;

    if (hero.subX > 1.0f) {
        hero.x = uint16_t(hero.x - 1);
        hero.subX -= 1.0f;
    }
    if (hero.subY > 1.0f) {
        hero.y = uint16_t(hero.y + 1);
        hero.subY -= 1.0f;
    }
    if (hero.subX < 0.0f) {
        hero.x = uint16_t(hero.x + 1);
        hero.subX += 1.0f;
    }
    if (hero.subY < 0.0f) {
        hero.y = uint16_t(hero.y - 1);
        hero.subY += 1.0f;
    }
}

void mouseLook(HeroWalk& walk, const Shell& shell, Input& input) {
    if (!(input.isKeyDown(Vk::LeftButton) || input.isKeyDown(Vk::MiddleButton) ||
          input.isKeyDown(Vk::RightButton)))
        return;
    walk.cameraYaw = float(-input.cursorX(shell.screenWidth)) * 2.0f + 180.0f - 160.0f;
    walk.cameraPitch = float(-input.cursorY(shell.screenHeight)) + 90.0f - 90.0f;
}

} // namespace delve
