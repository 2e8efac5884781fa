#pragma once
#include <cstdint>
#include <vector>

#include "platform/clock.h"
#include "platform/rng.h"
#include "units/unit_record.h"
#include "world/world_map.h"

namespace delve {

constexpr int LastFoundingTurn = 13;
constexpr int LastGrowthTurn = 27;
constexpr int FoundingReach = 14;      // a player founding lies closer than this to group 1...
constexpr int FoundingSpacing = 8;     // ...and no closer than this to any of it
constexpr int ComputerFoundingSpread = 24; // offsets -12..11
constexpr int ComputerFoundingDistance = 8;
constexpr int IncomeRadius = 12;
constexpr int CombatRadius = 14;
constexpr int TurnPauseMs = 1480;
constexpr int MemberListLimit = 1000;
constexpr int ViewKeyCount = 5;
constexpr uint16_t MemberSprite = 189;
constexpr int ContestCellPixels = 16;

enum class ContestPhase { Founding, Growth, Late };

// The state of a contest beyond the unit table.
struct Contest {
    int32_t turnNumber = 1;
    // Scratch lists of one turn, sized once so a turn allocates nothing.
    std::vector<int> sideThree = std::vector<int>(size_t(unitCapacity));
    std::vector<int> members = std::vector<int>(size_t(MemberListLimit));
};

ContestPhase contestPhase(int turnNumber);
const char* phaseName(ContestPhase phase);

// The keys and cursor one call of playExpansionTurn looks at.
struct TurnInput {
    bool leftButton = false;
    bool viewKey[ViewKeyCount] = {}; // keys '1' to '5'
    int cursorX = 0;                 // framebuffer pixels, y from the bottom row
    int cursorY = 0;
};

// Everything a turn reads or writes besides the contest itself.
struct ContestWorld {
    Units& units;
    const WorldMap& map;
    Rng& rng;
    Clock& clock;
    int& SX; // view origin
    int& SY;
    int& SZ;
};

// One call per frame. Keys '1' to '5' move the view origin to party units
// 1 to 5; with the left button down a turn is played: in the founding
// phase the player founds a member of group 1 under the cursor, monsters
// near members pay their leaders, nearby members of different groups
// fight; the computer groups found members in the founding and growth
// phases; upkeep wears members down and heals them from their leader's
// stock in the growth and late phases. Returns the only active leader
// once one is left, else 0; a turn without winner ends with a 1,480 ms
// pause. A click too near or too far from group 1 in the founding phase
// plays no turn.
int playExpansionTurn(Contest& contest, ContestWorld& cw, const TurnInput& in);

// The cursor position and view origin that put the cursor on cell (x, y)
// of a screen of the given size: the origin as near the cell as the view
// allows, the cursor in the middle of the cell.
struct CellClick {
    int SX, SY, cursorX, cursorY;
    // A frame's input with the left button down on that cell.
    TurnInput leftClick() const {
        TurnInput in;
        in.leftButton = true;
        in.cursorX = cursorX;
        in.cursorY = cursorY;
        return in;
    }
};
CellClick clickOnCell(int x, int y, int screenWidth, int screenHeight);

// Per-group counts for status lines and reports: members are side-3
// records of the group; losses are members made earlier that have left.
struct GroupStatus {
    int alive = 0;
    int losses = 0;
    int stock = 0;
    bool leaderActive = false;
};
GroupStatus groupStatus(const Units& units, int group);

} // namespace delve
