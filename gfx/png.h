#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace delve {

// Encodes an 8-bit PNG of `channels` per pixel (3: RGB, 4: RGBA) from
// `pixels`, width x height of them packed row after row, top row first.
// 0, or an errno value (EINVAL for a picture of no pixels or another
// channel count).
int encodePng(int width, int height, int channels, const uint8_t* pixels, std::vector<uint8_t>& out);

// Writes an RGBA picture whose row 0 is the bottom row as an upright RGB
// PNG, replacing `path` in one step. Returns false when the file could not
// be written, with the reason in `error` (see platform/files.h) when given.
bool writePngBottomUp(const std::string& path, int width, int height, const uint8_t* rgba,
                      int* error = nullptr);
// The same picture encoded into `out`; 0, or an errno value.
int encodePngBottomUp(int width, int height, const uint8_t* rgba, std::vector<uint8_t>& out);

} // namespace delve
