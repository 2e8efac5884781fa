#pragma once
// The application icon: a stone doorway with stairs leading down into a
// lit dungeon, on a rounded tile of mortared blocks.
#include <cstdint>
#include <vector>

namespace delve::art {

// The icon at size x size pixels as top-down RGBA bytes, corners
// transparent. Every size is painted from the same shapes (supersampled),
// not scaled from another size.
std::vector<uint8_t> paintIcon(int size);

} // namespace delve::art
