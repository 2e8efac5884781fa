#include "views/edge_overlay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/shell.h"
#include "gfx/framebuffer.h"
#include "units/unit_record.h"
#include "views/first_person.h"

namespace delve {

namespace {

constexpr float SampleOffset = 0.06f;
constexpr int CellsPerAxis = 28;
constexpr int HalfSpan = 14;

bool insideWindow(const EdgePoint& p) {
    return p.column > 0 && p.column < ViewWidth && p.row > 0 && p.row < ViewHeight;
}

int16_t toInt16(double v) {
    if (!(v > -32768.0)) return -32768; // also NaN
    if (v > 32767.0) return 32767;
    return int16_t(v);
}

bool anyNotEmpty(const WorldMap& w, int x0, int y0, int z0, int x1, int y1, int z1, int x2, int y2,
                 int z2, int x3, int y3, int z3) {
    return w.cell(x0, y0, z0) != Cell::Empty || w.cell(x1, y1, z1) != Cell::Empty ||
           w.cell(x2, y2, z2) != Cell::Empty || w.cell(x3, y3, z3) != Cell::Empty;
}

} // namespace

void EdgeOverlay::allocate() {
    edgePointTable = ZeroedArray<EdgePoint>(size_t(EdgePointCount));
    depthImage.assign(size_t(ViewWidth) * ViewHeight, 0.0f);
}

void EdgeOverlay::release() {
    edgePointTable = {};
    depthImage = {};
}

bool EdgeOverlay::ready() const {
    return edgePointTable.size() == size_t(EdgePointCount) &&
           depthImage.size() == size_t(ViewWidth) * ViewHeight;
}

void applyFirstPersonCamera(EdgeOverlay& overlay, const FirstPersonView& view, float subX,
                            float subY, float subZ) {
    matrix::applyCamera(overlay.modelView,
                        Camera{view.walk.cameraPitch, view.walk.cameraYaw, subX, subY, subZ});
}

int projectPoint(EdgeOverlay& overlay, float x, float y, float z) {
    // The model-view and projection transforms in double, as gluProject does.
    const float* m = overlay.modelView;
    const float* p = overlay.projection;
    const double in[4] = {x, y, z, 1.0};
    double eye[4], clip[4];
    for (int i = 0; i < 4; ++i)
        eye[i] = in[0] * m[i] + in[1] * m[4 + i] + in[2] * m[8 + i] + in[3] * m[12 + i];
    for (int i = 0; i < 4; ++i)
        clip[i] = eye[0] * p[i] + eye[1] * p[4 + i] + eye[2] * p[8 + i] + eye[3] * p[12 + i];
    if (clip[3] == 0.0) return 0;
    const double nx = clip[0] / clip[3] * 0.5 + 0.5;
    const double ny = clip[1] / clip[3] * 0.5 + 0.5;
    const double nz = clip[2] / clip[3] * 0.5 + 0.5;
    const int* v = overlay.viewport;
    overlay.projectedX = float(nx * v[2] + v[0]);
    overlay.projectedY = float(ny * v[3] + v[1]);
    overlay.projectedDepth = float(nz);
    return 1;
}

int pointHidden(EdgeOverlay& overlay, float x, float y, float z) {
    if (!overlay.ready()) return 1;
    const float d = SampleOffset;
    const float samples[12][3] = {
        {x + d, y + d, z}, {x - d, y - d, z}, {x + d, y - d, z}, {x - d, y + d, z},
        {x + d, y, z + d}, {x - d, y, z - d}, {x - d, y, z + d}, {x + d, y, z - d},
        {x, y + d, z + d}, {x, y - d, z - d}, {x, y - d, z + d}, {x, y + d, z - d},
    };
    for (const auto& s : samples) {
        // A sample that cannot be projected counts as off screen.
        if (!projectPoint(overlay, s[0], s[1], s[2])) return 1;
        const float px = overlay.projectedX, py = overlay.projectedY;
        // Written so that a NaN projection also counts as off screen.
        if (!(px > 0.0f && py > 0.0f && px < float(ViewWidth) && py < float(ViewHeight)))
            return 1;
        const size_t index = size_t(int(py)) * ViewWidth + size_t(int(px));
        if (overlay.depthImage[index] >= overlay.projectedDepth) return 0;
    }
    return 1;
}

void drawCellEdges(EdgeOverlay& overlay, Screen& screen, const WorldMap& world,
                   const Units& units, const Shell& shell, const FirstPersonView& view) {
    if (!overlay.ready()) return;
    const UnitRecord& hero = units[HeroUnit];
    matrix::identity(overlay.modelView);
    applyFirstPersonCamera(overlay, view, hero.subX, hero.subY, hero.subZ);
    float camera[16];
    std::memcpy(camera, overlay.modelView, sizeof camera);
    const int SX = shell.SX, SY = shell.SY, SZ = shell.SZ;
    for (int i = 0; i < CellsPerAxis; ++i) {
        const int L = SZ - HalfSpan + i;
        for (int j = 0; j < CellsPerAxis; ++j) {
            const int R = SY - HalfSpan + j;
            for (int k = 0; k < CellsPerAxis; ++k) {
                const int C = SX - HalfSpan + k;
                if (!(C > 0 && C < 255 && R > 0 && R < 255 && L > 0 && L < 179)) continue;
                const int t = j * 100 + k + i * 10000;
                const EdgePoint& P = overlay.edgePointTable[size_t(t)];
                if (!insideWindow(P)) continue;
                std::memcpy(overlay.modelView, camera, sizeof camera);
                matrix::translate(overlay.modelView, float(C - SX), float(SY - R), float(L - SZ));
                // The cheap cell test goes before the visibility tests; the
                // edges drawn are the same.
                const EdgePoint& Qc = overlay.edgePointTable[size_t(t + 1)];
                if (insideWindow(Qc) &&
                    anyNotEmpty(world, C, R, L, C, R + 1, L, C, R, L - 1, C, R + 1, L - 1) &&
                    !pointHidden(overlay, -0.5f, -0.5f, -0.5f) &&
                    !pointHidden(overlay, 0.5f, -0.5f, -0.5f))
                    drawLine(screen, P.column, P.row, Qc.column, Qc.row, 255, 255, 255);
                const EdgePoint& Qr = overlay.edgePointTable[size_t(t + 100)];
                if (insideWindow(Qr) &&
                    anyNotEmpty(world, C, R + 1, L, C, R + 1, L - 1, C - 1, R + 1, L, C - 1,
                                R + 1, L - 1) &&
                    !pointHidden(overlay, -0.5f, -0.5f, -0.5f) &&
                    !pointHidden(overlay, -0.5f, -1.5f, -0.5f))
                    drawLine(screen, P.column, P.row, Qr.column, Qr.row, 255, 255, 255);
                const EdgePoint& Ql = overlay.edgePointTable[size_t(t + 10000)];
                if (insideWindow(Ql) &&
                    anyNotEmpty(world, C, R, L, C - 1, R, L, C, R + 1, L, C - 1, R + 1, L) &&
                    !pointHidden(overlay, -0.5f, -0.5f, -0.5f) &&
                    !pointHidden(overlay, -0.5f, -0.5f, 0.5f))
                    drawLine(screen, P.column, P.row, Ql.column, Ql.row, 255, 255, 255);
            }
        }
    }
    std::memcpy(overlay.modelView, camera, sizeof camera);
}

void captureEdgeOverlay(EdgeOverlay& overlay, const Units& units, const Shell& shell,
                        const FirstPersonView& view) {
    if (!overlay.ready()) return;
    (void)shell; // the lattice is relative to the view origin, so only offsets matter
    if (!view.renderer) return;
    Renderer& r = *view.renderer;
    r.readDepth(ViewWidth, ViewHeight, overlay.depthImage.data());
    r.projection(overlay.projection, overlay.viewport);

    const UnitRecord& hero = units[HeroUnit];
    matrix::identity(overlay.modelView);
    applyFirstPersonCamera(overlay, view, hero.subX, hero.subY, hero.subZ);
    double m[16], p[16];
    int viewport[4];
    for (int i = 0; i < 16; ++i) {
        m[i] = overlay.modelView[i];
        p[i] = overlay.projection[i];
    }
    for (int i = 0; i < 4; ++i) viewport[i] = overlay.viewport[i];

    // Clip-space transform of the combined matrices (column-major, as GL).
    double pm[16];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += p[k * 4 + r] * m[c * 4 + k];
            pm[c * 4 + r] = s;
        }
    for (int i = 0; i < EdgeLatticeSpan; ++i)
        for (int j = 0; j < EdgeLatticeSpan; ++j)
            for (int k = 0; k < EdgeLatticeSpan; ++k) {
                // Cell (SX - 14 + k, SY - 14 + j, SZ - 14 + i) sits at
                // (k - 14, 14 - j, i - 14); its lattice corner half a cell back.
                const double x = k - HalfSpan - 0.5, y = HalfSpan - j - 0.5,
                             z = i - HalfSpan - 0.5;
                double clip[4];
                for (int r = 0; r < 4; ++r)
                    clip[r] = pm[r] * x + pm[4 + r] * y + pm[8 + r] * z + pm[12 + r];
                EdgePoint& e = overlay.edgePointTable[size_t(i * 10000 + j * 100 + k)];
                // A point at or behind the eye has no place in the window.
                if (!(clip[3] > 1e-9)) {
                    e = EdgePoint{-1, -1, 0};
                    continue;
                }
                const double nx = clip[0] / clip[3], ny = clip[1] / clip[3];
                e.column = toInt16(std::floor(viewport[0] + viewport[2] * (nx + 1.0) / 2.0));
                e.row = toInt16(std::floor(viewport[1] + viewport[3] * (ny + 1.0) / 2.0));
                e.unused = 0;
            }
}

} // namespace delve
