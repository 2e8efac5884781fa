#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

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

// "<dir>/SAVEGAME<slot>.<kind>"; the check file's kind is "check".
std::filesystem::path slotFilePath(const std::filesystem::path& dir, int slot, const char* kind);
std::filesystem::path slotCheckPath(const std::filesystem::path& dir, int slot);
// The temporary name a file is written under before it replaces the old one.
std::filesystem::path slotTempPath(const std::filesystem::path& path);

// Sizes and digests of one complete game's three files.
struct SlotDigests {
    uint64_t size[SlotFileCount] = {};
    uint64_t digest[SlotFileCount] = {};
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
    Valid,    // all three files complete and consistent
    Empty,    // no file of the slot exists
    Damaged,  // a file is missing, of the wrong size, or the check file is unreadable
    Mixed,    // complete files that belong to different saves
    Unreadable,
};

// A slot opened for loading: the three files stay open, so what was checked
// is what gets read.
class SlotReader {
public:
    SlotReader() = default;
    SlotReader(const SlotReader&) = delete;
    SlotReader& operator=(const SlotReader&) = delete;
    ~SlotReader();

    // Opens the slot read-only (never creating a file) and checks sizes and,
    // where a check file exists, digests.
    SlotState open(const std::filesystem::path& dir, int slot);
    // Reads `size` bytes at `offset` of one file; false on a short read.
    bool read(SlotFile file, uint64_t offset, void* dest, size_t size);
    const SlotDigests& digests() const { return digests_; }

private:
    void close();
    int fds_[SlotFileCount] = {-1, -1, -1};
    SlotDigests digests_;
};

// Creates `dir` and its parents when missing; false when it cannot be made.
bool ensureSlotFolder(const std::filesystem::path& dir);

// A file written under its temporary name, flushed to disk, then renamed
// over the real one by commit().
class SlotFileWriter {
public:
    SlotFileWriter() = default;
    SlotFileWriter(const SlotFileWriter&) = delete;
    SlotFileWriter& operator=(const SlotFileWriter&) = delete;
    ~SlotFileWriter();

    bool open(const std::filesystem::path& finalPath);
    bool write(const void* data, size_t size); // also adds the bytes to digest()
    // Flushes the temporary file to disk and closes it.
    bool finish();
    // Renames the finished temporary file over the real one.
    bool commit();
    // Removes the temporary file (an abandoned save).
    void discard();
    uint64_t digest() const { return digest_.value; }
    uint64_t written() const { return written_; }

private:
    std::filesystem::path final_;
    std::filesystem::path temp_;
    int fd_ = -1;
    bool failed_ = false;
    uint64_t written_ = 0;
    SlotDigest digest_;
};

// Flushes a folder's entries (renames) to disk.
bool syncFolder(const std::filesystem::path& dir);

} // namespace delve
