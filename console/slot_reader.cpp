#include "console/slot_reader.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/digest.h"
#include "platform/files.h"

namespace delve {

namespace fs = std::filesystem;

namespace {

// Whether a failure to read means the slot is broken (Damaged) rather than
// kept from us (Unreadable: permissions, a failing disk).
bool meansDamaged(int error) {
    return error == ENOENT || error == NotRegularFile || error == FileTooLarge ||
           error == FileCutShort;
}

// Which file of a game a size and digest are compared with: one of the
// three, or the contest file (SlotFileCount).
constexpr int ContestFile = SlotFileCount;

bool listsFile(const SlotDigests& game, int file, uint64_t size, uint64_t digest) {
    if (file == ContestFile)
        return game.hasContest && game.contestSize == size && game.contestDigest == digest;
    return game.size[file] == size && game.digest[file] == digest;
}

bool checkListsFile(const SlotCheck& check, int file, uint64_t size, uint64_t digest) {
    return listsFile(check.current, file, size, digest) ||
           (check.hasPrevious && listsFile(check.previous, file, size, digest));
}

// True when a file of the kind `file` with this size and digest is one
// that another slot's check file lists: a file copied in from another game.
bool belongsToAnotherSlot(FileStore& files, const fs::path& dir, int slot, int file,
                          uint64_t size, uint64_t digest) {
    for (int other = FirstSlot; other <= LastSlot; ++other) {
        if (other == slot) continue;
        std::vector<uint8_t> text;
        if (files.readWholeFile(slotCheckPath(dir, other).string(), text, CheckFileLimit) != 0)
            continue;
        SlotCheck check;
        if (!parseSlotCheck(std::string(text.begin(), text.end()), check)) continue;
        if (checkListsFile(check, file, size, digest)) return true;
    }
    return false;
}

} // namespace

SlotState readSlot(const fs::path& dir, int slot, SlotImage& image, FileStore& store,
                   bool keepBytes) {
    image.reset();

    std::vector<uint8_t> checkBytes;
    const int checkError =
        store.readWholeFile(slotCheckPath(dir, slot).string(), checkBytes, CheckFileLimit);
    const bool checkExists = checkError != ENOENT;

    StoreFile files[SlotFileCount] = {StoreFile(store), StoreFile(store), StoreFile(store)};
    int present = 0;
    bool complete = true;
    int unreadable = checkExists && checkError != 0 && !meansDamaged(checkError) ? checkError : 0;
    for (int i = 0; i < SlotFileCount; ++i) {
        const int err = store.openForReading(slotFilePath(dir, slot, SlotFileKinds[i]).string(),
                                             files[i].handle());
        if (err != ENOENT) ++present;
        uint64_t size = 0;
        if (err == 0 && store.fileSize(files[i].get(), size) == 0 && size == SlotFileSizes[i]) {
            image.digests.size[i] = size;
            continue;
        }
        complete = false;
        if (err != 0 && !meansDamaged(err) && unreadable == 0) unreadable = err;
    }
    if (present == 0 && !checkExists) return SlotState::Empty;
    if (unreadable != 0) {
        image.error = unreadable;
        return SlotState::Unreadable;
    }
    if (!complete) return SlotState::Damaged;

    // Read (or only digest) every byte of the files.
    for (int i = 0; i < SlotFileCount; ++i) {
        uint8_t* into = nullptr;
        if (keepBytes) {
            image.bytes[i].resize(size_t(SlotFileSizes[i]));
            into = image.bytes[i].data();
        }
        uint64_t digest = 0;
        const int err = store.readDigested(files[i].get(), SlotFileSizes[i], into, digest);
        if (err != 0) {
            if (meansDamaged(err)) return SlotState::Damaged; // shrank while we read
            image.error = err;
            return SlotState::Unreadable;
        }
        image.digests.digest[i] = digest;
    }

    auto refuse = [&](SlotState state) {
        image.contest.clear();
        return state;
    };
    // Files saved before check files existed have only their sizes to go by;
    // nothing vouches for a contest file beside them.
    if (!checkExists) return SlotState::Valid;
    SlotCheck check;
    if (checkError != 0 || !parseSlotCheck(std::string(checkBytes.begin(), checkBytes.end()), check))
        return refuse(SlotState::Damaged);

    // The contest file counts only where the check file names one, and is
    // read only then.
    const bool contestNamed =
        check.current.hasContest || (check.hasPrevious && check.previous.hasContest);
    std::vector<uint8_t> contest;
    const int contestError =
        contestNamed ? store.readWholeFile(slotFilePath(dir, slot, ContestFileKind).string(),
                                           contest, ContestFileLimit)
                     : 0;
    const uint64_t contestDigest = contestNamed ? fnv1a64(contest.data(), contest.size()) : 0;
    auto sameGame = [&](const SlotDigests& listed) {
        for (int i = 0; i < SlotFileCount; ++i)
            if (image.digests.size[i] != listed.size[i] ||
                image.digests.digest[i] != listed.digest[i])
                return false;
        return !listed.hasContest || (contestError == 0 && contest.size() == listed.contestSize &&
                                      contestDigest == listed.contestDigest);
    };
    const SlotDigests* game = sameGame(check.current)                          ? &check.current
                              : check.hasPrevious && sameGame(check.previous) ? &check.previous
                                                                              : nullptr;
    if (game) {
        image.checked = true;
        image.digests.hasContest = game->hasContest;
        if (game->hasContest) {
            image.digests.contestSize = game->contestSize;
            image.digests.contestDigest = game->contestDigest;
            if (keepBytes) image.contest = std::move(contest);
        }
        return SlotState::Valid;
    }
    // A named contest file that is there but could not be read.
    if (contestNamed && contestError != 0 && contestError != ENOENT && !meansDamaged(contestError)) {
        image.error = contestError;
        return refuse(SlotState::Unreadable);
    }
    // A file that neither game of this slot's check file lists, but another
    // slot's does, was copied in from that game; otherwise the slot holds a
    // mix of its own saves.
    for (int i = 0; i < SlotFileCount; ++i) {
        const uint64_t size = image.digests.size[i], digest = image.digests.digest[i];
        if (!checkListsFile(check, i, size, digest) &&
            belongsToAnotherSlot(store, dir, slot, i, size, digest))
            return refuse(SlotState::Foreign);
    }
    if (contestNamed && contestError == 0 &&
        !checkListsFile(check, ContestFile, contest.size(), contestDigest) &&
        belongsToAnotherSlot(store, dir, slot, ContestFile, contest.size(), contestDigest))
        return refuse(SlotState::Foreign);
    return refuse(SlotState::Mixed);
}

} // namespace delve
