#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace delve {

struct Screen;

constexpr int catalogueCapacity = 3100;

// One picture: width x height pixels of red, green, blue, rows bottom-up.
struct BitmapEntry {
    std::vector<uint8_t> pixels; // empty = no pixels
    // The same pixels as the framebuffer holds them (red, green, blue, 255),
    // made by setBitmapPixels, so drawing copies whole rows. Empty for an
    // entry filled by hand: it is then drawn from `pixels`.
    std::vector<uint8_t> screenPixels;
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t bytesPerPixel = 0; // 3 after a load, 0 for an empty entry
};

// The most pixel memory the catalogue holds: some fifty times what the
// game's own pictures need, far below what a folder of huge pictures takes.
constexpr uint64_t PictureMemoryCap = uint64_t(64) << 20;

// Every picture the program draws, indexed by picture id: pixels only. The
// renderers turn the cube textures into textures of their own.
struct BitmapCatalogue {
    std::vector<BitmapEntry> entries = std::vector<BitmapEntry>(catalogueCapacity);
    uint64_t pixelBytes = 0;                 // pixel memory the entries hold, both forms
    uint64_t memoryCap = PictureMemoryCap;   // pictures that would pass it are refused

    BitmapEntry& operator[](int i) { return entries[size_t(i)]; }
    const BitmapEntry& operator[](int i) const { return entries[size_t(i)]; }
};

// Reads an uncompressed 24-bit BMP into entry `index`, rows bottom-up. The
// file's rows may be padded to 4 bytes, start where its header says and run
// either way (a negative height means top row first). The file is opened
// read-only and never blocks on a special file; a malformed or hostile
// header is refused before allocating, and so is a picture that would take
// the catalogue past its memory cap. `why` receives the reason a file was
// not loaded, in words for a person ("8 bits per pixel; only 24 are read").
bool loadBitmap(BitmapCatalogue& cat, const std::string& path, uint32_t index);
// Puts width x height pixels (red, green, blue, rows bottom-up) in entry
// `index`, with their framebuffer form, and keeps the memory count.
void setBitmapPixels(BitmapCatalogue& cat, uint32_t index, std::vector<uint8_t> pixels,
                     uint32_t width, uint32_t height);
bool loadBitmap(BitmapCatalogue& cat, const std::string& path, uint32_t index, std::string& why);

// What loading the picture groups found.
struct PictureReport {
    int loaded = 0;
    int missing = 0;                  // missing, unreadable or not a usable picture
    std::vector<std::string> refused; // "folder/name" of pictures over the memory cap
    // "folder/name: reason" for each missing or unusable picture, and for a
    // loaded one that cannot serve its slot (a texture that is not square).
    std::vector<std::string> problems;
};

// The eight picture groups, each from its folder under `dataDir`; counts go
// into `report` when one is given.
void loadCrossBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report = nullptr);
void loadUnitBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report = nullptr);
void loadLandBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report = nullptr);
void loadDungeonBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report = nullptr);
void loadStructureBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report = nullptr);
void loadItemBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report = nullptr);
void loadScreenBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report = nullptr);
void loadCubeBitmaps(BitmapCatalogue& cat, const std::string& dataDir, PictureReport* report = nullptr);
// All eight groups in start-up order.
PictureReport loadAllBitmaps(BitmapCatalogue& cat, const std::string& dataDir);

// One picture file of the groups above: catalogue index, folder, file name.
struct BitmapFile {
    int index;
    const char* folder;
    const char* name;
};
// Every (index, file) pair in start-up load order; 214 entries.
const std::vector<BitmapFile>& bitmapFiles();

// The first-person cube textures: entries 1200..1206, texture t from entry
// 1200 + t.
constexpr int FirstCubeTexture = 1200;
constexpr int CubeTextureCount = 7;
// The pixels of cube texture t as a width x width square (rows bottom-up,
// packed RGB), or none when the entry is empty or holds fewer pixels than
// that square needs; `side` receives the width.
const uint8_t* cubeTexturePixels(const BitmapCatalogue& cat, int t, int& side);

// Copies entry `index` with its lower-left corner at (x, y); the keyed copy
// leaves out (255, 0, 246) and black pixels. Out-of-range indices and
// entries without pixels draw nothing.
void drawBitmap(Screen& s, const BitmapCatalogue& cat, int x, int y, int index);
void drawBitmapKeyed(Screen& s, const BitmapCatalogue& cat, int x, int y, int index);
// The keyed copy of at most maxSide x maxSide pixels from the lower-left corner.
void drawBitmapKeyed(Screen& s, const BitmapCatalogue& cat, int x, int y, int index, int maxSide);

} // namespace delve
