#include "world/overworld.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace delve {

std::string overworldPath(const std::string& dataDir, int number) {
    return dataDir + "/map/" + std::to_string(number) + ".overworld";
}

int loadOverworld(WorldMap& map, Clock& clock, const std::string& dataDir, int number) {
    const std::string path = overworldPath(dataDir, number);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        // A missing file in an existing map folder still costs the wait the
        // transfer would have taken; a missing folder returns at once.
        std::error_code ec;
        if (std::filesystem::is_directory(dataDir + "/map", ec)) clock.sleep(1000);
        return -1;
    }
    uint8_t* layer0 = map.data();
    size_t done = 0;
    while (done < size_t(OverworldFileBytes)) {
        const ssize_t n = ::read(fd, layer0 + done, size_t(OverworldFileBytes) - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    ::close(fd);
    clock.sleep(1000);
    return int(done);
}

} // namespace delve
