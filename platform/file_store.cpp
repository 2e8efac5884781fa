#include "platform/file_store.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

#include "platform/digest.h"
#include "platform/files.h"

namespace delve {

namespace {

// Handles are the descriptors themselves; File closes them again.
class DiskFiles final : public FileStore {
public:
    int openForReading(const std::string& path, int& handle) override {
        File f;
        const int err = delve::openForReading(path, f);
        handle = f.release();
        return err;
    }
    int fileSize(int handle, uint64_t& size) override {
        File f(handle);
        const int err = delve::fileSize(f, size);
        f.release();
        return err;
    }
    int readDigested(int handle, uint64_t size, uint8_t* out, uint64_t& digest) override {
        File f(handle);
        SlotDigest d;
        int err = 0;
        if (out) {
            err = readExactlyAt(f, 0, out, size_t(size));
            if (err == 0) d.add(out, size_t(size));
        } else {
            // Only the digest: through a fixed buffer, not the whole file in memory.
            std::vector<uint8_t> buffer(size_t(std::min<uint64_t>(size, 1 << 20)));
            for (uint64_t off = 0; off < size && err == 0;) {
                const size_t n = size_t(std::min<uint64_t>(buffer.size(), size - off));
                err = readExactlyAt(f, off, buffer.data(), n);
                d.add(buffer.data(), n);
                off += n;
            }
        }
        f.release();
        digest = d.value;
        return err;
    }
    int readWholeFile(const std::string& path, std::vector<uint8_t>& out,
                      uint64_t limit) override {
        return delve::readWholeFile(path, out, limit);
    }
    int createExclusive(const std::string& path, int& handle) override {
        File f;
        const int err = delve::createExclusive(path, f);
        handle = f.release();
        return err;
    }
    int writeAll(int handle, const void* data, size_t size) override {
        File f(handle);
        const int err = delve::writeAll(f, data, size);
        f.release();
        return err;
    }
    int syncFile(int handle) override {
        File f(handle);
        const int err = delve::syncFile(f);
        f.release();
        return err;
    }
    int close(int handle) override { return File(handle).close(); }
    int writeNewFile(const std::string& path, const void* data, size_t size) override {
        return delve::writeNewFile(path, data, size);
    }
    int lookUp(const std::string& path) override {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0 ? 0 : errno;
    }
    int makeFolder(const std::string& dir) override {
        namespace fs = std::filesystem;
        std::error_code ec;
        if (fs::is_directory(dir, ec)) return 0;
        fs::create_directories(dir, ec);
        if (fs::is_directory(dir)) return 0;
        return ec ? ec.value() : ENOTDIR;
    }
    int renameFile(const std::string& from, const std::string& to) override {
        return delve::renameFile(from, to);
    }
    int linkFile(const std::string& existing, const std::string& newName) override {
        return delve::linkFile(existing, newName);
    }
    int removeFile(const std::string& path) override { return delve::removeFile(path); }
    int syncFolder(const std::string& dir) override { return delve::syncFolder(dir); }
};

constexpr size_t DigestBlock = 64 * 1024;

} // namespace

FileStore& diskFiles() {
    static DiskFiles disk;
    return disk;
}

// ---- memory ----------------------------------------------------------------

void MemoryFiles::Node::changedFrom(size_t offset) {
    states.resize(std::min(states.size(), offset / DigestBlock + 1));
}

uint64_t MemoryFiles::Node::digest() {
    if (states.empty()) states.push_back(SlotDigest{}.value);
    // Blocks from the last known state to the end; the state after the
    // last block is kept too (one past the block count).
    const size_t blocks = (bytes.size() + DigestBlock - 1) / DigestBlock;
    for (size_t k = states.size() - 1; k < blocks; ++k) {
        const size_t from = k * DigestBlock, n = std::min(DigestBlock, bytes.size() - from);
        states.push_back(fnv1a64(bytes.data() + from, n, states[k]));
    }
    return states[blocks];
}

std::shared_ptr<MemoryFiles::Node>& MemoryFiles::nodeFor(const std::string& path) {
    std::shared_ptr<Node>& n = names_[path];
    if (!n) n = std::make_shared<Node>();
    return n;
}

MemoryFiles::Open* MemoryFiles::open(int handle) {
    if (handle < 0 || size_t(handle) >= handles_.size() || !handles_[size_t(handle)].node)
        return nullptr;
    return &handles_[size_t(handle)];
}

int MemoryFiles::openForReading(const std::string& path, int& handle) {
    handle = -1;
    auto it = names_.find(path);
    if (it == names_.end()) return ENOENT;
    // The first free handle, as descriptors are given.
    size_t h = 0;
    while (h < handles_.size() && handles_[h].node) ++h;
    if (h == handles_.size()) handles_.emplace_back();
    handles_[h] = Open{it->second, 0};
    handle = int(h);
    return 0;
}

int MemoryFiles::fileSize(int handle, uint64_t& size) {
    Open* o = open(handle);
    if (!o) return EBADF;
    size = o->node->bytes.size();
    return 0;
}

int MemoryFiles::readDigested(int handle, uint64_t size, uint8_t* out, uint64_t& digest) {
    Open* o = open(handle);
    if (!o) return EBADF;
    Node& n = *o->node;
    if (n.bytes.size() < size) return FileCutShort;
    if (out) std::memcpy(out, n.bytes.data(), size_t(size));
    if (n.bytes.size() == size) {
        digest = n.digest();
    } else {
        digest = fnv1a64(n.bytes.data(), size_t(size));
    }
    return 0;
}

int MemoryFiles::readWholeFile(const std::string& path, std::vector<uint8_t>& out,
                               uint64_t limit) {
    auto it = names_.find(path);
    if (it == names_.end()) return ENOENT;
    if (it->second->bytes.size() > limit) return FileTooLarge;
    out = it->second->bytes;
    return 0;
}

int MemoryFiles::createExclusive(const std::string& path, int& handle) {
    names_.erase(path);
    nodeFor(path);
    if (int err = openForReading(path, handle)) return err;
    return 0;
}

int MemoryFiles::writeAll(int handle, const void* data, size_t size) {
    Open* o = open(handle);
    if (!o) return EBADF;
    Node& n = *o->node;
    if (n.bytes.size() < o->position + size) n.bytes.resize(o->position + size);
    std::memcpy(n.bytes.data() + o->position, data, size);
    n.changedFrom(o->position);
    o->position += size;
    return 0;
}

int MemoryFiles::close(int handle) {
    Open* o = open(handle);
    if (!o) return EBADF;
    o->node.reset();
    return 0;
}

int MemoryFiles::writeNewFile(const std::string& path, const void* data, size_t size) {
    put(path, data, size);
    return 0;
}

int MemoryFiles::lookUp(const std::string& path) {
    return names_.count(path) ? 0 : ENOENT;
}

int MemoryFiles::renameFile(const std::string& from, const std::string& to) {
    auto it = names_.find(from);
    if (it == names_.end()) return ENOENT;
    std::shared_ptr<Node> n = it->second;
    names_.erase(it);
    names_[to] = std::move(n);
    return 0;
}

int MemoryFiles::linkFile(const std::string& existing, const std::string& newName) {
    auto it = names_.find(existing);
    if (it == names_.end()) return ENOENT;
    if (names_.count(newName)) return EEXIST;
    names_[newName] = it->second;
    return 0;
}

int MemoryFiles::removeFile(const std::string& path) {
    names_.erase(path);
    return 0;
}

const std::vector<uint8_t>* MemoryFiles::bytes(const std::string& path) const {
    auto it = names_.find(path);
    return it == names_.end() ? nullptr : &it->second->bytes;
}

void MemoryFiles::put(const std::string& path, const void* data, size_t size) {
    auto n = std::make_shared<Node>();
    n->bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    names_[path] = std::move(n);
}

void MemoryFiles::writeAt(const std::string& path, size_t offset, const void* data, size_t size) {
    Node& n = *nodeFor(path);
    if (n.bytes.size() < offset + size) n.bytes.resize(offset + size);
    std::memcpy(n.bytes.data() + offset, data, size);
    n.changedFrom(offset);
}

void MemoryFiles::resize(const std::string& path, size_t size) {
    Node& n = *nodeFor(path);
    const size_t old = n.bytes.size();
    n.bytes.resize(size);
    n.changedFrom(std::min(old, size));
}

uint64_t MemoryFiles::digest(const std::string& path) { return nodeFor(path)->digest(); }

} // namespace delve
