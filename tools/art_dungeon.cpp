// Dungeon tiles: rock, floors and the furniture that stands on them.
#include <cmath>
#include <stdexcept>

#include "tools/art.h"
#include "tools/art_common.h"

namespace delve::art {

namespace {

const Rgb FloorStone = hex(0x7a746c);
const Rgb Flame = hex(0xffb030);
const Rgb FlameHot = hex(0xfff0a0);
const Rgb FlameRed = hex(0xe0501e);

// Worn flagstones of uneven sizes; the joints line up across tile edges.
Canvas floorTile(uint32_t seed = 60) {
    Canvas c(16, 16);
    const int stones[][4] = {{0, 0, 9, 6}, {9, 0, 7, 9}, {0, 6, 5, 10}, {5, 6, 4, 5}, {5, 11, 11, 5}, {9, 9, 7, 2}};
    for (int k = 0; k < 6; ++k) {
        const int* r = stones[k];
        float tone = 0.92f + hash01(k, 0, 60) * 0.16f;
        for (int y = r[1]; y < r[1] + r[3]; ++y)
            for (int x = r[0]; x < r[0] + r[2]; ++x) {
                bool joint = x == r[0] + r[2] - 1 || y == r[1] + r[3] - 1;
                float grain = (hash01(x, y, seed) - 0.5f) * 0.12f;
                float bevel = (x == r[0] || y == r[1]) ? 0.08f : 0.0f;
                c.set(x, y, joint ? hex(0x4a4440) : shade(FloorStone, tone + grain + bevel));
            }
    }
    c.set(3, 3, shade(FloorStone, 0.85f)); // chips and wear
    c.set(12, 4, shade(FloorStone, 0.85f));
    c.set(9, 13, shade(FloorStone, 0.85f));
    return c;
}

Canvas wallTile() {
    // Solid rock seen from above: dark, rough and calm, so the lighter
    // flagstones of rooms and corridors stand out against it.
    Canvas c(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            float n = valueNoise(float(x), float(y), 8, 62, 16) * 0.7f + valueNoise(float(x), float(y), 4, 63, 16) * 0.3f;
            float grain = (hash01(x, y, 64) - 0.5f) * 0.16f;
            c.set(x, y, safe(shade(hex(0x3e3630), 0.8f + n * 0.45f + grain))); // lumps catch the light
        }
    // A few cracks and glints of quartz.
    c.line(2, 3, 5, 6, hex(0x241e1a));
    c.line(5, 6, 5, 8, hex(0x241e1a));
    c.line(10, 11, 13, 12, hex(0x241e1a));
    c.set(12, 4, hex(0x7a7064));
    c.set(4, 12, hex(0x6a6058));
    c.set(8, 9, hex(0x6a6058));
    return c;
}

Canvas marbleTile() {
    Canvas c(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool light = ((x / 8) + (y / 8)) % 2 == 0;
            Rgb base = light ? hex(0xe6e2dc) : hex(0xb8b2ae);
            float vein = std::sin((float(x) + float(y) * 0.7f) * 0.9f + valueNoise(float(x), float(y), 4, 68, 16) * 5.0f);
            if (vein > 0.93f) base = shade(base, 0.8f);
            c.set(x, y, shade(base, 0.97f + hash01(x, y, 68) * 0.06f));
        }
    c.line(0, 0, 15, 0, hex(0xf6f4f0));
    c.line(0, 8, 15, 8, hex(0xf6f4f0));
    c.line(7, 0, 7, 15, hex(0x8a8480));
    c.line(15, 0, 15, 15, hex(0x8a8480));
    return c;
}

void bone(Canvas& c, int x0, int y0, int x1, int y1) {
    Rgb b = hex(0xe8e0c8);
    c.line(x0, y0, x1, y1, b);
    c.set(x0 - 1, y0, b);
    c.set(x0, y0 - 1, b);
    c.set(x1 + 1, y1, b);
    c.set(x1, y1 + 1, b);
    c.set(x1 + 1, y1 + 1, hex(0xa89e88));
}

Canvas bonesTile(bool cleaned) {
    Canvas c = floorTile(161);
    if (cleaned) { // only dust, a stain and a chip of bone remain
        c.ellipse(8.0f, 9.0f, 4.5f, 3.0f, hex(0x6a625a));
        c.set(5, 6, hex(0xc8c0a8));
        c.set(11, 11, hex(0xc8c0a8));
        c.set(12, 11, hex(0xa89e88));
        return c;
    }
    // A skull and scattered long bones.
    Rgb b = hex(0xe8e0c8), bs = hex(0xa89e88);
    c.rect(3, 3, 5, 4, b);
    c.rect(4, 7, 3, 1, b);
    c.set(3, 3, bs);
    c.set(7, 3, bs);
    c.set(4, 4, Ink);
    c.set(6, 4, Ink);
    c.set(5, 6, bs);
    c.set(4, 7, bs);
    c.set(6, 7, bs);
    bone(c, 9, 4, 13, 8);
    bone(c, 3, 12, 8, 11);
    bone(c, 11, 13, 13, 11);
    c.set(9, 10, b);
    c.set(10, 10, b);
    return c;
}

Canvas chestTile(bool open) {
    Canvas c = floorTile(90);
    c.rect(2, 14, 13, 1, hex(0x3a3430)); // shadow
    c.rect(2, 8, 12, 6, Wood);
    c.rect(2, 13, 12, 1, WoodDark);
    c.rect(4, 8, 1, 6, GoldDark);
    c.rect(11, 8, 1, 6, GoldDark);
    if (!open) {
        c.rect(2, 4, 12, 4, shade(Wood, 1.15f)); // domed lid
        c.rect(3, 3, 10, 1, shade(Wood, 1.3f));
        c.rect(2, 7, 12, 1, WoodDark);
        c.rect(4, 3, 1, 5, Gold);
        c.rect(11, 3, 1, 5, Gold);
        c.rect(7, 7, 2, 3, Gold); // lock
        c.set(7, 8, Ink);
        c.frame(2, 3, 12, 11, WoodDark);
    } else {
        c.rect(2, 2, 12, 3, WoodDark); // lid standing open behind
        c.rect(3, 2, 10, 2, shade(Wood, 0.8f));
        c.rect(3, 5, 10, 3, hex(0x2a1c14)); // inside
        const int coins[][2] = {{4, 6}, {6, 5}, {8, 6}, {10, 5}, {11, 6}, {5, 7}, {9, 7}};
        for (auto& k : coins) c.set(k[0], k[1], Gold);
        c.set(7, 6, hex(0xd04040)); // a ruby
        c.set(6, 5, hex(0xfff0a0));
        c.frame(2, 5, 12, 9, WoodDark);
    }
    return c;
}

void flame(Canvas& c, int x, int y) {
    c.set(x, y - 2, FlameRed);
    c.set(x, y - 1, Flame);
    c.set(x, y, FlameHot);
    c.set(x - 1, y, Flame);
    c.set(x + 1, y, Flame);
}

Canvas candelabrumTile(bool lit) {
    Canvas c = floorTile(86);
    if (lit) { // warm light pooled on the floor
        Canvas glow = floorTile(86);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                float d = std::hypot(float(x) - 8.0f, float(y) - 7.0f);
                float a = std::max(0.0f, 1.0f - d / 8.5f) * 0.45f;
                c.set(x, y, mix(glow.get(x, y), hex(0xffd080), a));
            }
    }
    Rgb brass = hex(0xc89a3a), brassDark = hex(0x7a5a20);
    c.rect(5, 14, 7, 1, brassDark); // foot
    c.rect(6, 13, 5, 1, brass);
    c.rect(8, 7, 1, 6, brass);      // stem
    c.rect(3, 8, 11, 1, brass);     // arms
    c.rect(3, 6, 1, 2, brass);
    c.rect(13, 6, 1, 2, brass);
    Rgb wax = hex(0xf4ecd8);
    for (int x : {3, 8, 13}) {
        int top = x == 8 ? 4 : 5;
        c.rect(x, top, 1, (x == 8 ? 3 : 2), wax);
        if (lit) flame(c, x, top - 1);
        else {
            c.set(x, top - 1, hex(0x4a4440)); // wick
            c.set(x + 1, top - 3, hex(0x8a8682)); // smoke
            c.set(x, top - 4, hex(0x6a6662));
        }
    }
    return c;
}

Canvas coffinTile(bool open) {
    Canvas c = floorTile(88);
    // Hexagonal coffin, head at the top.
    auto shape = [&](int inset, Rgb col) {
        for (int y = 1 + inset; y < 15 - inset; ++y) {
            int half = y < 5 ? 2 + y / 2 : (y < 7 ? 5 : 5 - (y - 7) / 3);
            half -= inset;
            c.rect(8 - half, y, 2 * half, 1, col);
        }
    };
    c.rect(4, 15, 9, 1, hex(0x3a3430));
    shape(0, WoodDark);
    if (!open) {
        shape(1, hex(0x6a4028));
        c.rect(7, 4, 2, 8, hex(0xc8b890)); // a cross on the lid
        c.rect(5, 6, 6, 2, hex(0xc8b890));
        c.set(4, 3, hex(0x8a5a38));
    } else {
        shape(1, hex(0x2a1a18));
        c.rect(6, 4, 4, 2, hex(0x8a2a3a)); // red lining cushion
        c.set(7, 7, hex(0xd8d0b8));       // a few bones within
        c.set(8, 8, hex(0xd8d0b8));
        c.set(8, 9, hex(0xd8d0b8));
        c.line(12, 12, 15, 6, hex(0x6a4028)); // lid pushed aside
        c.line(13, 13, 15, 9, hex(0x6a4028));
    }
    return c;
}

Canvas doorTile(bool open) {
    Canvas c = floorTile(70);
    Rgb frame = hex(0x4a4036);
    c.rect(0, 0, 16, 2, frame);
    c.rect(0, 14, 16, 2, frame);
    c.rect(0, 0, 2, 16, hex(0x6a6258));
    c.rect(14, 0, 2, 16, hex(0x6a6258));
    if (!open) {
        c.rect(2, 2, 12, 12, Wood);
        for (int x = 2; x < 14; x += 3) c.rect(x, 2, 1, 12, WoodDark); // planks
        c.rect(2, 4, 12, 1, hex(0x4a4a52));  // iron bands
        c.rect(2, 11, 12, 1, hex(0x4a4a52));
        c.set(11, 8, Gold);                  // ring handle
        c.set(11, 9, GoldDark);
        c.set(3, 2, shade(Wood, 1.3f));
    } else {
        c.rect(2, 2, 12, 12, hex(0x3a3430)); // the dark opening shows floor beyond
        Canvas beyond = floorTile(71);
        for (int y = 3; y < 14; ++y)
            for (int x = 5; x < 14; ++x) c.set(x, y, shade(beyond.get(x, y), 0.7f));
        c.rect(2, 2, 3, 12, Wood); // door swung against the frame
        c.rect(4, 2, 1, 12, WoodDark);
        c.set(3, 4, hex(0x4a4a52));
        c.set(3, 11, hex(0x4a4a52));
    }
    return c;
}

// A stone pedestal holding a glowing orb of the given colour.
Canvas sourceTile(Rgb orb, bool spent) {
    Canvas c = floorTile(79);
    if (!spent)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                float d = std::hypot(float(x) - 7.5f, float(y) - 6.0f);
                c.set(x, y, mix(c.get(x, y), orb, std::max(0.0f, 1.0f - d / 8.0f) * 0.5f));
            }
    Rgb stone = hex(0x9a948a);
    c.rect(4, 12, 8, 3, shade(stone, 0.8f));
    c.rect(5, 9, 6, 3, stone);
    c.rect(5, 9, 1, 3, shade(stone, 1.2f));
    c.rect(4, 8, 8, 1, shade(stone, 1.1f));
    Rgb o = spent ? hex(0x5a5a62) : orb;
    c.disc(8.0f, 5.0f, 3.2f, shade(o, 0.7f));
    c.disc(8.0f, 5.0f, 2.6f, o);
    c.set(7, 4, spent ? hex(0x7a7a82) : shade(o, 1.6f));
    c.set(6, 4, spent ? hex(0x6a6a72) : shade(o, 1.3f));
    if (!spent) {
        c.set(2, 2, shade(orb, 1.5f));
        c.set(13, 3, shade(orb, 1.5f));
        c.set(12, 9, shade(orb, 1.3f));
    } else {
        c.line(7, 3, 9, 6, hex(0x3a3a40)); // cracked
    }
    return c;
}

// A painted sigil on the floor: used for spawn points and the circles.
Canvas circleTile(Rgb ink, Rgb glow, bool star, bool flames, uint32_t seed) {
    Canvas c = floorTile(seed);
    if (!(glow == Rgb{}))
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                float d = std::hypot(float(x) - 7.5f, float(y) - 7.5f);
                if (d < 7.5f) c.set(x, y, mix(c.get(x, y), glow, 0.25f));
            }
    c.ring(8.0f, 8.0f, 7.5f, 1.0f, ink);
    c.ring(8.0f, 8.0f, 5.5f, 1.0f, shade(ink, 0.8f));
    if (star) {
        const float pi = 3.14159265f;
        for (int k = 0; k < 5; ++k) {
            float a0 = -pi / 2 + float(k) * 2 * pi / 5, a1 = -pi / 2 + float((k + 2) % 5) * 2 * pi / 5;
            c.line(int(7.5f + std::cos(a0) * 5.0f), int(7.5f + std::sin(a0) * 5.0f),
                   int(7.5f + std::cos(a1) * 5.0f), int(7.5f + std::sin(a1) * 5.0f), ink);
        }
    } else {
        for (int k = 0; k < 8; ++k) { // rune marks between the rings
            float a = float(k) * 0.785f;
            c.set(int(7.5f + std::cos(a) * 6.5f), int(7.5f + std::sin(a) * 6.5f), shade(ink, 1.3f));
        }
        c.disc(8.0f, 8.0f, 1.6f, ink);
    }
    if (flames)
        for (int k = 0; k < 8; ++k) {
            float a = float(k) * 0.785f + 0.39f;
            flame(c, int(8.0f + std::cos(a) * 6.6f), int(8.0f + std::sin(a) * 6.6f));
        }
    return c;
}

Canvas fountainTile(bool drank) {
    Canvas c = floorTile(84);
    Rgb stone = hex(0xa8a298);
    c.disc(8.0f, 8.0f, 7.5f, shade(stone, 0.7f));
    c.disc(8.0f, 8.0f, 7.0f, stone);
    c.disc(8.0f, 8.0f, 5.5f, drank ? hex(0x4a4440) : hex(0x3a70b8));
    if (!drank) {
        c.disc(8.0f, 8.0f, 3.5f, hex(0x5a90d0));
        c.ring(8.0f, 8.0f, 4.5f, 1.0f, hex(0x8ac0f0));
        c.set(4, 5, hex(0xe0f0ff));
        c.set(11, 10, hex(0xe0f0ff));
    } else {
        c.disc(9.0f, 9.0f, 1.5f, hex(0x3a5a7a)); // a last puddle
        c.set(6, 6, hex(0x6a6460));
    }
    c.disc(8.0f, 8.0f, 1.5f, shade(stone, 1.15f)); // spout
    c.set(8, 7, drank ? stone : hex(0xe0f0ff));
    return c;
}

// Steps seen from above: down darkens into the depth, up brightens.
Canvas stairsTile(bool down) {
    Canvas c = floorTile(76);
    c.rect(1, 1, 14, 14, hex(0x3a3430));
    for (int s = 0; s < 5; ++s) {
        int y = 2 + s * 3;
        float depth = down ? 1.0f - float(s) * 0.17f : 0.45f + float(s) * 0.14f;
        Rgb step = shade(hex(0xb0a898), depth);
        int inset = down ? s : 4 - s;
        c.rect(2 + inset, y, 12 - 2 * inset, 2, step);
        c.rect(2 + inset, y, 12 - 2 * inset, 1, shade(step, 1.15f));
        c.rect(2 + inset, y + 2, 12 - 2 * inset, 1, shade(step, 0.55f));
    }
    // Arrow hint: down points into the dark, up toward the light.
    Rgb arrow = down ? hex(0xd86a3a) : hex(0x7ad86a);
    if (down) {
        c.line(7, 10, 8, 10, arrow);
        c.set(6, 9, arrow);
        c.set(9, 9, arrow);
    } else {
        c.line(7, 4, 8, 4, arrow);
        c.set(6, 5, arrow);
        c.set(9, 5, arrow);
    }
    return c;
}

Canvas altarTile(const std::string& kind) {
    Canvas c = floorTile(112);
    bool dark = kind == "dark";
    Rgb stone = dark ? hex(0x3a3240) : hex(0xc8c0b4);
    c.rect(2, 13, 13, 1, hex(0x2e2a28));
    c.rect(2, 6, 12, 7, shade(stone, 0.8f));
    c.rect(2, 4, 12, 3, stone);
    c.rect(2, 4, 12, 1, shade(stone, 1.2f));
    c.rect(4, 8, 8, 4, shade(stone, 0.65f)); // carved panel
    if (kind == "plain") {
        c.rect(6, 2, 4, 2, hex(0xf4ecd8)); // an offering candle pair and cloth
        c.set(6, 1, Flame);
        c.set(9, 1, Flame);
        c.rect(5, 4, 6, 1, hex(0x8a2a3a));
    } else if (kind == "jeweled") {
        c.rect(2, 4, 12, 1, Gold);
        c.set(5, 10, hex(0xe03040));
        c.set(8, 9, hex(0x40c0f0));
        c.set(11, 10, hex(0x40e060));
        c.set(8, 11, hex(0xb050f0));
        c.disc(8.0f, 2.5f, 1.6f, hex(0x40c0f0)); // a great gem on top
        c.set(7, 2, hex(0xd0f4ff));
    } else {
        c.rect(3, 5, 10, 1, hex(0x8a1a1a)); // blood runnels
        c.set(5, 6, hex(0x8a1a1a));
        c.set(10, 7, hex(0x8a1a1a));
        c.rect(7, 1, 2, 3, hex(0xe8e0c8)); // a skull
        c.set(7, 2, Ink);
        c.set(8, 2, Ink);
        c.set(8, 10, hex(0xe03030)); // red eye in the panel
    }
    return c;
}

Canvas trapTile(bool disabled) {
    Canvas c = floorTile(82);
    c.rect(2, 2, 12, 12, hex(0x4a4440));
    c.frame(2, 2, 12, 12, hex(0x2e2a28));
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) {
            int x = 4 + i * 4, y = 4 + j * 4;
            if (!disabled) {
                c.set(x, y, hex(0xd0d4dc));
                c.set(x, y + 1, hex(0x8a8e96));
                c.set(x + 1, y + 1, hex(0x5a5e66));
            } else {
                c.set(x, y + 1, hex(0x6a6e76)); // stubs filed flat
                c.set(x + 1, y + 1, hex(0x7a5a40));
            }
        }
    if (disabled) {
        c.line(3, 3, 12, 12, hex(0x8a6a40)); // a wedge jammed across
        c.line(4, 3, 13, 12, hex(0xa8844e));
    } else {
        c.set(3, 12, hex(0x8a1a1a));
    }
    return c;
}

Canvas torchTile(bool lit) {
    Canvas c = wallTile();
    if (lit)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                float d = std::hypot(float(x) - 8.0f, float(y) - 5.0f);
                c.set(x, y, mix(c.get(x, y), hex(0xffb050), std::max(0.0f, 1.0f - d / 8.0f) * 0.55f));
            }
    c.rect(6, 11, 4, 1, hex(0x4a4a52)); // iron sconce
    c.rect(7, 12, 2, 2, hex(0x4a4a52));
    c.rect(7, 6, 2, 5, Wood);
    c.rect(7, 6, 1, 5, shade(Wood, 1.2f));
    c.rect(6, 6, 4, 1, hex(0x3a2a20));
    if (lit) {
        c.rect(6, 3, 4, 3, Flame);
        c.rect(7, 2, 2, 4, FlameHot);
        c.set(7, 1, Flame);
        c.set(8, 0, FlameRed);
        c.set(5, 4, FlameRed);
        c.set(10, 4, FlameRed);
    } else {
        c.rect(7, 5, 2, 1, hex(0x2a2420)); // charred head
        c.set(8, 3, hex(0x8a8682));
        c.set(7, 1, hex(0x6a6662));
    }
    return c;
}

void gear(Canvas& c, float cx, float cy, float r, Rgb col) {
    c.disc(cx, cy, r, col);
    for (int k = 0; k < 8; ++k) {
        float a = float(k) * 0.785f;
        int x = int(std::lround(cx - 0.5f + std::cos(a) * (r + 0.8f)));
        int y = int(std::lround(cy - 0.5f + std::sin(a) * (r + 0.8f)));
        c.rect(x, y, 1, 1, col);
    }
    c.disc(cx, cy, r * 0.45f, shade(col, 0.55f));
    c.disc(cx - r * 0.3f, cy - r * 0.3f, r * 0.25f, shade(col, 1.3f));
}

Canvas gearTile() {
    Canvas c = floorTile(218);
    gear(c, 6.0f, 6.0f, 4.2f, hex(0xa8823a));
    gear(c, 11.5f, 11.0f, 3.2f, hex(0x8a8e96));
    c.set(6, 6, Ink);
    c.set(11, 11, Ink);
    return c;
}

Canvas leverTile() {
    Canvas c = floorTile(219);
    c.rect(4, 10, 8, 4, hex(0x5a5e66)); // base plate
    c.rect(4, 10, 8, 1, hex(0x8a8e96));
    c.rect(7, 11, 2, 2, Ink);
    c.line(8, 11, 12, 3, hex(0x8a8e96)); // handle thrown to the right
    c.line(7, 11, 11, 3, hex(0xb8bcc4));
    c.disc(12.0f, 3.0f, 1.6f, hex(0xc03030));
    c.set(11, 2, hex(0xf08080));
    return c;
}

Canvas scrollsTile() {
    Canvas c = floorTile(100);
    Rgb paper = hex(0xe8dcb0), paperDark = hex(0xb8a878);
    auto scroll = [&](int x, int y, int len, bool vertical) {
        for (int i = 0; i < len; ++i) {
            int px = vertical ? x : x + i, py = vertical ? y + i : y;
            c.set(px, py, paper);
            c.set(px + (vertical ? 1 : 0), py + (vertical ? 0 : 1), paperDark);
        }
        int ex = vertical ? x : x + len - 1, ey = vertical ? y + len - 1 : y;
        c.set(ex, ey, Wood);
        c.set(x, y, Wood);
    };
    scroll(2, 3, 9, false);
    scroll(4, 7, 10, false);
    scroll(12, 9, 5, true);
    // An opened sheet with lines of writing and a red seal.
    c.rect(2, 10, 8, 5, paper);
    for (int y = 11; y < 14; ++y) c.line(3, y, 8 - (y % 2) * 2, y, hex(0x6a5a40));
    c.set(9, 14, hex(0xc03030));
    c.set(8, 14, hex(0xa02020));
    return c;
}

} // namespace

Canvas paintDungeon(const std::string& name) {
    std::string n = name.substr(0, name.size() - 4);
    if (n == "wall") return wallTile();
    if (n == "floor") return floorTile();
    if (n == "floor_marble") return marbleTile();
    if (n == "floor_bones") return bonesTile(false);
    if (n == "floor_bones_cleaned") return bonesTile(true);
    if (n == "chest") return chestTile(false);
    if (n == "chest_open") return chestTile(true);
    if (n == "candelabrum") return candelabrumTile(true);
    if (n == "candelabrum_extinct") return candelabrumTile(false);
    if (n == "coffin") return coffinTile(false);
    if (n == "coffin_open") return coffinTile(true);
    if (n == "door") return doorTile(false);
    if (n == "door_opened") return doorTile(true);
    if (n == "source") return sourceTile(hex(0x9ae8ff), false);
    if (n == "source_complete") return sourceTile(hex(0x9ae8ff), true);
    if (n == "source_red") return sourceTile(hex(0xf03a3a), false);
    if (n == "source_green") return sourceTile(hex(0x3ae060), false);
    if (n == "source_blue") return sourceTile(hex(0x3a6af0), false);
    if (n == "source_yellow") return sourceTile(hex(0xf0d83a), false);
    if (n == "source_brown") return sourceTile(hex(0xa8703a), false);
    if (n == "spawn") return circleTile(hex(0xb040e0), hex(0x8020c0), true, false, 80);
    if (n == "spawn_complete") return circleTile(hex(0x5a4a62), Rgb{}, true, false, 81);
    if (n == "circle") return circleTile(hex(0xb8c8d8), Rgb{}, false, false, 108);
    if (n == "circle_golden") return circleTile(Gold, hex(0xc0a030), false, false, 111);
    if (n == "circle_aflamed") return circleTile(hex(0xe0501e), hex(0xff8030), false, true, 109);
    if (n == "fountain") return fountainTile(false);
    if (n == "fountain_drank") return fountainTile(true);
    if (n == "stairsd") return stairsTile(true);
    if (n == "stairsu") return stairsTile(false);
    if (n == "altar") return altarTile("plain");
    if (n == "altar_jeweled") return altarTile("jeweled");
    if (n == "altar_dark") return altarTile("dark");
    if (n == "trap") return trapTile(false);
    if (n == "trap_disabled") return trapTile(true);
    if (n == "torch") return torchTile(true);
    if (n == "torch_extinct") return torchTile(false);
    if (n == "geer_mecanism") return gearTile();
    if (n == "lever") return leverTile();
    if (n == "scrolls") return scrollsTile();
    throw std::invalid_argument("dungeon picture " + name);
}

} // namespace delve::art
