#include "world/overworld.h"

#include <filesystem>
#include <system_error>

#include "platform/files.h"

namespace delve {

std::string overworldPath(const std::string& dataDir, int number) {
    return dataDir + "/map/" + std::to_string(number) + ".overworld";
}

int loadOverworld(WorldMap& map, Clock& clock, const std::string& dataDir, int number,
                  int* error) {
    const std::string path = overworldPath(dataDir, number);
    File file;
    const int err = openForReading(path, file);
    if (error) *error = err;
    if (err != 0) {
        // A missing file in an existing map folder still costs the wait the
        // transfer would have taken; a missing folder returns at once.
        std::error_code ec;
        if (std::filesystem::is_directory(dataDir + "/map", ec)) clock.sleep(1000);
        return -1;
    }
    size_t done = 0;
    const int readErr = readAt(file, 0, map.data(), size_t(OverworldFileBytes), done);
    if (error) *error = readErr;
    clock.sleep(1000);
    return int(done);
}

std::string overworldProblem(const std::string& path, int bytesRead, int error) {
    if (error != 0 || bytesRead < 0)
        return fileErrorText(path, error) + "; the overworld stays empty";
    if (bytesRead == 0) return "is empty (0 bytes of 65,536); the overworld stays empty";
    if (bytesRead < OverworldFileBytes)
        return "has only " + std::to_string(bytesRead) +
               " bytes of 65,536; the rest of the overworld stays empty";
    return {};
}

} // namespace delve
