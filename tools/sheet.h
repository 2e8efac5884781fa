#pragma once
// Review sheets: every picture with its catalogue index, and the overworld.
#include <cstdint>
#include <vector>

#include "tools/canvas.h"

namespace delve::art {

struct SheetItem {
    int index;
    const Canvas* picture;
    bool keyed; // drawn over a backdrop with the transparent key left out
};

// Pictures in the given order on a grid, each scaled to fit a 64-pixel
// square and labelled with its index; wide pictures get a row of their own.
Canvas contactSheet(const std::vector<SheetItem>& items);

// Pictures side by side, each enlarged `scale` times, for close review.
Canvas zoomSheet(const std::vector<Canvas>& pictures, int scale);

// One layer of cell codes as a map, `scale` pixels per cell.
Canvas overworldPicture(const uint8_t* cells, int side, int scale);
// Colour the map picture uses for a cell code.
Rgb overworldColour(uint8_t code);

} // namespace delve::art
