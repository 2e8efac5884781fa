#include "gfx/bitmap.h"

#include "gfx/framebuffer.h"

#include "platform/files.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <iterator>
#include <utility>

namespace delve {

namespace {

constexpr size_t HeaderSize = 54;     // file header (14) and the Windows info header (40)
constexpr uint32_t InfoHeaderSize = 40;
constexpr int64_t MaxSide = 4096; // no picture of the program comes near this
constexpr uint32_t FirstTextureIndex = FirstCubeTexture;
constexpr uint32_t TextureCount = CubeTextureCount;

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint32_t le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

// Number of rows that can be drawn as a width x width square without
// reading past the entry's pixels.
uint32_t drawableRows(const BitmapEntry& e) {
    if (e.width == 0 || e.pixels.empty()) return 0;
    uint64_t rowBytes = uint64_t(e.width) * 3;
    uint64_t rows = e.height < e.width ? e.height : e.width;
    uint64_t stored = e.pixels.size() / rowBytes;
    return uint32_t(rows < stored ? rows : stored);
}

// Memory an entry holds for `rgbBytes` bytes of pixels: those and their
// framebuffer form.
uint64_t heldBytes(uint64_t rgbBytes) { return rgbBytes + rgbBytes / 3 * 4; }

// The transparent colours of a keyed picture, as framebuffer pixels.
constexpr uint8_t KeyMagenta[4] = {255, 0, 246, 255};
constexpr uint8_t KeyBlack[4] = {0, 0, 0, 255};

template <bool Keyed>
void copyBitmap(Screen& s, const BitmapCatalogue& cat, int x, int y, int index,
                int64_t maxSide = INT64_MAX) {
    if (index < 0 || index >= catalogueCapacity) return;
    const BitmapEntry& e = cat.entries[size_t(index)];
    // Only the part of the square that lands on the screen (and within
    // maxSide of the corner) is visited: a 4096-pixel tile costs no more
    // than the screen it covers.
    const int64_t rows = std::min<int64_t>(drawableRows(e), maxSide);
    const int64_t rowFirst = std::max<int64_t>(0, -int64_t(y));
    const int64_t rowEnd = std::min<int64_t>(rows, int64_t(s.height) - y);
    const int64_t colFirst = std::max<int64_t>(0, -int64_t(x));
    const int64_t colEnd =
        std::min<int64_t>(std::min<int64_t>(e.width, maxSide), int64_t(s.width) - x);
    if (colFirst >= colEnd) return;
    // Rows and columns are clipped to the screen above, so each row goes
    // straight into the framebuffer.
    const size_t screenWidth = size_t(s.width);
    const size_t span = size_t(colEnd - colFirst);
    const bool rowsReady = e.screenPixels.size() / 4 == e.pixels.size() / 3;
    uint32_t magenta = 0, black = 0;
    std::memcpy(&magenta, KeyMagenta, 4);
    std::memcpy(&black, KeyBlack, 4);
    for (int64_t row = rowFirst; row < rowEnd; ++row) {
        const size_t from = size_t(row) * e.width + size_t(colFirst);
        uint8_t* q = s.framebuffer.data() +
                     (size_t(y + row) * screenWidth + size_t(x + colFirst)) * 4;
        if (rowsReady && !Keyed) {
            std::memcpy(q, e.screenPixels.data() + from * 4, span * 4);
        } else if (rowsReady) {
            const uint8_t* p = e.screenPixels.data() + from * 4;
            for (size_t col = 0; col < span; ++col, p += 4, q += 4) {
                uint32_t pixel;
                std::memcpy(&pixel, p, 4);
                if (pixel != magenta && pixel != black) std::memcpy(q, &pixel, 4);
            }
        } else {
            const uint8_t* p = e.pixels.data() + from * 3;
            for (size_t col = 0; col < span; ++col, p += 3, q += 4) {
                if (Keyed) {
                    if (p[0] == 255 && p[1] == 0 && p[2] == 246) continue;
                    if (p[0] == 0 && p[1] == 0 && p[2] == 0) continue;
                }
                q[0] = p[0];
                q[1] = p[1];
                q[2] = p[2];
                q[3] = 255;
            }
        }
    }
}

struct FileSlot {
    int index;
    const char* name;
};

enum class Loaded { Yes, No, OverCap };
Loaded loadPicture(BitmapCatalogue& cat, const std::string& path, uint32_t index,
                   std::string& why);

// What a picture in a first-person texture slot must be: the texture is
// made width x width from the picture's lowest rows.
std::string textureShapeProblem(const BitmapEntry& e) {
    const std::string size = std::to_string(e.width) + " x " + std::to_string(e.height);
    if (e.height < e.width)
        return size + " pixels, wider than tall: a first-person texture must be square, so "
                      "the walls drawn with it stay white";
    if (e.height > e.width)
        return size + " pixels, taller than wide: the first-person view uses only its lowest " +
               std::to_string(e.width) + " rows";
    return {};
}

void loadGroup(BitmapCatalogue& cat, const std::string& dataDir, const char* folder,
               const FileSlot* slots, size_t count, PictureReport* report) {
    std::string base = dataDir;
    if (!base.empty() && base.back() != '/') base += '/';
    base += folder;
    base += '/';
    for (size_t i = 0; i < count; ++i) {
        std::string why;
        const uint32_t index = uint32_t(slots[i].index);
        const Loaded got = loadPicture(cat, base + slots[i].name, index, why);
        if (!report) continue;
        const std::string name = std::string(folder) + "/" + slots[i].name;
        if (got == Loaded::Yes) {
            ++report->loaded;
            if (index >= FirstTextureIndex && index < FirstTextureIndex + TextureCount) {
                if (std::string shape = textureShapeProblem(cat[int(index)]); !shape.empty())
                    report->problems.push_back(name + ": " + shape);
            }
        } else if (got == Loaded::No) {
            ++report->missing;
            report->problems.push_back(name + ": " + why);
        } else {
            report->refused.push_back(name);
        }
    }
}

template <size_t N>
void loadGroup(BitmapCatalogue& cat, const std::string& dataDir, const char* folder,
               const FileSlot (&slots)[N], PictureReport* report) {
    loadGroup(cat, dataDir, folder, slots, N, report);
}

const FileSlot CrossFiles[] = {{1104, "cross4.bmp"}};

const FileSlot DungeonFiles[] = {
    {111, "wall.bmp"},          {118, "floor_marble.bmp"},
    {119, "floor.bmp"},         {120, "chest.bmp"},
    {121, "chest_open.bmp"},    {122, "candelabrum.bmp"},
    {123, "candelabrum_extinct.bmp"}, {124, "coffin.bmp"},
    {125, "coffin_open.bmp"},   {126, "floor_bones.bmp"},
    {127, "floor_bones_cleaned.bmp"}, {128, "door.bmp"},
    {129, "door_opened.bmp"},   {130, "source.bmp"},
    {131, "source_complete.bmp"}, {132, "spawn.bmp"},
    {133, "spawn_complete.bmp"}, {134, "fountain.bmp"},
    {135, "fountain_drank.bmp"}, {136, "stairsd.bmp"},
    {137, "stairsu.bmp"},       {140, "circle.bmp"},
    {141, "circle_golden.bmp"}, {142, "circle_aflamed.bmp"},
    {144, "altar.bmp"},         {145, "altar_jeweled.bmp"},
    {146, "altar_dark.bmp"},    {148, "trap.bmp"},
    {149, "trap_disabled.bmp"}, {152, "torch.bmp"},
    {153, "torch_extinct.bmp"}, {155, "geer_mecanism.bmp"},
    {156, "lever.bmp"},         {160, "source.bmp"},
    {161, "source_red.bmp"},    {162, "source_green.bmp"},
    {163, "source_blue.bmp"},   {164, "source_yellow.bmp"},
    {165, "source_brown.bmp"},  {167, "scrolls.bmp"},
};

const FileSlot ItemFiles[] = {
    {0, "blank.bmp"},
    {600, "item_knife.bmp"},
    {601, "item_dagger.bmp"},
    {602, "item_short_sword.bmp"},
    {603, "item_gauche.bmp"},
    {604, "item_long_sword.bmp"},
    {605, "item_bastard_sword.bmp"},
    {606, "item_kopesh.bmp"},
    {607, "item_blade.bmp"},
    {608, "item_blade_ameliorated.bmp"},
    {609, "item_behead.bmp"},
    {610, "item_broad_sword.bmp"},
    {611, "item_horner.bmp"},
    {612, "item_glaive.bmp"},
    {613, "item_saber.bmp"},
    {614, "item_saber_ameliorated.bmp"},
    {615, "item_whale_blade.bmp"},
    {616, "item_whale_blade_ameliorated.bmp"},
    {617, "item_two_handed_sword.bmp"},
    {618, "item_two_bladed_sword.bmp"},
    {619, "item_two_bladed_sword_ameliorated.bmp"},
    {3000, "item_bag.bmp"},
    {3001, "item_blue_bag.bmp"},
    {630, "item_maul.bmp"},
    {631, "item_morningstar.bmp"},
    {632, "item_mace.bmp"},
    {633, "item_war_mace.bmp"},
    {640, "item_staff.bmp"},
    {641, "item_rod.bmp"},
    {642, "item_wand.bmp"},
    {650, "item_hand_axe.bmp"},
    {651, "item_axe.bmp"},
    {652, "item_battle_axe.bmp"},
    {653, "item_iron_battle_axe.bmp"},
    {654, "item_iron_ordered_battle_axe.bmp"},
    {655, "item_iron_rubioux_battle_axe.bmp"},
    {680, "item_potion_red.bmp"},
    {681, "item_potion_green.bmp"},
    {682, "item_potion_blue.bmp"},
    {683, "item_potion_yellow.bmp"},
    {684, "item_potion_white.bmp"},
    {730, "item_blue_robe.bmp"},
    {731, "item_red_robe.bmp"},
    {732, "item_gray_robe.bmp"},
    {740, "item_leather_armor.bmp"},
    {741, "item_studded_leather_armor.bmp"},
    {742, "item_chain_mail.bmp"},
    {743, "item_scale_armor_b.bmp"},
    {744, "item_plate_armor.bmp"},
    {745, "item_full_plate_armor.bmp"},
    {746, "item_magic_armor.bmp"},
    {780, "socket.bmp"},
    {785, "alleviated_corner1.bmp"},
    {786, "alleviated_corner2.bmp"},
    {787, "alleviated_corner3.bmp"},
    {788, "alleviated_corner4.bmp"},
};

const FileSlot LandFiles[] = {
    {10, "plain.bmp"},         {11, "forest.bmp"},
    {12, "forest_fruit.bmp"},  {13, "forest_gray.bmp"},
    {14, "water.bmp"},         {15, "water_deep.bmp"},
    {16, "swamp_a.bmp"},       {17, "desert_a.bmp"},
    {18, "hills_a.bmp"},       {19, "mountain.bmp"},
    {20, "mountain_high_a.bmp"}, {21, "forest_leaf.bmp"},
    {22, "road.bmp"},          {23, "forest_b.bmp"},
    {24, "forest_c.bmp"},      {180, "village_b.bmp"},
    {181, "village_b_yellow.bmp"}, {182, "village_b_blue.bmp"},
    {183, "village_b_green.bmp"}, {184, "village_b_red.bmp"},
    {188, "ruin_a.bmp"},       {189, "castle_a.bmp"},
    {190, "grottus.bmp"},      {191, "mine.bmp"},
    {192, "iron_mine.bmp"},    {193, "forest_leaf.bmp"},
    {194, "well.bmp"},
};

const FileSlot CubeFiles[] = {
    {1200, "structure_castle.bmp"}, {1201, "brickold2.bmp"},
    {1202, "grass3.bmp"},           {1203, "dirt1.bmp"},
    {1204, "brickold3.bmp"},        {1205, "item_whale_blade.bmp"},
    {1206, "DSC3.bmp"},
};

const FileSlot CubeUnitFiles[] = {
    {1210, "unit_green_slime.bmp"},  {1211, "unit_nabos.bmp"},
    {1212, "unit_serpent.bmp"},      {1213, "unit_giant_spider.bmp"},
    {1214, "unit_serpent_fire.bmp"}, {1215, "unit_giant_worm.bmp"},
    {1216, "unit_floating_eye.bmp"}, {1217, "unit_gelatinous_cube.bmp"},
    {1218, "unit_ogre.bmp"},         {1219, "unit_mage_eye.bmp"},
    {1220, "unit_minotor.bmp"},      {1221, "unit_mantis.bmp"},
    {1222, "unit_dragon_hydra.bmp"}, {1223, "unit_pleidian.bmp"},
};

const FileSlot ScreenFiles[] = {{1000, "intro1.bmp"}};

const FileSlot StructureFiles[] = {
    {390, "hart.bmp"},
    {400, "structure_farm.bmp"},
    {401, "structure_merchant.bmp"},
    {402, "structure_quary.bmp"},
    {403, "structure_stable.bmp"},
    {404, "structure_tower.bmp"},
    {405, "structure_barrack.bmp"},
    {406, "structure_blacksmith.bmp"},
    {407, "structure_castle.bmp"},
    {408, "structure_church.bmp"},
};

const FileSlot UnitFiles[] = {
    {801, "unit_giant_rat.bmp"},
    {802, "unit_green_slime.bmp"},
    {803, "unit_dog.bmp"},
    {805, "unit_serpent.bmp"},
    {806, "unit_fungus.bmp"},
    {810, "unit_goblin.bmp"},
    {811, "unit_nabos.bmp"},
    {812, "unit_orc_b.bmp"},
    {820, "unit_beatle.bmp"},
    {821, "unit_gor_dog.bmp"},
    {822, "unit_giant_spider.bmp"},
    {823, "unit_serpent_fire.bmp"},
    {824, "unit_beatle_fire.bmp"},
    {829, "unit_drius.bmp"},
    {830, "unit_rust_monster.bmp"},
    {831, "unit_giant_worm.bmp"},
    {832, "unit_gelatinous_cube.bmp"},
    {840, "unit_polar_geer.bmp"},
    {841, "unit_squeletton.bmp"},
    {842, "unit_squeletton_zombi_wounded.bmp"},
    {843, "unit_squeletton_zombi.bmp"},
    {849, "unit_mage.bmp"},
    {852, "unit_squeletton_sturdy.bmp"},
    {853, "unit_dwarf.bmp"},
    {854, "unit_squeletton_monster.bmp"},
    {861, "unit_squeletton_brave.bmp"},
    {863, "unit_squeletton_floating.bmp"},
    {870, "unit_minotor.bmp"},
    {871, "unit_floating_eye.bmp"},
    {872, "unit_squeletton_fire.bmp"},
    {874, "unit_mage_eye.bmp"},
    {875, "unit_squeletton_ogre.bmp"},
    {876, "unit_ogre.bmp"},
    {878, "unit_squeletton_armored.bmp"},
    {881, "unit_medusa.bmp"},
    {882, "unit_squeletton_warrior.bmp"},
    {883, "unit_mantis.bmp"},
    {890, "unit_squeletton_evil.bmp"},
    {902, "unit_lich.bmp"},
    {903, "unit_dragon.bmp"},
    {904, "unit_dragon_hydra.bmp"},
    {906, "unit_dragon_basilic.bmp"},
    {960, "unit_fire.bmp"},
    {961, "unit_fire_fire.bmp"},
    {962, "unit_fire_fire_fire.bmp"},
    {963, "unit_water.bmp"},
    {964, "unit_water_water.bmp"},
    {965, "unit_water_water_water.bmp"},
    {966, "unit_earth.bmp"},
    {967, "unit_earth_earth.bmp"},
    {968, "unit_earth_earth_earth.bmp"},
    {969, "unit_air.bmp"},
    {970, "unit_air_air.bmp"},
    {971, "unit_air_air_air.bmp"},
    {980, "unit_fighter.bmp"},
    {981, "unit_mage.bmp"},
    {982, "unit_cleric.bmp"},
    {983, "unit_bandit.bmp"},
};

} // namespace

void setBitmapPixels(BitmapCatalogue& cat, uint32_t index, std::vector<uint8_t> pixels,
                     uint32_t width, uint32_t height) {
    if (index >= uint32_t(catalogueCapacity)) return;
    BitmapEntry& e = cat.entries[index];
    cat.pixelBytes -= std::min<uint64_t>(cat.pixelBytes, heldBytes(e.pixels.size()));
    e.pixels = std::move(pixels);
    e.pixels.shrink_to_fit();
    const size_t count = e.pixels.size() / 3;
    e.screenPixels.assign(count * 4, 255);
    e.screenPixels.shrink_to_fit();
    for (size_t i = 0; i < count; ++i)
        std::memcpy(e.screenPixels.data() + i * 4, e.pixels.data() + i * 3, 3);
    cat.pixelBytes += heldBytes(e.pixels.size());
    e.width = width;
    e.height = height;
    e.bytesPerPixel = 3;
}

namespace {

Loaded loadPicture(BitmapCatalogue& cat, const std::string& path, uint32_t index,
                   std::string& why) {
    if (index >= uint32_t(catalogueCapacity)) {
        why = "catalogue index " + std::to_string(index) + " is past the table";
        return Loaded::No;
    }
    // Read-only and never blocking: an installed data folder is not
    // writable, a missing picture must not leave an empty file behind, and
    // a FIFO or device in place of a picture is refused.
    File file;
    if (int err = openForReading(path, file)) {
        why = fileErrorText(path, err);
        return Loaded::No;
    }
    uint64_t fileBytes = 0;
    if (int err = fileSize(file, fileBytes)) {
        why = errorText(err);
        return Loaded::No;
    }

    uint8_t header[HeaderSize] = {};
    size_t got = 0;
    if (int err = readAt(file, 0, header, HeaderSize, got)) {
        why = errorText(err);
        return Loaded::No;
    }
    if (got < 2 || header[0] != 'B' || header[1] != 'M') {
        why = "not a BMP file (it does not start with \"BM\")";
        return Loaded::No;
    }
    if (got < HeaderSize) {
        why = std::to_string(got) + " bytes, shorter than a BMP header (54)";
        return Loaded::No;
    }
    const uint32_t infoSize = le32(header + 14);
    if (infoSize < InfoHeaderSize) {
        why = "a " + std::to_string(infoSize) +
              "-byte BMP header; only Windows headers (40 bytes or more) are read";
        return Loaded::No;
    }
    // The whole 2-byte field: 280 is not 24.
    const uint32_t depth = le16(header + 28);
    if (depth != 24) {
        why = std::to_string(depth) + " bits per pixel; only 24 are read";
        return Loaded::No;
    }
    const uint32_t compression = le32(header + 30);
    if (compression != 0) {
        why = "compressed (method " + std::to_string(compression) +
              "); only uncompressed pictures are read";
        return Loaded::No;
    }
    // Width and height are signed: a negative height marks rows stored top
    // row first.
    const int64_t fileWidth = int32_t(le32(header + 18));
    const int64_t fileHeight = int32_t(le32(header + 22));
    const bool topDown = fileHeight < 0;
    const int64_t w = fileWidth, h = topDown ? -fileHeight : fileHeight;
    const std::string size = std::to_string(fileWidth) + " x " + std::to_string(fileHeight);
    // Check the header against the file before allocating: a hostile or
    // truncated header must neither overflow nor exhaust memory.
    if (w <= 0 || h == 0) {
        why = size + " pixels: an empty picture";
        return Loaded::No;
    }
    if (w > MaxSide || h > MaxSide) {
        why = size + " pixels; at most 4096 a side are read";
        return Loaded::No;
    }
    const uint32_t width = uint32_t(w), height = uint32_t(h);
    // Rows are padded to whole 4-byte words in the file; the last row's
    // padding may be left out.
    const uint64_t packedRow = uint64_t(width) * 3;
    const uint64_t fileRow = (packedRow + 3) & ~uint64_t(3);
    const uint64_t pixelOffset = le32(header + 10);
    if (pixelOffset < 14 + uint64_t(infoSize)) {
        why = "pixel data at byte " + std::to_string(pixelOffset) + ", inside the " +
              std::to_string(14 + uint64_t(infoSize)) + "-byte header";
        return Loaded::No;
    }
    const uint64_t span = fileRow * (height - 1) + packedRow;
    if (pixelOffset > fileBytes || span > fileBytes - pixelOffset) {
        why = "cut short: " + std::to_string(fileBytes) + " bytes where a " +
              std::to_string(width) + " x " + std::to_string(height) + " picture needs " +
              std::to_string(pixelOffset + span);
        return Loaded::No;
    }
    const uint64_t bytes = packedRow * height;
    // The whole catalogue stays within its memory budget.
    const uint64_t others = cat.pixelBytes - std::min<uint64_t>(
                                                 cat.pixelBytes,
                                                 heldBytes(cat.entries[index].pixels.size()));
    if (others + heldBytes(bytes) > cat.memoryCap) {
        why = "over the memory cap";
        return Loaded::OverCap;
    }

    std::vector<uint8_t> pixels(static_cast<size_t>(bytes));
    int readError = 0;
    if (fileRow == packedRow && !topDown) {
        // Packed bottom-up rows: one read straight into the entry.
        readError = readExactlyAt(file, pixelOffset, pixels.data(), pixels.size());
    } else {
        std::vector<uint8_t> stored(static_cast<size_t>(span));
        readError = readExactlyAt(file, pixelOffset, stored.data(), stored.size());
        for (uint32_t row = 0; readError == 0 && row < height; ++row) {
            // The entry's row 0 is the bottom row, whichever way the file runs.
            const uint32_t fromRow = topDown ? height - 1 - row : row;
            std::memcpy(pixels.data() + size_t(row) * packedRow,
                        stored.data() + size_t(fromRow) * fileRow, size_t(packedRow));
        }
    }
    if (readError != 0) {
        // The file shrank under us: keep the header's size but no pixels.
        setBitmapPixels(cat, index, {}, width, height);
        why = "cut short while it was read";
        return Loaded::No;
    }
    for (size_t i = 0; i + 2 < pixels.size(); i += 3) std::swap(pixels[i], pixels[i + 2]);
    setBitmapPixels(cat, index, std::move(pixels), width, height);
    return Loaded::Yes;
}

} // namespace

bool loadBitmap(BitmapCatalogue& cat, const std::string& path, uint32_t index) {
    std::string why;
    return loadPicture(cat, path, index, why) == Loaded::Yes;
}

bool loadBitmap(BitmapCatalogue& cat, const std::string& path, uint32_t index, std::string& why) {
    why.clear();
    return loadPicture(cat, path, index, why) == Loaded::Yes;
}

void loadCrossBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report) {
    loadGroup(cat, dataDir, "bmp_cross", CrossFiles, report);
}
void loadUnitBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report) {
    loadGroup(cat, dataDir, "bmp_unit", UnitFiles, report);
}
void loadLandBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report) {
    loadGroup(cat, dataDir, "bmp_land", LandFiles, report);
}
void loadDungeonBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report) {
    loadGroup(cat, dataDir, "bmp_dungeon", DungeonFiles, report);
}
void loadStructureBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report) {
    loadGroup(cat, dataDir, "bmp_structure", StructureFiles, report);
}
void loadItemBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report) {
    loadGroup(cat, dataDir, "bmp_item", ItemFiles, report);
}
void loadScreenBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report) {
    loadGroup(cat, dataDir, "bmp_scr", ScreenFiles, report);
}
void loadCubeBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report) {
    loadGroup(cat, dataDir, "bmp_cube", CubeFiles, report);
    loadGroup(cat, dataDir, "bmp_unit", CubeUnitFiles, report);
}

PictureReport loadAllBitmaps(BitmapCatalogue& cat, const std::string& dataDir) {
    PictureReport report;
    loadCrossBitmaps(cat, dataDir, &report);
    loadUnitBitmaps(cat, dataDir, &report);
    loadLandBitmaps(cat, dataDir, &report);
    loadDungeonBitmaps(cat, dataDir, &report);
    loadStructureBitmaps(cat, dataDir, &report);
    loadItemBitmaps(cat, dataDir, &report);
    loadScreenBitmaps(cat, dataDir, &report);
    loadCubeBitmaps(cat, dataDir, &report);
    return report;
}

const uint8_t* cubeTexturePixels(const BitmapCatalogue& cat, int t, int& side) {
    side = 0;
    if (t < 0 || t >= CubeTextureCount) return nullptr;
    const BitmapEntry& e = cat[FirstCubeTexture + t];
    // The texture is width x width: only when that many pixels exist.
    const uint64_t need = uint64_t(e.width) * e.width * 3;
    if (e.width == 0 || e.height < e.width || e.pixels.size() < need) return nullptr;
    side = int(e.width);
    return e.pixels.data();
}

void drawBitmap(Screen& s, const BitmapCatalogue& cat, int x, int y, int index) {
    copyBitmap<false>(s, cat, x, y, index);
}

void drawBitmapKeyed(Screen& s, const BitmapCatalogue& cat, int x, int y, int index) {
    copyBitmap<true>(s, cat, x, y, index);
}

void drawBitmapKeyed(Screen& s, const BitmapCatalogue& cat, int x, int y, int index, int maxSide) {
    copyBitmap<true>(s, cat, x, y, index, std::max(0, maxSide));
}
const std::vector<BitmapFile>& bitmapFiles() {
    static const std::vector<BitmapFile> list = [] {
        std::vector<BitmapFile> v;
        auto add = [&v](const char* folder, const FileSlot* slots, size_t n) {
            for (size_t i = 0; i < n; ++i) v.push_back({slots[i].index, folder, slots[i].name});
        };
        add("bmp_cross", CrossFiles, std::size(CrossFiles));
        add("bmp_unit", UnitFiles, std::size(UnitFiles));
        add("bmp_land", LandFiles, std::size(LandFiles));
        add("bmp_dungeon", DungeonFiles, std::size(DungeonFiles));
        add("bmp_structure", StructureFiles, std::size(StructureFiles));
        add("bmp_item", ItemFiles, std::size(ItemFiles));
        add("bmp_scr", ScreenFiles, std::size(ScreenFiles));
        add("bmp_cube", CubeFiles, std::size(CubeFiles));
        add("bmp_unit", CubeUnitFiles, std::size(CubeUnitFiles));
        return v;
    }();
    return list;
}

} // namespace delve
