#include "views/first_person.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/shell.h"
#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"
#include "units/unit_record.h"

namespace delve {

namespace {

constexpr int CubeSpan = 28; // cells per axis of the drawn cube
constexpr int RockTexture = 1; // the cube texture of rock
// Every face lies on its own grid edge touching a cell of the cube (only
// the rock side draws it): the internal edges plus those across the border.
constexpr int MaxQuads = 3 * CubeSpan * CubeSpan * (CubeSpan - 1) + 6 * CubeSpan * CubeSpan;

// One face of the unit cube spanning -1..1: the neighbour it faces, its
// normal and four (texture coordinate, position) vertices in drawing order.
struct CubeFace {
    int nx, ny, nz; // neighbour offset in cells (x column, y row, z layer)
    float normal[3];
    float tex[4][2];
    float pos[4][3];
};

constexpr CubeFace CubeFaces[6] = {
    {0, 0, 1, {0, 0, 1}, {{0, 1}, {1, 1}, {1, 0}, {0, 0}},
     {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}},
    {0, 0, -1, {0, 0, -1}, {{1, 1}, {1, 0}, {0, 0}, {0, 1}},
     {{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}}},
    {0, -1, 0, {0, 1, 0}, {{0, 1}, {0, 0}, {1, 0}, {1, 1}},
     {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}}},
    {0, 1, 0, {0, -1, 0}, {{1, 1}, {0, 1}, {0, 0}, {1, 0}},
     {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}},
    {1, 0, 0, {1, 0, 0}, {{0, 1}, {1, 1}, {1, 0}, {0, 0}},
     {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}}},
    {-1, 0, 0, {-1, 0, 0}, {{0, 1}, {0, 0}, {1, 0}, {1, 1}},
     {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}}},
};

// Cells whose cube may be drawn: never the map's outer ring, layer 0 or 179,
// so every neighbour read stays inside the grid.
bool drawableCell(int x, int y, int z) {
    return x >= 1 && x < 255 && y >= 1 && y < 255 && z >= 1 && z < 179;
}

// The view volume of the fixed projection, in eye space, for whole cells:
// a cell is kept unless its bounding sphere lies entirely outside one of the
// near or side planes.
struct CellCuller {
    const float* m = nullptr; // column-major model-view matrix
    // Plane normals of the side planes: |y| <= -z tan(fovy/2), |x| <= -z tan(fovy/2) aspect.
    float ty = 0, cy = 0, tx = 0, cx = 0;

    explicit CellCuller(const float* matrix) : m(matrix) {
        const double halfY = std::tan(FieldOfViewDegrees / 2 * 3.14159265358979323846 / 180.0);
        const double halfX = halfY * double(float(ViewWidth) / float(ViewHeight));
        // Unit normals (a, b) of the planes y = -z * halfY and x = -z * halfX.
        ty = float(1.0 / std::sqrt(1.0 + halfY * halfY));
        cy = float(halfY / std::sqrt(1.0 + halfY * halfY));
        tx = float(1.0 / std::sqrt(1.0 + halfX * halfX));
        cx = float(halfX / std::sqrt(1.0 + halfX * halfX));
    }

    bool outside(float x, float y, float z) const {
        // A cell's corners lie within sqrt(3)/2 of its centre; a little more
        // covers rounding.
        constexpr float radius = 0.8661f + 0.01f;
        const float ex = m[0] * x + m[4] * y + m[8] * z + m[12];
        const float ey = m[1] * x + m[5] * y + m[9] * z + m[13];
        const float ez = m[2] * x + m[6] * y + m[10] * z + m[14];
        const float depth = -ez;
        if (depth < NearPlane - radius) return true;
        if (ey * ty - depth * cy > radius) return true;
        if (-ey * ty - depth * cy > radius) return true;
        if (ex * tx - depth * cx > radius) return true;
        if (-ex * tx - depth * cx > radius) return true;
        return false;
    }
};

} // namespace

FirstPersonView::FirstPersonView() : vertices(size_t(MaxQuads) * 4 * FloatsPerVertex) {}

int cameraUnit(const Units& units) {
    return units.selectedUnit >= 1 && units.selectedUnit < unitCapacity ? units.selectedUnit : 1;
}

bool backFacesNeverShow(const WorldMap& world, const UnitRecord& camera, float eye[3]) {
    const float sx = camera.subX, sy = camera.subY, sz = camera.subZ;
    if (!(sx >= 0.0f && sx <= 1.0f && sy >= 0.0f && sy <= 1.0f && sz >= 0.0f && sz <= 1.0f))
        return false;
    const int ux = camera.x, uy = camera.y, uz = camera.z;
    if (!drawableCell(ux, uy, uz)) return false;
    // The eye relative to its cell's centre, in the axes of the drawing.
    eye[0] = 0.5f - sx;
    eye[1] = 0.5f - sy;
    eye[2] = 0.5f - sz;
    // No rock may come nearer than the corners of the near plane (0.1 deep,
    // 45 degrees by 4:3: 0.122 from the eye), or clipping could open it up.
    constexpr float clearance = 0.13f;
    for (int dz = -1; dz <= 1; ++dz)
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                if (world.cell(ux + dx, uy + dy, uz + dz) != Cell::Rock) continue;
                const float gx = std::max(0.0f, std::fabs(eye[0] - float(dx)) - 0.5f);
                const float gy = std::max(0.0f, std::fabs(eye[1] + float(dy)) - 0.5f);
                const float gz = std::max(0.0f, std::fabs(eye[2] - float(dz)) - 0.5f);
                if (gx * gx + gy * gy + gz * gz < clearance * clearance) return false;
            }
    return true;
}

int collectRockFaces(FirstPersonView& view, const WorldMap& world, int ux, int uy, int uz,
                     const float* cameraMatrix, const float* eye) {
    const CellCuller culler(cameraMatrix);
    view.quadCount = 0;
    view.anyRockSeen = false;
    const int r = std::clamp(view.viewRadius, 1, CubeSpan / 2);
    // Only the drawable part of the cube is walked; the order (layer, row,
    // column, face) is the drawing order of the plain renderer.
    const int z0 = std::max(uz - r, 1), z1 = std::min(uz + r, 179);
    const int y0 = std::max(uy - r, 1), y1 = std::min(uy + r, 255);
    const int x0 = std::max(ux - r, 1), x1 = std::min(ux + r, 255);
    const uint8_t* cells = world.data();
    float* out = view.vertices.data();
    int quads = 0;
    bool anyRock = false;
    for (int z = z0; z < z1; ++z)
        for (int y = y0; y < y1; ++y) {
            const uint8_t* row = cells + cellIndex(0, y, z);
            for (int x = x0; x < x1; ++x) {
                if (row[x] != Cell::Rock) continue;
                anyRock = true;
                const uint8_t* c = row + x;
                const float cx = float(x - ux), cy = float(uy - y), cz = float(z - uz);
                if (cameraMatrix && culler.outside(cx, cy, cz)) continue;
                for (const CubeFace& f : CubeFaces) {
                    if (c[ptrdiff_t(f.nz) * LayerSize + f.ny * MapSide + f.nx] == Cell::Rock)
                        continue;
                    // A face seen from behind always has a nearer face in front of it.
                    if (eye && (eye[0] - cx) * f.normal[0] + (eye[1] - cy) * f.normal[1] +
                                       (eye[2] - cz) * f.normal[2] <= 0.5f)
                        continue;
                    for (int v = 0; v < 4; ++v) {
                        out[0] = f.tex[v][0];
                        out[1] = f.tex[v][1];
                        out[2] = f.normal[0];
                        out[3] = f.normal[1];
                        out[4] = f.normal[2];
                        out[5] = cx + 0.5f * f.pos[v][0];
                        out[6] = cy + 0.5f * f.pos[v][1];
                        out[7] = cz + 0.5f * f.pos[v][2];
                        out += FloatsPerVertex;
                    }
                    ++quads;
                }
            }
        }
    view.quadCount = quads;
    view.anyRockSeen = anyRock;
    return quads;
}

void drawCellsAroundCamera(FirstPersonView& view, const BitmapCatalogue& catalogue,
                           const WorldMap& world, const UnitRecord& camera) {
    (void)catalogue; // the renderer holds the textures made from it
    if (!view.renderer) return;
    Renderer& r = *view.renderer;
    const Camera eye{view.walk.cameraPitch, view.walk.cameraYaw, camera.subX, camera.subY,
                     camera.subZ};
    float cameraMatrix[16];
    r.beginCamera(eye, cameraMatrix);
    const int ux = camera.x, uy = camera.y, uz = camera.z;
    if (view.immediateMode) {
        // Every face of the cube, each submitted on its own.
        collectRockFaces(view, world, ux, uy, uz);
    } else {
        float eyeOffset[3];
        const bool cullBackFaces = view.cullBackFaces && backFacesNeverShow(world, camera, eyeOffset);
        collectRockFaces(view, world, ux, uy, uz, cameraMatrix, cullBackFaces ? eyeOffset : nullptr);
    }
    // A visited rock cell sets the cube state even when no face is left.
    if (view.anyRockSeen)
        r.drawQuads(view.vertices.data(), view.quadCount, RockTexture, view.immediateMode);
    r.endCamera();
}

void measureEmptyColour(FirstPersonView& view) {
    uint8_t pixel[3] = {};
    if (!view.renderer || !view.renderer->readColour(1, 1, pixel)) return;
    std::memcpy(view.emptyColour, pixel, 3);
    view.emptyColourKnown = true;
}

namespace {

bool pictureMode(const Screen& screen, const Shell& shell) {
    return shell.viewMode() == ViewMode::FirstPerson && shell.screenHeight == ViewHeight &&
           screen.width == ViewWidth && screen.height == ViewHeight;
}

// `under`: only into pixels not drawn since the framebuffer was cleared, as
// when the picture is copied in before anything else is drawn. Out of line
// so the fuzz build can leave its per-pixel loop out of coverage.
[[gnu::noinline]] void readAndCopyPicture(FirstPersonView& view, Screen& screen, const Shell& shell, bool under) {
    constexpr size_t pixels = size_t(ViewWidth) * ViewHeight;
    // The canvas of every screen mode holds the 3-byte picture; a canvas that
    // does not (no mode set yet) is left alone.
    if (screen.workCanvas.size() < pixels * 3) return;
    if (!view.renderer->readColour(ViewWidth, ViewHeight, screen.workCanvas.data())) return;

    if (!pictureMode(screen, shell)) return;
    const uint8_t er = view.emptyColour[0], eg = view.emptyColour[1], eb = view.emptyColour[2];
    const uint8_t* src = screen.workCanvas.data();
    uint8_t* dst = screen.framebuffer.data();
    for (size_t i = 0; i < pixels; ++i, src += 3, dst += 4) {
        if (src[0] == er && src[1] == eg && src[2] == eb) continue;
        if (under && dst[3] != 0) continue;
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
        dst[3] = 255;
    }
}

} // namespace

void copyViewToFramebuffer(FirstPersonView& view, Screen& screen, const Shell& shell) {
    if (!view.renderer) return;
    view.picturePending = false;
    if (view.renderer->composesPicture()) {
        if (!pictureMode(screen, shell)) return;
        view.renderer->composePicture(view.emptyColour);
        view.picturePending = true;
        return;
    }
    readAndCopyPicture(view, screen, shell, false);
}

void resolvePicture(FirstPersonView& view, Screen& screen, const Shell& shell) {
    if (!view.picturePending || !view.renderer) return;
    view.picturePending = false;
    readAndCopyPicture(view, screen, shell, true);
}

void drawFirstPersonView(FirstPersonView& view, Screen& screen, const BitmapCatalogue& catalogue,
                         const WorldMap& world, const Units& units, const Shell& shell) {
    view.picturePending = false;
    if (!view.renderer) return;
    view.renderer->clear();
    if (!view.emptyColourKnown) measureEmptyColour(view);

    drawCellsAroundCamera(view, catalogue, world, units[cameraUnit(units)]);
    copyViewToFramebuffer(view, screen, shell);
}

} // namespace delve
