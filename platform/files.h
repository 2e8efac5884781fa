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
int renameFile(const std::string& from, const std::string& to);
// Gives an existing file a second name (for keeping a file a rename replaces).
int linkFile(const std::string& existing, const std::string& newName);
// Removes a file; a name that does not exist is not an error.
int removeFile(const std::string& path);

// Creates `path` exclusively (as createExclusive) holding `size` bytes,
// flushed to disk; on failure nothing of it is left.
int writeNewFile(const std::string& path, const void* data, size_t size);

// ---- outputs ----
// Every file the program writes for the user (a picture, a state dump, a
// recording, JSON) follows one rule. A new name is created; a regular file
// is replaced; a symbolic link to a regular file is written through (the
// file it points to is replaced, the link stays). Anything else at the name
// is refused before a byte is written, and left as it was: a folder
// (EISDIR), a FIFO, device or socket (NotRegularFile), a link to one of
// those, or a link to nothing (ENOENT).
//
// Checks `path` against the rule without writing; `target` (when given)
// receives the name the bytes would land at (the link's file for a link).
int checkOutput(const std::string& path, std::string* target = nullptr);

// True when `path` is empty (no output asked for) or passes checkOutput;
// otherwise says on stderr which option's file cannot be written and why,
// as "PROGRAM: FLAG: cannot write PATH: REASON", and returns false.
bool outputUsable(const char* program, const char* flag, const std::string& path);

// An output written to a temporary file beside its target and put in place
// in one step. The temporary name is new (created exclusively, never a
// file of the user's), hidden, and removed again on every failure.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile(); // abandons an output that was not committed

    // Applies the rule to `path` and creates the temporary file.
    int open(const std::string& path);
    int write(const void* data, size_t size);
    // Flushes the bytes and renames them over the target, then flushes the
    // folder. With `replace` false an existing name is not replaced: the
    // call fails with EEXIST instead. On failure the target is untouched.
    int commit(bool replace = true);
    // Removes the temporary file; the target is untouched.
    void abandon();

    const File& file() const { return file_; }
    const std::string& temporaryPath() const { return temp_; }

private:
    File file_;
    std::string target_;
    std::string temp_;
};

// Replaces `path` with `size` bytes in one step, following the output rule
// above. On any failure the old file is untouched and nothing is left behind.
int replaceFile(const std::string& path, const void* data, size_t size);
// The same for a name that must not exist yet: EEXIST when it does, and an
// existing file is never replaced, even one that appears meanwhile.
int writeNewOutput(const std::string& path, const void* data, size_t size);

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
