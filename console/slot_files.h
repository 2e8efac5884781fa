#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"

#include "platform/digest.h"
#include "units/unit_record.h"
#include "world/world_map.h"

namespace delve {

constexpr int FirstSlot = 1;
constexpr int LastSlot = 12;

// The three files of a slot: raw images of the grid, the unit table and
// the four game variables, with exactly these sizes.
enum SlotFile { MapFile = 0, UnitFile = 1, VariablesFile = 2, SlotFileCount = 3 };
constexpr uint64_t SlotFileSizes[SlotFileCount] = {WorldBytes, Units::byteSize(), 16};
constexpr const char* SlotFileKinds[SlotFileCount] = {"mainmap", "unit", "variables"};

// The contest's file beside them: what the app hands over, at most 4 KiB.
constexpr const char* ContestFileKind = "contest";
constexpr uint64_t ContestFileLimit = 4096;

// "<dir>/SAVEGAME<slot>.<kind>"; the check file's kind is "check".
std::filesystem::path slotFilePath(const std::filesystem::path& dir, int slot, const char* kind);
std::filesystem::path slotCheckPath(const std::filesystem::path& dir, int slot);
// The temporary name a file is written under before it replaces the old one.
std::filesystem::path slotTempPath(const std::filesystem::path& path);

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
// Strict parser: anything but the exact format is refused.
bool parseSlotCheck(const std::string& text, SlotCheck& check);

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
struct SlotImage {
    std::vector<uint8_t> bytes[SlotFileCount]; // empty unless read with keepBytes
    // The contest file, when the game the check file names has one
    // (digests.hasContest); a contest file it does not name is ignored.
    std::vector<uint8_t> contest;
    SlotDigests digests;
    bool checked = false; // a check file vouched for the files
    int error = 0;        // why the slot was Unreadable (errno or a files.h code)
};

// Reads the slot's files read-only (never creating one), checks their sizes
// and, where a check file exists, their digests and those of the contest
// file it names. With keepBytes the bytes stay in `image` for loading;
// otherwise only the digests are kept.
SlotState readSlot(const std::filesystem::path& dir, int slot, SlotImage& image,
                   bool keepBytes = true);

// Creates `dir` and its parents when missing; the errno of the failure, or 0.
int ensureSlotFolder(const std::filesystem::path& dir);

// A file written under its temporary name (created exclusively, a stale
// file or a planted link removed first) and flushed to disk by finish().
class SlotFileWriter {
public:
    int open(const std::filesystem::path& finalPath);
    int write(const void* data, size_t size); // also adds the bytes to digest()
    // Flushes the temporary file to disk and closes it.
    int finish();
    // Removes the temporary file (an abandoned save).
    void discard();
    const std::string& finalPath() const { return final_; }
    const std::string& tempPath() const { return temp_; }
    uint64_t digest() const { return digest_.value; }
    uint64_t written() const { return written_; }

private:
    std::string final_;
    std::string temp_;
    File file_;
    bool created_ = false;
    int error_ = 0;
    uint64_t written_ = 0;
    SlotDigest digest_;
};

// Puts finished temporary files in place of the slot's files one rename at
// a time, keeping each replaced file under a second name until commit()
// (after the last rename) drops them. rollBack() puts every replaced file
// back and removes new files that replaced nothing, so a failed save leaves
// the slot as it was. Dropped without either (a save cut off), everything
// stays as a crash would leave it.
class SlotReplacement {
public:
    explicit SlotReplacement(std::filesystem::path dir) : dir_(std::move(dir)) {}
    SlotReplacement(const SlotReplacement&) = delete;
    SlotReplacement& operator=(const SlotReplacement&) = delete;

    // Keeps the present file of `writer`'s name (if any) under its backup name.
    int keep(const SlotFileWriter& writer);
    // Renames the writer's temporary file over its real name.
    int replace(const SlotFileWriter& writer);
    int syncFolder();
    // Success: the kept files go.
    void commit();
    void rollBack();

private:
    struct Kept {
        std::string path;
        bool hadOld = false;
        bool replaced = false;
    };
    std::filesystem::path dir_;
    std::vector<Kept> kept_;
};

// The name a replaced slot file is kept under until a save completes.
std::filesystem::path slotBackupPath(const std::filesystem::path& path);

} // namespace delve
