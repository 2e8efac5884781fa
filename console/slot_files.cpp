#include "console/slot_files.h"

#include <cstdio>

namespace delve {

namespace fs = std::filesystem;

fs::path slotFilePath(const fs::path& dir, int slot, const char* kind) {
    char name[64];
    std::snprintf(name, sizeof name, "SAVEGAME%d.%s", slot, kind);
    return dir / name;
}

fs::path slotCheckPath(const fs::path& dir, int slot) {
    return slotFilePath(dir, slot, CheckFileKind);
}

fs::path slotTempPath(const fs::path& path) {
    fs::path temp = path;
    temp += ".tmp";
    return temp;
}

fs::path slotBackupPath(const fs::path& path) {
    fs::path backup = path;
    backup += ".old";
    return backup;
}

} // namespace delve
