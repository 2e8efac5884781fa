#include "platform/files.h"

#include "platform/rename_no_replace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace delve {

namespace {

FileFaultHook& faultHook() {
    static FileFaultHook hook;
    return hook;
}

FileFault askHook(FileOp op) {
    const FileFaultHook& hook = faultHook();
    return hook ? hook(op) : FileFault{};
}

// One read or write call, through the hook: -1 with errno set on failure.
ssize_t readOnce(int fd, void* data, size_t size, const uint64_t* offset) {
    const FileFault f = askHook(FileOp::Read);
    if (f.error) {
        errno = f.error;
        return -1;
    }
    if (size > f.limit) size = f.limit;
    return offset ? ::pread(fd, data, size, off_t(*offset)) : ::read(fd, data, size);
}

ssize_t writeOnce(int fd, const void* data, size_t size) {
    const FileFault f = askHook(FileOp::Write);
    if (f.error) {
        errno = f.error;
        return -1;
    }
    if (size > f.limit) size = f.limit;
    return ::write(fd, data, size);
}

// Reads until `size` bytes or the end; `offset` null reads at the position.
int readLoop(int fd, uint64_t* offset, void* data, size_t size, size_t& got) {
    auto* p = static_cast<uint8_t*>(data);
    got = 0;
    while (got < size) {
        const ssize_t n = readOnce(fd, p + got, size - got, offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) break;
        got += size_t(n);
        if (offset) *offset += uint64_t(n);
    }
    return 0;
}

int readAllOf(const File& file, std::vector<uint8_t>& out, uint64_t limit) {
    out.clear();
    uint8_t chunk[1 << 14];
    for (;;) {
        size_t got = 0;
        if (int err = readLoop(file.fd(), nullptr, chunk, sizeof chunk, got)) return err;
        if (uint64_t(out.size()) + got > limit) {
            out.clear();
            return FileTooLarge;
        }
        out.insert(out.end(), chunk, chunk + got);
        if (got < sizeof chunk) return 0;
    }
}

// Refuses anything but a regular file, then lets reads and writes block
// again (the open itself was made non-blocking).
int keepIfRegular(File& opened, File& out) {
    struct stat st {};
    if (::fstat(opened.fd(), &st) != 0) return errno;
    if (!S_ISREG(st.st_mode)) return NotRegularFile;
    const int flags = ::fcntl(opened.fd(), F_GETFL);
    if (flags < 0 || ::fcntl(opened.fd(), F_SETFL, flags & ~O_NONBLOCK) != 0) return errno;
    out = std::move(opened);
    return 0;
}

} // namespace

void setFileFaultHook(FileFaultHook hook) { faultHook() = std::move(hook); }

std::string errorText(int error) {
    switch (error) {
    case 0: return "no error";
    case NotRegularFile: return "not a regular file";
    case FileTooLarge: return "file too large";
    case FileCutShort: return "file is cut short";
    default: break;
    }
    std::string text = std::strerror(error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' &&
        (text.size() < 2 || !(text[1] >= 'A' && text[1] <= 'Z')))
        text[0] = char(text[0] - 'A' + 'a');
    return text;
}

// ---- File ----------------------------------------------------------------

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

File::~File() { close(); }

int File::release() { return std::exchange(fd_, -1); }

int File::close() {
    if (fd_ < 0) return 0;
    // The descriptor is gone after close even when it reports an error, so
    // EINTR is not retried.
    const int rc = ::close(std::exchange(fd_, -1));
    return rc == 0 || errno == EINTR ? 0 : errno;
}

// ---- reading ---------------------------------------------------------------

int openForReading(const std::string& path, File& out) {
    out.close();
    if (const FileFault fault = askHook(FileOp::Open); fault.error) return fault.error;
    File f(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!f.isOpen()) return errno;
    return keepIfRegular(f, out);
}

int fileSize(const File& file, uint64_t& size) {
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0) return errno;
    size = uint64_t(st.st_size);
    return 0;
}

int readAt(const File& file, uint64_t offset, void* data, size_t size, size_t& got) {
    return readLoop(file.fd(), &offset, data, size, got);
}

int readSome(const File& file, void* data, size_t size, size_t& got) {
    return readLoop(file.fd(), nullptr, data, size, got);
}

int readExactlyAt(const File& file, uint64_t offset, void* data, size_t size) {
    size_t got = 0;
    if (int err = readAt(file, offset, data, size, got)) return err;
    return got == size ? 0 : FileCutShort;
}

int readWholeFile(const std::string& path, std::vector<uint8_t>& out, uint64_t limit) {
    File f;
    if (int err = openForReading(path, f)) return err;
    uint64_t size = 0;
    if (int err = fileSize(f, size)) return err;
    if (size > limit) return FileTooLarge;
    return readAllOf(f, out, limit);
}

int readWholeStream(const std::string& path, std::vector<uint8_t>& out, uint64_t limit) {
    // The user named this stream, so waiting for a pipe's writer is what
    // was asked for; only a folder makes no sense.
    if (const FileFault fault = askHook(FileOp::Open); fault.error) return fault.error;
    File f(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
    if (!f.isOpen()) return errno;
    struct stat st {};
    if (::fstat(f.fd(), &st) != 0) return errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    return readAllOf(f, out, limit);
}

// ---- writing ---------------------------------------------------------------

int writeAll(const File& file, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = writeOnce(file.fd(), p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO; // a write that moves nothing would loop forever
        p += n;
        size -= size_t(n);
    }
    return 0;
}

int syncFile(const File& file) {
    if (const FileFault f = askHook(FileOp::Sync); f.error) return f.error;
    return ::fsync(file.fd()) == 0 ? 0 : errno;
}

int syncFolder(const std::string& dir) {
    if (const FileFault f = askHook(FileOp::Sync); f.error) return f.error;
    File f(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!f.isOpen()) return errno;
    return ::fsync(f.fd()) == 0 ? 0 : errno;
}

int createExclusive(const std::string& path, File& out) {
    out.close();
    if (const FileFault f = askHook(FileOp::Create); f.error) return f.error;
    if (int err = removeFile(path)) return err;
    // O_EXCL fails on any name that exists, links included; O_NOFOLLOW
    // says the same for systems where O_EXCL alone would not. O_NONBLOCK
    // keeps a FIFO created meanwhile from stalling the open.
    File f(::open(path.c_str(),
                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                  0644));
    if (!f.isOpen()) return errno;
    return keepIfRegular(f, out);
}

int createNewFile(const std::string& path, File& out) {
    out.close();
    if (const FileFault f = askHook(FileOp::Create); f.error) return f.error;
    File f(::open(path.c_str(),
                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                  0666));
    if (!f.isOpen()) return errno;
    if (int err = keepIfRegular(f, out)) {
        removeFile(path);
        return err;
    }
    return 0;
}

int renameFile(const std::string& from, const std::string& to) {
    if (const FileFault f = askHook(FileOp::Rename); f.error) return f.error;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int renameNoReplace(const std::string& from, const std::string& to) {
    if (const FileFault f = askHook(FileOp::Rename); f.error) return f.error;
    return systemRenameNoReplace(from, to);
}

int linkFile(const std::string& existing, const std::string& newName) {
    if (const FileFault f = askHook(FileOp::Link); f.error) return f.error;
    return ::link(existing.c_str(), newName.c_str()) == 0 ? 0 : errno;
}

int removeFile(const std::string& path) {
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) return 0;
    return errno;
}

int writeNewFile(const std::string& path, const void* data, size_t size) {
    File f;
    int err = createExclusive(path, f);
    if (err != 0) return err; // a name we could not create is not ours to remove
    err = writeAll(f, data, size);
    if (err == 0) err = syncFile(f);
    if (const int closed = f.close(); err == 0) err = closed;
    if (err != 0) removeFile(path);
    return err;
}

// ---- error words ----------------------------------------------------------

namespace {

// "a folder", "a named pipe (FIFO)" ...: what a node is, for messages.
const char* nodeNoun(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a symbolic link";
    return "a regular file";
}

} // namespace

std::string fileErrorText(const std::string& path, int error) {
    if (error != NotRegularFile && error != EISDIR && error != ENOENT) return errorText(error);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errorText(error);
    if (S_ISLNK(st.st_mode)) {
        if (::stat(path.c_str(), &st) != 0) return "is a link to nothing";
        if (S_ISREG(st.st_mode)) return errorText(error);
        return std::string("is a link to ") + nodeNoun(st.st_mode);
    }
    if (S_ISREG(st.st_mode)) return errorText(error);
    return std::string("is ") + nodeNoun(st.st_mode);
}

} // namespace delve
