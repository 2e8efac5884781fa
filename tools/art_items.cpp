// Item pictures: weapons, bags, potions, robes and armour on the key colour.
#include <cmath>
#include <stdexcept>

#include "tools/art.h"
#include "tools/art_common.h"

namespace delve::art {

namespace {

const Rgb Steel = hex(0xc8ccd6);
const Rgb SteelDark = hex(0x7a808c);
const Rgb SteelLight = hex(0xf0f4fa);

struct BladeStyle {
    int length;      // pixels of blade along the diagonal
    int width;       // 1 thin .. 3 broad
    Rgb metal;
    Rgb guard;
    int guardSpan;   // cross-guard half length
    int grip;        // grip length
    int curve;       // 0 straight, >0 curved toward the edge
    bool gem;        // jewelled pommel
    bool doubleEnded;
};

// A blade along the rising diagonal, hilt at the lower left.
Canvas blade(const BladeStyle& s) {
    Canvas c(16, 16);
    int hx = 3 + (s.doubleEnded ? 4 : 0), hy = 12 - (s.doubleEnded ? 4 : 0);
    auto along = [&](int i, int dir) {
        float t = float(i) / float(std::max(1, s.length));
        int bend = int(std::lround(std::sin(t * 3.14159f) * float(s.curve) * 0.5f + t * float(s.curve) * 0.5f));
        return std::pair<int, int>{hx + dir * (i + 1), hy - dir * (i + 1) + (dir > 0 ? bend : -bend)};
    };
    for (int dir : {1, -1}) {
        if (dir < 0 && !s.doubleEnded) break;
        for (int i = 0; i < s.length; ++i) {
            auto [x, y] = along(i, dir);
            bool tip = i >= s.length - 1;
            c.set(x, y, tip ? SteelLight : s.metal);
            if (s.width >= 2 && !tip) c.set(x + dir, y + (dir > 0 ? 1 : -1) * 0, shade(s.metal, 0.7f));
            if (s.width >= 2 && !tip) c.set(x, y + dir, shade(s.metal, 0.7f));
            if (s.width >= 3 && i > 0 && i < s.length - 2) c.set(x + dir, y + dir, shade(s.metal, 0.55f));
            if (s.width >= 2 && !tip) c.set(x - dir, y - dir * 0, shade(s.metal, 1.2f));
        }
    }
    // Cross-guard across the diagonal, grip and pommel.
    for (int k = -s.guardSpan; k <= s.guardSpan; ++k) c.set(hx + k, hy + k, s.guard);
    if (!s.doubleEnded)
        for (int g = 1; g <= s.grip; ++g) c.set(hx - g, hy + g, g % 2 ? WoodDark : Wood);
    int px = hx - s.grip - 1, py = hy + s.grip + 1;
    if (!s.doubleEnded) c.set(px, py, s.gem ? hex(0xe03040) : s.guard);
    if (s.gem) c.set(hx, hy, hex(0x40c0f0));
    return c;
}

Canvas polearmHead(Rgb metal, int kind) {
    Canvas c(16, 16);
    c.line(2, 14, 11, 5, Wood); // long haft
    c.line(3, 14, 12, 5, WoodDark);
    if (kind == 0) { // glaive: a long curved blade at the tip
        c.line(11, 5, 14, 1, metal);
        c.line(12, 5, 15, 2, shade(metal, 0.7f));
        c.line(10, 4, 13, 0, shade(metal, 1.2f));
        c.rect(10, 5, 2, 2, GoldDark);
    } else { // horner: a horned spear with two hooks
        c.line(12, 4, 14, 2, metal);
        c.set(15, 1, SteelLight);
        c.line(11, 4, 10, 2, metal);
        c.line(13, 6, 15, 7, metal);
        c.rect(11, 5, 2, 1, Gold);
    }
    return c;
}

Canvas bludgeon(int kind) {
    Canvas c(16, 16);
    c.line(3, 13, 9, 7, Wood);
    c.line(4, 13, 10, 7, WoodDark);
    c.set(2, 14, SteelDark);
    switch (kind) {
    case 0: // maul: a great square hammer head
        c.rect(8, 2, 6, 5, SteelDark);
        c.rect(8, 2, 6, 1, SteelLight);
        c.rect(8, 3, 1, 4, Steel);
        c.line(9, 7, 10, 6, WoodDark);
        break;
    case 1: // morningstar: spiked ball on a short chain
        c.line(10, 7, 11, 6, SteelDark);
        c.disc(12.5f, 4.0f, 2.4f, SteelDark);
        c.disc(12.0f, 3.5f, 1.2f, Steel);
        for (auto [x, y] : {std::pair{12, 0}, {15, 4}, {12, 7}, {9, 3}, {14, 1}, {14, 6}, {10, 1}})
            c.set(x, y, SteelLight);
        break;
    case 2: // mace: flanged head
        c.disc(11.5f, 4.5f, 2.4f, Steel);
        c.set(11, 1, SteelLight);
        c.set(14, 4, SteelLight);
        c.set(9, 3, SteelDark);
        c.set(12, 6, SteelDark);
        break;
    default: // war mace: long heavy flanged head with gold bands
        c.rect(10, 1, 4, 6, SteelDark);
        for (int y = 1; y < 7; y += 2) c.rect(9, y, 6, 1, Steel);
        c.rect(10, 7, 4, 1, Gold);
        c.set(11, 0, SteelLight);
        break;
    }
    return c;
}

Canvas stick(int kind) {
    Canvas c(16, 16);
    if (kind == 0) { // staff: long knotted wood with a crook
        c.line(2, 15, 12, 3, Wood);
        c.line(3, 15, 13, 3, WoodDark);
        c.line(12, 3, 13, 1, Wood);
        c.line(13, 1, 15, 2, Wood);
        c.set(7, 9, WoodDark);
        c.set(9, 7, shade(Wood, 1.3f));
    } else if (kind == 1) { // rod: iron rod with a gold cap and orb
        c.line(3, 13, 11, 5, SteelDark);
        c.line(4, 13, 12, 5, Steel);
        c.disc(13.0f, 3.0f, 2.0f, hex(0xc03030));
        c.set(12, 2, hex(0xff9090));
        c.rect(10, 5, 2, 2, Gold);
    } else { // wand: short, white, with a glowing tip
        c.line(5, 11, 10, 6, hex(0xe8e0d0));
        c.line(6, 11, 11, 6, hex(0xa89a88));
        c.set(11, 5, hex(0x80f0ff));
        c.set(12, 4, hex(0xe0ffff));
        c.set(13, 3, hex(0x80f0ff));
        c.set(13, 5, hex(0x80f0ff));
        c.set(11, 3, hex(0x80f0ff));
    }
    return c;
}

Canvas axeItem(int kind) {
    Canvas c(16, 16);
    int top = kind == 0 ? 6 : 2;
    c.line(3, 14, 11, top + 2, Wood);
    c.line(4, 14, 12, top + 2, WoodDark);
    Rgb metal = Steel;
    if (kind >= 3) metal = hex(0x9aa0aa);          // iron
    Rgb trim = kind == 4 ? Gold : (kind == 5 ? hex(0xc03030) : SteelDark);
    int size = kind == 0 ? 2 : (kind == 1 ? 3 : 4);
    // The head: a crescent blade on the right of the haft top.
    for (int y = -size; y <= size; ++y) {
        int reach = size - std::abs(y) / 2;
        for (int x = 0; x <= reach; ++x) c.set(12 + x, top + 2 + y, x == reach ? SteelLight : metal);
    }
    if (kind >= 2) // battle axes are double-bitted
        for (int y = -size + 1; y <= size - 1; ++y) {
            int reach = size - 1 - std::abs(y) / 2;
            for (int x = 0; x <= reach; ++x) c.set(10 - x, top + 2 + y, x == reach ? SteelLight : shade(metal, 0.85f));
        }
    c.rect(11, top + 1, 1, 3, trim);
    if (kind == 5) c.set(12, top + 2, hex(0xff4040)); // the ruby of the rubioux axe
    if (kind == 4) c.set(13, top, Gold);
    return c;
}

Canvas bag(Rgb cloth) {
    Canvas c(16, 16);
    c.ellipse(8.0f, 10.5f, 5.5f, 4.5f, cloth);
    c.ellipse(6.5f, 9.0f, 2.5f, 2.0f, shade(cloth, 1.2f));
    c.ellipse(8.0f, 14.0f, 5.0f, 1.0f, shade(cloth, 0.7f));
    c.rect(6, 4, 4, 3, cloth);
    c.rect(5, 3, 6, 1, shade(cloth, 0.8f));
    c.rect(6, 6, 4, 1, Gold); // drawstring
    c.set(10, 7, Gold);
    c.set(11, 8, Gold);
    return c;
}

Canvas potion(Rgb liquid) {
    Canvas c(16, 16);
    Rgb glass = hex(0xd0e4ec);
    c.disc(8.0f, 10.0f, 4.6f, glass);
    c.disc(8.0f, 10.5f, 4.0f, liquid);
    c.rect(4, 7, 9, 2, glass); // air above the liquid
    c.rect(5, 8, 7, 1, shade(liquid, 1.2f));
    c.rect(7, 3, 3, 4, glass);
    c.rect(7, 2, 3, 1, Wood); // cork
    c.rect(6, 1, 5, 1, hex(0xa87040));
    c.set(6, 9, hex(0xffffff));
    c.set(6, 10, shade(liquid, 1.5f));
    c.set(11, 13, shade(liquid, 0.6f));
    return c;
}

Canvas robe(Rgb cloth, Rgb trim) {
    Canvas c(16, 16);
    c.stamp(0, 0,
            {"................",
             ".....CCtCCC.....",
             "....CCCtCCCc....",
             "...CCCCtCCCcc...",
             "..CCCCCtCCCCcc..",
             "..CC.CCtCCC.cc..",
             "..TT.CCtCCC.TT..",
             ".....CCtCCCc....",
             ".....CCtCCCc....",
             "....CCCtCCCcc...",
             "....CCCtCCCcc...",
             "...CCCCtCCCCcc..",
             "...CCCCtCCCCcc..",
             "...TTTTTTTTTTT..",
             "................",
             "................"},
            {{'C', cloth}, {'c', shade(cloth, 0.7f)}, {'t', trim}, {'T', trim}});
    c.rect(6, 4, 1, 1, shade(cloth, 1.25f));
    return c;
}

Canvas armour(int kind) {
    // A cuirass seen from the front; material and details differ by kind.
    Rgb base, dark, light;
    switch (kind) {
    case 0: base = hex(0x9a6a3a); break;  // leather
    case 1: base = Wood; break;  // studded leather
    case 2: base = hex(0xa8acb4); break;  // chain mail
    case 3: base = hex(0x8a9a8a); break;  // scale
    case 4: base = hex(0xc8ccd6); break;  // plate
    case 5: base = hex(0xd8dce6); break;  // full plate
    default: base = hex(0x6a5ad0); break; // magic
    }
    dark = shade(base, 0.65f);
    light = shade(base, 1.25f);
    Canvas c(16, 16);
    c.stamp(0, 0,
            {"................",
             "................",
             "...AA......AA...",
             "..AAAA....AAAA..",
             "..AAAAaaaaAAAA..",
             "..AAAAAAAAAAAA..",
             "...AAAAAAAAAd...",
             "...AAAAAAAAAd...",
             "...AAAAAAAAAd...",
             "...AAAAAAAAAd...",
             "....AAAAAAAd....",
             "....AAAAAAAd....",
             "....ddddddddd...",
             "................",
             "................",
             "................"},
            {{'A', base}, {'a', dark}, {'d', dark}});
    switch (kind) {
    case 0:
        c.line(8, 5, 8, 11, dark);
        c.rect(4, 10, 8, 1, hex(0x5a3a22)); // belt
        c.set(8, 10, Gold);
        break;
    case 1:
        for (int y = 5; y < 12; y += 2)
            for (int x = 4 + (y / 2) % 2; x < 12; x += 2) c.set(x, y, hex(0xd0d4dc));
        break;
    case 2:
        for (int y = 5; y < 12; ++y)
            for (int x = 3; x < 13; ++x)
                if (!c.isKey(x, y) && (x + y) % 2 == 0) c.set(x, y, dark);
        break;
    case 3:
        for (int y = 5; y < 12; y += 2)
            for (int x = 3 + (y / 2) % 2; x < 13; x += 2)
                if (!c.isKey(x, y)) {
                    c.set(x, y, light);
                    c.set(x, y + 1, dark);
                }
        break;
    case 4:
        c.rect(5, 5, 6, 1, light);
        c.line(8, 5, 8, 11, light);
        c.rect(4, 9, 8, 1, dark);
        break;
    case 5:
        c.rect(2, 2, 3, 3, light); // big pauldrons
        c.rect(11, 2, 3, 3, light);
        c.line(8, 5, 8, 11, light);
        c.rect(4, 8, 8, 1, dark);
        c.rect(4, 10, 8, 1, dark);
        c.set(8, 6, Gold);
        c.rect(4, 12, 3, 2, base); // tassets
        c.rect(9, 12, 3, 2, base);
        break;
    default:
        c.line(8, 5, 8, 11, Gold);
        c.rect(6, 7, 5, 1, Gold);
        c.disc(8.5f, 7.5f, 1.2f, hex(0x80f0ff));
        c.set(3, 3, hex(0xe0d0ff));
        c.set(12, 2, hex(0xe0d0ff));
        c.set(13, 9, hex(0xe0d0ff));
        break;
    }
    return c;
}

Canvas socket() {
    Canvas c(16, 16);
    c.ring(8.0f, 8.0f, 5.5f, 2.0f, Gold);
    c.ring(8.0f, 8.0f, 5.5f, 1.0f, GoldDark);
    c.disc(8.0f, 8.0f, 3.5f, hex(0x2a2430));
    for (auto [x, y] : {std::pair{8, 2}, {13, 8}, {8, 13}, {2, 8}}) c.rect(x - 1, y - 1, 2, 2, GoldDark); // prongs
    c.set(6, 6, hex(0x5a5060));
    return c;
}

// Rounded-corner overlays: a quarter disc of rock filling one corner.
Canvas corner(int which) {
    Canvas c(16, 16);
    int cx = (which == 1 || which == 4) ? 0 : 16;
    int cy = (which == 1 || which == 2) ? 0 : 16;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            float d = std::hypot(float(x) + 0.5f - float(cx), float(y) + 0.5f - float(cy));
            if (d > 9.0f) continue;
            Rgb rock = shade(hex(0x5a4e44), 0.9f + hash01(x, y, uint32_t(which)) * 0.2f);
            if (d > 8.0f) rock = hex(0x8a7e70); // lit rim
            c.set(x, y, rock);
        }
    return c;
}

} // namespace

Canvas paintItem(const std::string& name) {
    std::string n = name.substr(0, name.size() - 4);
    if (n == "blank") return Canvas(16, 16); // an empty slot: all transparent
    if (n == "socket") return socket();
    if (n.rfind("alleviated_corner", 0) == 0) return corner(n.back() - '0');
    if (n.rfind("item_", 0) != 0) throw std::invalid_argument("item picture " + name);
    n = n.substr(5);
    Canvas c(16, 16);
    auto b = [](int len, int w, Rgb metal, Rgb guard, int span, int grip, int curve = 0, bool gem = false,
                bool dbl = false) { return blade({len, w, metal, guard, span, grip, curve, gem, dbl}); };
    if (n == "knife") c = b(4, 1, Steel, SteelDark, 0, 2);
    else if (n == "dagger") c = b(6, 1, Steel, Gold, 1, 2);
    else if (n == "short_sword") c = b(8, 2, Steel, SteelDark, 2, 2);
    else if (n == "gauche") c = b(6, 1, Steel, Gold, 3, 2, 0, true);
    else if (n == "long_sword") c = b(10, 2, Steel, GoldDark, 2, 2);
    else if (n == "bastard_sword") c = b(10, 2, Steel, SteelDark, 3, 3);
    else if (n == "kopesh") c = b(8, 2, hex(0xd8b070), Gold, 1, 2, 4);
    else if (n == "blade") c = b(9, 1, SteelLight, SteelDark, 1, 2, 2);
    else if (n == "blade_ameliorated") c = b(9, 1, hex(0x9ae0ff), Gold, 1, 2, 2, true);
    else if (n == "behead") c = b(9, 3, SteelDark, hex(0x5a5a62), 2, 3, -2);
    else if (n == "broad_sword") c = b(9, 3, Steel, GoldDark, 3, 2);
    else if (n == "horner") c = polearmHead(Steel, 1);
    else if (n == "glaive") c = polearmHead(Steel, 0);
    else if (n == "saber") c = b(9, 2, Steel, Gold, 2, 2, 3);
    else if (n == "saber_ameliorated") c = b(9, 2, hex(0xffd0a0), Gold, 2, 2, 3, true);
    else if (n == "whale_blade") c = b(10, 3, hex(0xe0e8f0), hex(0x4a6a9a), 2, 2, 1);
    else if (n == "whale_blade_ameliorated") c = b(10, 3, hex(0x9ad8f0), Gold, 2, 2, 1, true);
    else if (n == "two_handed_sword") c = b(11, 2, Steel, SteelDark, 3, 3);
    else if (n == "two_bladed_sword") c = b(6, 2, Steel, SteelDark, 1, 0, 0, false, true);
    else if (n == "two_bladed_sword_ameliorated") c = b(6, 2, hex(0xc0a0ff), Gold, 1, 0, 0, true, true);
    else if (n == "bag") c = bag(hex(0xa87a4a));
    else if (n == "blue_bag") c = bag(hex(0x3a5ac0));
    else if (n == "maul") c = bludgeon(0);
    else if (n == "morningstar") c = bludgeon(1);
    else if (n == "mace") c = bludgeon(2);
    else if (n == "war_mace") c = bludgeon(3);
    else if (n == "staff") c = stick(0);
    else if (n == "rod") c = stick(1);
    else if (n == "wand") c = stick(2);
    else if (n == "hand_axe") c = axeItem(0);
    else if (n == "axe") c = axeItem(1);
    else if (n == "battle_axe") c = axeItem(2);
    else if (n == "iron_battle_axe") c = axeItem(3);
    else if (n == "iron_ordered_battle_axe") c = axeItem(4);
    else if (n == "iron_rubioux_battle_axe") c = axeItem(5);
    else if (n == "potion_red") c = potion(hex(0xd83030));
    else if (n == "potion_green") c = potion(hex(0x40c040));
    else if (n == "potion_blue") c = potion(hex(0x3060e0));
    else if (n == "potion_yellow") c = potion(hex(0xe8d030));
    else if (n == "potion_white") c = potion(hex(0xf0f0f0));
    else if (n == "blue_robe") c = robe(hex(0x3a5ad0), Gold);
    else if (n == "red_robe") c = robe(hex(0xc03030), hex(0x2a2a2a));
    else if (n == "gray_robe") c = robe(hex(0x8a8a90), hex(0xe0e0e0));
    else if (n == "leather_armor") c = armour(0);
    else if (n == "studded_leather_armor") c = armour(1);
    else if (n == "chain_mail") c = armour(2);
    else if (n == "scale_armor_b") c = armour(3);
    else if (n == "plate_armor") c = armour(4);
    else if (n == "full_plate_armor") c = armour(5);
    else if (n == "magic_armor") c = armour(6);
    else throw std::invalid_argument("item picture " + name);
    c.outline();
    return c;
}

} // namespace delve::art
