#include "tools/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace delve::art {

namespace {
uint8_t clampByte(float v) {
    return uint8_t(std::clamp(int(std::lround(v)), 0, 255));
}
} // namespace

Rgb mix(Rgb a, Rgb b, float t) {
    return {clampByte(a.r + (b.r - a.r) * t), clampByte(a.g + (b.g - a.g) * t),
            clampByte(a.b + (b.b - a.b) * t)};
}

Rgb shade(Rgb c, float f) {
    if (f <= 1.0f) return {clampByte(c.r * f), clampByte(c.g * f), clampByte(c.b * f)};
    float t = std::min(f - 1.0f, 1.0f);
    return mix(c, Rgb{255, 255, 255}, t);
}

Rgb hex(uint32_t v) {
    return {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

Rgb safe(Rgb c) {
    if (c.r == 0 && c.g == 0 && c.b == 0) return Ink;
    return c;
}

float hash01(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xFFFFFF) / float(0xFFFFFF);
}

float valueNoise(float x, float y, int cell, uint32_t seed, int wrap) {
    float fx = x / float(cell), fy = y / float(cell);
    int ix = int(std::floor(fx)), iy = int(std::floor(fy));
    float tx = fx - float(ix), ty = fy - float(iy);
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    int period = wrap > 0 ? std::max(1, wrap / cell) : 0;
    auto at = [&](int gx, int gy) {
        if (period) {
            gx = ((gx % period) + period) % period;
            gy = ((gy % period) + period) % period;
        }
        return hash01(gx, gy, seed);
    };
    float a = at(ix, iy), b = at(ix + 1, iy), c = at(ix, iy + 1), d = at(ix + 1, iy + 1);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

Canvas::Canvas(int w, int h, Rgb fill) : w_(w), h_(h), px_(size_t(w) * size_t(h), fill) {}

Rgb Canvas::get(int x, int y) const {
    return px_[size_t(y) * size_t(w_) + size_t(x)];
}

void Canvas::set(int x, int y, Rgb c) {
    if (inside(x, y)) px_[size_t(y) * size_t(w_) + size_t(x)] = c;
}

void Canvas::blend(int x, int y, Rgb c, float a) {
    if (inside(x, y)) set(x, y, mix(get(x, y), c, a));
}

void Canvas::fill(Rgb c) {
    std::fill(px_.begin(), px_.end(), c);
}

void Canvas::rect(int x, int y, int w, int h, Rgb c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) set(i, j, c);
}

void Canvas::frame(int x, int y, int w, int h, Rgb c) {
    line(x, y, x + w - 1, y, c);
    line(x, y + h - 1, x + w - 1, y + h - 1, c);
    line(x, y, x, y + h - 1, c);
    line(x + w - 1, y, x + w - 1, y + h - 1, c);
}

void Canvas::line(int x0, int y0, int x1, int y1, Rgb c) {
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        set(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void Canvas::disc(float cx, float cy, float r, Rgb c) {
    ellipse(cx, cy, r, r, c);
}

void Canvas::ellipse(float cx, float cy, float rx, float ry, Rgb c) {
    for (int y = int(std::floor(cy - ry)); y <= int(std::ceil(cy + ry)); ++y)
        for (int x = int(std::floor(cx - rx)); x <= int(std::ceil(cx + rx)); ++x) {
            float dx = (float(x) + 0.5f - cx) / rx, dy = (float(y) + 0.5f - cy) / ry;
            if (dx * dx + dy * dy <= 1.0f) set(x, y, c);
        }
}

void Canvas::ring(float cx, float cy, float r, float thickness, Rgb c) {
    for (int y = int(std::floor(cy - r - 1)); y <= int(std::ceil(cy + r + 1)); ++y)
        for (int x = int(std::floor(cx - r - 1)); x <= int(std::ceil(cx + r + 1)); ++x) {
            float d = std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy);
            if (d <= r && d > r - thickness) set(x, y, c);
        }
}

void Canvas::stamp(int x, int y, const std::vector<std::string>& rows,
                   const std::vector<Legend>& legend, bool mirrorX) {
    for (size_t j = 0; j < rows.size(); ++j) {
        const std::string& row = rows[j];
        for (size_t i = 0; i < row.size(); ++i) {
            char ch = row[i];
            if (ch == '.' || ch == ' ') continue;
            for (const Legend& l : legend)
                if (l.ch == ch) {
                    int px = mirrorX ? x + int(row.size()) - 1 - int(i) : x + int(i);
                    set(px, y + int(j), l.c);
                    break;
                }
        }
    }
}

void Canvas::outline(Rgb c) {
    std::vector<Rgb> out = px_;
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            if (!(get(x, y) == Key)) continue;
            bool touches = false;
            const int d[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
            for (auto& o : d) {
                int nx = x + o[0], ny = y + o[1];
                if (inside(nx, ny) && !(get(nx, ny) == Key)) touches = true;
            }
            if (touches) out[size_t(y) * size_t(w_) + size_t(x)] = c;
        }
    px_ = std::move(out);
}

void Canvas::replace(Rgb from, Rgb to) {
    for (Rgb& p : px_)
        if (p == from) p = to;
}

void Canvas::paste(const Canvas& other, int x, int y) {
    for (int j = 0; j < other.height(); ++j)
        for (int i = 0; i < other.width(); ++i) {
            Rgb c = other.get(i, j);
            if (!(c == Key)) set(x + i, y + j, c);
        }
}

} // namespace delve::art
