#pragma once
// The files of a save slot: their kinds, names and sizes.
#include <cstdint>
#include <filesystem>

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
// The check file names the games the files should hold (slot_check.h).
constexpr const char* CheckFileKind = "check";
constexpr uint64_t CheckFileLimit = 4096;

// "<dir>/SAVEGAME<slot>.<kind>"; the check file's kind is "check".
std::filesystem::path slotFilePath(const std::filesystem::path& dir, int slot, const char* kind);
std::filesystem::path slotCheckPath(const std::filesystem::path& dir, int slot);
// The temporary name a file is written under before it replaces the old one.
std::filesystem::path slotTempPath(const std::filesystem::path& path);
// The name a replaced slot file is kept under until a save completes.
std::filesystem::path slotBackupPath(const std::filesystem::path& path);

} // namespace delve
