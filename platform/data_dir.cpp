#include "platform/data_dir.h"

#include <filesystem>

namespace delve {

namespace {

std::string executableDir() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

} // namespace

std::string findDataDir(const std::string& requested) {
    namespace fs = std::filesystem;
    if (!requested.empty()) return requested;
    std::error_code ec;
    fs::path exe = executableDir();
    if (fs::is_directory(exe / "data", ec)) return (exe / "data").string();
    if (fs::is_directory(exe / ".." / "share" / "delve", ec))
        return (exe / ".." / "share" / "delve").lexically_normal().string();
    return ".";
}

} // namespace delve
