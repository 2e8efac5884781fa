#pragma once
// The contest file of a save slot: what a saved game keeps of a party
// contest besides the unit table, and whether a loaded one can be played.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "units/unit_record.h"

namespace delve {

// The winner a contest records once no leader is left (the rules' ContestDraw).
constexpr int32_t SavedContestDraw = -1;
// The most groups a loaded contest may have.
constexpr int32_t MaxSavedPartySize = 50;

// Enough to go on exactly as if the contest had not been interrupted.
struct ContestSave {
    int32_t turnNumber = 1;
    bool active = false;  // on, rather than paused
    bool started = false; // the party and monsters have been generated
    int32_t winner = 0;   // 0, the winning leader, or SavedContestDraw
    int32_t partySize = 3; // the documented three groups of a new contest
    int32_t nextFreeUnit = 0;
    uint32_t seed = 0;     // what the party was generated from
    uint32_t rngState = 0; // the contest's random generator
    bool operator==(const ContestSave&) const = default;
};
constexpr size_t ContestSaveBytes = 36;

// A fixed little-endian record behind an eight-byte tag.
std::vector<uint8_t> encodeContestSave(const ContestSave& save);
// False (and `out` untouched) for anything encodeContestSave cannot have
// written: another size or tag, unknown flags, or on without being started.
bool decodeContestSave(const uint8_t* bytes, size_t size, ContestSave& out);

// Why a decoded contest cannot be played with the unit table it was saved
// with (`unitTable`: the unit file's bytes), as words that name the field
// ("party size is out of range"); null when it can. Records 1 to the party
// size must be the party's leaders (side 3, each leading the group of its
// own index); the party size lies from 1 to 50; the next free record lies
// above every leader and every active party member, and no further than
// the table's last two; the turn is from 1 on; the winner is none, a
// leader or a draw. A contest not yet started is at turn 1 with no winner.
const char* contestSaveProblem(const ContestSave& save, const uint8_t* unitTable);

} // namespace delve
