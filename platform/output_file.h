#pragma once
// Writing a file whole under a temporary name and putting it in place in
// one step, so a reader never sees half of it; and the rule every output
// the user names follows.
#include <cstddef>
#include <string>

#include "platform/file_store.h"
#include "platform/files.h"

namespace delve {

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

// Why an output asked for at `path` cannot be written, in words for a
// person (fileErrorText); empty when it can, or when `path` is empty (no
// output asked for).
std::string outputProblem(const std::string& path);

// A file written under a temporary name beside its target, flushed, and
// renamed over the target. The temporary file is removed again on every
// failure and when the OutputFile goes without being put in place.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile(); // abandons an output that was not put in place

    // Applies the output rule to `path` and creates a temporary name that is
    // new (created exclusively, never a file of the user's) and hidden.
    int open(const std::string& path);
    // For files the program owns: writes under `temporary` (a stale file
    // there, left by a write cut off, is removed first; a link planted there
    // is removed, not followed) to be renamed over `target` as it stands,
    // without the output rule, all through `store`.
    int openWithTemporary(const std::string& target, const std::string& temporary,
                          FileStore& store = diskFiles());
    int write(const void* data, size_t size);
    // Flushes the bytes to disk and closes the temporary file.
    int finish();
    // After finish(): renames the temporary file over the target. With
    // `replace` false (outputs of open(), on the disk) an existing name is
    // not replaced: the call fails with EEXIST instead. The folder is not
    // flushed (the caller does that, once for several files). On failure
    // the target is untouched.
    int putInPlace(bool replace = true);
    // finish(), putInPlace() and a flush of the folder: the whole output in
    // one call. On failure the target is untouched and nothing is left.
    int commit(bool replace = true);
    // Removes the temporary file; the target is untouched.
    void abandon();
    // Lets go of the temporary file without removing it: what a crash
    // leaves behind (crash tests).
    void forget();

    const std::string& target() const { return target_; }
    const std::string& temporaryPath() const { return temp_; }

private:
    FileStore* store_ = &diskFiles();
    int handle_ = -1; // of store_
    void closeFile();
    std::string target_;
    std::string temp_;
    bool finished_ = false;
};

// Replaces `path` with `size` bytes in one step, following the output rule
// above. On any failure the old file is untouched and nothing is left behind.
int replaceFile(const std::string& path, const void* data, size_t size);
// The same for a name that must not exist yet: EEXIST when it does, and an
// existing file is never replaced, even one that appears meanwhile.
int writeNewOutput(const std::string& path, const void* data, size_t size);

} // namespace delve
