#pragma once
// The check file of a slot: the sizes and digests of the game its files
// should hold, and of the game they held before the last save began.
#include <cstdint>
#include <string>

#include "console/slot_files.h"

namespace delve {

// Sizes and digests of one complete game's three files, and of its
// contest file when it has one.
struct SlotDigests {
    uint64_t size[SlotFileCount] = {};
    uint64_t digest[SlotFileCount] = {};
    bool hasContest = false;
    uint64_t contestSize = 0;
    uint64_t contestDigest = 0;
    bool operator==(const SlotDigests&) const = default;
};

// The check file: the game the files should hold, and the game they held
// before the last save began (so a save cut off before any file was
// replaced still loads the old game).
struct SlotCheck {
    SlotDigests current;
    bool hasPrevious = false;
    SlotDigests previous;
};

std::string formatSlotCheck(const SlotCheck& check);
// Strict parser: anything but the exact format is refused, a number too
// large for its field included.
bool parseSlotCheck(const std::string& text, SlotCheck& check);

} // namespace delve
