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
// What playExpansionTurn returns once no leader is left at all.
constexpr int ContestDraw = -1;

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
    // Cells the map view shows, for centring the view on a leader.
    int viewColumns = 40;
    int viewRows = 30;
};

// Whether a click on a cell founds a member of group 1, and why not.
enum class Founding {
    Accepted,
    TooClose, // a member of group 1 stands closer than FoundingSpacing
    TooFar,   // no member of group 1 stands closer than FoundingReach
    OffMap,   // the cell lies outside the map
    Over,     // the founding phase has ended
};
struct FoundingCheck {
    Founding verdict = Founding::TooFar;
    int distance = 0; // to the nearest member of group 1, when TooClose
};

// The player's founding rule for cell (x, y) of layer 0: some record of
// group 1 on that layer (active or not, other than the record the new
// member would be written to) lies closer than 14 cells, and none closer
// than 8; only in the founding phase.
FoundingCheck checkFounding(const Contest& contest, const Units& units, int x, int y);
// The same rule for the columns x0.. and rows y0.. of a view: out[j *
// columns + i] becomes 1 where a click on cell (x0 + i, y0 + j) would be
// accepted, else 0.
void markFoundingCells(const Contest& contest, const Units& units, int x0, int y0, int columns,
                       int rows, uint8_t* out);

// The view origin that puts cell (x, y) in the middle of a view of
// `columns` by `rows` cells, kept inside the map as at start-up.
struct ViewOrigin {
    int SX, SY, SZ;
};
ViewOrigin centredViewOrigin(int x, int y, int z, int columns, int rows);

// What one call of playExpansionTurn did, for the status line.
struct TurnReport {
    bool played = false;  // a turn was played (a refused click plays none)
    FoundingCheck founding; // the player's click; Over outside the founding phase
    bool founded = false; // a member of group 1 was paid for
    int cost = 0;         // what it cost
    int x = 0, y = 0;     // the clicked cell
};

// One call per frame. Keys '1' to '5' centre the view on party units 1
// to 5; with the left button down a turn is played: in the founding
// phase the player founds a member of group 1 under the cursor, monsters
// near members pay their leaders, nearby members of different groups
// fight; the computer groups found members in the founding and growth
// phases; upkeep wears members down and heals them from their leader's
// stock in the growth and late phases. Returns the only active leader
// once one is left, ContestDraw once no leader is left, else 0; a turn
// that decides nothing ends with a 1,480 ms pause. A click that the
// founding rule refuses plays no turn. Stock and health saturate at the
// limits of their type, so a loaded table cannot overflow them.
int playExpansionTurn(Contest& contest, ContestWorld& cw, const TurnInput& in,
                      TurnReport* report = nullptr);

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
