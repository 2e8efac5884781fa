#pragma once
// Painting helpers shared by the picture groups.
#include <cstdint>

#include "tools/canvas.h"

namespace delve::art {

// The palette the picture groups share: gilding and wood.
inline const Rgb Gold = hex(0xe8c040);
inline const Rgb GoldDark = hex(0xa07820);
inline const Rgb Wood = hex(0x8a5a32);
inline const Rgb WoodDark = hex(0x5a3820);

// A size x size square of `base` with soft mottling (value noise that tiles
// across the edges) plus fine per-pixel grain; `amount` is the strength.
Canvas noiseTile(int size, Rgb base, float amount, uint32_t seed);

// Mortared blocks: rows of `blockH` pixels, blocks `blockW` wide, every other
// row offset by half a block; each block's own tone, bevelled edges. Tiles.
void paintBlocks(Canvas& c, int blockW, int blockH, Rgb stone, Rgb mortar, float toneSpread,
                 uint32_t seed);

} // namespace delve::art
