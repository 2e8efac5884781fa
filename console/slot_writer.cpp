#include "console/slot_writer.h"

#include <cerrno>

#include "platform/files.h"

namespace delve {

namespace fs = std::filesystem;

int ensureSlotFolder(const fs::path& dir, FileStore& files) {
    return files.makeFolder(dir.string());
}

// ---- one file -------------------------------------------------------------

int SlotOutput::open(const fs::path& finalPath, FileStore& files) {
    written_ = 0;
    digest_ = {};
    return out_.openWithTemporary(finalPath.string(), slotTempPath(finalPath).string(), files);
}

int SlotOutput::write(const void* data, size_t size) {
    digest_.add(data, size);
    written_ += size;
    return out_.write(data, size);
}

// ---- replacing a slot's files ---------------------------------------------

namespace {

// A second name for `path` at `backup`: a hard link, or a copy where the
// file system has no links.
int keepCopy(FileStore& files, const std::string& path, const std::string& backup) {
    if (int err = files.removeFile(backup)) return err;
    const int err = files.linkFile(path, backup);
    if (err != EPERM && err != EOPNOTSUPP && err != EMLINK && err != ENOSYS) return err;
    std::vector<uint8_t> bytes;
    if (int readErr = files.readWholeFile(path, bytes, uint64_t(1) << 32)) return readErr;
    return files.writeNewFile(backup, bytes.data(), bytes.size());
}

} // namespace

int SlotReplacement::keep(const SlotOutput& output) {
    Kept k;
    k.path = output.finalPath();
    const std::string backup = slotBackupPath(k.path).string();
    const int lookUp = files_.lookUp(k.path);
    if (lookUp == 0) {
        if (int err = keepCopy(files_, k.path, backup)) return err;
        k.hadOld = true;
    } else if (lookUp != ENOENT) {
        return lookUp;
    } else if (int err = files_.removeFile(backup)) {
        return err;
    }
    kept_.push_back(k);
    return 0;
}

int SlotReplacement::replace(SlotOutput& output) {
    for (Kept& k : kept_) {
        if (k.path != output.finalPath()) continue;
        const int err = output.file().putInPlace();
        if (err == 0) k.replaced = true;
        return err;
    }
    return EINVAL; // keep() first
}

int SlotReplacement::syncFolder() { return files_.syncFolder(dir_.string()); }

void SlotReplacement::commit() {
    for (const Kept& k : kept_)
        if (k.hadOld) files_.removeFile(slotBackupPath(k.path).string());
    kept_.clear();
}

void SlotReplacement::rollBack() {
    // Newest first, so the check file (replaced first) is restored last.
    for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) {
        const std::string backup = slotBackupPath(it->path).string();
        if (it->replaced) {
            if (it->hadOld) files_.renameFile(backup, it->path);
            else files_.removeFile(it->path);
        } else if (it->hadOld) {
            files_.removeFile(backup);
        }
    }
    if (!kept_.empty()) files_.syncFolder(dir_.string());
    kept_.clear();
}

} // namespace delve
