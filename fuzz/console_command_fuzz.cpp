// Runs any command line through the console interpreter, with the hero on
// any cell the 16-bit unit fields can hold. The table also holds a command
// run after the console step and a guard, as the program adds them.
// Saves and loads go to slots in memory, and their progress frames run the
// console as the game's do, without keeping their pictures.
#include "platform/file_store.h"
#include "tests/console/console_rig.h"

namespace {

using namespace delve;

struct CommandRig;

// The game's progress frames: a cleared screen and a console step each.
struct ProgressHost final : FrameHost {
    CommandRig* rig = nullptr;
    void beginFrame(ProgressStage) override;
    void runProgressFrame() override;
    void presentFrame() override {}
};

struct CommandRig : test::Rig {
    MemoryFiles slots;
    ProgressHost progress;
    bool contestOn = false;

    CommandRig() : Rig("fuzz-command") {
        progress.rig = this;
        frameHost = &progress;
        files = &slots;
        ConsoleCommand later;
        later.words = "contest";
        later.help = "contest";
        later.time = CommandTime::AfterConsoleStep;
        later.handler = [this](const CommandCall& call) {
            contestOn = !contestOn;
            call.answer(contestOn ? "on" : "off");
        };
        console.commands.addCommand(later);
        (void)console.commands.guard("env4teleport", "env4teleport X Y Z",
                               [this]() { return contestOn ? "refused" : nullptr; });
    }
};

void ProgressHost::beginFrame(ProgressStage) { rig->screen.clearFramebuffer(); }

void ProgressHost::runProgressFrame() {
    runConsole(rig->console, rig->ctx());
    rig->shell.countFrame();
}

CommandRig& theRig() {
    static CommandRig rig;
    return rig;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    theRig();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CommandRig& rig = theRig();
    if (size < 6) return 0;
    UnitRecord& hero = rig.units[1];
    std::memcpy(&hero.x, data, 2);
    std::memcpy(&hero.y, data + 2, 2);
    std::memcpy(&hero.z, data + 4, 2);
    rig.console.consoleOpen = 1;
    rig.enterLine(reinterpret_cast<const char*>(data + 6), size - 6);
    return 0;
}
