#pragma once
#include <cstdint>

#include "world/world.h"

namespace delve {

constexpr int RoomTemplateCount = 44;

// One room template: W x H cells, rows top to bottom; 'd' floor, 'p' mark,
// anything else keeps the rock.
struct RoomTemplate {
    int width;
    int height;
    const char* const* rows; // height strings of at least width characters
};

// The 44 templates by index (29 shares 28's shape, 32 shares 6's).
const RoomTemplate& roomTemplate(int templateId);

// The template's 990-character text: 33 rows of 30, row 0 the header
// "jk" + width letter + height letter + "0" padding, then the cell rows
// padded with '0'. Fills out[0..989]; out must hold 991 bytes.
void templateText(int templateId, char* out);

// Footprint width and height of a template under a rotation (an unknown
// template gives 0 x 0, an unknown rotation counts as 0):
// 0 as stored (W x H), 1 quarter turn counter-clockwise (H x W),
// 2 mirrored about the main diagonal (H x W), 3 flipped top to bottom (W x H).
void templateFootprint(TemplateScratch& scratch, int templateId, int rotation);

// Clears the scratch, sets the footprint and writes 1 for each floor cell
// and 3 for each mark at its rotated position.
void decodeTemplate(TemplateScratch& scratch, int templateId, int rotation);

// The decoded grid of a template and rotation, built once (what
// decodeTemplate copies into the scratch).
const TemplateScratch& decodedTemplate(int templateId, int rotation);

} // namespace delve
