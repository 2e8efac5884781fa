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
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t bytesPerPixel = 0; // 3 after a load, 0 for an empty entry
};

// Every picture the program draws, indexed by picture id, plus the GL
// texture names of the current context (names 0..6 carry entries 1200..1206).
struct BitmapCatalogue {
    std::vector<BitmapEntry> entries = std::vector<BitmapEntry>(catalogueCapacity);
    uint32_t textureNames[32] = {};

    BitmapEntry& operator[](int i) { return entries[size_t(i)]; }
    const BitmapEntry& operator[](int i) const { return entries[size_t(i)]; }
};

// Reads a 24-bit bottom-up BMP into entry `index`. The file is opened
// read-only; a malformed or hostile header is refused before allocating.
bool loadBitmap(BitmapCatalogue& cat, const std::string& path, uint32_t index);

// The eight picture groups, each from its folder under `dataDir`.
void loadCrossBitmaps(BitmapCatalogue& cat, const std::string& dataDir);
void loadUnitBitmaps(BitmapCatalogue& cat, const std::string& dataDir);
void loadLandBitmaps(BitmapCatalogue& cat, const std::string& dataDir);
void loadDungeonBitmaps(BitmapCatalogue& cat, const std::string& dataDir);
void loadStructureBitmaps(BitmapCatalogue& cat, const std::string& dataDir);
void loadItemBitmaps(BitmapCatalogue& cat, const std::string& dataDir);
void loadScreenBitmaps(BitmapCatalogue& cat, const std::string& dataDir);
void loadCubeBitmaps(BitmapCatalogue& cat, const std::string& dataDir);
// All eight groups in start-up order.
void loadAllBitmaps(BitmapCatalogue& cat, const std::string& dataDir);

// One picture file of the groups above: catalogue index, folder, file name.
struct BitmapFile {
    int index;
    const char* folder;
    const char* name;
};
// Every (index, file) pair in start-up load order; 214 entries.
const std::vector<BitmapFile>& bitmapFiles();

// Makes the GL textures of the current context from entries 1200..1206.
void createTextures(BitmapCatalogue& cat);

// Copies entry `index` with its lower-left corner at (x, y); the keyed copy
// leaves out (255, 0, 246) and black pixels. Out-of-range indices and
// entries without pixels draw nothing.
void drawBitmap(Screen& s, const BitmapCatalogue& cat, int x, int y, int index);
void drawBitmapKeyed(Screen& s, const BitmapCatalogue& cat, int x, int y, int index);

} // namespace delve
