#include "gfx/png.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/output_file.h"

#ifdef DELVE_PNG_STB
// The browser build has no libpng; stb's writer encodes the same pixels.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#else
#include <png.h>
#endif

namespace delve {

#ifdef DELVE_PNG_STB

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

} // namespace

int encodePngBottomUp(int width, int height, const uint8_t* rgba, std::vector<uint8_t>& out) {
    out.clear();
    if (width <= 0 || height <= 0) return EINVAL;
    // Upright RGB rows, top row first.
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rgba + size_t(height - 1 - y) * size_t(width) * 4;
        uint8_t* dst = rgb.data() + size_t(y) * size_t(width) * 3;
        for (int x = 0; x < width; ++x) {
            dst[x * 3 + 0] = src[x * 4 + 0];
            dst[x * 3 + 1] = src[x * 4 + 1];
            dst[x * 3 + 2] = src[x * 4 + 2];
        }
    }
    if (stbi_write_png_to_func(appendBytes, &out, width, height, 3, rgb.data(), width * 3))
        return 0;
    out.clear();
    return ENOMEM;
}

#else

namespace {

void appendToVector(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void flushNothing(png_structp) {}

} // namespace

int encodePngBottomUp(int width, int height, const uint8_t* rgba, std::vector<uint8_t>& out) {
    out.clear();
    if (width <= 0 || height <= 0) return EINVAL;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        return ENOMEM;
    }
    std::vector<uint8_t> row(size_t(width) * 3);
    volatile bool ok = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &out, appendToVector, flushNothing);
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
    if (ok) return 0;
    out.clear();
    return ENOMEM;
}

#endif

bool writePngBottomUp(const std::string& path, int width, int height, const uint8_t* rgba,
                      int* error) {
    // The picture is made in memory and then put in place in one step, so
    // a failed write never leaves half a file; the output rule refuses a
    // special file at the name instead of replacing or writing into it.
    std::vector<uint8_t> encoded;
    int err = encodePngBottomUp(width, height, rgba, encoded);
    if (err == 0) err = replaceFile(path, encoded.data(), encoded.size());
    if (error) *error = err;
    return err == 0;
}

} // namespace delve
