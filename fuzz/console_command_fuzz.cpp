// Runs any command line through the console interpreter, with the hero on
// any cell the 16-bit unit fields can hold.
#include "tests/console/console_rig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static delve::test::Rig rig("fuzz-command");
    if (size < 6) return 0;
    delve::UnitRecord& hero = rig.units[1];
    std::memcpy(&hero.x, data, 2);
    std::memcpy(&hero.y, data + 2, 2);
    std::memcpy(&hero.z, data + 4, 2);
    rig.console.consoleOpen = 1;
    rig.enterLine(reinterpret_cast<const char*>(data + 6), size - 6);
    rig.host.presented.clear(); // a save's progress screens would pile up
    rig.host.presentedAtWaitMs.clear();
    return 0;
}
