#pragma once
#include <cstdint>
#include <vector>

#include "gfx/renderer.h"
#include "platform/zeroed_array.h"
#include "units/hero_walk.h"
#include "world/world_map.h"

namespace delve {

struct Screen;
struct BitmapCatalogue;
struct UnitRecord;
struct Units;
struct Shell;

// State of the first-person view: where the hero looks (the camera angles
// come from it) and the face arrays reused every frame.
struct FirstPersonView {
    HeroWalk walk;
    int viewRadius = 14; // the drawn cube runs 14 cells before to 13 after the camera

    // The clear colour as this GL context reads it back (the driver's
    // rounding decides the blue byte); measured once per context.
    bool emptyColourKnown = false;
    uint8_t emptyColour[3] = {255, 0, 229};

    // What draws the quads and reads the picture back; none draws nothing.
    Renderer* renderer = nullptr;

    // Submit every face of the cube on its own, as a plain immediate-mode
    // renderer does; off = one draw of the faces in view, in the same order
    // (the same picture, much faster).
    bool immediateMode = false;
    // Leave out faces seen from behind when nothing can show through (the
    // array renderer only): far less to rasterise, the same picture.
    bool cullBackFaces = true;

    // Quads collected for this frame: 4 vertices each of texture coordinate,
    // normal and position (model space relative to the camera's cell), 8
    // floats a vertex. Sized once, at construction, for the worst case.
    ZeroedArray<float> vertices; // zero pages: a frame touches only what it fills
    int quadCount = 0;
    bool anyRockSeen = false; // a rock cell was visited, so the cube state was set
    // This frame's picture is laid under the framebuffer by the renderer
    // when it presents instead of being copied in (see resolvePicture).
    bool picturePending = false;

    FirstPersonView();

    // Call after every GL context creation: the next frame measures the
    // read-back of the clear colour again.
    void contextCreated() { emptyColourKnown = false; }
};

// The whole view, once per frame in the 320 x 240 mode: renders the rock
// around the camera (unit `selectedUnit`) as it stands when the frame
// begins, reads the picture back into the work canvas and copies every
// non-empty pixel into the framebuffer. The hero's walking and mouse look
// follow it in the frame (updateHero, mouseLook). Needs a current GL
// context with the fixed state and projection of the window layer.
void drawFirstPersonView(FirstPersonView& view, Screen& screen, const BitmapCatalogue& catalogue,
                         const WorldMap& world, const Units& units, const Shell& shell);

// --- The parts of the frame, for tests and benchmarks -------------------

// The unit the camera follows: `selectedUnit` when it names a unit slot,
// else unit 1.
int cameraUnit(const Units& units);

// Collects the faces of the rock cells around (ux, uy, uz) that border open
// space into view.vertices (no GL); returns the quad count. With the GL
// model-view matrix of the camera (column-major), cells wholly outside the
// 45-degree, 4:3 view volume are left out, which changes no pixel.
// With the eye position (relative to the camera cell's centre, from
// backFacesNeverShow) faces seen from behind are left out too.
int collectRockFaces(FirstPersonView& view, const WorldMap& world, int ux, int uy, int uz,
                     const float* cameraMatrix = nullptr, const float* eye = nullptr);

// True when no face seen from behind can show in the picture: the eye stands
// in an open, drawable cell with no rock within reach of the near plane.
// Fills `eye` with the eye's position relative to its cell's centre.
bool backFacesNeverShow(const WorldMap& world, const UnitRecord& camera, float eye[3]);

// Renders the cube of cells around the camera unit with the current GL
// model-view matrix as the base.
void drawCellsAroundCamera(FirstPersonView& view, const BitmapCatalogue& catalogue,
                           const WorldMap& world, const UnitRecord& camera);

// Reads the 320 x 240 picture into the work canvas (RGB) and copies the
// non-empty pixels into the framebuffer in the 320 x 240 mode; a renderer
// that composes the picture itself is asked to, and nothing is read.
void copyViewToFramebuffer(FirstPersonView& view, Screen& screen, const Shell& shell);

// Copies a picture that the renderer was to lay under the framebuffer into
// the framebuffer now, for whoever reads the framebuffer itself (a
// screenshot); does nothing when the picture was copied in already.
void resolvePicture(FirstPersonView& view, Screen& screen, const Shell& shell);

// Reads back one cleared pixel to learn the empty colour of this context.
// Must be called right after a colour clear and before any drawing.
void measureEmptyColour(FirstPersonView& view);

} // namespace delve
