#pragma once
#include <cstdint>
#include <string>

namespace delve {

// Writes an RGBA picture whose row 0 is the bottom row as an upright RGB
// PNG. Returns false when the file could not be written.
bool writePngBottomUp(const std::string& path, int width, int height, const uint8_t* rgba);

} // namespace delve
