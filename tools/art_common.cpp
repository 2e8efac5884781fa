#include "tools/art_common.h"

#include <cmath>

namespace delve::art {

Canvas noiseTile(int size, Rgb base, float amount, uint32_t seed) {
    Canvas c(size, size, base);
    int cell = size >= 32 ? 8 : 4;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float soft = valueNoise(float(x), float(y), cell, seed, size) - 0.5f;
            float grain = hash01(x, y, seed + 101) - 0.5f;
            c.set(x, y, safe(shade(base, 1.0f + (soft * 1.2f + grain * 0.8f) * amount)));
        }
    return c;
}

void paintBlocks(Canvas& c, int blockW, int blockH, Rgb stone, Rgb mortar, float toneSpread,
                 uint32_t seed) {
    const int w = c.width(), h = c.height();
    for (int y = 0; y < h; ++y) {
        int row = y / blockH, inY = y % blockH;
        int offset = (row % 2) * (blockW / 2);
        for (int x = 0; x < w; ++x) {
            int sx = (x + offset) % w;
            int col = sx / blockW, inX = sx % blockW;
            if (inY == blockH - 1 || inX == blockW - 1) {
                c.set(x, y, safe(shade(mortar, 0.9f + hash01(x, y, seed + 5) * 0.2f)));
                continue;
            }
            bool left = inX == 0, right = inX == blockW - 2, top = inY == 0, bottom = inY == blockH - 2;
            if ((left || right) && (top || bottom)) { // worn, rounded corners
                c.set(x, y, safe(mix(mortar, stone, 0.45f)));
                continue;
            }
            float tone = 1.0f + (hash01(col, row, seed) - 0.5f) * toneSpread;
            float grain = (hash01(x, y, seed + 9) - 0.5f) * 0.14f;
            float pit = valueNoise(float(x), float(y), 4, seed + 3, w) < 0.22f ? -0.12f : 0.0f;
            float bevel = 0.0f;
            if (inY == 0 || inX == 0) bevel = 0.16f;            // lit top and left edges
            else if (inY == blockH - 2 || inX == blockW - 2) bevel = -0.18f; // shadowed lower edges
            c.set(x, y, safe(shade(stone, tone + grain + pit + bevel)));
        }
    }
}

} // namespace delve::art
