#include "app/contest_mode.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "gfx/framebuffer.h"
#include "gfx/palette.h"
#include "gfx/text.h"
#include "path/path_finder.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/shell.h"
#include "rules/generation.h"
#include "units/unit_record.h"
#include "views/map_view.h"

namespace delve {

namespace {

void frameRect(Screen& s, int x0, int y0, int x1, int y1, Rgb c) {
    drawLine(s, x0, y0, x1, y0, c.r, c.g, c.b);
    drawLine(s, x0, y1, x1, y1, c.r, c.g, c.b);
    drawLine(s, x0, y0, x0, y1, c.r, c.g, c.b);
    drawLine(s, x1, y0, x1, y1, c.r, c.g, c.b);
}

int contestParty(const Units& units) { return std::clamp(units.partySize, 0, unitCapacity - 1); }

} // namespace

bool contestInMapView(const Shell& shell) {
    return shell.viewMode() == ViewMode::Map && shell.screensaverMode == 0;
}

uint32_t contestSeed(uint32_t worldSeed, int frameCounter) {
    uint32_t h = worldSeed ^ (uint32_t(frameCounter) * 0x9E3779B9u);
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

void ContestMode::setMessage(ContestNews kind, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    news = kind;
}

bool ContestMode::foundingTint(const Units& units, const Shell& sh, MapCellTint& tint) {
    const int columns = sh.screenWidth / MapCellPixels, rows = sh.screenHeight / MapCellPixels;
    if (!active || winner != 0 || sh.SZ != 0 ||
        contestPhase(contest.turnNumber) != ContestPhase::Founding ||
        size_t(columns * rows) > foundingMarks.size())
        return false;
    markFoundingCells(contest, units, sh.SX, sh.SY, columns, rows, foundingMarks.data());
    const Rgb c = groupColour(1);
    tint = MapCellTint{foundingMarks.data(), c.r, c.g, c.b};
    return true;
}

void ContestMode::drawGroupFrames(Screen& screen, const Units& units, const Shell& sh) const {
    const int columns = sh.screenWidth / MapCellPixels, rows = sh.screenHeight / MapCellPixels;
    const int party = contestParty(units);
    for (int i = 1; i < unitCapacity; ++i) {
        const UnitRecord& u = units[i];
        if (u.active != 1 || u.dead != 0 || u.side != PartySide || u.group < 1 || u.group > party)
            continue;
        const int dx = int(u.x) - sh.SX, dy = int(u.y) - sh.SY;
        if (int(u.z) != sh.SZ || dx < 0 || dx >= columns || dy < 0 || dy >= rows) continue;
        const int px = dx * MapCellPixels, py = dy * MapCellPixels;
        const Rgb c = groupColour(u.group);
        frameRect(screen, px, py, px + MapCellPixels - 1, py + MapCellPixels - 1, c);
        frameRect(screen, px + 1, py + 1, px + MapCellPixels - 2, py + MapCellPixels - 2, c);
        if (i == u.group)
            frameRect(screen, px - 2, py - 2, px + MapCellPixels + 1, py + MapCellPixels + 1, c);
    }
}

void ContestMode::drawStatus(Screen& s, TextBuffer& text, const Units& units,
                             const Shell& sh) const {
    const int width = sh.screenWidth;
    const int lineHeight = 14, left = 12, right = width - 12;
    constexpr int SwatchWidth = 12, LegendGap = 16;
    const int top = sh.screenHeight - 20; // under the banner
    const int party = contestParty(units);

    // Lay the legend out first, to know how many lines the strip needs.
    auto legendLabel = [&](int k) {
        const GroupStatus st = groupStatus(units, k);
        text.format("G%d%s%s: %d unit%s, %d stock", k, k == 1 ? " you" : "",
                    st.leaderActive ? "" : " out", st.alive, st.alive == 1 ? "" : "s", st.stock);
        return SwatchWidth + 8 * int(std::strlen(text.text)) + LegendGap;
    };
    int legendLines = 1;
    for (int k = 1, x = left; k <= party; ++k) {
        const int w = legendLabel(k);
        if (x + w - LegendGap > right && x > left) {
            ++legendLines;
            x = left;
        }
        x += w;
    }
    legendLines = std::min(legendLines, 4);
    const int lines = 2 + legendLines;
    const int bottom = top - lines * lineHeight - 1;
    fillRect(s, 0, bottom, width, top + 1 - bottom, Rgb{0, 0, 0});

    int y = top;
    const ContestPhase phase = contestPhase(contest.turnNumber);
    const char* phaseText = winner != 0                       ? "Over"
                            : phase == ContestPhase::Founding ? "Founding phase (turns 1-13)"
                            : phase == ContestPhase::Growth   ? "Growth phase (turns 14-27)"
                                                              : "Late phase (turn 28 on)";
    text.format("CONTEST  Turn %d  %s  Keys 1-%d: view a leader", contest.turnNumber, phaseText,
                std::clamp(party, 1, ViewKeyCount));
    drawLargeText(s, text, left, y, 255, 255, 255);

    y -= lineHeight;
    int x = left, line = 1;
    for (int k = 1; k <= party; ++k) {
        const int w = legendLabel(k);
        if (x + w - LegendGap > right && x > left) {
            if (++line > legendLines) break;
            x = left;
            y -= lineHeight;
        }
        const Rgb c = groupColour(k);
        fillRect(s, x, y - 10, 9, 9, c);
        drawLargeText(s, text, x + SwatchWidth, y, c.r, c.g, c.b);
        x += w;
    }

    y -= lineHeight;
    text.set(message);
    switch (news) {
    case ContestNews::Outcome: drawLargeText(s, text, left, y, 255, 255, 0); break;
    case ContestNews::Refused: drawLargeText(s, text, left, y, 255, 150, 110); break;
    case ContestNews::Progress: drawLargeText(s, text, left, y, 220, 220, 220); break;
    }
}

void ContestMode::playFrame(Units& units, WorldMap& map, Clock& clock, Shell& sh, Input& input) {
    if (!contestInMapView(sh)) return;
    TurnInput in;
    in.leftButton = input.isKeyDown(Vk::LeftButton) && winner == 0;
    for (int k = 0; k < ViewKeyCount; ++k) in.viewKey[k] = input.isKeyDown(Vk::Digit0 + 1 + k);
    in.cursorX = input.cursorX(sh.screenWidth);
    in.cursorY = input.cursorY(sh.screenHeight);
    ContestWorld cw{units,
                    map,
                    rng,
                    clock,
                    sh.SX,
                    sh.SY,
                    sh.SZ,
                    sh.screenWidth / MapCellPixels,
                    sh.screenHeight / MapCellPixels};
    const int turn = contest.turnNumber;
    TurnReport report;
    const int result = playExpansionTurn(contest, cw, in, &report);
    if (in.leftButton) describeClick(report, turn, units.nextFreeUnit);
    if (result != 0) {
        winner = result;
        describeEnd();
    }
}

void ContestMode::startNew(Units& units, WorldMap& map, PathFinder& pathFinder,
                           uint32_t worldSeed, int frameCounter) {
    const int earlier = started ? std::clamp(units.nextFreeUnit, 0, unitCapacity - 1) : 0;
    seed = contestSeed(worldSeed, frameCounter);
    generatePartyAndMonsters(units, map, rng, seed);
    for (int i = std::max(units.nextFreeUnit, 1); i <= earlier; ++i) units[i] = UnitRecord{};
    // The hero now leads group 1 on the overworld; a walk it had begun
    // in the dungeon would carry it along a path of another layer.
    units[HeroUnit].moveState = 0;
    pathFinder.dropPath(HeroUnit);
    contest.turnNumber = 1;
    winner = 0;
    started = true;
    setMessage(ContestNews::Progress,
               "Turn 1: click a marked cell, %d to %d cells from G1, to found a member.",
               FoundingSpacing, FoundingReach - 1);
}

ContestSave ContestMode::saved(const Units& units) const {
    ContestSave c;
    c.turnNumber = contest.turnNumber;
    c.active = active;
    c.started = started;
    c.winner = winner;
    c.partySize = units.partySize;
    c.nextFreeUnit = units.nextFreeUnit;
    c.seed = seed;
    c.rngState = rng.state();
    return c;
}

void ContestMode::restore(Units& units, const ContestSave* loaded) {
    // A slot without a contest file (or saved before there was one) has no
    // contest: the contest is off and starts anew, with the documented
    // party size, when typed.
    const ContestSave c = loaded ? *loaded : ContestSave{};
    if (!c.started) units.partySize = ContestSave{}.partySize;
    contest.turnNumber = c.turnNumber;
    active = c.active;
    started = c.started;
    winner = c.winner;
    seed = c.seed;
    rng.srand(c.rngState);
    if (c.started) {
        units.partySize = c.partySize;
        units.nextFreeUnit = c.nextFreeUnit;
    }
    showMap = c.active;
    message[0] = 0;
    news = ContestNews::Progress;
    if (winner != 0) describeEnd();
    else if (c.started)
        setMessage(ContestNews::Progress, "Loaded contest at turn %d%s.", c.turnNumber,
                   c.active ? "" : ", paused: type contest to go on");
}

void ContestMode::describeEnd() {
    if (winner == ContestDraw)
        setMessage(ContestNews::Outcome,
                   "A draw: no leader is left. Type contest (Tab) to play again.");
    else if (winner == 1)
        setMessage(ContestNews::Outcome,
                   "You win: G1 is the last group. Type contest (Tab) to play again.");
    else
        setMessage(ContestNews::Outcome,
                   "G%d wins: it is the last group. Type contest (Tab) to play again.", winner);
}

void ContestMode::describeClick(const TurnReport& r, int turn, int nextFreeUnit) {
    const FoundingCheck& f = r.founding;
    switch (f.verdict) {
    case Founding::TooClose:
        if (f.distance == 0)
            setMessage(ContestNews::Refused,
                       "Refused: %d,%d is a member of G1; found %d or more cells away.", r.x, r.y,
                       FoundingSpacing);
        else
            setMessage(ContestNews::Refused,
                       "Refused: %d,%d is %d cell%s from a member of G1; %d needed.", r.x, r.y,
                       f.distance, f.distance == 1 ? "" : "s", FoundingSpacing);
        return;
    case Founding::TooFar:
        setMessage(ContestNews::Refused,
                   "Refused: %d,%d is %d or more cells from every member of G1.", r.x, r.y,
                   FoundingReach);
        return;
    case Founding::OffMap:
        setMessage(ContestNews::Refused, "Refused: that cell lies off the map.");
        return;
    case Founding::Over:
        setMessage(ContestNews::Progress,
                   "Turn %d played. Founding is over: clicks only play turns now.", turn);
        return;
    case Founding::Accepted: break;
    }
    if (r.founded)
        setMessage(ContestNews::Progress, "Turn %d: a member founded at %d,%d for %d stock.", turn,
                   r.x, r.y, r.cost);
    else if (nextFreeUnit >= unitCapacity - 2)
        setMessage(ContestNews::Progress,
                   "Turn %d played; no member founded: the unit table is full.", turn);
    else
        setMessage(ContestNews::Progress,
                   "Turn %d played; no member founded: G1 has too little stock.", turn);
}

} // namespace delve
