#pragma once
// Terrain and map operations beside the overworld and the generator:
// writing the overworld file, a midpoint-displacement height field and its
// land classes, diagonal pinch tests, fills, wanderers, random test blocks
// and a marking room stamp. Nothing in the frame loop calls them.
#include <string>

#include "platform/clock.h"
#include "platform/rng.h"
#include "world/world.h"

namespace delve {

// Writes layer 0 to "<dataDir>/map/<number>.overworld" as a complete
// 65,536-byte file: the bytes go to a temporary file beside it that is then
// renamed over the old one, so a failed write leaves the old file whole.
// Waits 1,000 ms after a successful write. The map folder is not created.
// Returns true when the file was written.
bool saveOverworld(const WorldMap& map, Clock& clock, const std::string& dataDir, int number);

// Sets the height at (mx, my) between (ax, ay) and (bx, by) to their mean
// plus a random offset scaled by their distance and roughness, clamped to
// 1..maxHeight (and to 255, the largest height a cell holds). Returns false,
// drawing nothing, when (mx, my) already has a height or a point lies
// outside the grid's 0..256 range.
bool setEdgeMidpoint(HeightGrid& heights, Rng& rng, int ax, int ay, int mx, int my, int bx,
                     int by, float roughness, float maxHeight);

// Fills the height field inside the rectangle with corners (x0, y0) and
// (x1, y1) by recursive midpoint displacement; heights already set are kept.
// The caller clears the field and seeds the four corners first. Returns
// false when the rectangle is too small to subdivide (or leaves the grid).
bool displaceMidpoints(HeightGrid& heights, Rng& rng, int x0, int y0, int x1, int y1,
                       float roughness, float maxHeight);

// Land code of a height: 0-3 Plain, 4-10 Forest, 11-15 Hills, 16-18
// Mountain, 19 and up MountainHigh.
uint8_t landCodeOfHeight(uint8_t height);

// Writes the land code of height (x, y) into cell (x, y, layer). Cells on
// the map border (and layers outside the grid) are skipped without drawing;
// otherwise one random value is drawn and discarded first.
void classifyHeight(const HeightGrid& heights, WorldMap& map, Rng& rng, int x, int y, int layer);

// 1 when the 2 x 2 block with top-left (x, y) holds Rock on one diagonal and
// Floor on the other (two floors touching only at a corner); else 0.
int isDiagonalPinch(const WorldMap& map, int x, int y, int layer);
// 1 at the first pinch whose top-left lies in the inclusive rectangle
// (top-left cells outside 0..254 are skipped); else 0.
int rectHasDiagonalPinch(const WorldMap& map, int x0, int y0, int x1, int y1, int layer);

// Writes code into every cell of the inclusive rectangle that is not on the
// map border (1..254 in x and y).
void fillRectInside(WorldMap& map, int x0, int y0, int x1, int y1, int layer, uint8_t code);

// Stamps the current template scratch at the last stamp origin and layer
// like the generator's stampRoom (but 'p' always as TemplateMark) and puts
// 15 into the mark grid under every cell it writes. Returns 0.
int stampRoomMarked(World& world);

} // namespace delve
