// A unit table with hostile records, then frames of both views with the
// movement pass: the map view draws every unit it can see, the first-person
// view follows the hero wherever its record puts it, and every walking
// unit plans and takes steps.
//
// Input: <control u8> <cursor x u8> <cursor y u8>, then patches of the unit
// table as GameRig::patchUnits reads them.
// control bits 0-1: map frames (0-3); bits 2-3: first-person frames (0-3);
// bit 4: left button held in the first-person view (the hero walks);
// bit 5: Z held (walks backwards); bit 6: right button held in the map
// view (a move order to the cell under the cursor).
#include "fuzz/game_rig.h"

// Made before the first input (the game's start-up is not an input's time).
static delve::fuzz::GameRig& theRig() {
    static delve::fuzz::GameRig rig("unit-frames");
    return rig;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    theRig();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto& rig = theRig();
    namespace Vk = delve::Vk;
    delve::fuzz::InputReader in{data, size};
    const uint8_t control = in.u8();
    const int cursorX = in.u8(), cursorY = in.u8();
    rig.reset();
    rig.patchUnits(in);

    if (control & 3) rig.mapMode();
    rig.setCursor(cursorX * 640 / 256, cursorY * 480 / 256);
    rig.setKey(Vk::RightButton, control & 0x40);
    for (int i = 0; i < (control & 3); ++i) rig.movementFrame();
    rig.setKey(Vk::RightButton, false);

    if (control & 12) rig.firstPersonMode();
    rig.setCursor(cursorX * 320 / 256, cursorY * 240 / 256);
    rig.setKey(Vk::LeftButton, control & 0x10);
    rig.setKey(Vk::KeyZ, control & 0x20);
    for (int i = 0; i < ((control >> 2) & 3); ++i) rig.movementFrame();
    return 0;
}
