#pragma once
// The one place the program reads and writes files. Every call retries
// EINTR and short transfers, never blocks on a FIFO or a device it was not
// asked to read, and reports failures as an errno value (0 = success) that
// errorText() turns into words for a person.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace delve {

// Error values beside errno's own (all negative, so they never collide).
constexpr int NotRegularFile = -1; // a folder, FIFO, device or socket where a file belongs
constexpr int FileTooLarge = -2;   // bigger than the caller's limit
constexpr int FileCutShort = -3;   // ended before the bytes the caller needed

// "no space left on device": strerror's text with a lower-case first
// letter, so it reads well after a colon.
std::string errorText(int error);

// An open file descriptor, closed when it goes out of scope.
class File {
public:
    File() = default;
    explicit File(int fd) : fd_(fd) {}
    File(File&& other) noexcept : fd_(other.release()) {}
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    int fd() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    int release();
    // Closes the descriptor; the error close reported, or 0.
    int close();

private:
    int fd_ = -1;
};

// Opens an existing regular file read-only. The open itself never blocks
// (a FIFO in place of the file would wait forever for a writer) and
// anything but a regular file is refused with NotRegularFile.
int openForReading(const std::string& path, File& out);
// Size in bytes of an open file.
int fileSize(const File& file, uint64_t& size);

// Reads up to `size` bytes at `offset` (or from the current position with
// readSome); `got` < `size` only at the end of the file.
int readAt(const File& file, uint64_t offset, void* data, size_t size, size_t& got);
int readSome(const File& file, void* data, size_t size, size_t& got);
// Reads exactly `size` bytes at `offset`; FileCutShort when the file ends first.
int readExactlyAt(const File& file, uint64_t offset, void* data, size_t size);

// Reads a whole regular file of at most `limit` bytes (FileTooLarge beyond).
int readWholeFile(const std::string& path, std::vector<uint8_t>& out, uint64_t limit);
// The same for a stream a user may hand over instead of a file (a pipe,
// /dev/stdin, a character device): read until its end, refused once it
// passes `limit`. Folders are still refused.
int readWholeStream(const std::string& path, std::vector<uint8_t>& out, uint64_t limit);

// Writes all `size` bytes.
int writeAll(const File& file, const void* data, size_t size);
// Flushes a file's data to the disk.
int syncFile(const File& file);
// Flushes a folder's entries (renames, new names) to the disk.
int syncFolder(const std::string& dir);

// Creates `path` for writing, exclusively: a stale file of that name is
// removed first, a symbolic link planted there is removed rather than
// followed, and a name that appears meanwhile makes the call fail.
int createExclusive(const std::string& path, File& out);
// Creates `path` for writing only where no name of that kind exists (EEXIST
// otherwise): nothing is removed, and a link is never followed.
int createNewFile(const std::string& path, File& out);
int renameFile(const std::string& from, const std::string& to);
// Renames `from` to `to` only while no file is named `to`: EEXIST when
// one is, even one that appears meanwhile.
int renameNoReplace(const std::string& from, const std::string& to);
// Gives an existing file a second name (for keeping a file a rename replaces).
int linkFile(const std::string& existing, const std::string& newName);
// Removes a file; a name that does not exist is not an error.
int removeFile(const std::string& path);

// Creates `path` exclusively (as createExclusive) holding `size` bytes,
// flushed to disk; on failure nothing of it is left.
int writeNewFile(const std::string& path, const void* data, size_t size);

// errorText, made exact for a file that is not what it should be: "is a
// folder", "is a named pipe (FIFO)", "is a character device", "is a link
// to a character device", "is a link to nothing".
std::string fileErrorText(const std::string& path, int error);

// ---- failure injection (tests) ----
// Every open for reading, read, write, sync, rename, link and create asks
// the hook first. A non-zero `error` makes the call fail with that errno (EINTR is retried
// like a real one); `limit` caps the bytes one read or write moves.
enum class FileOp { Open, Read, Write, Sync, Rename, Link, Create };
struct FileFault {
    int error = 0;
    size_t limit = SIZE_MAX;
};
using FileFaultHook = std::function<FileFault(FileOp)>;
// Installs `hook` (an empty function removes it).
void setFileFaultHook(FileFaultHook hook);

} // namespace delve
