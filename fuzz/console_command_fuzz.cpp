// Runs any command line through the console interpreter, with the hero on
// any cell the 16-bit unit fields can hold. The table also holds a command
// run after the console step and a guard, as the program adds them.
#include "tests/console/console_rig.h"

namespace {

delve::test::Rig& fuzzRig() {
    static delve::test::Rig rig("fuzz-command");
    static bool on = false;
    static const bool added = [] {
        delve::ConsoleCommand later;
        later.words = "contest";
        later.help = "contest";
        later.time = delve::CommandTime::AfterConsoleStep;
        later.handler = [](const delve::CommandCall& call) {
            on = !on;
            call.answer(on ? "on" : "off");
        };
        rig.console.commands.addCommand(later);
        return rig.console.commands.guard("env4teleport", "env4teleport X Y Z",
                                          []() { return on ? "refused" : nullptr; });
    }();
    (void)added;
    return rig;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    delve::test::Rig& rig = fuzzRig();
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
