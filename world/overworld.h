#pragma once
#include <string>

#include "platform/clock.h"
#include "world/world_map.h"

namespace delve {

constexpr int OverworldFileBytes = LayerSize; // 65,536: layer 0, row after row

// "<dataDir>/map/<number>.overworld".
std::string overworldPath(const std::string& dataDir, int number);

// Reads up to 65,536 bytes of the overworld file into layer 0 (byte
// y * 256 + x is cell (x, y, 0)), then waits 1,000 ms through the clock.
// The file is opened read-only and never created: a missing or short file
// leaves the cells it does not reach as they were. When the map folder
// itself is missing nothing is read and nothing is waited.
// Anything but a regular file (a FIFO, a device) is refused without waiting
// on it. Returns the number of bytes read, or -1 when the file could not be
// opened; `error` (when given) receives why (see platform/files.h), 0 if
// nothing went wrong.
int loadOverworld(WorldMap& map, Clock& clock, const std::string& dataDir, int number,
                  int* error = nullptr);

// What a user needs to hear about an overworld load that returned `bytesRead`
// with `error`: why a file could not be read ("is a folder", "is a named
// pipe (FIFO)", "no such file or directory" ...), or the size of an empty or
// short one. Empty when the whole layer was read.
std::string overworldProblem(const std::string& path, int bytesRead, int error);

} // namespace delve
