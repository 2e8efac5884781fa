#pragma once
#include <cstdint>

#include "platform/shell.h"
#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"
#include "gfx/text.h"
#include "path/path_finder.h"
#include "units/unit_record.h"
#include "world/world_map.h"

namespace delve {

constexpr int RoadPicture = 22;         // marks the selected unit's remaining path and cell
constexpr double SelectionRadius = 448.0;

// Catalogue index of the tile drawn for a cell code, -1 for codes drawn as nothing.
int mapTileIndex(uint8_t code);

// Cells of the view to tint over their tiles and under the units: one byte
// a cell, row by row from the view's lower-left cell (columns * rows bytes
// of the current mode), non-zero for a tinted cell.
struct MapCellTint {
    const uint8_t* cells = nullptr;
    uint8_t r = 0, g = 0, b = 0;
};

// The top-down view of layer SZ from (SX, SY): 16-pixel tiles, the tinted
// cells if any, the selected unit's remaining path, circle and marker, then
// every visible unit with its sprite, health bar and label. Reads the
// world, units and finder only.
void drawMapView(Screen& screen, TextBuffer& text, const BitmapCatalogue& pictures,
                 const WorldMap& map, const Units& units, const PathFinder& finder,
                 const TrigTables& trig, const Shell& shell, const MapCellTint* tint = nullptr);

} // namespace delve
