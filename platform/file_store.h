#pragma once
// The file operations a saved game needs, behind one interface: the disk
// (diskFiles(), what the program uses: every call goes to files.h, so its
// failure injection and its order of syncs and renames hold), or memory
// (MemoryFiles, for rigs that run thousands of saves and loads a second).
// Every call reports failures as an errno value or a files.h code, 0 for
// success. A handle stays on the file it opened, whatever happens to its
// name later, as a descriptor does.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace delve {

class FileStore {
public:
    virtual ~FileStore() = default;

    // An existing regular file, read-only (openForReading in files.h).
    virtual int openForReading(const std::string& path, int& handle) = 0;
    virtual int fileSize(int handle, uint64_t& size) = 0;
    // Reads `size` bytes from the start of the file into `out` (or, with
    // `out` null, only looks at them) and gives their digest (fnv1a64);
    // FileCutShort when the file ends first.
    virtual int readDigested(int handle, uint64_t size, uint8_t* out, uint64_t& digest) = 0;
    virtual int readWholeFile(const std::string& path, std::vector<uint8_t>& out,
                              uint64_t limit) = 0;

    // A new file for writing; a stale one of that name is replaced
    // (createExclusive in files.h).
    virtual int createExclusive(const std::string& path, int& handle) = 0;
    virtual int writeAll(int handle, const void* data, size_t size) = 0;
    virtual int syncFile(int handle) = 0;
    virtual int close(int handle) = 0;
    virtual int writeNewFile(const std::string& path, const void* data, size_t size) = 0;

    // 0 when a name exists (a link is not followed), ENOENT when not, or
    // why it could not be looked up.
    virtual int lookUp(const std::string& path) = 0;
    // Makes a folder and its parents where missing.
    virtual int makeFolder(const std::string& dir) = 0;
    virtual int renameFile(const std::string& from, const std::string& to) = 0;
    virtual int linkFile(const std::string& existing, const std::string& newName) = 0;
    virtual int removeFile(const std::string& path) = 0;
    virtual int syncFolder(const std::string& dir) = 0;
};

// The disk, through files.h.
FileStore& diskFiles();

// A handle of a FileStore, closed when it goes out of scope.
class StoreFile {
public:
    explicit StoreFile(FileStore& store) : store_(&store) {}
    StoreFile(StoreFile&& other) noexcept : store_(other.store_), handle_(other.handle_) {
        other.handle_ = -1;
    }
    StoreFile& operator=(StoreFile&&) = delete;
    StoreFile(const StoreFile&) = delete;
    ~StoreFile() { close(); }

    int& handle() { return handle_; }
    int get() const { return handle_; }
    bool isOpen() const { return handle_ >= 0; }
    FileStore& store() const { return *store_; }
    int close() {
        if (handle_ < 0) return 0;
        const int h = handle_;
        handle_ = -1;
        return store_->close(h);
    }

private:
    FileStore* store_;
    int handle_ = -1;
};

// Files in memory: names in one flat map (folders always exist), each file
// shared by its names and open handles like an inode. Syncs do nothing.
// The digest of a file is kept per 64 KiB block as it is asked for, so
// reading a file again costs a digest only of the blocks from the first one
// changed since.
class MemoryFiles final : public FileStore {
public:
    int openForReading(const std::string& path, int& handle) override;
    int fileSize(int handle, uint64_t& size) override;
    int readDigested(int handle, uint64_t size, uint8_t* out, uint64_t& digest) override;
    int readWholeFile(const std::string& path, std::vector<uint8_t>& out,
                      uint64_t limit) override;
    int createExclusive(const std::string& path, int& handle) override;
    int writeAll(int handle, const void* data, size_t size) override;
    int syncFile(int) override { return 0; }
    int close(int handle) override;
    int writeNewFile(const std::string& path, const void* data, size_t size) override;
    int lookUp(const std::string& path) override;
    int makeFolder(const std::string&) override { return 0; }
    int renameFile(const std::string& from, const std::string& to) override;
    int linkFile(const std::string& existing, const std::string& newName) override;
    int removeFile(const std::string& path) override;
    int syncFolder(const std::string&) override { return 0; }

    // Direct access for rigs: the bytes of `path` (null when there is no
    // such file). Change them only through the calls below, which keep the
    // digest right.
    const std::vector<uint8_t>* bytes(const std::string& path) const;
    // Replaces the whole file (creating it).
    void put(const std::string& path, const void* data, size_t size);
    // Writes `size` bytes at `offset` (growing the file as needed).
    void writeAt(const std::string& path, size_t offset, const void* data, size_t size);
    void resize(const std::string& path, size_t size);
    // The digest of the whole file, as readDigested gives it.
    uint64_t digest(const std::string& path);

private:
    struct Node {
        std::vector<uint8_t> bytes;
        // states[k]: the digest state before block k, for every block
        // before the first one changed since it was computed.
        std::vector<uint64_t> states;
        void changedFrom(size_t offset);
        uint64_t digest();
    };
    struct Open {
        std::shared_ptr<Node> node;
        size_t position = 0; // where writeAll appends
    };
    std::shared_ptr<Node>& nodeFor(const std::string& path); // made when missing
    Open* open(int handle);

    std::map<std::string, std::shared_ptr<Node>> names_;
    std::vector<Open> handles_;
};

} // namespace delve
