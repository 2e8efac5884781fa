#pragma once
#include <cstdint>
#include <vector>

#include "console/contest_save.h"
#include "platform/rng.h"
#include "rules/contest.h"
#include "world/world_map.h"

namespace delve {

class Clock;
class Input;
class PathFinder;
struct MapCellTint;
struct Screen;
struct Shell;
struct TextBuffer;
struct Units;

// What the status line's message tells the player; it chooses the line's
// colour.
enum class ContestNews {
    Progress, // a turn played, the contest started, paused, resumed or loaded
    Refused,  // a click the founding rules turned down
    Outcome,  // the contest is decided
};

// The party contest's screen in the map view, started by the "contest"
// console command: the founding cells tinted, each group's members framed,
// the status lines under the banner, and the clicks and view keys that play
// its turns.
struct ContestMode {
    Contest contest;
    Rng rng;              // the contest's own random numbers, saved with it
    uint32_t seed = 0;    // what its party was generated from
    bool active = false;  // in the map view a left click plays a turn
    bool started = false; // the party and monsters have been generated
    int winner = 0;       // the only leader left, ContestDraw, or 0 while it goes on
    bool showMap = false; // a loaded contest that is on opens the map view
    char message[96] = {}; // the status line's last message
    ContestNews news = ContestNews::Progress; // what that message tells
    // The cells of the view a click would found a member on.
    std::vector<uint8_t> foundingMarks = std::vector<uint8_t>(size_t(40 * 30));

    [[gnu::format(printf, 3, 4)]] void setMessage(ContestNews kind, const char* format, ...);

    // While the player may found, the cells of the view a click would
    // accept, in group 1's colour; false when nothing is to be marked.
    bool foundingTint(const Units& units, const Shell& shell, MapCellTint& tint);
    // Every member of a contest group framed in its group's colour over its
    // sprite; leaders get a double frame.
    void drawGroupFrames(Screen& screen, const Units& units, const Shell& shell) const;
    // The status lines under the banner, in the large font on a dark strip:
    // the turn and phase, a legend of the groups in their colours, and the
    // last message.
    void drawStatus(Screen& screen, TextBuffer& text, const Units& units, const Shell& shell) const;
    // After the move order, while the contest is on and the map view shows:
    // one call of the turn rules. Clicks in the first-person view walk; they
    // play no turn. A decided contest plays no more turns.
    void playFrame(Units& units, WorldMap& map, Clock& clock, Shell& shell, Input& input);

    // A new contest over the overworld: the party and monsters are
    // generated again, and members an earlier contest founded (with the
    // record it had prepared for the next one) leave with it.
    void startNew(Units& units, WorldMap& map, PathFinder& pathFinder, uint32_t worldSeed,
                  int frameCounter);

    // The contest as a saved game keeps it.
    ContestSave saved(const Units& units) const;
    // The contest of a loaded slot, already checked against its unit table;
    // none (a slot without a contest file) leaves the contest off, to start
    // anew from the documented set-up when typed.
    void restore(Units& units, const ContestSave* loaded);

    // The status line after the contest ended.
    void describeEnd();
    // What a click did, for the status line.
    void describeClick(const TurnReport& report, int turn, int nextFreeUnit);
};

// The contest shows and plays only in the map view, screensaver off.
bool contestInMapView(const Shell& shell);

// The seed of a contest started in frame `frameCounter` of world `worldSeed`.
uint32_t contestSeed(uint32_t worldSeed, int frameCounter);

} // namespace delve
