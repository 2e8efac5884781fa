#include "tools/image_io.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "gfx/png.h"

namespace delve::art {

namespace {
void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}
} // namespace

std::vector<uint8_t> encodeBmp(const Canvas& c) {
    const size_t rowBytes = (size_t(c.width()) * 3 + 3) & ~size_t(3);
    const size_t dataBytes = rowBytes * size_t(c.height());
    std::vector<uint8_t> b(54 + dataBytes, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, uint32_t(b.size()));
    put32(b, 10, 54);                  // pixel data offset
    put32(b, 14, 40);                  // info header size
    put32(b, 18, uint32_t(c.width()));
    put32(b, 22, uint32_t(c.height())); // positive: bottom-up rows
    put16(b, 26, 1);                   // planes
    put16(b, 28, 24);                  // bits per pixel
    put32(b, 34, uint32_t(dataBytes));
    put32(b, 38, 2835);                // 72 dpi
    put32(b, 42, 2835);
    for (int y = 0; y < c.height(); ++y) {
        uint8_t* row = b.data() + 54 + size_t(c.height() - 1 - y) * rowBytes;
        for (int x = 0; x < c.width(); ++x) {
            Rgb p = c.get(x, y);
            row[x * 3] = p.b;
            row[x * 3 + 1] = p.g;
            row[x * 3 + 2] = p.r;
        }
    }
    return b;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

namespace {

// Writes an 8-bit PNG of `channels` (3: RGB, 4: RGBA) of top-down rows.
void writePngPixels(const std::string& path, int width, int height, int channels,
                    const uint8_t* pixels) {
    std::vector<uint8_t> encoded;
    if (encodePng(width, height, channels, pixels, encoded) != 0)
        throw std::runtime_error("cannot encode " + path);
    writeBytes(path, encoded);
}

} // namespace

void writePng(const std::string& path, const Canvas& c) {
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(c.width()) * size_t(c.height()) * 3);
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const Rgb px = c.get(x, y);
            rgb.insert(rgb.end(), {px.r, px.g, px.b});
        }
    writePngPixels(path, c.width(), c.height(), 3, rgb.data());
}

void writePngRgba(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
    if (rgba.size() != size_t(width) * size_t(height) * 4)
        throw std::invalid_argument("RGBA picture of the wrong size for " + path);
    writePngPixels(path, width, height, 4, rgba.data());
}

} // namespace delve::art
