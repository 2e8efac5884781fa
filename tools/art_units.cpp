// Unit pictures: 16 x 16 figures on the transparent key colour, each with
// its own silhouette and palette, outlined in ink so they read on any tile.
#include <cmath>
#include <functional>
#include <map>
#include <stdexcept>

#include "tools/art.h"
#include "tools/art_common.h"

namespace delve::art {

namespace {

using Rows = std::vector<std::string>;
using Legend = std::vector<Canvas::Legend>;

// Body shapes shared by the people and the dead. Letters: S skin, s skin
// shade, E eyes, C clothes, c clothes shade, D trim, L legs, l boots,
// B bone, b bone shade, H hair.
const Rows Robed = {
    "................",
    "................",
    "......SSSS......",
    ".....SSSSSs.....",
    ".....SESSEs.....",
    ".....SSSSSs.....",
    "......SSss......",
    ".....CCCCCc.....",
    "....CCCDCCcc....",
    "...SCCCDCCCcS...",
    "...SCCCDCCCcS...",
    "....CCCDCCCc....",
    "....CCCCCCCc....",
    "...CCCCCCCCcc...",
    "...cccccccccc...",
    "................",
};

const Rows Tunic = {
    "................",
    "................",
    "......SSSS......",
    ".....SSSSSs.....",
    ".....SESSEs.....",
    ".....SSSSSs.....",
    "......SSss......",
    ".....CCCCCc.....",
    "....CCCCCCcc....",
    "...SCCCCCCCcS...",
    "...SCDDDDDDcS...",
    "....CCCCCCCc....",
    ".....LL..Ll.....",
    ".....LL..Ll.....",
    "....lll..lll....",
    "................",
};

const Rows Small = { // goblins and dwarves: big head, short body
    "................",
    "................",
    "................",
    "................",
    "......SSSS......",
    ".....SSSSSs.....",
    ".....SESSEs.....",
    ".....SSSSSs.....",
    "......ssss......",
    "....SCCCCCcS....",
    "....SCDDDDcS....",
    ".....CCCCCc.....",
    ".....LL.Ll......",
    ".....LL.Ll......",
    "....lll.lll.....",
    "................",
};

const Rows Big = { // ogres and minotaurs: broad shoulders, heavy arms
    "................",
    "......SSSS......",
    ".....SSSSSs.....",
    ".....SESSEs.....",
    ".....SSSSSs.....",
    "...SSSSSSSSss...",
    "..SSCCCCCCCCss..",
    "..SSCCCCCCCCss..",
    "..SsCCCCCCCcss..",
    "..Ss.DDDDDD.ss..",
    "..SS.CCCCCc.SS..",
    ".....LLL.LLl....",
    ".....LLL.LLl....",
    ".....LL...Ll....",
    "....lll...lll...",
    "................",
};

const Rows Skeleton = {
    "................",
    "................",
    "......BBBB......",
    ".....BBBBBb.....",
    ".....BEBBEb.....",
    ".....BBBBBb.....",
    "......BbBb......",
    ".......BB.......",
    ".....BBBBBB.....",
    "....B.BBBB.B....",
    "....B.bBBb.B....",
    "....B..BB..B....",
    "......B..B......",
    "......B..B......",
    ".....BB..BB.....",
    "................",
};

struct Palette {
    Rgb skin, skinShade, eyes, cloth, clothShade, trim, legs, boots, bone, boneShade, hair;
};

Legend legendOf(const Palette& p) {
    return {{'S', p.skin}, {'s', p.skinShade}, {'E', p.eyes},  {'C', p.cloth},
            {'c', p.clothShade}, {'D', p.trim}, {'L', p.legs}, {'l', p.boots},
            {'B', p.bone}, {'b', p.boneShade}, {'H', p.hair}};
}

Palette people(Rgb skin, Rgb cloth, Rgb trim) {
    Palette p;
    p.skin = skin;
    p.skinShade = shade(skin, 0.78f);
    p.eyes = hex(0x2a2030);
    p.cloth = cloth;
    p.clothShade = shade(cloth, 0.7f);
    p.trim = trim;
    p.legs = hex(0x5a4a3a);
    p.boots = hex(0x3a2a22);
    p.bone = hex(0xe8e2cc);
    p.boneShade = hex(0xa8a08a);
    p.hair = hex(0x5a3a22);
    return p;
}

Palette bones(Rgb bone, Rgb eyes) {
    Palette p = people(bone, hex(0x6a6a72), hex(0x8a6a40));
    p.bone = bone;
    p.boneShade = shade(bone, 0.7f);
    p.eyes = eyes;
    return p;
}

Canvas figure(const Rows& body, const Palette& p) {
    Canvas c(16, 16);
    c.stamp(0, 0, body, legendOf(p));
    return c;
}

Canvas beast(const Rows& rows, const Legend& legend) {
    Canvas c(16, 16);
    c.stamp(0, 0, rows, legend);
    return c;
}

// ---- things people carry ----
void staff(Canvas& c, int x, int top, Rgb wood, Rgb gem) {
    c.line(x, top, x, 14, wood);
    c.set(x, top - 1, gem);
    c.set(x - 1, top, gem);
    c.set(x + 1, top, gem);
    c.set(x, top, shade(gem, 1.5f));
}
void sword(Canvas& c, int x, int hiltY, Rgb blade) {
    c.line(x, hiltY - 6, x, hiltY - 1, blade);
    c.set(x, hiltY - 7, shade(blade, 1.3f));
    c.rect(x - 1, hiltY, 3, 1, GoldDark);
    c.set(x, hiltY + 1, WoodDark);
}
void axe(Canvas& c, int x, int top, Rgb head) {
    c.line(x, top, x, top + 10, hex(0x7a5030));
    c.rect(x + 1, top, 2, 3, head);
    c.set(x + 3, top + 1, head);
    c.set(x + 1, top, shade(head, 1.3f));
}
void club(Canvas& c, int x, int top) {
    c.line(x, top + 3, x, top + 10, hex(0x7a5030));
    c.rect(x - 1, top, 3, 4, hex(0x8a6038));
    c.set(x - 1, top, hex(0xa87a48));
}
void roundShield(Canvas& c, int cx, int cy, Rgb face, Rgb boss) {
    c.disc(float(cx), float(cy), 2.6f, shade(face, 0.7f));
    c.disc(float(cx), float(cy), 2.0f, face);
    c.set(cx - 1, cy - 1, boss);
}
void wizardHat(Canvas& c, Rgb hat) {
    c.stamp(0, 0,
            {"........h.......",
             ".......HH.......",
             "......HHHh......",
             "....HHHHHHhh...."},
            {{'H', hat}, {'h', shade(hat, 0.7f)}});
}
void helmet(Canvas& c, Rgb metal, int top = 1) {
    c.rect(5, top, 6, 2, metal);
    c.rect(6, top - 1, 4, 1, metal);
    c.set(6, top - 1, shade(metal, 1.3f));
    c.rect(7, top + 2, 2, 2, shade(metal, 0.8f)); // nose guard
}
void hood(Canvas& c, Rgb cloth, int top = 1) {
    c.rect(5, top, 6, 2, cloth);
    c.rect(6, top - 1, 4, 1, cloth);
    c.rect(4, top + 1, 1, 5, cloth);
    c.rect(11, top + 1, 1, 5, shade(cloth, 0.7f));
    c.rect(5, top + 2, 1, 4, shade(cloth, 0.7f));
    c.rect(10, top + 2, 1, 4, shade(cloth, 0.6f));
}
void beard(Canvas& c, Rgb col, int top, int len) {
    c.rect(6, top, 4, len - 1, col);
    c.rect(7, top + len - 1, 2, 1, col);
    c.set(9, top, shade(col, 0.8f));
}
void crown(Canvas& c, int top) {
    c.rect(6, top, 4, 1, Gold);
    c.set(6, top - 1, Gold);
    c.set(8, top - 1, Gold);
    c.set(9, top - 1, Gold);
    c.set(7, top, hex(0xe03040));
}
void flamesAround(Canvas& c, uint32_t seed, float strength) {
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (!(c.get(x, y) == Key)) continue;
            bool near = false;
            for (int d = -1; d <= 1; ++d)
                if (!c.isKey(x + d, y + 1) && c.inside(x + d, y + 1)) near = true;
            if (near && hash01(x, y, seed) < strength)
                c.set(x, y, hash01(x, y, seed + 1) < 0.5f ? hex(0xffa020) : hex(0xe8501a));
        }
}

// ---- the people ----
Canvas mage() {
    Palette p = people(hex(0xf0c8a0), hex(0x3a5ad0), Gold);
    Canvas c = figure(Robed, p);
    wizardHat(c, hex(0x3a4ab8));
    beard(c, hex(0xf0f0f0), 6, 4);
    c.set(7, 5, hex(0xd09878));
    staff(c, 13, 3, Wood, hex(0x70e0ff));
    c.set(12, 9, p.skin);
    return c;
}

Canvas fighter() {
    Palette p = people(hex(0xe8b890), hex(0x9aa2b0), hex(0xc03030));
    p.legs = hex(0x6a6e78);
    p.boots = hex(0x4a3a2e);
    Canvas c = figure(Tunic, p);
    helmet(c, hex(0xb8c0cc));
    c.rect(5, 7, 6, 1, hex(0xc03030)); // red tabard line
    c.rect(7, 8, 2, 3, hex(0xc03030));
    sword(c, 13, 10, hex(0xe0e4ea));
    roundShield(c, 3, 10, hex(0xc03030), Gold);
    return c;
}

Canvas cleric() {
    Palette p = people(hex(0xe8b890), hex(0xeae6dc), Gold);
    Canvas c = figure(Robed, p);
    c.rect(6, 2, 4, 1, Wood); // tonsured brown hair
    c.set(5, 3, Wood);
    c.set(10, 3, Wood);
    c.rect(6, 8, 4, 1, Gold); // golden sun on the chest
    c.rect(7, 7, 2, 3, Gold);
    // A mace held high.
    c.line(13, 4, 13, 12, hex(0x8a6a40));
    c.rect(12, 2, 3, 3, hex(0xb8bcc4));
    c.set(12, 2, hex(0xe8ecf4));
    return c;
}

Canvas bandit() {
    Palette p = people(hex(0xd8a880), hex(0x4a5a32), hex(0x6a4a2a));
    Canvas c = figure(Tunic, p);
    hood(c, hex(0x3a3a2a));
    c.rect(5, 5, 6, 1, hex(0x2a2a22)); // mask over the mouth
    c.set(6, 4, hex(0xf0f0d0));
    c.set(9, 4, hex(0xf0f0d0));
    c.line(13, 7, 13, 10, hex(0xd0d4dc)); // dagger
    c.set(13, 11, WoodDark);
    c.set(3, 11, Gold);          // stolen gold pouch
    c.set(3, 12, GoldDark);
    return c;
}

Canvas dwarf() {
    Palette p = people(hex(0xe8b08a), hex(0x8a4a2a), hex(0x5a3a22));
    Canvas c = figure(Small, p);
    helmet(c, hex(0x9aa2b0), 3);
    c.set(5, 3, hex(0xe8e0d0)); // horns
    c.set(10, 3, hex(0xe8e0d0));
    c.set(4, 2, hex(0xe8e0d0));
    c.set(11, 2, hex(0xe8e0d0));
    c.rect(5, 8, 6, 4, hex(0xd86a2a)); // great orange beard
    c.rect(6, 12, 4, 1, hex(0xd86a2a));
    c.set(7, 13, hex(0xb8501e));
    axe(c, 12, 5, hex(0xc0c4cc));
    return c;
}

Canvas goblin() {
    Palette p = people(hex(0x7ab040), hex(0x6a4a2a), hex(0x3a2a1a));
    p.eyes = hex(0xf0e020);
    Canvas c = figure(Small, p);
    c.set(4, 5, p.skin); // long pointed ears
    c.set(3, 4, p.skin);
    c.set(11, 5, p.skinShade);
    c.set(12, 4, p.skinShade);
    c.set(7, 8, hex(0xf0f0e0)); // teeth
    c.set(8, 8, hex(0xf0f0e0));
    c.line(12, 8, 12, 11, hex(0xc0c4cc)); // jagged knife
    c.set(13, 9, hex(0xc0c4cc));
    c.set(12, 12, WoodDark);
    return c;
}

Canvas orc() {
    Palette p = people(hex(0x6a8a5a), hex(0x5a4a42), hex(0x8a3a2a));
    p.eyes = hex(0xe03020);
    p.legs = hex(0x4a3a32);
    Canvas c = figure(Tunic, p);
    c.rect(6, 1, 4, 2, hex(0x2a2a2a)); // black topknot
    c.set(8, 0, hex(0x2a2a2a));
    c.set(6, 5, hex(0xf0f0e0));         // tusks
    c.set(9, 5, hex(0xf0f0e0));
    c.rect(4, 7, 2, 2, hex(0x8a8e96));  // spiked pauldrons
    c.rect(10, 7, 2, 2, hex(0x8a8e96));
    c.set(4, 6, hex(0xc0c4cc));
    c.set(11, 6, hex(0xc0c4cc));
    axe(c, 13, 3, hex(0x9aa2b0));
    return c;
}

Canvas ogre() {
    Palette p = people(hex(0xc8a070), hex(0x7a5a3a), hex(0x4a3a2a));
    p.eyes = hex(0x2a2020);
    Canvas c = figure(Big, p);
    c.set(6, 4, hex(0xf0f0e0)); // underbite tooth
    c.set(9, 4, hex(0xf0f0e0));
    c.rect(6, 1, 4, 1, hex(0x5a4a3a)); // thin hair
    club(c, 14, 2);
    return c;
}

Canvas minotaur() {
    Palette p = people(hex(0x8a5a3a), hex(0x5a4a42), GoldDark);
    p.eyes = hex(0xe02020);
    Canvas c = figure(Big, p);
    c.rect(6, 4, 4, 1, hex(0x6a4028)); // muzzle
    c.set(7, 4, hex(0x3a2420));
    c.set(8, 4, hex(0x3a2420));
    c.set(7, 5, Gold);        // nose ring
    c.line(5, 1, 3, 0, hex(0xe8e0d0)); // horns
    c.line(10, 1, 12, 0, hex(0xe8e0d0));
    c.set(4, 1, hex(0xe8e0d0));
    c.set(11, 1, hex(0xe8e0d0));
    // Double axe.
    c.line(14, 1, 14, 13, hex(0x7a5030));
    c.rect(12, 2, 2, 3, hex(0xb8bcc4));
    c.rect(15, 2, 1, 3, hex(0xb8bcc4));
    return c;
}

Canvas drius() { // a dryad: bark skin and a crown of leaves
    Palette p = people(hex(0xa8c080), hex(0x3a8a3a), Wood);
    Canvas c = figure(Robed, p);
    c.rect(5, 1, 6, 2, hex(0x4aa03a));
    c.set(4, 2, hex(0x4aa03a));
    c.set(11, 2, hex(0x3a7a2a));
    c.set(4, 4, hex(0x4aa03a));
    c.set(11, 5, hex(0x3a7a2a));
    c.set(6, 1, hex(0xf06080)); // a blossom
    for (int y = 8; y < 14; y += 2) c.set(7, y, hex(0x6a4a2a));
    c.line(13, 6, 13, 14, hex(0x7a5030)); // living branch
    c.set(14, 5, hex(0x5ab04a));
    c.set(12, 5, hex(0x5ab04a));
    return c;
}

Canvas medusa() {
    Palette p = people(hex(0x9ac890), hex(0x6a3a7a), Gold);
    p.eyes = hex(0xf0e020);
    Canvas c = figure(Robed, p);
    // Hair of green snakes writhing out of the head.
    const int snakes[][2] = {{5, 1}, {4, 2}, {3, 3}, {7, 0}, {8, 1}, {10, 0}, {11, 1}, {12, 2}, {4, 5}, {11, 4}};
    for (auto& s : snakes) c.set(s[0], s[1], hex(0x3a9a3a));
    c.rect(5, 2, 6, 1, hex(0x2a7a2a));
    c.set(3, 3, hex(0xe03020));
    c.set(12, 2, hex(0xe03020));
    c.set(7, 0, hex(0xe03020));
    // Serpent tail instead of feet.
    c.rect(3, 13, 10, 2, hex(0x5a8a4a));
    c.rect(12, 12, 2, 2, hex(0x5a8a4a));
    c.set(14, 11, hex(0x5a8a4a));
    for (int x = 4; x < 12; x += 2) c.set(x, 14, hex(0x3a6a2a));
    return c;
}

Canvas lich() {
    Palette p = bones(hex(0xd8d4c0), hex(0x40f0ff));
    p.cloth = hex(0x3a2a4a);
    p.clothShade = hex(0x22182e);
    p.trim = hex(0x8a6ab0);
    p.skin = hex(0xd8d4c0);
    p.skinShade = hex(0xa8a490);
    Canvas c = figure(Robed, p);
    c.rect(6, 5, 4, 1, hex(0x8a8470)); // teeth
    c.set(7, 5, hex(0xd8d4c0));
    crown(c, 2);
    c.set(3, 9, p.skin);
    staff(c, 13, 2, hex(0x3a3440), hex(0x40f0ff));
    c.set(12, 1, hex(0xd8d4c0)); // skull on the staff
    c.set(13, 0, hex(0xd8d4c0));
    return c;
}

Canvas pleidian() { // slender grey visitor: domed head, huge black eyes, silver suit
    return beast({"................",
                  "......SSSS......",
                  ".....SSSSSSs....",
                  "....SSSSSSSSs...",
                  "....SEESSEESs...",
                  "....SEeSSEeSs...",
                  ".....SSSSSSs....",
                  "......SSSs......",
                  ".......Ss.......",
                  ".....MMMMMm.....",
                  "....SMMGMMmS....",
                  "....S.MMMMm.S...",
                  "......MMMm......",
                  "......M..m......",
                  "......M..m......",
                  ".....MM..mm....."},
                 {{'S', hex(0xb0bcc8)}, {'s', hex(0x7a8898)}, {'E', hex(0x14142a)}, {'e', hex(0x5a6aa0)},
                  {'M', hex(0xd8e0ea)}, {'m', hex(0x9aa6b4)}, {'G', hex(0x60e0ff)}});
}

Canvas nabos() { // squat horned demonling with leathery wings
    Canvas c(16, 16);
    c.stamp(0, 0,
            {"................",
             "................",
             "....h......h....",
             "....hh....hh....",
             "W....PPPPPp....W",
             "WW..PYPPYPp...WW",
             "WWW.PPPPPPp..WWW",
             "WWWWPPwwPPpWWWWW",
             ".WWWPPPPPPpWWWW.",
             "..W.PPPPPPp.WW..",
             "....PPPPPPp.....",
             ".....PPPPp......",
             ".....PP.Pp......",
             ".....PP..p......",
             "....ppp.ppp.....",
             "................"},
            {{'P', hex(0x8a4aa8)}, {'p', hex(0x5a2a78)}, {'h', hex(0xe8d0b0)},
             {'Y', hex(0xf0e020)}, {'w', hex(0xf0f0f0)}, {'W', hex(0x4a2a52)}});
    c.line(11, 12, 13, 14, hex(0x5a2a78)); // tail
    c.set(14, 14, hex(0xe03030));
    return c;
}

Canvas zombie() {
    Palette p = people(hex(0x8aa870), hex(0x5a5a7a), hex(0x4a3a2a));
    p.eyes = hex(0xe8e020);
    Canvas c = figure(Tunic, p);
    c.rect(6, 2, 3, 1, hex(0x3a3a2a)); // tufts of hair
    c.set(10, 2, hex(0x3a3a2a));
    c.set(7, 5, hex(0x5a2020));        // gaping mouth
    // Arms reaching forward, rags.
    c.rect(11, 8, 4, 1, p.skin);
    c.rect(11, 10, 4, 1, p.skinShade);
    c.set(3, 9, Key);
    c.set(3, 10, Key);
    c.set(6, 11, hex(0x8a2020));
    c.set(9, 9, hex(0x3a3a5a));
    c.set(5, 12, Key);
    return c;
}

// ---- the dead ----
Canvas skeleton(const std::string& kind) {
    Palette p = bones(hex(0xe8e2cc), hex(0x2a2030));
    if (kind == "squeletton") {
        Canvas c = figure(Skeleton, p);
        c.line(13, 6, 13, 12, hex(0x8a6a40)); // a bare bone club
        c.set(13, 5, p.bone);
        return c;
    }
    if (kind == "zombi_wounded") { // half flesh, half bone, bleeding
        Canvas c = figure(Skeleton, p);
        c.rect(5, 8, 3, 3, hex(0x7a9a5a));
        c.rect(5, 2, 2, 4, hex(0x7a9a5a));
        c.set(6, 9, hex(0xa02020));
        c.set(7, 10, hex(0xc03030));
        c.set(6, 11, hex(0xa02020));
        c.set(9, 13, hex(0xa02020));
        c.set(6, 4, hex(0xe0e020));
        return c;
    }
    if (kind == "zombi") return zombie();
    if (kind == "sturdy") { // thick bones and a tower shield
        Canvas c = figure(Skeleton, p);
        c.rect(6, 8, 4, 3, p.bone);
        c.rect(5, 9, 1, 3, p.bone);
        c.rect(2, 7, 4, 7, hex(0x6a4a2a));
        c.frame(2, 7, 4, 7, hex(0x9aa2b0));
        c.set(3, 9, hex(0x9aa2b0));
        return c;
    }
    if (kind == "monster") { // a skeletal beast on four legs with a horned skull
        Canvas c(16, 16);
        c.stamp(0, 0,
                {"................",
                 "................",
                 "..h.............",
                 "..hh............",
                 "..BBBb..........",
                 ".BEBBBb.........",
                 ".BBBBBBBBBBBBB..",
                 "..wwBbBBbBBbBBB.",
                 "....BbBBbBBbBB..",
                 "....B.B..B..B...",
                 "....B.B..B..B...",
                 "...B..B..B...B..",
                 "...B..B..B...B..",
                 "..BB.BB.BB..BB..",
                 "................",
                 "................"},
                {{'B', p.bone}, {'b', p.boneShade}, {'E', hex(0xe03020)}, {'h', hex(0x8a8070)},
                 {'w', hex(0xf0f0f0)}});
        return c;
    }
    if (kind == "brave") { // sword raised and a red plume
        Canvas c = figure(Skeleton, p);
        c.rect(6, 1, 4, 2, hex(0x9aa2b0));
        c.rect(7, 0, 2, 1, hex(0xd03030));
        c.set(9, 0, hex(0xd03030));
        c.set(10, 1, hex(0xd03030));
        c.line(12, 1, 12, 8, hex(0xe0e4ea));
        c.rect(11, 8, 3, 1, GoldDark);
        return c;
    }
    if (kind == "floating") { // a ghostly upper body trailing mist
        Palette g = bones(hex(0xc8e0f0), hex(0x40a0ff));
        Canvas c(16, 16);
        Rows top(Skeleton.begin(), Skeleton.begin() + 11);
        c.stamp(0, 1, top, legendOf(g));
        for (int y = 11; y < 15; ++y)
            for (int x = 5 + (y - 11) / 2; x < 11 - (y - 11) / 2; ++x)
                if ((x + y) % 3 != 0) c.set(x, y, mix(hex(0x8ab0d0), hex(0x4a6a9a), float(y - 11) / 4.0f));
        c.set(3, 10, hex(0xa0c8e8));
        c.set(12, 10, hex(0xa0c8e8));
        return c;
    }
    if (kind == "fire") {
        Palette f = bones(hex(0xf0c060), hex(0xffffff));
        f.boneShade = hex(0xc06020);
        Canvas c = figure(Skeleton, f);
        flamesAround(c, 872, 0.7f);
        c.set(6, 4, hex(0xfff0a0));
        c.set(9, 4, hex(0xfff0a0));
        return c;
    }
    if (kind == "ogre") { // a huge skeleton with a club
        Canvas c(16, 16);
        c.stamp(0, 0,
                {"................",
                 "......BBBB......",
                 ".....BBBBBb.....",
                 ".....BEBBEb.....",
                 ".....BBBBBb.....",
                 "......wBwB......",
                 "..BBBBBBBBBBBB..",
                 "..B..BBBBBB..B..",
                 "..B..bBBBBb..B..",
                 "..B..BBBBBB..B..",
                 "..BB..BBBB..BB..",
                 "......BBBB......",
                 ".....BB..BB.....",
                 ".....B....B.....",
                 "....BB....BB....",
                 "................"},
                {{'B', p.bone}, {'b', p.boneShade}, {'E', hex(0xe03020)}, {'w', hex(0xa8a08a)}});
        club(c, 14, 3);
        return c;
    }
    if (kind == "armored") { // rusted mail, helm and greaves
        Canvas c = figure(Skeleton, p);
        c.rect(5, 1, 6, 3, hex(0x7a7e88));
        c.rect(5, 3, 1, 2, hex(0x7a7e88));
        c.rect(10, 3, 1, 2, hex(0x5a5e68));
        c.set(6, 1, hex(0xa8acb4));
        c.rect(5, 7, 6, 4, hex(0x7a7e88));
        for (int x = 5; x < 11; x += 2) c.set(x, 8, hex(0x8a5a3a));
        c.rect(5, 13, 2, 2, hex(0x7a7e88));
        c.rect(9, 13, 2, 2, hex(0x7a7e88));
        return c;
    }
    if (kind == "warrior") { // sword and round shield
        Canvas c = figure(Skeleton, p);
        sword(c, 12, 11, hex(0xd0d4dc));
        roundShield(c, 3, 10, hex(0x6a4a2a), hex(0xc0c4cc));
        c.rect(5, 1, 6, 1, hex(0x8a8e96));
        return c;
    }
    if (kind == "evil") { // horned skull, purple robe, burning red eyes
        Palette e = bones(hex(0xd8d0c0), hex(0xff2020));
        e.cloth = hex(0x5a1a6a);
        e.clothShade = hex(0x3a0a4a);
        e.trim = hex(0xd03030);
        e.skin = e.bone;
        e.skinShade = e.boneShade;
        Canvas c = figure(Robed, e);
        c.set(4, 1, hex(0x3a3030));
        c.set(5, 2, hex(0x3a3030));
        c.set(11, 1, hex(0x3a3030));
        c.set(10, 2, hex(0x3a3030));
        c.rect(6, 5, 4, 1, hex(0x8a8070));
        c.disc(13.0f, 8.0f, 1.6f, hex(0xd03030)); // a cursed orb in hand
        c.set(12, 7, hex(0xff8080));
        return c;
    }
    throw std::invalid_argument("skeleton " + kind);
}

// ---- beasts ----
Canvas giantRat() {
    return beast({"................",
                  "................",
                  "................",
                  "................",
                  "................",
                  ".........pp.....",
                  "........pGGp....",
                  "...GGGGGGGGGG...",
                  "..GGGGGGGGGGEGG.",
                  ".tGgGGGGGGGGGGGn",
                  "t.ggGGGGGGGGGGw.",
                  "t..ggggggggggg..",
                  "t...gg.g..g.gg..",
                  ".tt.pp.p..p.pp..",
                  "...t............",
                  "................"},
                 {{'G', hex(0x8a7a6a)}, {'g', hex(0x5e5248)}, {'p', hex(0xe8a0a0)}, {'t', hex(0xd89090)},
                  {'E', hex(0xe02020)}, {'n', hex(0xf0a0b0)}, {'w', hex(0xf0f0f0)}});
}

Canvas slime(Rgb body, bool cube) {
    Canvas c(16, 16);
    if (cube) { // translucent block with swallowed bones
        Rgb glass = hex(0x7ad8c8);
        c.rect(2, 3, 12, 11, glass);
        c.rect(2, 3, 12, 1, shade(glass, 1.3f));
        c.rect(2, 3, 1, 11, shade(glass, 1.2f));
        c.rect(13, 4, 1, 10, shade(glass, 0.7f));
        c.rect(3, 13, 11, 1, shade(glass, 0.7f));
        c.line(5, 10, 9, 8, hex(0xe8e2cc));
        c.set(4, 10, hex(0xe8e2cc));
        c.set(10, 8, hex(0xe8e2cc));
        c.rect(9, 5, 2, 2, hex(0xe8e2cc));
        c.set(9, 6, hex(0x5a7a70));
        c.set(6, 6, hex(0xd0a040)); // a coin inside
        c.set(11, 11, hex(0x4a9a8a));
        c.set(4, 5, hex(0xf0fff8));
        return c;
    }
    c.ellipse(8.0f, 10.5f, 6.5f, 4.5f, body);
    c.ellipse(8.0f, 8.0f, 4.0f, 4.0f, body);
    c.ellipse(8.0f, 13.5f, 6.5f, 1.2f, shade(body, 0.7f));
    c.ellipse(6.0f, 7.0f, 1.6f, 1.4f, shade(body, 1.4f));
    c.set(5, 6, hex(0xf0fff0));
    c.rect(6, 9, 1, 2, Ink); // eyes
    c.rect(10, 9, 1, 2, Ink);
    c.set(12, 14, shade(body, 0.8f));
    c.set(2, 13, shade(body, 0.8f));
    return c;
}

Canvas dog(bool gor) {
    Rgb fur = gor ? hex(0x4a4248) : hex(0xa8743a);
    Rgb dark = gor ? hex(0x2e282e) : hex(0x7a5028);
    Rgb eye = gor ? hex(0xff3020) : hex(0x2a2030);
    return beast({"................",
                  "................",
                  "................",
                  "................",
                  "..........DD....",
                  "..........FFD...",
                  ".........FFEFF..",
                  "..D......FFFFFFn",
                  "...DFFFFFFFFFw..",
                  "...FFFFFFFFFF...",
                  "...FFFFFFFFFD...",
                  "...FD.DD..FD....",
                  "...F..D...F.....",
                  "...F..D...F.....",
                  "..DD.DD..DD.....",
                  "................"},
                 {{'F', fur}, {'D', dark}, {'E', eye}, {'n', hex(0x2a2020)}, {'w', gor ? hex(0xf0f0f0) : hex(0xd86a6a)}});
}

Canvas serpent(bool fire) {
    Rgb body = fire ? hex(0xe8602a) : hex(0x4a9a3a);
    Rgb belly = fire ? hex(0xf8d04a) : hex(0xc8d870);
    Rgb dark = fire ? hex(0xa0301a) : hex(0x2e6a2a);
    Canvas c = beast({"................",
                      "................",
                      "........SSS.....",
                      ".......SSESS....",
                      ".......SSSSS....",
                      "........SSS.t...",
                      "........SSSt....",
                      "........SS......",
                      ".......SSS......",
                      "....SSSSSbd.....",
                      "..SSbbbbSSSSSS..",
                      ".SSbddddddbbSSS.",
                      ".SSSbbbbbbbbSS..",
                      "..SSSSSSSSSSS...",
                      "................",
                      "................"},
                     {{'S', body}, {'b', belly}, {'d', dark}, {'E', hex(0xf0e020)}, {'t', hex(0xe02040)}});
    for (int x = 3; x < 13; x += 3) c.set(x, 13, dark);
    if (fire) flamesAround(c, 823, 0.45f);
    return c;
}

Canvas fungus() {
    return beast({"................",
                  "................",
                  "................",
                  ".....RRRRRR.....",
                  "...RRWRRRRWRR...",
                  "..RRRRRRRWRRRR..",
                  "..RWRRRRRRRRWR..",
                  "..rrrrrrrrrrrr..",
                  "....uuuuuuuu....",
                  ".....SSSSSS.....",
                  "....SSESSESs....",
                  "....SSSmmSSs....",
                  ".....SSSSSs.....",
                  "....SS.SS.Ss....",
                  "...ss..ss..ss...",
                  "................"},
                 {{'R', hex(0xd0382a)}, {'r', hex(0x8a1e1a)}, {'W', hex(0xf4eee0)}, {'u', hex(0xb8a888)},
                  {'S', hex(0xe8dcc0)}, {'s', hex(0xa89a7e)}, {'E', hex(0x2a2030)}, {'m', hex(0x7a3a3a)}});
}

Canvas beetle(bool fire) {
    Rgb shell = fire ? hex(0xc0301e) : hex(0x2a3a6a);
    Rgb hi = fire ? hex(0xffa030) : hex(0x6a8ad0);
    Canvas c = beast({"................",
                      "......h..h......",
                      ".......hh.......",
                      "......HHHH......",
                      "..l..HEHHEH..l..",
                      "...l.HHHHHH.l...",
                      "....SSSSSSSS....",
                      "..lSSsSSSSsSSl..",
                      "...SSsSSSSsSS...",
                      "..lSSsSSSSsSSl..",
                      "...SSsSSSSsSS...",
                      "..lSSSSSSSSSSl..",
                      "....SSSSSSSS....",
                      ".....SSSSSS.....",
                      "................",
                      "................"},
                     {{'S', shell}, {'s', hi}, {'H', hex(0x2a2a30)}, {'h', hex(0x4a4a50)},
                      {'l', hex(0x3a3a40)}, {'E', fire ? hex(0xffe040) : hex(0xe0e0e0)}});
    c.line(7, 6, 7, 13, shade(shell, 0.6f)); // wing seam
    c.line(8, 6, 8, 13, shade(shell, 0.6f));
    c.set(5, 7, shade(hi, 1.4f));
    return c;
}

Canvas spider() {
    Canvas c = beast({"................",
                      "..l..........l..",
                      "...l........l...",
                      "l...l.....l...l.",
                      ".l...lBBBBl..l..",
                      "..lllBbbbbBlll..",
                      "......BBBB......",
                      "..lllBBBBBBlll..",
                      ".l..lBBrrBBl..l.",
                      "l..l.BBrrBB.l..l",
                      "...l..BBBB..l...",
                      "..l...hEEh...l..",
                      "..l....ff....l..",
                      "................",
                      "................",
                      "................"},
                     {{'B', hex(0x3a2e2a)}, {'b', hex(0x6a5a4a)}, {'l', hex(0x2a2220)}, {'r', hex(0xc03020)},
                      {'h', hex(0x4a3a32)}, {'E', hex(0xe03020)}, {'f', hex(0xe8e0d0)}});
    return c;
}

Canvas rustMonster() {
    return beast({"................",
                  "..a..........a..",
                  "...a........a...",
                  "....a......a....",
                  ".....aRRRRa.....",
                  "....RREaaERR....",
                  "...RRRRRRRRRR...",
                  "..RrRRrRRrRRrR..",
                  "..RRrRRrRRrRRR..",
                  "..RRRRRRRRRRRRt.",
                  "...rRRrRRrRRr..t",
                  "...l.l.l..l.l...",
                  "..l..l..l..l.l..",
                  "................",
                  "................",
                  "................"},
                 {{'R', hex(0xb8602a)}, {'r', hex(0x7a3a1a)}, {'a', hex(0xd89050)}, {'E', hex(0x40f0a0)},
                  {'l', hex(0x6a3a1a)}, {'t', hex(0xa04a20)}});
}

Canvas giantWorm() {
    Canvas c(16, 16);
    Rgb body = hex(0xc88a7a), dark = hex(0x8a5248);
    // A segmented body rising in an S from the ground, mouth ringed with teeth.
    const float pts[][3] = {{3, 13, 2.2f}, {5, 12, 2.3f}, {7, 11, 2.4f}, {9, 10, 2.4f}, {10, 8, 2.4f},
                            {10, 6, 2.5f}, {9, 4, 2.6f}};
    for (auto& p : pts) c.disc(p[0], p[1], p[2], body);
    for (int i = 0; i < 6; ++i) {
        auto& p = pts[i];
        c.set(int(p[0]) - 1, int(p[1]) + 1, dark);
        c.set(int(p[0]), int(p[1]) + 1, dark);
    }
    c.disc(9.0f, 3.5f, 2.0f, hex(0x5a1a22));
    c.set(8, 2, hex(0xf0f0e0));
    c.set(10, 2, hex(0xf0f0e0));
    c.set(8, 4, hex(0xf0f0e0));
    c.set(10, 4, hex(0xf0f0e0));
    c.rect(1, 14, 6, 1, hex(0x7a5a3a)); // churned earth
    c.set(0, 14, hex(0x5a4028));
    return c;
}

Canvas polarBear() {
    return beast({"................",
                  "................",
                  "................",
                  "................",
                  "..........WW....",
                  "..........WWWW..",
                  "...WWWWWWWWEWWn.",
                  "..WWWWWWWWWWWW..",
                  "..WWWWWWWWWWWw..",
                  "..WWWWWWWWWWW...",
                  "..wWWWWWWWWWw...",
                  "..wWW.wwwwWWw...",
                  "...WW.....WW....",
                  "..WWW....WWW....",
                  "................",
                  "................"},
                 {{'W', hex(0xf0f2f6)}, {'w', hex(0xb8c0cc)}, {'E', hex(0x2a2030)}, {'n', hex(0x2a2030)}});
}

Canvas floatingEye(bool mage) {
    Canvas c(16, 16);
    Rgb body = mage ? hex(0x8a4aa8) : hex(0xe0d8d0);
    c.disc(8.0f, 7.0f, 5.5f, body);
    c.disc(6.5f, 5.5f, 2.0f, shade(body, 1.25f));
    c.disc(8.5f, 7.5f, 3.2f, hex(0xf8f8f8));
    c.disc(8.5f, 7.5f, 2.2f, mage ? hex(0xe0c020) : hex(0x3a8ae0));
    c.disc(8.5f, 7.5f, 1.0f, Ink);
    c.set(7, 6, hex(0xffffff));
    c.set(5, 9, hex(0xc04040)); // veins
    c.set(12, 8, hex(0xc04040));
    if (mage) { // eye stalks with small eyes
        const int stalks[][4] = {{4, 3, 2, 0}, {8, 2, 8, 0}, {12, 3, 14, 1}};
        for (auto& s : stalks) {
            c.line(s[0], s[1], s[2], s[3], shade(body, 0.7f));
            c.set(s[2], s[3], hex(0xf0e020));
        }
        c.rect(6, 12, 5, 1, hex(0x3a1a2a)); // grin
        c.set(7, 12, hex(0xf0f0f0));
        c.set(9, 12, hex(0xf0f0f0));
    } else { // dangling tendrils beneath
        for (int x : {5, 8, 11}) {
            c.line(x, 12, x + (x == 8 ? 0 : (x < 8 ? -1 : 1)), 15, hex(0xb89a9a));
        }
    }
    return c;
}

Canvas mantis() {
    return beast({"................",
                  "........a..a....",
                  ".........aa.....",
                  "........GEGE....",
                  ".........GG.....",
                  ".....hh..GG.....",
                  "......hh.GG.....",
                  ".......hhGG.....",
                  "........GGGg....",
                  "........GGGg....",
                  ".......gGGGg....",
                  ".....l.GGGGgl...",
                  "....l..GGGGg.l..",
                  "...l....GGg...l.",
                  "..l......g.....l",
                  "................"},
                 {{'G', hex(0x6ac04a)}, {'g', hex(0x3a8a2a)}, {'h', hex(0x8ad06a)}, {'E', hex(0xe8e040)},
                  {'a', hex(0x4a8a3a)}, {'l', hex(0x3a7a2a)}});
}

Canvas dragon(const std::string& kind) {
    if (kind == "hydra") {
        Canvas c = beast({"................",
                          ".HH.....HH...HH.",
                          "HEHh...HEHh.HEHh",
                          ".HHt....HH...HH.",
                          "..NN....NN..NN..",
                          "...NN...NN.NN...",
                          "....NN..NNNN....",
                          ".....NNNNNN.....",
                          "....BBBBBBBB....",
                          "...BBbbbbbBBB...",
                          "..BBbbbbbbbBBBt.",
                          "..BBBBBBBBBBB..t",
                          "...l.l....l.l...",
                          "..ll.ll..ll.ll..",
                          "................",
                          "................"},
                         {{'H', hex(0x3a9a5a)}, {'h', hex(0x2a6a3a)}, {'N', hex(0x4aaa6a)}, {'B', hex(0x3a8a4a)},
                          {'b', hex(0xb8d870)}, {'E', hex(0xf0e020)}, {'t', hex(0xe02040)}, {'l', hex(0x2a6a3a)}});
        return c;
    }
    if (kind == "basilic") { // a crested lizard with a killing stare
        return beast({"................",
                      "................",
                      "................",
                      "...CCC..........",
                      "..CBBBB.........",
                      ".BBEBBBB........",
                      "wBBBBBBBBBBB....",
                      ".rBBBBSSBSSBBB..",
                      "...BBBBBBBBBBBB.",
                      "....bbbbbbbbbBBt",
                      "...l.l.l.l.l..t.",
                      "..l.l.l.l.l.l...",
                      "................",
                      "................",
                      "................",
                      "................"},
                     {{'B', hex(0xa8a03a)}, {'b', hex(0xe0d88a)}, {'S', hex(0x6a6a2a)}, {'C', hex(0xe03030)},
                      {'E', hex(0xff3030)}, {'w', hex(0xf0f0f0)}, {'r', hex(0xc03040)}, {'l', hex(0x6a6a2a)},
                      {'t', hex(0x7a7a2a)}});
    }
    // The red dragon: wings spread, horned head, long tail.
    return beast({"................",
                  ".W............W.",
                  ".WW..........WW.",
                  ".WwW..h.h...WwW.",
                  ".WwwW.RRR..WwwW.",
                  ".WwwwWREERWwwwW.",
                  "..WwwwRRRRwwwW..",
                  "...WwwRyyRwwW...",
                  "....WRRyyRRW....",
                  ".....RRyyRR.....",
                  ".....RRRRRR.....",
                  "....RR.RR.RR....",
                  "....R..RR..R....",
                  ".......RR.......",
                  "........RRt.....",
                  "...........t....",},
                 {{'R', hex(0xc8302a)}, {'y', hex(0xf0c050)}, {'W', hex(0x8a1e1e)}, {'w', hex(0xe06a4a)},
                  {'E', hex(0xfff040)}, {'h', hex(0xe8e0c8)}, {'t', hex(0x8a1e1e)}});
}

// Elementals grow with their rank: one, two or three times the element.
Canvas elemental(const std::string& element, int rank) {
    Canvas c(16, 16);
    float size = 3.0f + float(rank) * 1.3f;
    float cx = 8.0f, cy = 9.5f;
    uint32_t seed = uint32_t(rank * 31 + int(element[0]));
    if (element == "fire") {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                float dx = (float(x) + 0.5f - cx) / size;
                float dy = (float(y) + 0.5f - cy) / (size * 1.25f);
                float wobble = (hash01(x, y / 2, seed) - 0.5f) * 0.5f;
                float r = dx * dx + (dy > 0 ? dy * dy * 1.6f : dy * dy * 0.6f) + wobble * (dy < 0 ? 1.0f : 0.2f);
                if (r < 1.0f) c.set(x, y, r < 0.25f ? hex(0xfff4b0) : (r < 0.55f ? hex(0xffb030) : hex(0xe04a1a)));
            }
        c.set(7, int(cy) - 1, Ink);
        c.set(9, int(cy) - 1, Ink);
        for (int k = 0; k < rank; ++k) c.set(3 + k * 5, 3 + (k % 2), hex(0xffa020)); // sparks
    } else if (element == "water") {
        c.ellipse(cx, cy + 1.0f, size, size * 0.95f, hex(0x3a78c8));
        c.ellipse(cx, cy - size * 0.55f, size * 0.6f, size * 0.55f, hex(0x3a78c8));
        c.ellipse(cx - 1.0f, cy - 1.0f, size * 0.55f, size * 0.5f, hex(0x5a9ae0));
        c.ring(cx, cy + 1.0f, size - 0.5f, 1.0f, hex(0x2a58a0));
        c.set(int(cx) - 2, int(cy) - 2, hex(0xe0f4ff));
        c.set(int(cx) - 1, int(cy) - 1, Ink);
        c.set(int(cx) + 1, int(cy) - 1, Ink);
        for (int k = 0; k < rank; ++k) c.set(2 + k * 5, 14 - k, hex(0x8ac0f0)); // droplets
    } else if (element == "earth") {
        // A golem of stacked boulders; each rank adds bulk.
        int grow = rank - 1;
        auto boulder = [&](int x, int y, int w, int h) {
            for (int j = 0; j < h; ++j)
                for (int i = 0; i < w; ++i) {
                    float n = hash01(x + i, y + j, seed);
                    Rgb col = n < 0.25f ? hex(0x6a4e32) : (n < 0.75f ? hex(0x8a6a46) : hex(0x9e7e58));
                    if (j == 0 || i == 0) col = hex(0xb0946c);
                    if (j == h - 1 || i == w - 1) col = hex(0x5a4028);
                    c.set(x + i, y + j, col);
                }
        };
        int top = 5 - grow * 2;
        boulder(6 - grow / 2, top, 4 + grow, 3 + grow / 2);                 // head
        boulder(4 - grow, top + 3 + grow / 2, 8 + grow * 2, 5 + grow);      // chest
        boulder(2 - grow, top + 4 + grow / 2, 2 + grow / 2, 5 + grow);      // arms
        boulder(12 + grow - grow / 2, top + 4 + grow / 2, 2 + grow / 2, 5 + grow);
        boulder(5 - grow / 2, 13 - grow / 3, 3, 3 + grow / 3);              // legs
        boulder(9 + grow / 2, 13 - grow / 3, 3, 3 + grow / 3);
        c.set(7 - grow / 2, top + 1, hex(0x40e060)); // glowing crystal eyes
        c.set(8 + grow / 2, top + 1, hex(0x40e060));
        for (int k = 0; k < rank; ++k) c.set(6 + k * 2, top + 5 + grow, hex(0x7ad0e0)); // embedded crystals
    } else if (element == "air") {
        // A whirlwind: swirling bands narrowing to a point, taller with each rank.
        int rows = 8 + rank * 2;
        float topWidth = 3.5f + float(rank);
        int top = 15 - rows;
        for (int k = 0; k < rows; ++k) {
            float t = float(k) / float(rows - 1);
            float w = topWidth * (1.0f - t * 0.85f);
            float off = std::sin(float(k) * 0.7f + float(rank)) * 1.3f;
            int x0 = int(std::lround(7.5f + off - w)), x1 = int(std::lround(7.5f + off + w));
            for (int x = x0; x <= x1; ++x) {
                Rgb col = (k / 2) % 2 ? hex(0xdceaf8) : hex(0xf4f9ff);
                if (x == x0) col = hex(0x9ab8d8);
                else if (x == x1) col = hex(0xb8cce4);
                else if ((x + k * 2) % 5 == 0) col = hex(0xaec6e0); // streaks of wind
                c.set(x, top + k, col);
            }
        }
        c.set(6, top + 2, hex(0x3a5a8a));
        c.set(9, top + 2, hex(0x3a5a8a));
        for (int k = 0; k < rank; ++k) c.set(2 + k * 5, 3 + (k % 2) * 2, hex(0xd8e8f8)); // gusts
    } else {
        throw std::invalid_argument(element);
    }
    return c;
}

const std::map<std::string, std::function<Canvas()>>& painters() {
    static const std::map<std::string, std::function<Canvas()>> m = {
        {"giant_rat", giantRat},
        {"green_slime", [] { return slime(hex(0x5ac83a), false); }},
        {"gelatinous_cube", [] { return slime(Rgb{}, true); }},
        {"dog", [] { return dog(false); }},
        {"gor_dog", [] { return dog(true); }},
        {"serpent", [] { return serpent(false); }},
        {"serpent_fire", [] { return serpent(true); }},
        {"fungus", fungus},
        {"goblin", goblin},
        {"nabos", nabos},
        {"orc_b", orc},
        {"beatle", [] { return beetle(false); }},
        {"beatle_fire", [] { return beetle(true); }},
        {"giant_spider", spider},
        {"drius", drius},
        {"rust_monster", rustMonster},
        {"giant_worm", giantWorm},
        {"polar_geer", polarBear},
        {"mage", mage},
        {"dwarf", dwarf},
        {"minotor", minotaur},
        {"floating_eye", [] { return floatingEye(false); }},
        {"mage_eye", [] { return floatingEye(true); }},
        {"ogre", ogre},
        {"medusa", medusa},
        {"mantis", mantis},
        {"lich", lich},
        {"dragon", [] { return dragon("red"); }},
        {"dragon_hydra", [] { return dragon("hydra"); }},
        {"dragon_basilic", [] { return dragon("basilic"); }},
        {"fighter", fighter},
        {"cleric", cleric},
        {"bandit", bandit},
        {"pleidian", pleidian},
    };
    return m;
}

} // namespace

Canvas paintUnit(const std::string& name) {
    if (name.rfind("unit_", 0) != 0 || name.size() < 10) throw std::invalid_argument("unit picture " + name);
    std::string n = name.substr(5, name.size() - 9);
    Canvas c(16, 16);
    if (n.rfind("squeletton", 0) == 0) {
        c = skeleton(n == "squeletton" ? n : n.substr(11));
    } else if (n.rfind("fire", 0) == 0 || n.rfind("water", 0) == 0 || n.rfind("earth", 0) == 0 ||
               n.rfind("air", 0) == 0) {
        std::string element = n.substr(0, n.find('_'));
        int rank = 1;
        for (size_t p = n.find('_'); p != std::string::npos; p = n.find('_', p + 1)) ++rank;
        c = elemental(element, rank);
    } else {
        auto it = painters().find(n);
        if (it == painters().end()) throw std::invalid_argument("unit picture " + name);
        c = it->second();
    }
    c.outline();
    return c;
}

} // namespace delve::art
