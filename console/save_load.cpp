#include "console/save_load.h"

#include <algorithm>
#include <cstring>

#include "platform/shell.h"
#include "console/slot_reader.h"
#include "console/slot_writer.h"
#include "gfx/text.h"
#include "platform/clock.h"
#include "platform/little_endian.h"

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

void progressScreen(const ConsoleContext& ctx, ProgressStage stage, const char* title,
                    int percent) {
    ctx.host.beginFrame(stage);
    ctx.host.runProgressFrame();
    ctx.text.set(title);
    drawLargeText(ctx.screen, ctx.text, 20, 100, 255, 255, 0);
    if (percent >= 0) {
        ctx.text.format("%d/100.", percent);
        drawLargeText(ctx.screen, ctx.text, 20, 89, 255, 255, 0);
    }
    ctx.host.presentFrame();
}

constexpr ProgressStage StageOf[SlotFileCount] = {ProgressStage::Map, ProgressStage::Units,
                                                  ProgressStage::Variables};
constexpr const char* StageTitles[2][SlotFileCount] = {
    {"Loading dungeon maps", "Loading units", "Loading variables"},
    {"Saving dungeon maps", "Saving units", "Saving variables"},
};

// The stages of one slot file, the same for a save and a load: the map file
// in chunks, the other two in one piece, each piece with a progress screen
// and a wait before it and a wait after it. `move(offset, size)` moves one
// piece between the file and the live game and returns 0, or what stops
// the file (then without the wait after it).
template <class Move>
int runFileStages(const ConsoleContext& ctx, SlotFile file, bool saving, Move&& move) {
    const char* title = StageTitles[saving ? 1 : 0][file];
    const size_t size = size_t(SlotFileSizes[file]);
    const bool chunked = file == MapFile;
    const size_t piece = chunked ? size_t(MapChunkBytes) : size;
    const int waitMs = chunked ? ChunkWaitMs : FileWaitMs;
    for (size_t offset = 0; offset < size; offset += piece) {
        progressScreen(ctx, StageOf[file], title, chunked ? mapChunkPercent(int(offset)) : -1);
        ctx.clock.sleep(waitMs);
        if (int stop = move(offset, std::min(piece, size - offset))) return stop;
        ctx.clock.sleep(waitMs);
    }
    return 0;
}

void encodeVariables(const Shell& shell, uint8_t out[16]) {
    const int32_t values[4] = {shell.frameCounter, shell.SX, shell.SY, shell.SZ};
    for (int i = 0; i < 4; ++i) putLittle32(out + 4 * i, uint32_t(values[i]));
}

void decodeVariables(const uint8_t in[16], Shell& shell) {
    shell.frameCounter = int32_t(getLittle32(in));
    shell.SX = int32_t(getLittle32(in + 4));
    shell.SY = int32_t(getLittle32(in + 8));
    shell.SZ = int32_t(getLittle32(in + 12));
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
    console.slotProblem = nullptr;
    auto failed = [&](int error) {
        console.slotError = error;
        return SlotResult::SaveFailed;
    };
    const std::filesystem::path dir = ctx.saveDir;
    if (int err = ensureSlotFolder(dir, ctx.files)) return failed(err);

    // The game the slot holds now stays loadable until every new file is in place.
    SlotCheck check;
    {
        SlotImage old;
        if (readSlot(dir, slot, old, ctx.files, false) == SlotState::Valid) {
            check.hasPrevious = true;
            check.previous = old.digests;
        }
    }

    StepCounter steps{stopAfterSteps};
    SlotOutput files[SlotFileCount];
    SlotOutput contestFile;
    SlotOutput checkFile;
    auto fail = [&](int error) {
        for (auto& f : files) f.discard();
        contestFile.discard();
        checkFile.discard();
        return failed(error);
    };
    // Cut off as a crash would: every temporary file stays where it is.
    auto interrupted = [&] {
        for (auto& f : files) f.forget();
        contestFile.forget();
        checkFile.forget();
        return SlotResult::Interrupted;
    };
    constexpr int Stopped = -1000; // a file step after which the crash test stops

    // The three files, each whole under its temporary name; the variables
    // are taken after their progress screen, which counts a frame.
    for (int i = 0; i < SlotFileCount; ++i) {
        SlotOutput& out = files[i];
        if (int err = out.open(slotFilePath(dir, slot, SlotFileKinds[i]), ctx.files))
            return fail(err);
        uint8_t variables[16];
        const int err = runFileStages(ctx, SlotFile(i), true, [&](size_t offset, size_t n) {
            const uint8_t* from = ctx.world.data();
            if (i == UnitFile) from = ctx.units.bytes();
            if (i == VariablesFile) {
                encodeVariables(ctx.shell, variables);
                from = variables;
            }
            if (int e = out.write(from + offset, n)) return e;
            return steps.stop() ? Stopped : 0;
        });
        if (err == Stopped) return interrupted();
        if (err != 0) return fail(err);
        if (int e = out.finish()) return fail(e);
        if (steps.stop()) return interrupted();
    }

    // The contest file, when the app has a contest to keep: small, so it
    // has no screen or wait of its own.
    const std::optional<ContestSave> kept = ctx.host.contestToSave();
    const std::vector<uint8_t> contest = kept ? encodeContestSave(*kept) : std::vector<uint8_t>();
    if (!contest.empty()) {
        if (int err = contestFile.open(slotFilePath(dir, slot, ContestFileKind), ctx.files))
            return fail(err);
        if (int err = contestFile.write(contest.data(), contest.size())) return fail(err);
        if (int err = contestFile.finish()) return fail(err);
        if (steps.stop()) return interrupted();
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
    int err = checkFile.open(slotCheckPath(dir, slot), ctx.files);
    if (err == 0) err = checkFile.write(checkText.data(), checkText.size());
    if (err == 0) err = checkFile.finish();
    if (err != 0) return fail(err);
    if (steps.stop()) return interrupted();

    SlotReplacement replacement(dir, ctx.files);
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
    if (steps.stop()) return interrupted();
    for (auto& f : files) {
        if (int e = replacement.replace(f)) return undo(e);
        if (steps.stop()) return interrupted();
    }
    if (!contest.empty()) {
        if (int e = replacement.replace(contestFile)) return undo(e);
        if (steps.stop()) return interrupted();
    }
    if (int e = replacement.syncFolder()) return undo(e);
    replacement.commit();
    return SlotResult::Done;
}

SlotResult loadGame(ConsoleState& console, const ConsoleContext& ctx, int slot) {
    if (console.slotBusy) return SlotResult::Busy;
    console.slotError = 0;
    console.slotUnchecked = false;
    console.slotProblem = nullptr;
    // Everything is read and checked before the live game is touched.
    SlotImage& image = console.loadImage;
    switch (readSlot(ctx.saveDir, slot, image, ctx.files)) {
    case SlotState::Valid: break;
    case SlotState::Empty: return SlotResult::Empty;
    case SlotState::Damaged: return SlotResult::Damaged;
    case SlotState::Mixed: return SlotResult::Mixed;
    case SlotState::Foreign: return SlotResult::Foreign;
    case SlotState::Unreadable: console.slotError = image.error; return SlotResult::Unreadable;
    }
    // A contest file that is not one the unit table beside it can play
    // refuses the whole slot.
    ContestSave contest;
    if (image.digests.hasContest) {
        if (!decodeContestSave(image.contest.data(), image.contest.size(), contest))
            return SlotResult::Damaged;
        console.slotProblem = contestSaveProblem(contest, image.bytes[UnitFile].data());
        if (console.slotProblem) return SlotResult::Damaged;
    }
    console.slotUnchecked = !image.checked;
    BusyGuard busy(console);

    // The map chunk by chunk (the progress screens show the half-loaded
    // map), the units, then the variables and the contest saved with them.
    for (int i = 0; i < SlotFileCount; ++i) {
        const uint8_t* from = image.bytes[i].data();
        runFileStages(ctx, SlotFile(i), false, [&](size_t offset, size_t n) {
            if (i == MapFile) std::memcpy(ctx.world.data() + offset, from + offset, n);
            if (i == UnitFile) std::memcpy(ctx.units.bytes() + offset, from + offset, n);
            if (i == VariablesFile) {
                decodeVariables(from, ctx.shell);
                // A file may carry any origin: bring it into the range scrolling keeps.
                ctx.shell.clampViewOrigin(ScrollOriginRange, LayerCount);
                // The contest goes with the tables it was saved with.
                ctx.host.restoreContest(image.digests.hasContest ? &contest : nullptr);
            }
            return 0;
        });
    }
    return SlotResult::Done;
}

} // namespace delve
