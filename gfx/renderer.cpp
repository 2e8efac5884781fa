#include "gfx/renderer.h"

#include <cmath>
#include <cstring>

namespace delve::matrix {

namespace {
constexpr double Pi = 3.14159265358979323846;
}

void identity(float m[16]) {
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void multiply(float out[16], const float a[16], const float b[16]) {
    float r[16];
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row)
            r[c * 4 + row] = a[row] * b[c * 4] + a[4 + row] * b[c * 4 + 1] +
                             a[8 + row] * b[c * 4 + 2] + a[12 + row] * b[c * 4 + 3];
    std::memcpy(out, r, sizeof r);
}

void rotate(float m[16], float degrees, float x, float y, float z) {
    const float s = float(std::sin(double(degrees) * Pi / 180.0));
    const float c = float(std::cos(double(degrees) * Pi / 180.0));
    float r[16];
    identity(r);
    // Rotations about one axis are built exactly; any other axis goes
    // through the general axis-angle rotation matrix, as glRotatef makes it.
    if (y == 0.0f && z == 0.0f && x != 0.0f) {
        r[5] = c;
        r[10] = c;
        r[9] = x < 0.0f ? s : -s;
        r[6] = x < 0.0f ? -s : s;
    } else if (x == 0.0f && y == 0.0f && z != 0.0f) {
        r[0] = c;
        r[5] = c;
        r[4] = z < 0.0f ? s : -s;
        r[1] = z < 0.0f ? -s : s;
    } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
        r[0] = c;
        r[10] = c;
        r[8] = y < 0.0f ? -s : s;
        r[2] = y < 0.0f ? s : -s;
    } else {
        const float len = std::sqrt(x * x + y * y + z * z);
        if (len == 0.0f) return;
        x /= len;
        y /= len;
        z /= len;
        const float k = 1.0f - c;
        r[0] = x * x * k + c;
        r[4] = x * y * k - z * s;
        r[8] = x * z * k + y * s;
        r[1] = y * x * k + z * s;
        r[5] = y * y * k + c;
        r[9] = y * z * k - x * s;
        r[2] = x * z * k - y * s;
        r[6] = y * z * k + x * s;
        r[10] = z * z * k + c;
    }
    multiply(m, m, r);
}

void translate(float m[16], float x, float y, float z) {
    m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
    m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
    m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
    m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
}

void perspective(float m[16], double fovy, double aspect, double zNear, double zFar) {
    const double radians = fovy / 2.0 * Pi / 180.0;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0.0 || sine == 0.0 || aspect == 0.0) return;
    const double cotangent = std::cos(radians) / sine;
    float p[16] = {};
    p[0] = float(cotangent / aspect);
    p[5] = float(cotangent);
    p[10] = float(-(zFar + zNear) / deltaZ);
    p[11] = -1.0f;
    p[14] = float(-2.0 * zNear * zFar / deltaZ);
    multiply(m, m, p);
}

void applyCamera(float m[16], const Camera& camera) {
    rotate(m, camera.pitch, 1.0f, 0.0f, 0.0f);
    rotate(m, 180.0f - camera.yaw, 0.0f, 0.0f, 1.0f);
    rotate(m, 180.0f, 1.0f, 0.0f, 0.0f);
    translate(m, camera.subX - 0.5f, camera.subY - 0.5f, camera.subZ - 0.5f);
}

} // namespace delve::matrix
