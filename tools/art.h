#pragma once
// Delve's pictures, painted by code. Each group paints its files by name;
// an unknown name throws std::invalid_argument.
#include <string>

#include "tools/canvas.h"

namespace delve::art {

Canvas paintCross(const std::string& name);
Canvas paintLand(const std::string& name);
Canvas paintDungeon(const std::string& name);
Canvas paintUnit(const std::string& name);
Canvas paintItem(const std::string& name);
Canvas paintStructure(const std::string& name);
Canvas paintScreen(const std::string& name);
Canvas paintCube(const std::string& name);

// The picture stored as `name` in data folder `folder` (e.g. "bmp_land").
Canvas paintPicture(const std::string& folder, const std::string& name);

// Draws a decimal number with a 3 x 5 digit font, top-left at (x, y).
void drawNumber(Canvas& c, int x, int y, int value, Rgb colour, int scale = 1);

} // namespace delve::art
