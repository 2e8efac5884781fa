#include "gfx/png.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace delve {

bool writePngBottomUp(const std::string& path, int width, int height, const uint8_t* rgba) {
    if (width <= 0 || height <= 0) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    std::vector<uint8_t> row(size_t(width) * 3);
    bool ok = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, f);
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = height - 1; y >= 0; --y) {
            const uint8_t* src = rgba + size_t(y) * size_t(width) * 4;
            for (int x = 0; x < width; ++x) {
                row[size_t(x) * 3 + 0] = src[x * 4 + 0];
                row[size_t(x) * 3 + 1] = src[x * 4 + 1];
                row[size_t(x) * 3 + 2] = src[x * 4 + 2];
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0 && ok;
}

} // namespace delve
