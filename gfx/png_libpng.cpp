// The desktop's PNG encoder: libpng.
#include <png.h>

#include <cerrno>
#include <vector>

#include "gfx/png.h"

namespace delve {

namespace {

void appendToVector(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void flushNothing(png_structp) {}

} // namespace

int encodePng(int width, int height, int channels, const uint8_t* pixels, std::vector<uint8_t>& out) {
    out.clear();
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4)) return EINVAL;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        return ENOMEM;
    }
    const size_t rowBytes = size_t(width) * size_t(channels);
    volatile bool ok = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &out, appendToVector, flushNothing);
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
                     channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y)
            png_write_row(png, const_cast<png_bytep>(pixels + size_t(y) * rowBytes));
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    if (ok) return 0;
    out.clear();
    return ENOMEM;
}

} // namespace delve
