#include "platform/rename_no_replace.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace delve {

int systemRenameNoReplace(const std::string& from, const std::string& to) {
    // The browser's file system has neither that rename nor hard links, and
    // nothing else writes to it while the program runs: a name seen free is
    // still free at the rename.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

} // namespace delve
