// The cursor, the buildings, the first-person cube textures and the title picture.
#include <cmath>
#include <stdexcept>

#include "tools/art.h"
#include "tools/art_common.h"

namespace delve::art {

namespace {

const Rgb Grass = hex(0x6f9a3e);

Canvas grassGround(uint32_t seed) {
    Canvas c = noiseTile(16, Grass, 0.10f, seed);
    for (int i = 0; i < 8; ++i) c.set(int(hash01(i, 1, seed) * 16), int(hash01(i, 2, seed) * 16), shade(Grass, 1.18f));
    return c;
}

// A small building: walls, a pitched roof, a door; details added by the caller.
void building(Canvas& c, int x, int y, int w, int h, Rgb wall, Rgb roof, int roofRows = 3) {
    c.rect(x + 1, y + h, w, 1, shade(Grass, 0.6f));
    c.rect(x, y + roofRows, w, h - roofRows, wall);
    c.rect(x + w - 1, y + roofRows, 1, h - roofRows, shade(wall, 0.75f));
    for (int r = 0; r < roofRows; ++r) {
        int inset = roofRows - 1 - r;
        c.rect(x - 1 + inset, y + r, w + 2 - 2 * inset, 1, r == roofRows - 1 ? shade(roof, 0.75f) : roof);
        c.set(x - 1 + inset, y + r, shade(roof, 1.25f));
    }
}

Canvas structure(const std::string& n) {
    Canvas c = grassGround(uint32_t(n.size() * 7 + n[10]));
    Rgb wood = Wood, plaster = hex(0xe0d0b0), stone = hex(0xa8a294);
    if (n == "structure_farm") {
        building(c, 1, 2, 7, 7, plaster, hex(0xc8a040));
        c.rect(4, 7, 2, 2, wood);
        for (int y = 11; y < 16; y += 2) c.rect(0, y, 16, 1, hex(0x8a6a3a)); // ploughed furrows
        for (int x = 1; x < 16; x += 3) c.set(x, 12, hex(0x8ac040));
        c.rect(10, 3, 4, 6, hex(0xc8a040)); // haystack
        c.rect(11, 2, 2, 1, hex(0xe0c060));
    } else if (n == "structure_merchant") {
        building(c, 2, 2, 12, 9, plaster, hex(0x3a70b0));
        for (int x = 2; x < 14; x += 2) c.set(x, 5, hex(0xf0f0f0)); // striped awning
        c.rect(2, 6, 12, 1, hex(0x3a70b0));
        c.rect(4, 8, 3, 3, hex(0x5a3a22));
        c.rect(9, 8, 3, 2, hex(0x7fb0d8));
        c.rect(11, 12, 3, 2, wood); // crates and a coin sign
        c.rect(1, 12, 2, 2, wood);
        c.set(12, 12, Gold);
    } else if (n == "structure_quary") {
        c.rect(1, 3, 14, 11, hex(0x8a8478));
        for (int s = 0; s < 4; ++s) c.rect(2 + s, 4 + s * 2, 12 - 2 * s, 2, shade(stone, 1.0f - float(s) * 0.12f));
        c.rect(10, 12, 3, 2, stone);
        c.rect(10, 12, 3, 1, shade(stone, 1.2f));
        c.line(2, 14, 5, 11, wood); // crane
        c.line(5, 11, 8, 11, wood);
        c.line(8, 11, 8, 13, hex(0xc8b890));
    } else if (n == "structure_stable") {
        building(c, 1, 3, 14, 9, hex(0xa8743a), hex(0x7a4a2a));
        c.rect(3, 8, 3, 4, hex(0x3a2a1e));
        c.rect(9, 8, 3, 4, hex(0x3a2a1e));
        c.line(3, 8, 5, 11, wood);
        c.line(9, 8, 11, 11, wood);
        c.rect(10, 9, 2, 2, hex(0x6a4028)); // a horse's head at the door
        c.set(11, 9, hex(0xf0f0f0));
        c.rect(0, 13, 16, 1, wood); // fence
        for (int x = 0; x < 16; x += 3) c.rect(x, 12, 1, 3, wood);
    } else if (n == "structure_tower") {
        c.rect(4, 15, 9, 1, shade(Grass, 0.6f));
        c.rect(5, 3, 6, 12, stone);
        c.rect(5, 3, 1, 12, shade(stone, 1.2f));
        c.rect(10, 3, 1, 12, shade(stone, 0.7f));
        for (int x = 4; x < 12; x += 2) c.rect(x, 1, 1, 2, stone);
        c.rect(4, 2, 8, 1, stone);
        c.rect(7, 6, 2, 2, hex(0x2a2030));
        c.rect(7, 12, 2, 3, hex(0x3a2a1e));
        c.set(8, 0, hex(0xc03030));
    } else if (n == "structure_barrack") {
        building(c, 0, 3, 16, 9, hex(0x9a8a70), hex(0x7a3a2a));
        for (int x = 2; x < 15; x += 4) c.rect(x, 8, 2, 2, hex(0x2a2030));
        c.rect(7, 9, 2, 3, hex(0x3a2a1e));
        c.rect(0, 13, 16, 2, hex(0xa88556)); // drill yard
        c.line(13, 12, 13, 15, hex(0xc8ccd6)); // spears in a rack
        c.line(14, 12, 14, 15, hex(0xc8ccd6));
        c.set(13, 11, hex(0xf0f4fa));
        c.set(14, 11, hex(0xf0f4fa));
    } else if (n == "structure_blacksmith") {
        building(c, 1, 2, 10, 9, hex(0x8a7a6a), hex(0x4a4a52));
        c.rect(8, 0, 2, 3, hex(0x5a5250)); // chimney with smoke
        c.set(9, 0, hex(0xa0a0a8));
        c.rect(3, 7, 4, 4, hex(0xe05a1a)); // glowing forge mouth
        c.rect(4, 8, 2, 2, hex(0xffd040));
        c.rect(11, 11, 4, 2, hex(0x4a4a52)); // anvil
        c.rect(12, 13, 2, 2, hex(0x4a4a52));
        c.rect(11, 11, 4, 1, hex(0x8a8e96));
    } else if (n == "structure_castle") {
        c.rect(1, 4, 14, 11, stone);
        c.rect(1, 4, 14, 1, shade(stone, 1.2f));
        for (int x = 1; x < 15; x += 2) c.set(x, 3, stone);
        c.rect(0, 1, 4, 14, shade(stone, 1.05f));
        c.rect(12, 1, 4, 14, shade(stone, 0.9f));
        c.set(0, 0, stone);
        c.set(2, 0, stone);
        c.set(13, 0, stone);
        c.set(15, 0, stone);
        c.rect(6, 9, 4, 6, hex(0x3a2a1e));
        c.rect(7, 8, 2, 1, hex(0x3a2a1e));
        c.set(1, 5, hex(0x2a2030));
        c.set(14, 5, hex(0x2a2030));
        c.rect(6, 5, 4, 2, hex(0x3a5ad0)); // banner
    } else if (n == "structure_church") {
        building(c, 2, 5, 12, 9, hex(0xe8e2d6), hex(0x5a5a6a));
        c.rect(6, 0, 4, 7, hex(0xe8e2d6)); // bell tower
        c.rect(6, 0, 4, 1, hex(0x5a5a6a));
        c.rect(7, 2, 2, 2, hex(0x2a2030));
        c.set(8, 2, Gold);
        c.rect(7, 10, 2, 4, hex(0x5a3a22));
        c.set(4, 10, hex(0xd04040)); // stained glass
        c.set(11, 10, hex(0x4060d0));
        c.rect(12, 13, 1, 2, stone); // gravestone
        c.set(12, 12, stone);
    } else {
        throw std::invalid_argument("structure picture " + n);
    }
    return c;
}

Canvas hart() {
    Canvas c = grassGround(390);
    Rgb fur = hex(0xa8703a), dark = hex(0x6a4422), antler = hex(0xe8dcc0);
    c.stamp(0, 0,
            {"..a.a...........",
             "..aaa.a.........",
             "...aaa..........",
             "....FF..........",
             "...FEFF.........",
             "..nFFF..........",
             "....FF..........",
             "....FFFFFFFFF...",
             "....FFFwwFFFFt..",
             "....FFFFFFFFF...",
             ".....F.F..F.F...",
             ".....F.F..F.F...",
             ".....F.F..F.F...",
             ".....d.d..d.d...",
             "................",
             "................"},
            {{'F', fur}, {'a', antler}, {'E', Ink}, {'n', Ink}, {'w', hex(0xe8d8b8)}, {'t', hex(0xf0f0f0)},
             {'d', dark}});
    c.ellipse(9.0f, 14.5f, 5.0f, 1.0f, shade(Grass, 0.6f));
    return c;
}

// ---- first-person cube textures (64 x 64, tile seamlessly) ----
Canvas stoneBricks(Rgb stone, Rgb mortar, int bw, int bh, uint32_t seed, float wear) {
    Canvas c(64, 64);
    paintBlocks(c, bw, bh, stone, mortar, 0.28f, seed);
    // Weathering: broad dark stains, chipped corners and thin cracks.
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            float n = valueNoise(float(x), float(y), 16, seed + 11, 64);
            if (n < 0.35f) c.set(x, y, shade(c.get(x, y), 0.82f + n * 0.4f));
            if (hash01(x, y, seed + 13) < wear * 0.05f) c.set(x, y, shade(c.get(x, y), 0.7f));
        }
    for (int k = 0; k < int(6 * wear); ++k) {
        int x = int(hash01(k, 1, seed) * 64), y = int(hash01(k, 2, seed) * 64);
        int len = 3 + int(hash01(k, 3, seed) * 5);
        for (int i = 0; i < len; ++i) {
            c.set((x + i) % 64, (y + (i * 2) / 3) % 64, shade(mortar, 0.9f));
        }
    }
    return c;
}

Canvas grassTexture() {
    Canvas c = noiseTile(64, hex(0x5f8a34), 0.22f, 1202);
    for (int k = 0; k < 260; ++k) { // blades
        int x = int(hash01(k, 1, 1202) * 64), y = int(hash01(k, 2, 1202) * 64);
        Rgb col = hash01(k, 3, 1202) < 0.5f ? hex(0x8ab84a) : hex(0x3e6a24);
        c.set(x, y, col);
        c.set(x, (y + 1) % 64, shade(col, 0.85f));
        if (hash01(k, 4, 1202) < 0.4f) c.set((x + 1) % 64, (y + 63) % 64, col);
    }
    for (int k = 0; k < 10; ++k) // clover flowers
        c.set(int(hash01(k, 5, 1202) * 64), int(hash01(k, 6, 1202) * 64), hash01(k, 7, 1202) < 0.5f ? hex(0xf0f0e0) : hex(0xf0e070));
    return c;
}

Canvas dirtTexture() {
    Canvas c = noiseTile(64, hex(0x7a5a3a), 0.3f, 1203);
    for (int k = 0; k < 70; ++k) { // pebbles with a lit top
        int x = int(hash01(k, 1, 1203) * 64), y = int(hash01(k, 2, 1203) * 64);
        Rgb p = shade(hex(0x9a8a78), 0.8f + hash01(k, 3, 1203) * 0.4f);
        c.set(x, y, p);
        c.set((x + 1) % 64, y, shade(p, 0.85f));
        c.set(x, (y + 63) % 64, shade(p, 1.2f));
        c.set((x + 1) % 64, (y + 1) % 64, hex(0x4a3422));
    }
    for (int k = 0; k < 8; ++k) { // roots
        int x = int(hash01(k, 8, 1203) * 64), y = int(hash01(k, 9, 1203) * 64);
        for (int i = 0; i < 6; ++i) c.set((x + i) % 64, (y + int(std::sin(float(i)) * 1.5f) + 64) % 64, hex(0x5a3e26));
    }
    return c;
}

Canvas caveRock() {
    // Rough natural rock: layered noise with strata and crevices.
    Canvas c(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            float n = valueNoise(float(x), float(y), 16, 1206, 64) * 0.5f +
                      valueNoise(float(x), float(y), 8, 1207, 64) * 0.3f +
                      valueNoise(float(x), float(y), 4, 1208, 64) * 0.2f;
            float strata = std::sin((float(y) + n * 14.0f) * 0.19634954f * 2.0f) * 0.08f;
            Rgb base = mix(hex(0x5e544a), hex(0x9a8e7e), n);
            Rgb col = shade(base, 1.0f + strata + (hash01(x, y, 1206) - 0.5f) * 0.12f);
            if (n > 0.40f && n < 0.42f) col = hex(0x3a322c);
            c.set(x, y, safe(col));
        }
    return c;
}

Canvas whaleBladeTexture() {
    Canvas c(64, 64);
    paintBlocks(c, 32, 16, hex(0x4a4640), hex(0x24201e), 0.2f, 1205);
    Canvas item = paintItem("item_whale_blade.bmp");
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            Rgb p = item.get(x, y);
            if (p == Key) continue;
            c.rect(x * 4, y * 4, 4, 4, p);
            if (!(p == Ink)) c.rect(x * 4, y * 4, 4, 1, shade(p, 1.12f)); // a little depth per pixel
        }
    return c;
}

// ---- the title picture ----
const char* const TitleGlyphs[5][7] = {
    {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."},
    {"#####", "#....", "#....", "####.", "#....", "#....", "#####"},
    {"#....", "#....", "#....", "#....", "#....", "#....", "#####"},
    {"#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."},
    {"#####", "#....", "#....", "####.", "#....", "#....", "#####"},
};

Canvas titlePicture() {
    const int W = 320, H = 240;
    Canvas c(W, H, hex(0x141018));
    // Back wall of a vaulted hall in old bricks, darker away from the light.
    Canvas bricks = stoneBricks(hex(0x6e6254), hex(0x2a241e), 16, 8, 1000, 1.0f);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) c.set(x, y, shade(bricks.get(x % 64, y % 64), 0.55f));
    // A great arch opening onto stairs that fall into darkness.
    const float ax = 160.0f, archTop = 92.0f, archHalf = 52.0f;
    for (int y = int(archTop) - 6; y < 200; ++y)
        for (int x = int(ax - archHalf) - 8; x < int(ax + archHalf) + 8; ++x) {
            float dx = float(x) - ax;
            float yTop = y < int(archTop + archHalf) ? archTop + archHalf - std::sqrt(std::max(0.0f, archHalf * archHalf - dx * dx)) : 0.0f;
            bool insideArch = std::abs(dx) < archHalf && float(y) >= yTop;
            bool rim = std::abs(dx) < archHalf + 7 && !insideArch &&
                       float(y) >= archTop + archHalf - std::sqrt(std::max(0.0f, (archHalf + 7) * (archHalf + 7) - dx * dx));
            if (insideArch) {
                float depth = (float(y) - archTop) / (200.0f - archTop);
                c.set(x, y, mix(hex(0x05040a), hex(0x2a2018), depth * depth));
            } else if (rim) {
                int seg = int(std::atan2(float(y) - (archTop + archHalf), dx) * 9.0f);
                c.set(x, y, shade(hex(0x9a8e7e), 0.75f + hash01(seg, 0, 3) * 0.3f));
            }
        }
    // Steps descending through the arch, narrowing and darkening.
    for (int s = 0; s < 9; ++s) {
        int y = 198 - s * 9;
        int half = 50 - s * 4;
        float light = 1.0f - float(s) * 0.1f;
        c.rect(int(ax) - half, y, half * 2, 3, shade(hex(0xa09484), light));
        c.rect(int(ax) - half, y + 3, half * 2, 6, shade(hex(0x6a6054), light * 0.8f));
    }
    // Flagstone floor in front.
    for (int y = 200; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            int row = (y - 200) / 10, col = (x + row * 17) / 34;
            bool joint = (y - 200) % 10 == 0 || (x + row * 17) % 34 == 0;
            float tone = 0.75f + hash01(col, row, 9) * 0.2f;
            c.set(x, y, joint ? hex(0x2a241e) : shade(hex(0x7a7064), tone));
        }
    // Two torches with warm light thrown on the wall.
    for (int tx : {64, 256}) {
        for (int y = 40; y < 220; ++y)
            for (int x = tx - 70; x < tx + 70; ++x) {
                if (!c.inside(x, y)) continue;
                float d = std::hypot(float(x - tx), float(y - 120) * 1.2f);
                float a = std::max(0.0f, 1.0f - d / 80.0f);
                c.set(x, y, mix(c.get(x, y), hex(0xffa040), a * a * 0.5f));
            }
        c.rect(tx - 5, 128, 10, 3, hex(0x3a3a42)); // sconce
        c.rect(tx - 2, 110, 4, 20, hex(0x6a4428));
        c.ellipse(float(tx), 102.0f, 6.0f, 10.0f, hex(0xe0501e));
        c.ellipse(float(tx), 104.0f, 4.0f, 7.0f, hex(0xffb030));
        c.ellipse(float(tx), 106.0f, 2.0f, 4.0f, hex(0xfff0b0));
    }
    // A small robed figure with a staff at the top of the stairs, seen from behind.
    Canvas hero = paintUnit("unit_mage.bmp");
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (!(hero.get(x, y) == Key)) c.rect(148 + x * 2, 168 + y * 2, 2, 2, hero.get(x, y));
    // The title: gold block letters with a bevel and a drop shadow.
    const int scale = 8, letterW = 5 * scale, gap = 10;
    int totalW = 5 * letterW + 4 * gap;
    int ox = (W - totalW) / 2, oy = 16;
    for (int pass = 0; pass < 2; ++pass)
        for (int l = 0; l < 5; ++l)
            for (int gy = 0; gy < 7; ++gy)
                for (int gx = 0; gx < 5; ++gx) {
                    if (TitleGlyphs[l][gy][gx] != '#') continue;
                    int x = ox + l * (letterW + gap) + gx * scale, y = oy + gy * scale;
                    if (pass == 0) { // shadow
                        c.rect(x + 4, y + 4, scale, scale, hex(0x08060a));
                        continue;
                    }
                    for (int py = 0; py < scale; ++py)
                        for (int px = 0; px < scale; ++px) {
                            float t = float(gy * scale + py) / float(7 * scale);
                            Rgb gold = mix(hex(0xfff0a0), hex(0xb06a10), t);
                            auto on = [&](int dx, int dy) {
                                int nx = gx + dx, ny = gy + dy;
                                return nx >= 0 && ny >= 0 && nx < 5 && ny < 7 && TitleGlyphs[l][ny][nx] == '#';
                            };
                            if (py == 0 && !on(0, -1)) gold = hex(0xfffce0);
                            else if (px == 0 && !on(-1, 0)) gold = shade(gold, 1.15f);
                            else if (py == scale - 1 && !on(0, 1)) gold = hex(0x6a3a08);
                            else if (px == scale - 1 && !on(1, 0)) gold = shade(gold, 0.7f);
                            c.set(x + px, y + py, gold);
                        }
                }
    // Frame.
    c.frame(0, 0, W, H, hex(0x6a5a3a));
    c.frame(2, 2, W - 4, H - 4, hex(0x3a3024));
    return c;
}

Canvas cursor() {
    Canvas c(16, 16);
    Rgb white = hex(0xf8f8f8);
    c.line(7, 1, 7, 5, white);
    c.line(7, 9, 7, 13, white);
    c.line(1, 7, 5, 7, white);
    c.line(9, 7, 13, 7, white);
    c.set(7, 7, hex(0xff4040));
    c.outline();
    return c;
}

} // namespace

Canvas paintCross(const std::string& name) {
    if (name == "cross4.bmp") return cursor();
    throw std::invalid_argument("cursor picture " + name);
}

Canvas paintStructure(const std::string& name) {
    std::string n = name.substr(0, name.size() - 4);
    if (n == "hart") return hart();
    return structure(n);
}

Canvas paintScreen(const std::string& name) {
    if (name == "intro1.bmp") return titlePicture();
    throw std::invalid_argument("screen picture " + name);
}

Canvas paintCube(const std::string& name) {
    std::string n = name.substr(0, name.size() - 4);
    if (n == "structure_castle") return stoneBricks(hex(0xb0aca4), hex(0x5a5650), 32, 16, 1200, 0.5f);
    if (n == "brickold2") return stoneBricks(hex(0x857868), hex(0x3a322a), 16, 8, 1201, 1.0f);
    if (n == "grass3") return grassTexture();
    if (n == "dirt1") return dirtTexture();
    if (n == "brickold3") return stoneBricks(hex(0x8a5e4a), hex(0x3a2a22), 16, 8, 1204, 1.6f);
    if (n == "item_whale_blade") return whaleBladeTexture();
    if (n == "DSC3") return caveRock();
    throw std::invalid_argument("cube texture " + name);
}

} // namespace delve::art
