#pragma once
// Writing a save slot: each file whole under its temporary name, then all
// of them put in place so that a save cut off at any point leaves a slot
// the reader tells apart from either game.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "console/slot_files.h"
#include "platform/digest.h"
#include "platform/file_store.h"
#include "platform/output_file.h"

namespace delve {

// Creates `dir` and its parents when missing; the errno of the failure, or 0.
int ensureSlotFolder(const std::filesystem::path& dir, FileStore& files);

// One file of a save: an OutputFile under the slot's temporary name
// (slotTempPath; a stale one from a save cut off is replaced), its size
// and digest counted as it is written.
class SlotOutput {
public:
    int open(const std::filesystem::path& finalPath, FileStore& files);
    int write(const void* data, size_t size); // also adds the bytes to digest()
    // Flushes the temporary file to disk and closes it.
    int finish() { return out_.finish(); }
    // Removes the temporary file (an abandoned save).
    void discard() { out_.abandon(); }
    // Leaves the temporary file as a crash would (crash tests).
    void forget() { out_.forget(); }
    OutputFile& file() { return out_; }
    const std::string& finalPath() const { return out_.target(); }
    uint64_t digest() const { return digest_.value; }
    uint64_t written() const { return written_; }

private:
    OutputFile out_;
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
    SlotReplacement(std::filesystem::path dir, FileStore& files)
        : dir_(std::move(dir)), files_(files) {}
    SlotReplacement(const SlotReplacement&) = delete;
    SlotReplacement& operator=(const SlotReplacement&) = delete;

    // Keeps the present file of `output`'s name (if any) under its backup name.
    int keep(const SlotOutput& output);
    // Renames the output's finished temporary file over its real name.
    int replace(SlotOutput& output);
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
    FileStore& files_;
    std::vector<Kept> kept_;
};

} // namespace delve
