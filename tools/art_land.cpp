// Overworld tiles: ground, forests, water, relief, roads, villages and sites.
#include <cmath>
#include <stdexcept>

#include "tools/art.h"
#include "tools/art_common.h"

namespace delve::art {

namespace {

const Rgb Grass = hex(0x6f9a3e);

// Grass speckled with lighter blades and darker patches.
Canvas grassTile(uint32_t seed, Rgb base = Grass) {
    Canvas c = noiseTile(16, base, 0.10f, seed);
    for (int i = 0; i < 10; ++i) {
        int x = int(hash01(i, 1, seed) * 16), y = int(hash01(i, 2, seed) * 16);
        c.set(x, y, shade(base, 1.18f));
        c.set(x, y + 1, shade(base, 0.82f));
    }
    return c;
}

// A round broad-leaf crown with a lit upper-left and a shadow on the ground.
void roundTree(Canvas& c, int cx, int cy, int r, Rgb leaf, Rgb trunk, uint32_t seed) {
    c.ellipse(float(cx) + 1.5f, float(cy) + float(r) + 1.0f, float(r), 1.6f, shade(Grass, 0.62f));
    c.rect(cx, cy + r - 1, 1, 3, trunk);
    c.disc(float(cx) + 0.5f, float(cy) + 0.5f, float(r) + 0.5f, shade(leaf, 0.55f));
    c.disc(float(cx) + 0.5f, float(cy) + 0.5f, float(r), leaf);
    c.disc(float(cx) - 0.5f, float(cy) - 0.5f, float(r) * 0.55f, shade(leaf, 1.22f));
    for (int i = 0; i < r * 2; ++i) {
        int x = cx - r + int(hash01(i, 7, seed) * float(2 * r + 1));
        int y = cy - r + int(hash01(i, 8, seed) * float(2 * r + 1));
        if (c.get(x, y) == leaf) c.set(x, y, shade(leaf, 0.8f));
    }
}

// A conifer: stacked triangles of needles over a short trunk.
void pineTree(Canvas& c, int cx, int top, int h, Rgb needle, Rgb trunk) {
    c.ellipse(float(cx) + 2.0f, float(top + h) + 0.5f, 3.0f, 1.2f, shade(Grass, 0.62f));
    c.rect(cx, top + h - 1, 1, 2, trunk);
    for (int y = 0; y < h - 1; ++y) {
        int tier = y % 3;
        int half = (y * 3) / h + tier / 2 + (y > 0 ? 1 : 0) - 1;
        if (half < 0) half = 0;
        for (int x = -half; x <= half; ++x) {
            Rgb col = x < 0 ? shade(needle, 1.2f) : (x == half ? shade(needle, 0.6f) : needle);
            c.set(cx + x, top + y, col);
        }
    }
}

Canvas forestTile(const std::string& kind) {
    if (kind == "forest") { // mixed dark broad-leaf woods
        Canvas c = grassTile(11, shade(Grass, 0.85f));
        Rgb leaf = hex(0x2f6b2c), trunk = hex(0x5a3a22);
        roundTree(c, 4, 4, 3, leaf, trunk, 1);
        roundTree(c, 11, 6, 3, shade(leaf, 1.08f), trunk, 2);
        roundTree(c, 6, 11, 3, shade(leaf, 0.95f), trunk, 3);
        return c;
    }
    if (kind == "forest_fruit") { // orchard: round trees hung with red fruit
        Canvas c = grassTile(12);
        Rgb leaf = hex(0x4f8a2a), trunk = hex(0x6b4424);
        roundTree(c, 4, 5, 3, leaf, trunk, 4);
        roundTree(c, 11, 10, 3, leaf, trunk, 5);
        const int fruit[][2] = {{3, 4}, {5, 6}, {2, 6}, {10, 9}, {12, 11}, {11, 8}, {9, 11}};
        for (auto& f : fruit) {
            c.set(f[0], f[1], hex(0xd8352a));
            c.set(f[0], f[1] - 1, hex(0xff8a6a));
        }
        return c;
    }
    if (kind == "forest_gray") { // silver firs in grey-blue
        Canvas c = grassTile(13, hex(0x6c8560));
        Rgb needle = hex(0x6d8a86), trunk = hex(0x4a3f3a);
        pineTree(c, 4, 1, 8, needle, trunk);
        pineTree(c, 11, 4, 9, shade(needle, 0.92f), trunk);
        pineTree(c, 6, 8, 7, shade(needle, 1.05f), trunk);
        return c;
    }
    if (kind == "forest_leaf") { // one broad, bright leaf tree
        Canvas c = grassTile(21);
        Rgb leaf = hex(0x5fae3c), trunk = hex(0x70492a);
        c.ellipse(9.0f, 14.0f, 6.0f, 1.6f, shade(Grass, 0.62f));
        c.rect(7, 10, 2, 5, trunk);
        c.set(6, 14, trunk);
        c.set(9, 14, trunk);
        c.disc(8.0f, 7.0f, 6.5f, shade(leaf, 0.55f));
        c.disc(8.0f, 7.0f, 6.0f, leaf);
        c.disc(5.0f, 5.0f, 3.0f, shade(leaf, 1.2f));
        c.disc(11.0f, 9.0f, 2.5f, shade(leaf, 0.82f));
        for (int i = 0; i < 14; ++i) {
            int x = 2 + int(hash01(i, 3, 21) * 12), y = 1 + int(hash01(i, 4, 21) * 11);
            if (c.get(x, y) == leaf) c.set(x, y, shade(leaf, 1.35f));
        }
        return c;
    }
    if (kind == "forest_b") { // dense dark pines
        Canvas c = grassTile(23, hex(0x4e7436));
        Rgb needle = hex(0x24593a), trunk = hex(0x4a2f1e);
        pineTree(c, 3, 0, 8, needle, trunk);
        pineTree(c, 10, 1, 8, needle, trunk);
        pineTree(c, 6, 6, 9, shade(needle, 1.1f), trunk);
        pineTree(c, 13, 8, 7, needle, trunk);
        return c;
    }
    if (kind == "forest_c") { // autumn woods, orange and russet crowns
        Canvas c = grassTile(24, hex(0x7d8a3c));
        Rgb trunk = hex(0x5a3a22);
        roundTree(c, 4, 4, 3, hex(0xc8722a), trunk, 6);
        roundTree(c, 11, 5, 3, hex(0xa8482a), trunk, 7);
        roundTree(c, 7, 11, 3, hex(0xd8a03a), trunk, 8);
        return c;
    }
    throw std::invalid_argument(kind);
}

Canvas waterTile(bool deep) {
    Rgb base = deep ? hex(0x24467f) : hex(0x3f78b8);
    Canvas c = noiseTile(16, base, deep ? 0.06f : 0.05f, deep ? 15u : 14u);
    // Wavelets: short light arcs in a staggered pattern that tiles.
    const int waves[][2] = {{1, 2}, {9, 4}, {4, 8}, {12, 10}, {2, 13}, {10, 15}};
    for (auto& w : waves) {
        int len = deep ? 2 : 3;
        Rgb hi = deep ? hex(0x3a64a8) : hex(0x8cc0ee);
        for (int i = 0; i < len; ++i) c.set((w[0] + i) % 16, w[1] % 16, hi);
        c.set((w[0] + len) % 16, (w[1] + 1) % 16, shade(base, 0.85f));
        c.set((w[0] + 16 - 1) % 16, (w[1] + 1) % 16, shade(base, 0.85f));
    }
    if (!deep) c.set(6, 3, hex(0xdff0ff));
    return c;
}

Canvas swampTile() {
    Canvas c = noiseTile(16, hex(0x56633a), 0.12f, 16);
    Rgb pool = hex(0x3d5448), poolHi = hex(0x6f8a78);
    c.ellipse(5.0f, 5.0f, 4.0f, 2.5f, pool);
    c.ellipse(11.5f, 11.5f, 3.5f, 2.0f, pool);
    c.set(3, 4, poolHi);
    c.set(4, 4, poolHi);
    c.set(10, 11, poolHi);
    // Reeds with brown heads.
    const int reeds[][2] = {{9, 3}, {10, 4}, {2, 10}, {3, 11}, {14, 6}, {6, 13}};
    for (auto& r : reeds) {
        c.line(r[0], r[1], r[0], r[1] + 3, hex(0x7a9a3a));
        c.set(r[0], r[1], hex(0x6a4a2a));
    }
    c.set(12, 11, hex(0x8ab04a)); // lily pad
    c.set(13, 11, hex(0x8ab04a));
    return c;
}

Canvas desertTile() {
    Rgb sand = hex(0xdcc07c);
    Canvas c = noiseTile(16, sand, 0.06f, 17);
    // Dune ripples: gentle wavy lines, shadowed below.
    for (int band = 0; band < 4; ++band) {
        int y0 = band * 4 + 1;
        for (int x = 0; x < 16; ++x) {
            int y = y0 + int(std::lround(std::sin((float(x) + float(band) * 3.0f) * 0.39f) * 1.2f));
            c.set(x, (y + 16) % 16, shade(sand, 1.12f));
            c.set(x, (y + 17) % 16, shade(sand, 0.86f));
        }
    }
    c.set(12, 6, hex(0xa89a80)); // pebbles
    c.set(4, 13, hex(0xa89a80));
    return c;
}

Canvas hillsTile() {
    Canvas c = grassTile(18, hex(0x7e9a48));
    auto hill = [&](float cx, float cy, float rx, float ry) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                float dx = (float(x) + 0.5f - cx) / rx, dy = (float(y) + 0.5f - cy) / ry;
                if (dy > 0.2f || dx * dx + dy * dy > 1.0f) continue;
                float light = 1.0f - dx * 0.25f + (dy < -0.5f ? 0.1f : 0.0f);
                c.set(x, y, shade(hex(0x8f9a52), light));
            }
        for (int x = int(cx - rx) + 1; x < int(cx + rx); ++x) c.set(x, int(cy + ry * 0.2f) + 1, hex(0x56622e));
    };
    hill(5.0f, 7.0f, 5.0f, 5.0f);
    hill(11.5f, 13.0f, 4.5f, 4.5f);
    return c;
}

// A rocky peak rising from the ground; `high` adds height and snow.
Canvas mountainTile(bool high) {
    Canvas c = noiseTile(16, high ? hex(0x8a8478) : hex(0x8a8a58), 0.08f, high ? 20u : 19u);
    int peak = high ? 1 : 3, base = 15;
    for (int y = peak; y <= base; ++y) {
        float t = float(y - peak) / float(base - peak);
        int half = int(std::lround(t * 7.5f));
        for (int x = 8 - half; x <= 7 + half; ++x) {
            if (x < 0 || x > 15) continue;
            bool lit = x < 8 - half / 4;
            Rgb rock = lit ? hex(0xa39c92) : hex(0x6f6660);
            if (hash01(x, y, 77) < 0.12f) rock = shade(rock, 0.85f);
            c.set(x, y, rock);
        }
        c.set(8 - half, y, hex(0x5a524c));
        c.set(7 + half, y, hex(0x4a4440));
    }
    // Ridge line down the middle.
    for (int y = peak; y < base; ++y) c.set(8 - (y - peak) / 5, y, hex(0xc2bcb2));
    if (high) {
        for (int y = peak; y < peak + 6; ++y) {
            int half = int(std::lround(float(y - peak) / float(base - peak) * 7.5f));
            for (int x = 8 - half; x <= 7 + half; ++x)
                if (y < peak + 4 || hash01(x, y, 5) < 0.5f) c.set(x, y, x < 8 ? hex(0xf4f6fa) : hex(0xc8d0e0));
        }
    } else {
        c.set(3, 14, hex(0x6a7a3a)); // shrubs at the foot
        c.set(13, 14, hex(0x6a7a3a));
    }
    return c;
}

Canvas roadTile() {
    Rgb dirt = hex(0xa88556);
    Canvas c = noiseTile(16, dirt, 0.08f, 22);
    // Packed earth with cobbles: small rounded stones in a loose grid that tiles.
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            int x = i * 4 + (j % 2) * 2, y = j * 4 + 1;
            Rgb stone = shade(hex(0xb8a07a), 0.9f + hash01(i, j, 3) * 0.2f);
            c.set(x % 16, y, stone);
            c.set((x + 1) % 16, y, stone);
            c.set(x % 16, y + 1, shade(stone, 0.8f));
            c.set((x + 1) % 16, y + 1, shade(stone, 0.7f));
            c.set((x + 1) % 16, y - 1, shade(stone, 1.15f));
        }
    return c;
}

// Two cottages with roofs in the village's colour and a path between them.
Canvas villageTile(Rgb roof) {
    Canvas c = grassTile(180);
    c.rect(0, 12, 16, 2, hex(0xa88556));
    c.rect(7, 6, 2, 8, hex(0xa88556));
    auto house = [&](int x, int y, int w) {
        c.rect(x + 1, y + 6, w, 1, shade(Grass, 0.6f)); // shadow
        c.rect(x, y + 3, w, 3, hex(0xe0d0b0));           // wall
        c.set(x + w / 2, y + 4, hex(0x5a3a22));          // door
        c.set(x + w / 2, y + 5, hex(0x5a3a22));
        c.set(x + 1, y + 4, hex(0x7fb0d8));              // window
        for (int r = 0; r < 3; ++r) {                     // pitched roof
            c.rect(x - 1 + r, y + 2 - r, w + 2 - 2 * r, 1, r == 0 ? shade(roof, 0.7f) : roof);
            c.set(x - 1 + r, y + 2 - r, shade(roof, 1.25f));
        }
    };
    house(1, 2, 5);
    house(10, 3, 5);
    house(3, 9, 4);
    // A banner pole in the village colour.
    c.line(13, 9, 13, 13, hex(0x5a3a22));
    c.rect(14, 9, 2, 2, roof);
    return c;
}

Canvas ruinTile() {
    Canvas c = grassTile(188, hex(0x7a9048));
    Rgb stone = hex(0xa8a294), dark = hex(0x6c665e);
    // Broken wall stubs in an L, a fallen column and rubble.
    for (int x = 2; x < 13; ++x) {
        int h = (x % 4 == 1) ? 3 : (x % 3 == 0 ? 1 : 2);
        for (int k = 0; k < h; ++k) c.set(x, 4 - k, k == h - 1 ? shade(stone, 1.15f) : stone);
        c.set(x, 5, dark);
    }
    for (int y = 5; y < 13; ++y) {
        int h = (y % 3 == 0) ? 1 : 2;
        c.set(2, y, stone);
        if (h > 1) c.set(3, y, shade(stone, 1.1f));
        c.set(4, y, dark);
    }
    c.rect(7, 10, 6, 2, stone);
    c.rect(7, 12, 6, 1, dark);
    c.set(13, 10, shade(stone, 1.2f));
    c.set(13, 11, dark);
    const int rubble[][2] = {{9, 7}, {11, 6}, {6, 13}, {14, 13}, {10, 14}};
    for (auto& r : rubble) c.set(r[0], r[1], dark);
    c.set(5, 8, hex(0x4f7a2a)); // ivy
    c.set(3, 7, hex(0x4f7a2a));
    return c;
}

Canvas castleTile() {
    Canvas c = grassTile(189);
    Rgb wall = hex(0xb4b0a8), lit = hex(0xd8d4cc), dark = hex(0x7a766e);
    c.rect(1, 14, 15, 1, shade(Grass, 0.6f));
    c.rect(2, 7, 12, 7, wall);                      // curtain wall
    for (int x = 2; x < 14; x += 2) c.set(x, 6, wall); // crenels
    auto tower = [&](int x) {
        c.rect(x, 3, 4, 11, wall);
        c.rect(x, 3, 1, 11, lit);
        c.rect(x + 3, 3, 1, 11, dark);
        c.set(x, 2, wall);
        c.set(x + 2, 2, wall);
        c.set(x + 1, 6, Ink); // arrow slit
        c.set(x + 1, 7, Ink);
    };
    tower(0);
    tower(12);
    c.rect(6, 4, 4, 3, wall); // keep
    c.set(6, 3, wall);
    c.set(8, 3, wall);
    c.line(8, 0, 8, 3, hex(0x5a3a22));
    c.rect(9, 0, 3, 2, hex(0xc8302a)); // flag
    c.rect(6, 10, 4, 4, hex(0x3a2a20)); // gate
    c.rect(7, 9, 2, 1, hex(0x3a2a20));
    c.line(6, 11, 9, 11, hex(0x8a8478));  // portcullis
    c.line(6, 13, 9, 13, hex(0x8a8478));
    for (int x = 2; x < 14; ++x)
        if (hash01(x, 9, 1) < 0.3f) c.set(x, 9, dark);
    return c;
}

// A rock mound with an opening: a cave, a mine, or an iron mine with ore.
Canvas moundTile(const std::string& kind) {
    Canvas c = grassTile(kind == "grottus" ? 190 : 191);
    Rgb rock = kind == "grottus" ? hex(0x8a8276) : hex(0x9a8a70);
    for (int y = 2; y < 14; ++y)
        for (int x = 0; x < 16; ++x) {
            float dx = (float(x) + 0.5f - 8.0f) / 8.0f, dy = (float(y) + 0.5f - 13.0f) / 11.0f;
            if (dx * dx + dy * dy > 1.0f) continue;
            float light = 1.1f - dx * 0.3f - (hash01(x, y, 9) < 0.15f ? 0.15f : 0.0f);
            c.set(x, y, shade(rock, light));
        }
    if (kind == "grottus") { // a dark round mouth with stalactites
        c.ellipse(8.0f, 11.5f, 4.0f, 3.5f, hex(0x1e1820));
        c.set(6, 8, rock);
        c.set(9, 8, rock);
        c.set(7, 9, shade(rock, 0.8f));
        c.set(10, 9, shade(rock, 0.8f));
        c.rect(5, 14, 6, 1, hex(0x5a5248));
        c.set(12, 5, hex(0x5f8a3a)); // moss
        c.set(4, 6, hex(0x5f8a3a));
        return c;
    }
    // Timbered entrance and rails.
    Rgb wood = hex(0x7a5030);
    c.rect(5, 8, 6, 6, hex(0x231a18));
    c.rect(4, 7, 8, 1, wood);
    c.rect(4, 7, 1, 7, wood);
    c.rect(11, 7, 1, 7, wood);
    c.set(4, 7, shade(wood, 1.3f));
    for (int y = 10; y < 16; ++y) {
        c.set(6, y, hex(0x707070));
        c.set(9, y, hex(0x707070));
    }
    c.rect(6, 14, 4, 1, hex(0x6a4a2a));
    if (kind == "iron_mine") { // rust-red ore heap and a cart of ore
        c.rect(12, 12, 4, 3, hex(0x5a5858));
        const int ore[][2] = {{12, 11}, {13, 11}, {14, 11}, {13, 10}, {12, 12}, {14, 12}};
        for (auto& o : ore) c.set(o[0], o[1], hex(0xa8482a));
        c.set(13, 10, hex(0xd87a4a));
        c.rect(0, 12, 4, 2, hex(0x8a3a24));
        c.set(1, 11, hex(0xb0582e));
        c.set(2, 11, hex(0xc86a3a));
    } else { // a pick leaning at the entrance and a heap of grey spoil
        c.line(12, 14, 14, 10, hex(0x8a6a40));
        c.line(13, 10, 15, 11, hex(0xb8b8c0));
        c.rect(0, 13, 3, 2, hex(0x8a8478));
        c.set(1, 12, hex(0xa8a298));
    }
    return c;
}

Canvas wellTile() {
    Canvas c = grassTile(194);
    c.ellipse(8.5f, 14.0f, 6.0f, 1.5f, shade(Grass, 0.6f));
    // Round stone rim with water inside, seen from above at an angle.
    c.ellipse(8.0f, 10.0f, 5.0f, 3.5f, hex(0x9a948a));
    c.ellipse(8.0f, 10.0f, 3.4f, 2.2f, hex(0x2a4a7a));
    c.set(7, 9, hex(0x6a98d0));
    for (int x = 3; x < 13; x += 2) c.set(x, 12, hex(0x6a665e));
    // Posts and a little roof with a bucket rope.
    Rgb wood = hex(0x7a5030);
    c.rect(3, 3, 1, 8, wood);
    c.rect(12, 3, 1, 8, wood);
    for (int r = 0; r < 3; ++r) c.rect(2 + r, 3 - r, 12 - 2 * r, 1, r == 0 ? hex(0x8a3a2a) : hex(0xb04a34));
    c.line(8, 4, 8, 8, hex(0xc8b890));
    c.rect(7, 8, 3, 2, hex(0x8a6a40));
    return c;
}

} // namespace

Canvas paintLand(const std::string& name) {
    std::string base = name.substr(0, name.size() - 4);
    if (base == "plain") {
        Canvas c = grassTile(10);
        const int flowers[][2] = {{3, 5}, {11, 2}, {8, 12}, {14, 9}};
        const Rgb petals[] = {hex(0xf0e070), hex(0xffffff), hex(0xe8a0d0), hex(0xf0e070)};
        for (int i = 0; i < 4; ++i) c.set(flowers[i][0], flowers[i][1], petals[i]);
        return c;
    }
    if (base.rfind("forest", 0) == 0) return forestTile(base);
    if (base == "water") return waterTile(false);
    if (base == "water_deep") return waterTile(true);
    if (base == "swamp_a") return swampTile();
    if (base == "desert_a") return desertTile();
    if (base == "hills_a") return hillsTile();
    if (base == "mountain") return mountainTile(false);
    if (base == "mountain_high_a") return mountainTile(true);
    if (base == "road") return roadTile();
    if (base == "village_b") return villageTile(hex(0x9a6a3a)); // thatch
    if (base == "village_b_yellow") return villageTile(hex(0xe0b830));
    if (base == "village_b_blue") return villageTile(hex(0x3a6ad0));
    if (base == "village_b_green") return villageTile(hex(0x3aa048));
    if (base == "village_b_red") return villageTile(hex(0xc83a30));
    if (base == "ruin_a") return ruinTile();
    if (base == "castle_a") return castleTile();
    if (base == "grottus" || base == "mine" || base == "iron_mine") return moundTile(base);
    if (base == "well") return wellTile();
    throw std::invalid_argument("land picture " + name);
}

} // namespace delve::art
