#include "tools/art.h"

#include <stdexcept>

namespace delve::art {

Canvas paintPicture(const std::string& folder, const std::string& name) {
    if (folder == "bmp_cross") return paintCross(name);
    if (folder == "bmp_land") return paintLand(name);
    if (folder == "bmp_dungeon") return paintDungeon(name);
    if (folder == "bmp_unit") return paintUnit(name);
    if (folder == "bmp_item") return paintItem(name);
    if (folder == "bmp_structure") return paintStructure(name);
    if (folder == "bmp_scr") return paintScreen(name);
    if (folder == "bmp_cube") return paintCube(name);
    throw std::invalid_argument("no picture folder " + folder);
}

} // namespace delve::art
