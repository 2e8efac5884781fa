// Any file as the overworld: read into layer 0 of the started game, then
// the hero walks on it (a path search over the whole layer with whatever
// step costs its codes carry) and the map view draws it.
//
// The file's first four bytes, besides being cells, place the hero and
// its goal.
#include <fstream>

#include "fuzz/game_rig.h"
#include "path/movement.h"
#include "world/overworld.h"

namespace {

struct OverworldRig : delve::fuzz::GameRig {
    std::vector<uint8_t> startLayer;
    OverworldRig() : GameRig("overworld") {
        std::filesystem::create_directories(scratch / "map");
        const uint8_t* layer = parts().world.map.data();
        startLayer.assign(layer, layer + delve::LayerSize);
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    delve::fuzz::rigOfThisTarget<OverworldRig>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace delve;
    static auto& rig = delve::fuzz::rigOfThisTarget<OverworldRig>();
    GameParts& g = rig.parts();
    rig.reset();
    std::memcpy(g.world.map.data(), rig.startLayer.data(), rig.startLayer.size());
    std::ofstream(overworldPath(rig.scratch.string(), 1), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    Clock clock(true);
    loadOverworld(g.world.map, clock, rig.scratch.string(), 1);

    fuzz::InputReader in{data, size};
    UnitRecord& hero = g.units[1];
    hero.x = uint16_t(1 + in.u8() % 254);
    hero.y = uint16_t(1 + in.u8() % 254);
    hero.z = 0;
    const int destX = in.u8(), destY = in.u8();
    setViewOriginFromSelectedUnit(g.shell, g.units);
    orderMove(g.units, g.pathFinder, 1, destX, destY);
    rig.mapMode();
    rig.movementFrame();
    rig.movementFrame();
    return 0;
}
