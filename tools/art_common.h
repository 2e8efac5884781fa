#pragma once
// Painting helpers shared by the picture groups.
#include <cstdint>

#include "tools/canvas.h"

namespace delve::art {

// A size x size square of `base` with soft mottling (value noise that tiles
// across the edges) plus fine per-pixel grain; `amount` is the strength.
Canvas noiseTile(int size, Rgb base, float amount, uint32_t seed);

// Mortared blocks: rows of `blockH` pixels, blocks `blockW` wide, every other
// row offset by half a block; each block's own tone, bevelled edges. Tiles.
void paintBlocks(Canvas& c, int blockW, int blockH, Rgb stone, Rgb mortar, float toneSpread,
                 uint32_t seed);

} // namespace delve::art
