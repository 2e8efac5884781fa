#include "platform/rename_no_replace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

#include "platform/files.h"

namespace delve {

int systemRenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    const int err = errno;
    if (err != EINVAL && err != ENOSYS) return err;
    // File systems without that rename: a hard link is just as exclusive,
    // and the first name then goes.
    if (int linkErr = linkFile(from, to)) return linkErr;
    removeFile(from);
    return 0;
}

} // namespace delve
