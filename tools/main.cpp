// delve_assets: paints every picture of the game as a 24-bit BMP into the
// data folder, writes the overworld file, and makes review sheets.
//
//   delve_assets --out DIR [--sheet FILE.png] [--map-png FILE.png]
//                [--zoom FILE.png FOLDER/NAME.bmp,...]   (close-up of a few pictures)
//                [--icon SIZE:FILE.png ...]              (the application icon)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "platform/digest.h"
#include "tools/art.h"
#include "tools/icon.h"
#include "tools/image_io.h"
#include "tools/overworld_gen.h"
#include "tools/sheet.h"

using namespace delve;
using namespace delve::art;

int main(int argc, char** argv) {
    std::string out, sheetPath, mapPath, zoomPath, zoomList;
    std::vector<std::pair<int, std::string>> icons;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "--out" && hasValue) out = argv[++i];
        else if (a == "--sheet" && hasValue) sheetPath = argv[++i];
        else if (a == "--map-png" && hasValue) mapPath = argv[++i];
        else if (a == "--zoom" && i + 2 < argc) {
            zoomPath = argv[++i];
            zoomList = argv[++i];
        }
        else if (a == "--icon" && hasValue) {
            std::string v = argv[++i];
            size_t colon = v.find(':');
            int size = colon == std::string::npos ? 0 : std::atoi(v.substr(0, colon).c_str());
            if (size < 16 || size > 1024 || colon + 1 >= v.size()) {
                std::fprintf(stderr, "delve_assets: --icon needs SIZE:FILE.png, not '%s'\n", v.c_str());
                return 2;
            }
            icons.emplace_back(size, v.substr(colon + 1));
        }
        else {
            std::fprintf(stderr, "usage: delve_assets --out DIR [--sheet FILE.png] [--map-png FILE.png]"
                                 " [--icon SIZE:FILE.png]\n");
            return 2;
        }
    }
    if (!zoomPath.empty()) {
        std::vector<Canvas> pictures;
        for (size_t start = 0; start <= zoomList.size();) {
            size_t end = zoomList.find(',', start);
            if (end == std::string::npos) end = zoomList.size();
            std::string rel = zoomList.substr(start, end - start);
            size_t slash = rel.find('/');
            if (slash != std::string::npos) pictures.push_back(paintPicture(rel.substr(0, slash), rel.substr(slash + 1)));
            start = end + 1;
        }
        writePng(zoomPath, zoomSheet(pictures, 8));
        if (out.empty()) return 0;
    }
    if (out.empty()) {
        std::fprintf(stderr, "delve_assets: --out DIR is required\n");
        return 2;
    }

    int failures = 0;
    for (const auto& [size, path] : icons) {
        try {
            writePngRgba(path, size, size, paintIcon(size));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "delve_assets: icon %s: %s\n", path.c_str(), e.what());
            ++failures;
        }
    }
    // One painting per file; a file shared by two indices is painted once.
    std::map<std::string, std::unique_ptr<Canvas>> painted;
    std::vector<SheetItem> sheet;
    for (const BitmapFile& f : bitmapFiles()) {
        std::string rel = std::string(f.folder) + "/" + f.name;
        auto it = painted.find(rel);
        if (it == painted.end()) {
            try {
                auto c = std::make_unique<Canvas>(paintPicture(f.folder, f.name));
                writeBytes(out + "/" + rel, encodeBmp(*c));
                it = painted.emplace(rel, std::move(c)).first;
            } catch (const std::exception& e) {
                std::fprintf(stderr, "delve_assets: %s: %s\n", rel.c_str(), e.what());
                ++failures;
                continue;
            }
        }
        bool keyed = std::strcmp(f.folder, "bmp_unit") == 0 || std::strcmp(f.folder, "bmp_item") == 0 ||
                     std::strcmp(f.folder, "bmp_cross") == 0;
        sheet.push_back({f.index, it->second.get(), keyed});
    }

    // Within a folder, different files must be different pictures (told
    // apart by the digest of their encoded bytes).
    std::map<std::string, std::map<uint64_t, std::string>> seen;
    for (const auto& [rel, canvas] : painted) {
        std::string folder = rel.substr(0, rel.find('/'));
        auto bytes = encodeBmp(*canvas);
        auto [pos, fresh] = seen[folder].emplace(fnv1a64(bytes.data(), bytes.size()), rel);
        if (!fresh) {
            std::fprintf(stderr, "delve_assets: %s paints the same picture as %s\n", rel.c_str(),
                         pos->second.c_str());
            ++failures;
        }
    }

    try {
        OverworldStats stats = writeOverworld(out);
        std::printf("delve_assets: overworld with %d villages, %d road cells, %d water cells\n",
                    stats.villages, stats.roadCells, stats.waterCells);
        if (!mapPath.empty()) writePng(mapPath, overworldPicture(stats.cells.data(), 256, 4));
        for (uint8_t code : stats.missing) {
            std::fprintf(stderr, "delve_assets: the overworld lacks cell code %d\n", code);
            ++failures;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "delve_assets: overworld: %s\n", e.what());
        ++failures;
    }

    if (!sheetPath.empty()) {
        try {
            writePng(sheetPath, contactSheet(sheet));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "delve_assets: %s\n", e.what());
            ++failures;
        }
    }
    std::printf("delve_assets: %zu pictures for %zu catalogue entries in %s\n", painted.size(),
                sheet.size(), out.c_str());
    return failures ? 1 : 0;
}
