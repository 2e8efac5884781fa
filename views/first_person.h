#pragma once
#include <cstdint>
#include <vector>

#include "world/world_map.h"

namespace delve {

struct Screen;
struct BitmapCatalogue;
struct UnitRecord;
struct Units;
struct Shell;
class Input;

// Size of the rendered first-person picture and of its read-back.
constexpr int ViewWidth = 320;
constexpr int ViewHeight = 240;

// State of the first-person view: the camera angles, the last view origin
// that stood on rock, and the face arrays reused every frame.
struct FirstPersonView {
    float cameraYaw = 0.0f;   // heading in degrees, set from the cursor
    float cameraPitch = 0.0f; // pitch in degrees, set from the cursor
    int viewRadius = 14;      // the drawn cube runs 14 cells before to 13 after the camera
    int lastGoodSX = 1, lastGoodSY = 1, lastGoodSZ = 28;

    // The clear colour as this GL context reads it back (the driver's
    // rounding decides the blue byte); measured once per context.
    bool emptyColourKnown = false;
    uint8_t emptyColour[3] = {255, 0, 229};

    // Draw every face with its own glBegin/glEnd and matrix pushes, as the
    // plain immediate-mode renderer does; off = one vertex-array draw of the
    // same quads in the same order (the same picture, much faster).
    bool immediateMode = false;
    // Leave out faces seen from behind when nothing can show through (the
    // array renderer only): far less to rasterise, the same picture.
    bool cullBackFaces = true;

    // Quads collected for this frame: 4 vertices each of texture coordinate,
    // normal and position (model space relative to the camera's cell), 8
    // floats a vertex. Sized once, at construction, for the worst case.
    std::vector<float> vertices;
    int quadCount = 0;
    bool anyRockSeen = false; // a rock cell was visited, so the cube state was set

    FirstPersonView();

    // Call after every GL context creation: the next frame measures the
    // read-back of the clear colour again.
    void contextCreated() { emptyColourKnown = false; }
};

// The whole view, once per frame in the 320 x 240 mode: renders the rock
// around the camera (unit `selectedUnit`), walks and looks with the hero
// (unit 1), reads the picture back into the work canvas and copies every
// non-empty pixel into the framebuffer. Needs a current GL context with the
// fixed state and projection of the window layer.
void drawFirstPersonView(FirstPersonView& view, Screen& screen, const BitmapCatalogue& catalogue,
                         const WorldMap& world, Units& units, Shell& shell, Input& input);

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

// Walking, push-out, eye bob and cell carry for the hero (no GL).
void updateHero(FirstPersonView& view, const WorldMap& world, UnitRecord& hero, Shell& shell,
                Input& input);

// True on the frames the hero may take a step (every movementInterval/10
// frames).
bool isWalkingFrame(const Shell& shell);

// One step forward or backward along the camera heading, scaled by the pitch.
void stepHero(const FirstPersonView& view, UnitRecord& hero, bool forward);

// Puts the view origin back to the last one that stood on rock (and centres
// the hero) when the cell beneath the origin is not rock.
void checkGround(FirstPersonView& view, const WorldMap& world, UnitRecord& hero, Shell& shell);

// Code of the cell at the hero's cell plus the rounded-down offsets; 0
// outside the map.
uint8_t cellNearHero(const WorldMap& world, const UnitRecord& hero, float ox, float oy, float oz);

// Pushes the hero away from rock within 0.3 of (px, py) on its own layer.
void pushOutOfWalls(const WorldMap& world, UnitRecord& hero, float px, float py, float pz);

// Heading and pitch from the cursor while any mouse button is down.
void mouseLook(FirstPersonView& view, const Shell& shell, Input& input);

// Reads the 320 x 240 picture into the work canvas (RGB) and copies the
// non-empty pixels into the framebuffer in the 320 x 240 mode.
void copyViewToFramebuffer(FirstPersonView& view, Screen& screen, const Shell& shell);

// Reads back one cleared pixel to learn the empty colour of this context.
// Must be called right after a colour clear and before any drawing.
void measureEmptyColour(FirstPersonView& view);

} // namespace delve
