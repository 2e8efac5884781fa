#include "tools/image_io.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <stdexcept>

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

// Writes an 8-bit PNG of `channels` (3: RGB, 4: RGBA) whose rows `fillRow`
// provides top row first.
void writePngRows(const std::string& path, int width, int height, int channels,
                  const std::function<void(int, uint8_t*)>& fillRow) {
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!f) throw std::runtime_error("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng cannot start");
    }
    std::vector<uint8_t> row(size_t(width) * size_t(channels));
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng failed writing " + path);
    }
    png_init_io(png, f.get());
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        fillRow(y, row.data());
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(f.get()) != 0) throw std::runtime_error("cannot write " + path);
}

} // namespace

void writePng(const std::string& path, const Canvas& c) {
    writePngRows(path, c.width(), c.height(), 3, [&](int y, uint8_t* row) {
        for (int x = 0; x < c.width(); ++x) {
            Rgb px = c.get(x, y);
            row[size_t(x) * 3] = px.r;
            row[size_t(x) * 3 + 1] = px.g;
            row[size_t(x) * 3 + 2] = px.b;
        }
    });
}

void writePngRgba(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
    if (rgba.size() != size_t(width) * size_t(height) * 4)
        throw std::invalid_argument("RGBA picture of the wrong size for " + path);
    writePngRows(path, width, height, 4, [&](int y, uint8_t* row) {
        std::memcpy(row, rgba.data() + size_t(y) * size_t(width) * 4, size_t(width) * 4);
    });
}

} // namespace delve::art
