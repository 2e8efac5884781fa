#include "console/contest_save.h"

#include <cstring>

#include "platform/little_endian.h"

namespace delve {

namespace {

constexpr char ContestSaveTag[8] = {'D', 'L', 'V', 'C', 'N', 'T', 'S', '1'};
constexpr uint32_t ActiveFlag = 1, StartedFlag = 2;
constexpr int FieldCount = 7;

} // namespace

std::vector<uint8_t> encodeContestSave(const ContestSave& c) {
    std::vector<uint8_t> out(ContestSaveBytes);
    std::memcpy(out.data(), ContestSaveTag, sizeof ContestSaveTag);
    const uint32_t flags = (c.active ? ActiveFlag : 0) | (c.started ? StartedFlag : 0);
    const uint32_t fields[FieldCount] = {flags,
                                         uint32_t(c.turnNumber),
                                         uint32_t(c.winner),
                                         uint32_t(c.partySize),
                                         uint32_t(c.nextFreeUnit),
                                         c.seed,
                                         c.rngState};
    for (int i = 0; i < FieldCount; ++i) putLittle32(out.data() + 8 + 4 * i, fields[i]);
    return out;
}

bool decodeContestSave(const uint8_t* bytes, size_t size, ContestSave& out) {
    if (size != ContestSaveBytes || std::memcmp(bytes, ContestSaveTag, sizeof ContestSaveTag) != 0)
        return false;
    uint32_t f[FieldCount];
    for (int i = 0; i < FieldCount; ++i) f[i] = getLittle32(bytes + 8 + 4 * i);
    if ((f[0] & ~(ActiveFlag | StartedFlag)) != 0) return false;
    ContestSave c;
    c.active = (f[0] & ActiveFlag) != 0;
    c.started = (f[0] & StartedFlag) != 0;
    c.turnNumber = int32_t(f[1]);
    c.winner = int32_t(f[2]);
    c.partySize = int32_t(f[3]);
    c.nextFreeUnit = int32_t(f[4]);
    c.seed = f[5];
    c.rngState = f[6];
    if (c.active && !c.started) return false;
    out = c;
    return true;
}

const char* contestSaveProblem(const ContestSave& c, const uint8_t* unitTable) {
    auto unit = [&](int i) {
        UnitRecord u;
        std::memcpy(&u, unitTable + size_t(i) * sizeof u, sizeof u);
        return u;
    };
    if (c.turnNumber < 1 || (!c.started && c.turnNumber != 1)) return "turn is out of range";
    if (!c.started) return c.winner == 0 ? nullptr : "winner is out of range";
    const int k = c.partySize;
    if (k < 1 || k > MaxSavedPartySize) return "party size is out of range";
    for (int i = 1; i <= k; ++i) {
        const UnitRecord u = unit(i);
        if (u.side != PartySide || u.group != i) return "party size does not match its leaders";
    }
    // Founding writes the next member into the next free record, so that
    // record must hold no one the contest counts: it lies past the leaders
    // and every paid-for member.
    if (c.nextFreeUnit <= k || c.nextFreeUnit > unitCapacity - 2)
        return "next free record is out of range";
    for (int i = c.nextFreeUnit; i < unitCapacity; ++i) {
        const UnitRecord u = unit(i);
        if (u.side == PartySide && u.active == 1) return "next free record is below a member";
    }
    if (c.winner != SavedContestDraw && (c.winner < 0 || c.winner > k))
        return "winner is out of range";
    return nullptr;
}

} // namespace delve
