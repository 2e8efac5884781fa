#include "gfx/png.h"

#include <cerrno>
#include <vector>

#include "platform/output_file.h"

namespace delve {

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
    return encodePng(width, height, 3, rgb.data(), out);
}

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
