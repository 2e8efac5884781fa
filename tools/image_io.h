#pragma once
// File writers of the asset generator.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/canvas.h"

namespace delve::art {

// The bytes of an uncompressed 24-bit bottom-up BMP of the canvas (rows
// padded to four bytes as the format asks).
std::vector<uint8_t> encodeBmp(const Canvas& c);
// Writes bytes to a file, creating its folder; throws on failure.
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// Writes the canvas as an 8-bit RGB PNG; throws on failure.
void writePng(const std::string& path, const Canvas& c);
// Writes top-down RGBA bytes (width x height x 4) as an 8-bit RGBA PNG;
// throws on failure.
void writePngRgba(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

} // namespace delve::art
