#pragma once
#include <cstdint>
#include <vector>

#include "gfx/renderer.h"
#include "platform/zeroed_array.h"
#include "world/world_map.h"

namespace delve {

struct Screen;
struct Units;
struct Shell;
struct FirstPersonView;

// One projected lattice point: window column and row (row counted from the
// bottom edge); the third value is not read.
struct EdgePoint {
    int16_t column = 0;
    int16_t row = 0;
    int16_t unused = 0;
};
static_assert(sizeof(EdgePoint) == 6);

constexpr int EdgePointCount = 1000000;
// Lattice points per axis the overlay reads: 28 cells and the far points.
constexpr int EdgeLatticeSpan = 29;

// A copy of the renderer's viewport and matrices (column-major, as GL keeps
// them), so that a point is projected without asking the renderer: the
// overlay makes tens of thousands of projections a frame.
struct EdgeProjection {
    float modelView[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    int viewport[4] = {0, 0, 1, 1};
};

// The viewport and matrices of the first-person camera (angles and the
// sub-cell position) as `renderer` draws with them.
EdgeProjection cameraProjection(Renderer& renderer, const FirstPersonView& view, float subX,
                                float subY, float subZ);
// The model-view matrix translated by (x, y, z) in single precision, as
// glTranslatef does it.
EdgeProjection translated(const EdgeProjection& p, float x, float y, float z);
// Model-space point to window column, row and depth with gluProject's
// arithmetic. False when the point has no projection (w = 0).
bool projectWithCopy(const EdgeProjection& p, double x, double y, double z, double& wx, double& wy,
                     double& wz);

// The inputs and results of the cell edge overlay. The table and the depth
// image are allocated once; `captureEdgeOverlay` fills them.
struct EdgeOverlay {
    // Record offsetLayer * 10000 + offsetRow * 100 + offsetColumn: the lattice
    // point at the (-0.5, -0.5, -0.5) corner of the cell at those offsets
    // from (SX - 14, SY - 14, SZ - 14).
    ZeroedArray<EdgePoint> edgePointTable; // zero pages until a frame fills them
    // Window depth of the nearest surface, index row * 320 + column.
    std::vector<float> depthImage;
    float projectedX = 0.0f, projectedY = 0.0f, projectedDepth = 0.0f;
    // The viewport and matrices projectPoint uses: those of the current
    // cell's frame.
    EdgeProjection current;

    void allocate();
    void release();
    bool ready() const;
};

// Projects a model-space point with the viewport and matrices of
// overlay.current (the frame drawCellEdges set up for the cell being
// tested) into projectedX/Y/Depth. Returns 1 on success, 0 when the point
// cannot be projected (the projected values are then left as they were).
int projectPoint(EdgeOverlay& overlay, float x, float y, float z);

// 0 when one of twelve samples 0.06 around the point is in front of the
// depth image, 1 when hidden, off screen or not projectable.
int pointHidden(EdgeOverlay& overlay, float x, float y, float z);

// Draws the lattice edges around the view origin as white lines into the
// framebuffer: an edge whose ends are both visible and which touches at
// least one cell that is not Empty. Uses the first-person camera of unit 1.
// The renderer is asked once; each cell's frame is the camera translated in
// a copy.
void drawCellEdges(EdgeOverlay& overlay, Screen& screen, const WorldMap& world,
                   const Units& units, const Shell& shell, const FirstPersonView& view);

// Fills the overlay's inputs for the current frame: the depth image read back
// by the view's renderer (call after the first-person view has rendered and before
// the next clear) and the lattice points projected through the camera that
// drawCellEdges applies.
void captureEdgeOverlay(EdgeOverlay& overlay, const Units& units, const Shell& shell,
                        const FirstPersonView& view);

} // namespace delve
