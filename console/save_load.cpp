#include "console/save_load.h"

#include <algorithm>
#include <cstring>

#include "platform/shell.h"
#include "console/slot_files.h"
#include "gfx/text.h"
#include "platform/clock.h"

namespace delve {

namespace {

// Marks the console busy for the length of a save or load, so the progress
// frames' console runs cannot start another one.
class BusyGuard {
public:
    explicit BusyGuard(ConsoleState& c) : c_(c) { c_.slotBusy = true; }
    ~BusyGuard() { c_.slotBusy = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    ConsoleState& c_;
};

void progressScreen(const ConsoleContext& ctx, const char* title, int percent) {
    ctx.host.beginFrame();
    ctx.host.runProgressFrame();
    ctx.text.set(title);
    drawLargeText(ctx.screen, ctx.text, 20, 100, 255, 255, 0);
    if (percent >= 0) {
        ctx.text.format("%d/100.", percent);
        drawLargeText(ctx.screen, ctx.text, 20, 89, 255, 255, 0);
    }
    ctx.host.presentFrame();
}

void encodeVariables(const Shell& shell, uint8_t out[16]) {
    const int32_t values[4] = {shell.frameCounter, shell.SX, shell.SY, shell.SZ};
    for (int i = 0; i < 4; ++i) {
        uint32_t v = uint32_t(values[i]);
        for (int b = 0; b < 4; ++b) out[i * 4 + b] = uint8_t(v >> (8 * b));
    }
}

void decodeVariables(const uint8_t in[16], Shell& shell) {
    int32_t values[4];
    for (int i = 0; i < 4; ++i) {
        uint32_t v = 0;
        for (int b = 0; b < 4; ++b) v |= uint32_t(in[i * 4 + b]) << (8 * b);
        values[i] = int32_t(v);
    }
    shell.frameCounter = values[0];
    shell.SX = values[1];
    shell.SY = values[2];
    shell.SZ = values[3];
}

// Counts file steps of a save and says when a crash test wants it to stop.
struct StepCounter {
    int stopAfter;
    int done = 0;
    bool stop() { return stopAfter >= 0 && ++done > stopAfter; }
};

} // namespace

int mapChunkPercent(int offset) {
    return int(double(offset) / double(WorldBytes) * 100.0);
}

SlotResult saveGame(ConsoleState& console, const ConsoleContext& ctx, int slot,
                    int stopAfterSteps) {
    if (console.slotBusy) return SlotResult::Busy;
    BusyGuard busy(console);
    console.slotError = 0;
    console.slotUnchecked = false;
    auto failed = [&](int error) {
        console.slotError = error;
        return SlotResult::SaveFailed;
    };
    const std::filesystem::path dir = ctx.saveDir;
    if (int err = ensureSlotFolder(dir)) return failed(err);

    // The game the slot holds now stays loadable until every new file is in place.
    SlotCheck check;
    {
        SlotImage old;
        if (readSlot(dir, slot, old, false) == SlotState::Valid) {
            check.hasPrevious = true;
            check.previous = old.digests;
        }
    }

    StepCounter steps{stopAfterSteps};
    SlotFileWriter files[SlotFileCount];
    SlotFileWriter contestFile;
    SlotFileWriter checkFile;
    auto fail = [&](int error) {
        for (auto& f : files) f.discard();
        contestFile.discard();
        checkFile.discard();
        return failed(error);
    };

    // Map file, in chunks with a progress screen before each.
    if (int err = files[MapFile].open(slotFilePath(dir, slot, SlotFileKinds[MapFile])))
        return fail(err);
    for (int offset = 0; offset < int(WorldBytes); offset += MapChunkBytes) {
        progressScreen(ctx, "Saving dungeon maps", mapChunkPercent(offset));
        ctx.clock.sleep(ChunkWaitMs);
        size_t n = std::min<size_t>(MapChunkBytes, WorldBytes - size_t(offset));
        if (int err = files[MapFile].write(ctx.world.data() + offset, n)) return fail(err);
        if (steps.stop()) return SlotResult::Interrupted;
        ctx.clock.sleep(ChunkWaitMs);
    }
    if (int err = files[MapFile].finish()) return fail(err);
    if (steps.stop()) return SlotResult::Interrupted;

    // Unit file, in one piece.
    if (int err = files[UnitFile].open(slotFilePath(dir, slot, SlotFileKinds[UnitFile])))
        return fail(err);
    ctx.host.enableTexturingAndBlending();
    progressScreen(ctx, "Saving units", -1);
    ctx.clock.sleep(FileWaitMs);
    if (int err = files[UnitFile].write(ctx.units.bytes(), Units::byteSize())) return fail(err);
    if (steps.stop()) return SlotResult::Interrupted;
    ctx.clock.sleep(FileWaitMs);
    if (int err = files[UnitFile].finish()) return fail(err);
    if (steps.stop()) return SlotResult::Interrupted;

    // Variables file: frameCounter, SX, SY, SZ.
    if (int err = files[VariablesFile].open(slotFilePath(dir, slot, SlotFileKinds[VariablesFile])))
        return fail(err);
    progressScreen(ctx, "Saving variables", -1);
    ctx.clock.sleep(FileWaitMs);
    uint8_t variables[16];
    encodeVariables(ctx.shell, variables);
    if (int err = files[VariablesFile].write(variables, sizeof variables)) return fail(err);
    if (steps.stop()) return SlotResult::Interrupted;
    ctx.clock.sleep(FileWaitMs);
    if (int err = files[VariablesFile].finish()) return fail(err);
    if (steps.stop()) return SlotResult::Interrupted;

    // The contest file, when the app has a contest to keep: small, so it
    // has no screen or wait of its own.
    const std::vector<uint8_t> contest = ctx.host.contestBytes();
    if (!contest.empty()) {
        if (int err = contestFile.open(slotFilePath(dir, slot, ContestFileKind))) return fail(err);
        if (int err = contestFile.write(contest.data(), contest.size())) return fail(err);
        if (int err = contestFile.finish()) return fail(err);
        if (steps.stop()) return SlotResult::Interrupted;
    }

    // The check file names the new game (and the old one), then the new
    // files replace the old ones. Between these renames the slot holds a mix
    // that the check file tells apart from either game; the replaced files
    // are kept until the last rename, so a failure can put them all back.
    for (int i = 0; i < SlotFileCount; ++i) {
        check.current.size[i] = files[i].written();
        check.current.digest[i] = files[i].digest();
    }
    if (!contest.empty()) {
        check.current.hasContest = true;
        check.current.contestSize = contestFile.written();
        check.current.contestDigest = contestFile.digest();
    }
    const std::string checkText = formatSlotCheck(check);
    int err = checkFile.open(slotCheckPath(dir, slot));
    if (err == 0) err = checkFile.write(checkText.data(), checkText.size());
    if (err == 0) err = checkFile.finish();
    if (err != 0) return fail(err);
    if (steps.stop()) return SlotResult::Interrupted;

    SlotReplacement replacement(dir);
    auto undo = [&](int error) {
        replacement.rollBack();
        return fail(error);
    };
    if (int e = replacement.keep(checkFile)) return undo(e);
    for (auto& f : files)
        if (int e = replacement.keep(f)) return undo(e);
    if (!contest.empty())
        if (int e = replacement.keep(contestFile)) return undo(e);
    if (int e = replacement.replace(checkFile)) return undo(e);
    if (int e = replacement.syncFolder()) return undo(e);
    if (steps.stop()) return SlotResult::Interrupted;
    for (auto& f : files) {
        if (int e = replacement.replace(f)) return undo(e);
        if (steps.stop()) return SlotResult::Interrupted;
    }
    if (!contest.empty()) {
        if (int e = replacement.replace(contestFile)) return undo(e);
        if (steps.stop()) return SlotResult::Interrupted;
    }
    if (int e = replacement.syncFolder()) return undo(e);
    replacement.commit();
    return SlotResult::Done;
}

SlotResult loadGame(ConsoleState& console, const ConsoleContext& ctx, int slot) {
    if (console.slotBusy) return SlotResult::Busy;
    console.slotError = 0;
    console.slotUnchecked = false;
    // Everything is read and checked before the live game is touched.
    SlotImage image;
    switch (readSlot(ctx.saveDir, slot, image)) {
    case SlotState::Valid: break;
    case SlotState::Empty: return SlotResult::Empty;
    case SlotState::Damaged: return SlotResult::Damaged;
    case SlotState::Mixed: return SlotResult::Mixed;
    case SlotState::Foreign: return SlotResult::Foreign;
    case SlotState::Unreadable: console.slotError = image.error; return SlotResult::Unreadable;
    }
    // A contest file the app cannot resume refuses the whole slot.
    if (image.digests.hasContest && !ctx.host.contestReadable(image.contest))
        return SlotResult::Damaged;
    console.slotUnchecked = !image.checked;
    BusyGuard busy(console);

    // Map file, chunk by chunk: the progress screens show the half-loaded map.
    const uint8_t* map = image.bytes[MapFile].data();
    for (int offset = 0; offset < int(WorldBytes); offset += MapChunkBytes) {
        progressScreen(ctx, "Loading dungeon maps", mapChunkPercent(offset));
        ctx.clock.sleep(ChunkWaitMs);
        size_t n = std::min<size_t>(MapChunkBytes, WorldBytes - size_t(offset));
        std::memcpy(ctx.world.data() + offset, map + offset, n);
        ctx.clock.sleep(ChunkWaitMs);
    }

    ctx.host.enableTexturingAndBlending();
    progressScreen(ctx, "Loading units", -1);
    ctx.clock.sleep(FileWaitMs);
    std::memcpy(ctx.units.bytes(), image.bytes[UnitFile].data(), Units::byteSize());
    ctx.clock.sleep(FileWaitMs);

    progressScreen(ctx, "Loading variables", -1);
    ctx.clock.sleep(FileWaitMs);
    decodeVariables(image.bytes[VariablesFile].data(), ctx.shell);
    // A file may carry any origin: bring it into the range scrolling keeps.
    ctx.shell.clampViewOrigin(ScrollOriginRange, LayerCount);
    // The contest goes with the tables it was saved with.
    ctx.host.restoreContest(image.digests.hasContest ? &image.contest : nullptr);
    ctx.clock.sleep(FileWaitMs);
    return SlotResult::Done;
}

} // namespace delve
