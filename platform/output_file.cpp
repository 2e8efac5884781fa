#include "platform/output_file.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace delve {

namespace {

// The error a node of this kind gets where a regular file belongs.
int refusalFor(mode_t mode) { return S_ISDIR(mode) ? EISDIR : NotRegularFile; }

// The folder part of a path, as a name syncFolder can open.
std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Distinguishes the temporary files of one process; the process id
// distinguishes processes.
unsigned nextTemporaryNumber() {
    static std::atomic<unsigned> counter{0};
    return ++counter;
}

// The name an output at `path` lands at, or why there is none.
int resolveOutput(const std::string& path, std::string& target) {
    if (path.empty()) return ENOENT;
    if (path.back() == '/') return EISDIR; // a folder's name, whatever is there
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) return errno;
        // A new name: its folder must be there to take it.
        struct stat dir {};
        if (::stat(folderOf(path).c_str(), &dir) != 0) return errno;
        if (!S_ISDIR(dir.st_mode)) return ENOTDIR;
        target = path;
        return 0;
    }
    if (S_ISREG(st.st_mode)) {
        target = path;
        return 0;
    }
    if (!S_ISLNK(st.st_mode)) return refusalFor(st.st_mode);
    // A link is written through only when it ends at a regular file.
    if (::stat(path.c_str(), &st) != 0) return errno; // ENOENT: a link to nothing
    if (!S_ISREG(st.st_mode)) return refusalFor(st.st_mode);
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return errno;
    target = resolved;
    std::free(resolved);
    return 0;
}

} // namespace

int checkOutput(const std::string& path, std::string* target) {
    std::string landsAt;
    if (int err = resolveOutput(path, landsAt)) return err;
    // The temporary file is made in the target's folder.
    if (::access(folderOf(landsAt).c_str(), W_OK | X_OK) != 0) return errno;
    if (target) *target = std::move(landsAt);
    return 0;
}

std::string outputProblem(const std::string& path) {
    if (path.empty()) return {};
    const int err = checkOutput(path);
    return err == 0 ? std::string() : fileErrorText(path, err);
}

OutputFile::~OutputFile() { abandon(); }

int OutputFile::open(const std::string& path) {
    abandon();
    std::string target;
    if (int err = checkOutput(path, &target)) return err;
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    // ".<name>.<pid>-<n>.tmp" beside the target: hidden, and on the same file
    // system so the rename is one step. The name part is shortened so the
    // whole stays within the 255 bytes a name may have.
    const size_t slash = target.rfind('/');
    const std::string prefix = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = target.substr(prefix.size()).substr(0, 200);
    store_ = &diskFiles();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string temp = prefix + "." + name + "." + std::to_string(::getpid()) + "-" +
                           std::to_string(nextTemporaryNumber()) + ".tmp";
        File file;
        const int err = createNewFile(temp, file);
        if (err == EEXIST) continue;
        if (err != 0) return err;
        // A replaced file keeps its permissions.
        if (replacing) (void)::fchmod(file.fd(), old.st_mode & 07777);
        handle_ = file.release();
        temp_ = std::move(temp);
        target_ = std::move(target);
        return 0;
    }
    return EEXIST;
}

int OutputFile::openWithTemporary(const std::string& target, const std::string& temporary,
                                  FileStore& store) {
    abandon();
    store_ = &store;
    if (int err = store.createExclusive(temporary, handle_)) return err; // not ours to remove
    temp_ = temporary;
    target_ = target;
    return 0;
}

void OutputFile::closeFile() {
    if (handle_ < 0) return;
    store_->close(handle_);
    handle_ = -1;
}

int OutputFile::write(const void* data, size_t size) {
    if (handle_ < 0) return EBADF;
    return store_->writeAll(handle_, data, size);
}

int OutputFile::finish() {
    if (handle_ < 0) return EBADF;
    int err = store_->syncFile(handle_);
    const int closed = store_->close(handle_);
    handle_ = -1;
    if (err == 0) err = closed;
    finished_ = err == 0;
    return err;
}

int OutputFile::putInPlace(bool replace) {
    // Only bytes known to be on the disk may take the target's name: a
    // rename that reached the disk before its data would leave the target
    // empty after a power loss.
    if (!finished_ || temp_.empty()) return EBADF;
    const int err =
        replace ? store_->renameFile(temp_, target_) : renameNoReplace(temp_, target_);
    if (err == 0) temp_.clear();
    return err;
}

int OutputFile::commit(bool replace) {
    int err = finish();
    if (err == 0) err = putInPlace(replace);
    if (err != 0) {
        abandon();
        return err;
    }
    return store_->syncFolder(folderOf(target_));
}

void OutputFile::abandon() {
    closeFile();
    if (!temp_.empty()) store_->removeFile(temp_);
    temp_.clear();
    finished_ = false;
}

void OutputFile::forget() {
    closeFile();
    temp_.clear();
    finished_ = false;
}

namespace {

int writeOutput(const std::string& path, const void* data, size_t size, bool replace) {
    OutputFile out;
    if (int err = out.open(path)) return err;
    if (int err = out.write(data, size)) return err;
    return out.commit(replace);
}

} // namespace

int replaceFile(const std::string& path, const void* data, size_t size) {
    return writeOutput(path, data, size, true);
}

int writeNewOutput(const std::string& path, const void* data, size_t size) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) return EEXIST;
    return writeOutput(path, data, size, false);
}

} // namespace delve
