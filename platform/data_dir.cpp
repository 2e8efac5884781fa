#include "platform/data_dir.h"

#include <cstdlib>
#include <filesystem>

// The build passes the installed layout in; a build without it assumes the
// usual bin/ and share/ of one prefix.
#ifndef DELVE_DATA_DIR_FROM_BIN
#define DELVE_DATA_DIR_FROM_BIN "../share/delve"
#endif

namespace delve {

namespace {

std::string executableDir() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

} // namespace

std::string installedDataDirRelative() { return DELVE_DATA_DIR_FROM_BIN; }

std::string findDataDirFrom(const std::string& requested, const char* environment,
                            const std::string& exeDir, const std::string& installedRelative) {
    namespace fs = std::filesystem;
    if (!requested.empty()) return requested;
    if (environment && *environment) return environment;
    if (exeDir.empty()) return {};
    std::error_code ec;
    const fs::path exe = exeDir;
    if (fs::is_directory(exe / "data", ec)) return (exe / "data").string();
    const fs::path installed = (exe / installedRelative).lexically_normal();
    if (!installedRelative.empty() && fs::is_directory(installed, ec)) return installed.string();
    return {};
}

std::string findDataDir(const std::string& requested) {
    return findDataDirFrom(requested, std::getenv("DELVE_DATA_DIR"), executableDir(),
                           installedDataDirRelative());
}

std::string dataDirSearchText() {
    namespace fs = std::filesystem;
    const std::string exe = executableDir();
    if (exe.empty()) return "the program's own folder is unknown; give --data-dir or DELVE_DATA_DIR";
    return "looked in " + (fs::path(exe) / "data").string() + " and " +
           (fs::path(exe) / installedDataDirRelative()).lexically_normal().string() +
           "; give --data-dir or DELVE_DATA_DIR";
}

} // namespace delve
