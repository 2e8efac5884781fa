#include "console/slot_files.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace delve {

namespace fs = std::filesystem;

fs::path slotFilePath(const fs::path& dir, int slot, const char* kind) {
    char name[64];
    std::snprintf(name, sizeof name, "SAVEGAME%d.%s", slot, kind);
    return dir / name;
}

fs::path slotCheckPath(const fs::path& dir, int slot) { return slotFilePath(dir, slot, "check"); }

fs::path slotTempPath(const fs::path& path) {
    fs::path temp = path;
    temp += ".tmp";
    return temp;
}

// ---- check file ----------------------------------------------------------

namespace {

constexpr const char* CheckHeader = "delve slot check 1";

void formatDigests(std::string& out, const char* prefix, const SlotDigests& d) {
    char line[128];
    for (int i = 0; i < SlotFileCount; ++i) {
        std::snprintf(line, sizeof line, "%s%s %" PRIu64 " %016" PRIx64 "\n", prefix,
                      SlotFileKinds[i], d.size[i], d.digest[i]);
        out += line;
    }
}

// Reads one "<prefix><kind> <size> <16 hex digits>" line at `pos`.
bool parseDigestLine(const std::string& text, size_t& pos, const char* prefix, int file,
                     SlotDigests& d) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) return false;
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;

    std::string head = std::string(prefix) + SlotFileKinds[file] + " ";
    if (line.compare(0, head.size(), head) != 0) return false;
    const char* p = line.c_str() + head.size();
    uint64_t size = 0;
    int digits = 0;
    while (*p >= '0' && *p <= '9' && digits < 20) {
        size = size * 10 + uint64_t(*p - '0');
        ++p;
        ++digits;
    }
    if (digits == 0 || *p != ' ') return false;
    ++p;
    uint64_t digest = 0;
    for (int i = 0; i < 16; ++i, ++p) {
        int v;
        if (*p >= '0' && *p <= '9') v = *p - '0';
        else if (*p >= 'a' && *p <= 'f') v = *p - 'a' + 10;
        else return false;
        digest = (digest << 4) | uint64_t(v);
    }
    if (*p != 0) return false;
    d.size[file] = size;
    d.digest[file] = digest;
    return true;
}

} // namespace

std::string formatSlotCheck(const SlotCheck& check) {
    std::string out = CheckHeader;
    out += '\n';
    formatDigests(out, "", check.current);
    if (check.hasPrevious) formatDigests(out, "previous ", check.previous);
    return out;
}

bool parseSlotCheck(const std::string& text, SlotCheck& check) {
    SlotCheck parsed;
    std::string header = std::string(CheckHeader) + "\n";
    if (text.compare(0, header.size(), header) != 0) return false;
    size_t pos = header.size();
    for (int i = 0; i < SlotFileCount; ++i)
        if (!parseDigestLine(text, pos, "", i, parsed.current)) return false;
    if (pos < text.size()) {
        for (int i = 0; i < SlotFileCount; ++i)
            if (!parseDigestLine(text, pos, "previous ", i, parsed.previous)) return false;
        parsed.hasPrevious = true;
    }
    if (pos != text.size()) return false;
    check = parsed;
    return true;
}

// ---- low-level file calls ------------------------------------------------

namespace {

bool writeAll(int fd, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= size_t(n);
    }
    return true;
}

bool readAllAt(int fd, uint64_t offset, void* data, size_t size) {
    auto* p = static_cast<uint8_t*>(data);
    while (size > 0) {
        ssize_t n = ::pread(fd, p, size, off_t(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        p += n;
        size -= size_t(n);
        offset += uint64_t(n);
    }
    return true;
}

// Reads a small file whole; false when it is missing, unreadable or too big.
bool readSmallFile(const fs::path& path, std::string& out, bool& exists) {
    exists = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        exists = errno != ENOENT;
        return false;
    }
    exists = true;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    out.clear();
    char buf[512];
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (n == 0) break;
        out.append(buf, size_t(n));
        if (out.size() > 4096) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    return ok;
}

} // namespace

bool syncFolder(const fs::path& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool ensureSlotFolder(const fs::path& dir) {
    std::error_code ec;
    if (fs::is_directory(dir, ec)) return true;
    fs::create_directories(dir, ec);
    return fs::is_directory(dir, ec);
}

// ---- reading a slot ------------------------------------------------------

SlotReader::~SlotReader() { close(); }

void SlotReader::close() {
    for (int& fd : fds_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

SlotState SlotReader::open(const fs::path& dir, int slot) {
    close();
    digests_ = {};

    std::string checkText;
    bool checkExists = false;
    bool checkRead = readSmallFile(slotCheckPath(dir, slot), checkText, checkExists);

    int present = 0;
    bool sizesRight = true;
    for (int i = 0; i < SlotFileCount; ++i) {
        fds_[i] = ::open(slotFilePath(dir, slot, SlotFileKinds[i]).c_str(),
                        O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fds_[i] < 0) {
            if (errno != ENOENT) ++present;
            sizesRight = false;
            continue;
        }
        ++present;
        struct stat st {};
        if (::fstat(fds_[i], &st) != 0 || !S_ISREG(st.st_mode) ||
            uint64_t(st.st_size) != SlotFileSizes[i])
            sizesRight = false;
        digests_.size[i] = uint64_t(st.st_size);
    }
    if (present == 0 && !checkExists) {
        close();
        return SlotState::Empty;
    }
    if (!sizesRight) {
        close();
        return SlotState::Damaged;
    }

    // Digest what the files hold, through a fixed buffer.
    std::vector<uint8_t> buffer(1 << 20);
    for (int i = 0; i < SlotFileCount; ++i) {
        SlotDigest d;
        for (uint64_t off = 0; off < SlotFileSizes[i];) {
            size_t n = size_t(std::min<uint64_t>(buffer.size(), SlotFileSizes[i] - off));
            if (!readAllAt(fds_[i], off, buffer.data(), n)) {
                close();
                return SlotState::Unreadable;
            }
            d.add(buffer.data(), n);
            off += n;
        }
        digests_.digest[i] = d.value;
    }

    // Files saved before check files existed have only their sizes to go by.
    if (!checkExists) return SlotState::Valid;

    SlotCheck check;
    if (!checkRead || !parseSlotCheck(checkText, check)) {
        close();
        return SlotState::Damaged;
    }
    if (digests_ == check.current) return SlotState::Valid;
    if (check.hasPrevious && digests_ == check.previous) return SlotState::Valid;
    close();
    return SlotState::Mixed;
}

bool SlotReader::read(SlotFile file, uint64_t offset, void* dest, size_t size) {
    if (fds_[file] < 0) return false;
    return readAllAt(fds_[file], offset, dest, size);
}

// ---- writing a slot ------------------------------------------------------

SlotFileWriter::~SlotFileWriter() {
    if (fd_ >= 0) ::close(fd_);
}

bool SlotFileWriter::open(const fs::path& finalPath) {
    final_ = finalPath;
    temp_ = slotTempPath(finalPath);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    failed_ = fd_ < 0;
    written_ = 0;
    digest_ = {};
    return !failed_;
}

bool SlotFileWriter::write(const void* data, size_t size) {
    if (failed_ || fd_ < 0) return false;
    digest_.add(data, size);
    if (!writeAll(fd_, data, size)) failed_ = true;
    written_ += size;
    return !failed_;
}

bool SlotFileWriter::finish() {
    if (fd_ < 0) return false;
    if (!failed_ && ::fsync(fd_) != 0) failed_ = true;
    if (::close(fd_) != 0) failed_ = true;
    fd_ = -1;
    return !failed_;
}

bool SlotFileWriter::commit() {
    if (failed_ || fd_ >= 0) return false;
    return ::rename(temp_.c_str(), final_.c_str()) == 0;
}

void SlotFileWriter::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

} // namespace delve
