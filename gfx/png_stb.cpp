// The browser's PNG encoder: there is no libpng there, and stb's writer
// encodes the same pixels.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

#include <cerrno>
#include <vector>

#include "gfx/png.h"

namespace delve {

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

} // namespace

int encodePng(int width, int height, int channels, const uint8_t* pixels, std::vector<uint8_t>& out) {
    out.clear();
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4)) return EINVAL;
    if (stbi_write_png_to_func(appendBytes, &out, width, height, channels, pixels,
                               width * channels))
        return 0;
    out.clear();
    return ENOMEM;
}

} // namespace delve
