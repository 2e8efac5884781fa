#include "console/slot_files.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

void formatLine(std::string& out, const char* prefix, const char* kind, uint64_t size,
                uint64_t digest) {
    char line[128];
    std::snprintf(line, sizeof line, "%s%s %" PRIu64 " %016" PRIx64 "\n", prefix, kind, size,
                  digest);
    out += line;
}

void formatDigests(std::string& out, const char* prefix, const SlotDigests& d) {
    for (int i = 0; i < SlotFileCount; ++i)
        formatLine(out, prefix, SlotFileKinds[i], d.size[i], d.digest[i]);
    if (d.hasContest) formatLine(out, prefix, ContestFileKind, d.contestSize, d.contestDigest);
}

// Whether the line at `pos` starts with "<prefix><kind> ".
bool lineIs(const std::string& text, size_t pos, const char* prefix, const char* kind) {
    const std::string head = std::string(prefix) + kind + " ";
    return text.compare(pos, head.size(), head) == 0;
}

// Reads one "<prefix><kind> <size> <16 hex digits>" line at `pos`.
bool parseDigestLine(const std::string& text, size_t& pos, const char* prefix, const char* kind,
                     uint64_t& sizeOut, uint64_t& digestOut) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) return false;
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;

    std::string head = std::string(prefix) + kind + " ";
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
    sizeOut = size;
    digestOut = digest;
    return true;
}

// The three files' lines, then the contest file's line when there is one.
bool parseDigests(const std::string& text, size_t& pos, const char* prefix, SlotDigests& d) {
    for (int i = 0; i < SlotFileCount; ++i)
        if (!parseDigestLine(text, pos, prefix, SlotFileKinds[i], d.size[i], d.digest[i]))
            return false;
    if (pos < text.size() && lineIs(text, pos, prefix, ContestFileKind)) {
        if (!parseDigestLine(text, pos, prefix, ContestFileKind, d.contestSize, d.contestDigest))
            return false;
        d.hasContest = true;
    }
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
    if (!parseDigests(text, pos, "", parsed.current)) return false;
    if (pos < text.size()) {
        if (!parseDigests(text, pos, "previous ", parsed.previous)) return false;
        parsed.hasPrevious = true;
    }
    if (pos != text.size()) return false;
    check = parsed;
    return true;
}

fs::path slotBackupPath(const fs::path& path) {
    fs::path backup = path;
    backup += ".old";
    return backup;
}

int ensureSlotFolder(const fs::path& dir) {
    std::error_code ec;
    if (fs::is_directory(dir, ec)) return 0;
    fs::create_directories(dir, ec);
    if (fs::is_directory(dir)) return 0;
    return ec ? ec.value() : ENOTDIR;
}

// ---- reading a slot ------------------------------------------------------

namespace {

// Whether a failure to read means the slot is broken (Damaged) rather than
// kept from us (Unreadable: permissions, a failing disk).
bool meansDamaged(int error) {
    return error == ENOENT || error == NotRegularFile || error == FileTooLarge ||
           error == FileCutShort;
}

// True when `d` names a file of the kind `file` that another slot's check
// file lists: a file copied in from another game.
bool belongsToAnotherSlot(const fs::path& dir, int slot, int file, const SlotDigests& d) {
    for (int other = FirstSlot; other <= LastSlot; ++other) {
        if (other == slot) continue;
        std::vector<uint8_t> text;
        if (readWholeFile(slotCheckPath(dir, other).string(), text, 4096) != 0) continue;
        SlotCheck check;
        if (!parseSlotCheck(std::string(text.begin(), text.end()), check)) continue;
        auto lists = [&](const SlotDigests& game) {
            return game.size[file] == d.size[file] && game.digest[file] == d.digest[file];
        };
        if (lists(check.current) || (check.hasPrevious && lists(check.previous))) return true;
    }
    return false;
}

} // namespace

SlotState readSlot(const fs::path& dir, int slot, SlotImage& image, bool keepBytes) {
    image = SlotImage{};

    std::vector<uint8_t> checkBytes;
    const int checkError = readWholeFile(slotCheckPath(dir, slot).string(), checkBytes, 4096);
    const bool checkExists = checkError != ENOENT;

    File files[SlotFileCount];
    int present = 0;
    bool complete = true;
    int unreadable = checkExists && checkError != 0 && !meansDamaged(checkError) ? checkError : 0;
    for (int i = 0; i < SlotFileCount; ++i) {
        const int err = openForReading(slotFilePath(dir, slot, SlotFileKinds[i]).string(), files[i]);
        if (err != ENOENT) ++present;
        uint64_t size = 0;
        if (err == 0 && fileSize(files[i], size) == 0 && size == SlotFileSizes[i]) {
            image.digests.size[i] = size;
            continue;
        }
        complete = false;
        if (err != 0 && !meansDamaged(err) && unreadable == 0) unreadable = err;
    }
    if (present == 0 && !checkExists) return SlotState::Empty;
    if (unreadable != 0) {
        image.error = unreadable;
        return SlotState::Unreadable;
    }
    if (!complete) return SlotState::Damaged;

    // Read (or only digest, through a fixed buffer) every byte of the files.
    std::vector<uint8_t> buffer;
    if (!keepBytes) buffer.resize(1 << 20);
    for (int i = 0; i < SlotFileCount; ++i) {
        SlotDigest d;
        int err = 0;
        if (keepBytes) {
            image.bytes[i].resize(size_t(SlotFileSizes[i]));
            err = readExactlyAt(files[i], 0, image.bytes[i].data(), image.bytes[i].size());
            d.add(image.bytes[i].data(), image.bytes[i].size());
        } else {
            for (uint64_t off = 0; off < SlotFileSizes[i] && err == 0;) {
                const size_t n = size_t(std::min<uint64_t>(buffer.size(), SlotFileSizes[i] - off));
                err = readExactlyAt(files[i], off, buffer.data(), n);
                d.add(buffer.data(), n);
                off += n;
            }
        }
        if (err != 0) {
            for (auto& b : image.bytes) std::vector<uint8_t>().swap(b);
            if (meansDamaged(err)) return SlotState::Damaged; // shrank while we read
            image.error = err;
            return SlotState::Unreadable;
        }
        image.digests.digest[i] = d.value;
    }

    auto refuse = [&](SlotState state) {
        for (auto& b : image.bytes) std::vector<uint8_t>().swap(b);
        std::vector<uint8_t>().swap(image.contest);
        return state;
    };
    // Files saved before check files existed have only their sizes to go by;
    // nothing vouches for a contest file beside them.
    if (!checkExists) return SlotState::Valid;
    SlotCheck check;
    if (checkError != 0 || !parseSlotCheck(std::string(checkBytes.begin(), checkBytes.end()), check))
        return refuse(SlotState::Damaged);

    // The contest file counts only where the check file names one, and is
    // read only then.
    const bool contestNamed =
        check.current.hasContest || (check.hasPrevious && check.previous.hasContest);
    std::vector<uint8_t> contest;
    const int contestError =
        contestNamed ? readWholeFile(slotFilePath(dir, slot, ContestFileKind).string(), contest,
                                     ContestFileLimit)
                     : 0;
    const uint64_t contestDigest = contestNamed ? fnv1a64(contest.data(), contest.size()) : 0;
    auto sameGame = [&](const SlotDigests& listed) {
        for (int i = 0; i < SlotFileCount; ++i)
            if (image.digests.size[i] != listed.size[i] ||
                image.digests.digest[i] != listed.digest[i])
                return false;
        return !listed.hasContest || (contestError == 0 && contest.size() == listed.contestSize &&
                                      contestDigest == listed.contestDigest);
    };
    const SlotDigests* game = sameGame(check.current)                          ? &check.current
                              : check.hasPrevious && sameGame(check.previous) ? &check.previous
                                                                              : nullptr;
    if (game) {
        image.checked = true;
        image.digests.hasContest = game->hasContest;
        if (game->hasContest) {
            image.digests.contestSize = game->contestSize;
            image.digests.contestDigest = game->contestDigest;
            if (keepBytes) image.contest = std::move(contest);
        }
        return SlotState::Valid;
    }
    // A named contest file that is there but could not be read.
    if (contestNamed && contestError != 0 && contestError != ENOENT && !meansDamaged(contestError)) {
        image.error = contestError;
        return refuse(SlotState::Unreadable);
    }
    for (int i = 0; i < SlotFileCount; ++i) {
        const bool ours = (image.digests.digest[i] == check.current.digest[i]) ||
                          (check.hasPrevious && image.digests.digest[i] == check.previous.digest[i]);
        if (!ours && belongsToAnotherSlot(dir, slot, i, image.digests))
            return refuse(SlotState::Foreign);
    }
    return refuse(SlotState::Mixed);
}

// ---- writing a slot ------------------------------------------------------

int SlotFileWriter::open(const fs::path& finalPath) {
    final_ = finalPath.string();
    temp_ = slotTempPath(finalPath).string();
    written_ = 0;
    digest_ = {};
    error_ = createExclusive(temp_, file_);
    created_ = error_ == 0;
    return error_;
}

int SlotFileWriter::write(const void* data, size_t size) {
    if (error_ != 0) return error_;
    if (!file_.isOpen()) return error_ = EBADF;
    digest_.add(data, size);
    error_ = writeAll(file_, data, size);
    written_ += size;
    return error_;
}

int SlotFileWriter::finish() {
    if (error_ != 0) return error_;
    if (!file_.isOpen()) return error_ = EBADF;
    error_ = syncFile(file_);
    const int closed = file_.close();
    if (error_ == 0) error_ = closed;
    return error_;
}

void SlotFileWriter::discard() {
    file_.close();
    if (created_) removeFile(temp_);
    created_ = false;
}

// ---- replacing a slot's files ---------------------------------------------

namespace {

// A second name for `path` at `backup`: a hard link, or a copy where the
// file system has no links.
int keepCopy(const std::string& path, const std::string& backup) {
    if (int err = removeFile(backup)) return err;
    const int err = linkFile(path, backup);
    if (err != EPERM && err != EOPNOTSUPP && err != EMLINK && err != ENOSYS) return err;
    std::vector<uint8_t> bytes;
    if (int readErr = readWholeFile(path, bytes, uint64_t(1) << 32)) return readErr;
    return writeNewFile(backup, bytes.data(), bytes.size());
}

} // namespace

int SlotReplacement::keep(const SlotFileWriter& writer) {
    Kept k;
    k.path = writer.finalPath();
    const std::string backup = slotBackupPath(k.path).string();
    struct stat st {};
    if (::lstat(k.path.c_str(), &st) == 0) {
        if (int err = keepCopy(k.path, backup)) return err;
        k.hadOld = true;
    } else if (errno != ENOENT) {
        return errno;
    } else if (int err = removeFile(backup)) {
        return err;
    }
    kept_.push_back(k);
    return 0;
}

int SlotReplacement::replace(const SlotFileWriter& writer) {
    for (Kept& k : kept_) {
        if (k.path != writer.finalPath()) continue;
        const int err = renameFile(writer.tempPath(), k.path);
        if (err == 0) k.replaced = true;
        return err;
    }
    return EINVAL; // keep() first
}

int SlotReplacement::syncFolder() { return delve::syncFolder(dir_.string()); }

void SlotReplacement::commit() {
    for (const Kept& k : kept_)
        if (k.hadOld) removeFile(slotBackupPath(k.path).string());
    kept_.clear();
}

void SlotReplacement::rollBack() {
    // Newest first, so the check file (replaced first) is restored last.
    for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) {
        const std::string backup = slotBackupPath(it->path).string();
        if (it->replaced) {
            if (it->hadOld) renameFile(backup, it->path);
            else removeFile(it->path);
        } else if (it->hadOld) {
            removeFile(backup);
        }
    }
    if (!kept_.empty()) delve::syncFolder(dir_.string());
    kept_.clear();
}

} // namespace delve
