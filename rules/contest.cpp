#include "rules/contest.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/shell.h"

namespace delve {

namespace {

bool validUnit(int i) { return i >= 0 && i < unitCapacity; }

int distance(const UnitRecord& a, const UnitRecord& b) {
    return std::abs(a.x - b.x) + std::abs(a.y - b.y);
}

uint16_t onMap(int v) { return uint16_t(std::clamp(v, 0, MapSide - 1)); }

// Stock and health of a loaded table may stand at any value: they stop at
// the limits of their type instead of overflowing.
int32_t plusOne(int32_t v) { return v == INT_MAX ? v : v + 1; }
int32_t minus(int32_t v, int n) { return v < INT_MIN + n ? INT_MIN : v - n; }

// Party units 1..partySize, never past the table.
int partyCount(const Units& units) { return std::clamp(units.partySize, 0, unitCapacity - 1); }

// Whether a new member can still be made a unit: two records stay free.
bool roomForMember(const Units& units) {
    return units.nextFreeUnit >= 0 && units.nextFreeUnit < unitCapacity - 2;
}

// A prepared member lives in record nextFreeUnit, unpaid and inactive,
// until it is paid for. When nextFreeUnit lies outside the table it lives
// in `scratch` instead, so the turn draws the same numbers and writes
// nothing past the table.
struct Prepared {
    UnitRecord& record;
    int index; // -1 when it lives in the scratch record
};

Prepared prepareMember(Units& units, Rng& rng, int group, UnitRecord& scratch) {
    const bool inTable = validUnit(units.nextFreeUnit);
    UnitRecord& n = inTable ? units[units.nextFreeUnit] : scratch;
    n.side = PartySide;
    n.z = 0;
    n.maxHealth = rng.rand() % 8 + 5;
    n.health = n.maxHealth;
    n.spriteId = MemberSprite;
    n.dead = 0;
    n.condition = 0;
    n.group = group;
    return {n, inTable ? units.nextFreeUnit : -1};
}

// Pays the member's cost from the leader's stock and makes it a unit; a
// leader short of stock founds nothing.
bool payForMember(Units& units, Rng& rng, int leader, Prepared& n) {
    if (!roomForMember(units)) return false;
    const int cost = rng.rand() % 3 + 1;
    UnitRecord& l = units[leader];
    if (l.stock < cost) return false;
    l.stock -= cost;
    n.record.active = 1;
    units.nextFreeUnit += 1;
    return true;
}

int collectSideThree(const Units& units, std::vector<int>& out) {
    int count = 0;
    for (int i = 1; i < unitCapacity; ++i)
        if (units[i].side == PartySide) out[size_t(count++)] = i;
    return count;
}

// The records of group 1 on layer 0 that the founding rule measures from:
// every one but the record a new member would be written to.
int foundingAnchors(const Units& units, int* out) {
    int count = 0;
    for (int i = 1; i < unitCapacity; ++i) {
        const UnitRecord& r = units[i];
        if (i != units.nextFreeUnit && r.group == 1 && r.z == 0) out[count++] = i;
    }
    return count;
}

FoundingCheck checkAmong(const Units& units, const int* anchors, int count, int x, int y) {
    FoundingCheck c;
    if (x < 0 || y < 0 || x >= MapSide || y >= MapSide) {
        c.verdict = Founding::OffMap;
        return c;
    }
    bool inReach = false;
    int nearest = INT_MAX;
    for (int a = 0; a < count; ++a) {
        const UnitRecord& r = units[anchors[a]];
        const int d = std::abs(r.x - x) + std::abs(r.y - y);
        if (d < FoundingReach) inReach = true;
        nearest = std::min(nearest, d);
    }
    if (nearest < FoundingSpacing) {
        c.verdict = Founding::TooClose;
        c.distance = nearest;
    } else {
        c.verdict = inReach ? Founding::Accepted : Founding::TooFar;
    }
    return c;
}

bool playerFounding(ContestWorld& cw, const TurnInput& in, UnitRecord& scratch,
                    TurnReport& report) {
    Units& units = cw.units;
    const int x = in.cursorX / MapCellPixels + cw.SX;
    const int y = in.cursorY / MapCellPixels + cw.SY;
    report.x = x;
    report.y = y;
    Prepared n = prepareMember(units, cw.rng, 1, scratch);
    n.record.x = onMap(x);
    n.record.y = onMap(y);
    n.record.z = 0;

    int anchors[unitCapacity];
    const int count = foundingAnchors(units, anchors);
    report.founding = checkAmong(units, anchors, count, x, y);
    if (report.founding.verdict != Founding::Accepted) return false;
    const int stockBefore = units[1].stock;
    report.founded = payForMember(units, cw.rng, 1, n);
    report.cost = stockBefore - units[1].stock;
    return true;
}

void income(ContestWorld& cw, const std::vector<int>& sideThree, int sideThreeCount) {
    Units& units = cw.units;
    for (int m = 1; m < unitCapacity; ++m) {
        const UnitRecord& monster = units[m];
        if (monster.side != MonsterSide) continue;
        const uint8_t code = insideMap(monster.x, monster.y, monster.z)
                                 ? cw.map.cell(monster.x, monster.y, monster.z)
                                 : Cell::Empty;
        const bool plain = code == Cell::Plain;
        const bool rich = code == Cell::Forest || code == Cell::Hills || code == Cell::Mountain ||
                          code == Cell::MountainHigh;
        if (!plain && !rich) continue; // this cell pays nothing and draws nothing
        for (int s = 0; s < sideThreeCount; ++s) {
            const UnitRecord& j = units[sideThree[size_t(s)]];
            // A group index from a damaged save names no leader.
            if (!validUnit(j.group)) continue;
            UnitRecord& leader = units[j.group];
            if (leader.active != 1 || distance(j, monster) >= IncomeRadius) continue;
            if (plain) {
                if (cw.rng.rand() % 2 == 1) leader.stock = plusOne(leader.stock);
            } else {
                leader.stock = plusOne(leader.stock);
            }
        }
    }
}

void combat(ContestWorld& cw, const std::vector<int>& sideThree, int sideThreeCount) {
    Units& units = cw.units;
    const int party = partyCount(units);
    for (int k = 1; k <= party; ++k) {
        if (units[k].active == 0) continue;
        for (int a = 0; a < sideThreeCount; ++a) {
            const int i = sideThree[size_t(a)];
            if (units[i].group != k) continue;
            for (int b = 0; b < sideThreeCount; ++b) {
                const int j = sideThree[size_t(b)];
                UnitRecord& victim = units[j];
                if (victim.group == k || j == i || distance(units[i], victim) >= CombatRadius)
                    continue;
                if (cw.rng.rand() % 3 + 1 != 3) continue;
                victim.health = minus(victim.health, 1);
                if (victim.health < 1) {
                    victim.dead = 1;
                    victim.active = 0;
                }
            }
        }
    }
}

void computerFounding(Contest& contest, ContestWorld& cw, UnitRecord& scratch) {
    Units& units = cw.units;
    const int party = partyCount(units);
    for (int g = 2; g <= party; ++g) {
        if (units[g].active == 0) continue;
        int listed = 0;
        for (int i = 1; i < unitCapacity && listed < MemberListLimit; ++i)
            if (units[i].group == g) contest.members[size_t(listed++)] = i;
        // A group with no records at all (a damaged save) has no one to
        // found from; drawing from an empty list would divide by zero.
        if (listed == 0) continue;
        const int m = contest.members[size_t(cw.rng.rand() % listed)];
        const int baseX = units[m].x, baseY = units[m].y;
        Prepared n = prepareMember(units, cw.rng, g, scratch);
        n.record.x = onMap(baseX + cw.rng.rand() % ComputerFoundingSpread - ComputerFoundingSpread / 2);
        n.record.y = onMap(baseY + cw.rng.rand() % ComputerFoundingSpread - ComputerFoundingSpread / 2);
        n.record.z = 0;

        bool spread = false;
        for (int i = 1; i < unitCapacity && !spread; ++i) {
            const UnitRecord& r = units[i];
            spread = i != n.index && r.group == g && r.z == n.record.z &&
                     distance(r, n.record) > ComputerFoundingDistance;
        }
        if (spread) payForMember(units, cw.rng, g, n);
    }
}

void upkeep(ContestWorld& cw) {
    Units& units = cw.units;
    const int party = partyCount(units);
    for (int i = 1; i < unitCapacity; ++i) {
        UnitRecord& u = units[i];
        if (u.active != 1 || u.group == 99 || u.group > party) continue;
        if (cw.rng.rand() % 6 == 1) {
            u.health = minus(u.health, cw.rng.rand() % 2 + 1);
            if (u.health < 1) u.active = 0;
        }
        if (!validUnit(u.group)) continue;
        UnitRecord& leader = units[u.group];
        if (u.health < 5 && leader.stock > 0 && leader.active == 1) {
            leader.stock -= 1;
            u.health += cw.rng.rand() % 3 + 1;
            if (u.health > u.maxHealth) u.health = u.maxHealth;
        }
    }
}

} // namespace

ContestPhase contestPhase(int turnNumber) {
    if (turnNumber <= LastFoundingTurn) return ContestPhase::Founding;
    if (turnNumber <= LastGrowthTurn) return ContestPhase::Growth;
    return ContestPhase::Late;
}

const char* phaseName(ContestPhase phase) {
    switch (phase) {
    case ContestPhase::Founding: return "founding";
    case ContestPhase::Growth: return "growth";
    case ContestPhase::Late: return "late";
    }
    return "";
}

int playExpansionTurn(Contest& contest, ContestWorld& cw, const TurnInput& in,
                      TurnReport* report) {
    Units& units = cw.units;
    const int party = partyCount(units);
    for (int k = 1; k <= ViewKeyCount; ++k) {
        if (!in.viewKey[k - 1] || party < k) continue;
        const ViewOrigin v =
            centredViewOrigin(units[k].x, units[k].y, units[k].z, cw.viewColumns, cw.viewRows);
        cw.SX = v.SX;
        cw.SY = v.SY;
        cw.SZ = v.SZ;
    }
    TurnReport scratchReport;
    TurnReport& r = report ? *report : scratchReport;
    r = TurnReport{};
    r.founding.verdict = Founding::Over;
    if (!in.leftButton) return 0;

    UnitRecord scratch{};
    const ContestPhase phase = contestPhase(contest.turnNumber);
    if (phase == ContestPhase::Founding) {
        if (!playerFounding(cw, in, scratch, r)) return 0;
        const int count = collectSideThree(units, contest.sideThree);
        income(cw, contest.sideThree, count);
        combat(cw, contest.sideThree, count);
        computerFounding(contest, cw, scratch);
    } else if (phase == ContestPhase::Growth) {
        computerFounding(contest, cw, scratch);
        upkeep(cw);
    } else {
        upkeep(cw);
    }
    r.played = true;

    int activeLeaders = 0, last = 0;
    for (int k = 1; k <= party; ++k) {
        if (units[k].active != 1) continue;
        activeLeaders += 1;
        last = k;
    }
    if (activeLeaders == 1) return last;
    // With no leader left nobody can found, earn or heal again: a draw.
    if (activeLeaders == 0) return ContestDraw;
    contest.turnNumber = plusOne(contest.turnNumber);
    cw.clock.sleep(TurnPauseMs);
    return 0;
}

FoundingCheck checkFounding(const Contest& contest, const Units& units, int x, int y) {
    if (contestPhase(contest.turnNumber) != ContestPhase::Founding) {
        FoundingCheck over;
        over.verdict = Founding::Over;
        return over;
    }
    int anchors[unitCapacity];
    const int count = foundingAnchors(units, anchors);
    return checkAmong(units, anchors, count, x, y);
}

void markFoundingCells(const Contest& contest, const Units& units, int x0, int y0, int columns,
                       int rows, uint8_t* out) {
    std::memset(out, 0, size_t(std::max(0, columns)) * size_t(std::max(0, rows)));
    if (contestPhase(contest.turnNumber) != ContestPhase::Founding) return;
    // Only members within reach of the view can accept or refuse one of its cells.
    int anchors[unitCapacity];
    int count = 0;
    for (int a = 0, all = foundingAnchors(units, anchors); a < all; ++a) {
        const UnitRecord& r = units[anchors[a]];
        if (r.x > x0 - FoundingReach && r.x < x0 + columns + FoundingReach &&
            r.y > y0 - FoundingReach && r.y < y0 + rows + FoundingReach)
            anchors[count++] = anchors[a];
    }
    if (count == 0) return;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i)
            out[j * columns + i] =
                checkAmong(units, anchors, count, x0 + i, y0 + j).verdict == Founding::Accepted;
}

ViewOrigin centredViewOrigin(int x, int y, int z, int columns, int rows) {
    ViewOrigin v{x - columns / 2, y - rows / 2, z};
    clampViewOrigin(v.SX, v.SY, v.SZ, StartOriginRange, columns, rows, LayerCount);
    return v;
}

CellClick clickOnCell(int x, int y, int screenWidth, int screenHeight) {
    const int columns = screenWidth / MapCellPixels, rows = screenHeight / MapCellPixels;
    CellClick c;
    c.SX = std::clamp(x - columns / 2, 0, MapSide - columns);
    c.SY = std::clamp(y - rows / 2, 0, MapSide - rows);
    c.cursorX = (x - c.SX) * MapCellPixels + MapCellPixels / 2;
    c.cursorY = (y - c.SY) * MapCellPixels + MapCellPixels / 2;
    return c;
}

GroupStatus groupStatus(const Units& units, int group) {
    GroupStatus s;
    if (validUnit(group)) {
        s.stock = units[group].stock;
        s.leaderActive = units[group].active == 1;
    }
    const int made = std::clamp(units.nextFreeUnit, 0, unitCapacity);
    for (int i = 1; i < unitCapacity; ++i) {
        const UnitRecord& u = units[i];
        if (u.side != PartySide || u.group != group) continue;
        if (u.active == 1) s.alive += 1;
        else if (i < made) s.losses += 1;
    }
    return s;
}

} // namespace delve
