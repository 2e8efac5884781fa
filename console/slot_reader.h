#pragma once
// Reading a save slot whole and telling a good one from an empty, damaged,
// mixed or foreign one before anything of it is used.
#include <cstdint>
#include <filesystem>
#include <vector>

#include "console/slot_check.h"
#include "platform/file_store.h"

namespace delve {

enum class SlotState {
    Valid,      // all three files complete and consistent
    Empty,      // no file of the slot exists
    Damaged,    // a file is missing, of the wrong size, or the check file is broken
    Mixed,      // complete files that belong to different saves of this slot
    Foreign,    // a file belongs to a game another slot holds
    Unreadable, // a file exists but could not be read (see SlotImage::error)
};

// A slot read whole into memory and checked, so that loading can replace
// the live game only once everything is known to be good.
// One image can serve load after load: readSlot reuses its buffers, so a
// caller that keeps it does not ask for 14 MB of fresh memory every time.
struct SlotImage {
    // The files' bytes, when readSlot returned Valid and was asked to keep
    // them; otherwise whatever the buffers last held.
    std::vector<uint8_t> bytes[SlotFileCount];
    // The contest file, when the game the check file names has one
    // (digests.hasContest); a contest file it does not name is ignored.
    std::vector<uint8_t> contest;
    SlotDigests digests;
    bool checked = false; // a check file vouched for the files
    int error = 0;        // why the slot was Unreadable (errno or a files.h code)

    // Forgets what was read; the buffers stay for the next read.
    void reset() {
        contest.clear();
        digests = SlotDigests{};
        checked = false;
        error = 0;
    }
};

// Reads the slot's files from `files` read-only (never creating one), checks their sizes
// and, where a check file exists, their digests and those of the contest
// file it names. With keepBytes the bytes stay in `image` for loading;
// otherwise only the digests are kept.
SlotState readSlot(const std::filesystem::path& dir, int slot, SlotImage& image,
                   FileStore& files, bool keepBytes = true);

} // namespace delve
