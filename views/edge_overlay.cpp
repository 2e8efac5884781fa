#include "views/edge_overlay.h"

#include <algorithm>
#include <cmath>

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

// Model-space point to clip space: the model-view and projection transforms
// in double, as gluProject makes them.
void toClip(const EdgeProjection& p, double x, double y, double z, double clip[4]) {
    const double in[4] = {x, y, z, 1.0};
    double eye[4];
    for (int r = 0; r < 4; ++r)
        eye[r] = in[0] * double(p.modelView[r]) + in[1] * double(p.modelView[4 + r]) +
                 in[2] * double(p.modelView[8 + r]) + in[3] * double(p.modelView[12 + r]);
    for (int r = 0; r < 4; ++r)
        clip[r] = eye[0] * double(p.projection[r]) + eye[1] * double(p.projection[4 + r]) +
                  eye[2] * double(p.projection[8 + r]) + eye[3] * double(p.projection[12 + r]);
}

// Clip space (w not zero) to window column, row and depth.
void clipToWindow(const EdgeProjection& p, const double clip[4], double& wx, double& wy,
                  double& wz) {
    double n[3];
    for (int i = 0; i < 3; ++i) n[i] = clip[i] / clip[3] * 0.5 + 0.5;
    wx = n[0] * p.viewport[2] + p.viewport[0];
    wy = n[1] * p.viewport[3] + p.viewport[1];
    wz = n[2];
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

EdgeProjection cameraProjection(Renderer& renderer, const FirstPersonView& view, float subX,
                                float subY, float subZ) {
    EdgeProjection p;
    renderer.beginCamera(Camera{view.walk.cameraPitch, view.walk.cameraYaw, subX, subY, subZ},
                         p.modelView);
    renderer.endCamera();
    renderer.projection(p.projection, p.viewport);
    return p;
}

EdgeProjection translated(const EdgeProjection& p, float x, float y, float z) {
    EdgeProjection t = p;
    float* m = t.modelView;
    for (int r = 0; r < 4; ++r) m[12 + r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
    return t;
}

bool projectWithCopy(const EdgeProjection& p, double x, double y, double z, double& wx, double& wy,
                     double& wz) {
    double clip[4];
    toClip(p, x, y, z, clip);
    if (clip[3] == 0.0) return false;
    clipToWindow(p, clip, wx, wy, wz);
    return true;
}

int projectPoint(EdgeOverlay& overlay, float x, float y, float z) {
    double wx = 0, wy = 0, wz = 0;
    if (!projectWithCopy(overlay.current, x, y, z, wx, wy, wz)) return 0;
    overlay.projectedX = float(wx);
    overlay.projectedY = float(wy);
    overlay.projectedDepth = float(wz);
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
    if (!view.renderer) return;
    const UnitRecord& hero = units[HeroUnit];
    const EdgeProjection camera =
        cameraProjection(*view.renderer, view, hero.subX, hero.subY, hero.subZ);
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
                // The cell's frame, as glTranslatef would make it.
                overlay.current = translated(camera, float(C - SX), float(SY - R), float(L - SZ));
                // The cheap cell test goes before the visibility tests, and
                // the corner's test is made once for the three edges; the
                // edges drawn are the same.
                int cornerHidden = -1;
                auto cornerVisible = [&] {
                    if (cornerHidden < 0) cornerHidden = pointHidden(overlay, -0.5f, -0.5f, -0.5f);
                    return cornerHidden == 0;
                };
                const EdgePoint& Qc = overlay.edgePointTable[size_t(t + 1)];
                if (insideWindow(Qc) &&
                    anyNotEmpty(world, C, R, L, C, R + 1, L, C, R, L - 1, C, R + 1, L - 1) &&
                    cornerVisible() && !pointHidden(overlay, 0.5f, -0.5f, -0.5f))
                    drawLine(screen, P.column, P.row, Qc.column, Qc.row, 255, 255, 255);
                const EdgePoint& Qr = overlay.edgePointTable[size_t(t + 100)];
                if (insideWindow(Qr) &&
                    anyNotEmpty(world, C, R + 1, L, C, R + 1, L - 1, C - 1, R + 1, L, C - 1,
                                R + 1, L - 1) &&
                    cornerVisible() && !pointHidden(overlay, -0.5f, -1.5f, -0.5f))
                    drawLine(screen, P.column, P.row, Qr.column, Qr.row, 255, 255, 255);
                const EdgePoint& Ql = overlay.edgePointTable[size_t(t + 10000)];
                if (insideWindow(Ql) &&
                    anyNotEmpty(world, C, R, L, C - 1, R, L, C, R + 1, L, C - 1, R + 1, L) &&
                    cornerVisible() && !pointHidden(overlay, -0.5f, -0.5f, 0.5f))
                    drawLine(screen, P.column, P.row, Ql.column, Ql.row, 255, 255, 255);
            }
        }
    }
}

void captureEdgeOverlay(EdgeOverlay& overlay, const Units& units, const Shell& shell,
                        const FirstPersonView& view) {
    if (!overlay.ready()) return;
    (void)shell; // the lattice is relative to the view origin, so only offsets matter
    if (!view.renderer) return;
    view.renderer->readDepth(ViewWidth, ViewHeight, overlay.depthImage.data());

    const UnitRecord& hero = units[HeroUnit];
    const EdgeProjection camera =
        cameraProjection(*view.renderer, view, hero.subX, hero.subY, hero.subZ);

    for (int i = 0; i < EdgeLatticeSpan; ++i)
        for (int j = 0; j < EdgeLatticeSpan; ++j)
            for (int k = 0; k < EdgeLatticeSpan; ++k) {
                // Cell (SX - 14 + k, SY - 14 + j, SZ - 14 + i) sits at
                // (k - 14, 14 - j, i - 14); its lattice corner half a cell back.
                const double x = k - HalfSpan - 0.5, y = HalfSpan - j - 0.5,
                             z = i - HalfSpan - 0.5;
                EdgePoint& e = overlay.edgePointTable[size_t(i * 10000 + j * 100 + k)];
                // A point at or behind the eye (clip w not above zero) has
                // no place in the window.
                double clip[4];
                toClip(camera, x, y, z, clip);
                if (!(clip[3] > 1e-9)) {
                    e = EdgePoint{-1, -1, 0};
                    continue;
                }
                double wx = 0, wy = 0, wz = 0;
                clipToWindow(camera, clip, wx, wy, wz);
                e.column = toInt16(std::floor(wx));
                e.row = toInt16(std::floor(wy));
                e.unused = 0;
            }
}

} // namespace delve
