#include "rules/contest.h"

#include <algorithm>
#include <cstdlib>

namespace delve {

namespace {

bool validUnit(int i) { return i >= 0 && i < unitCapacity; }

int distance(const UnitRecord& a, const UnitRecord& b) {
    return std::abs(a.x - b.x) + std::abs(a.y - b.y);
}

uint16_t onMap(int v) { return uint16_t(std::clamp(v, 0, MapSide - 1)); }

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
void payForMember(Units& units, Rng& rng, int leader, Prepared& n) {
    if (!roomForMember(units)) return;
    const int cost = rng.rand() % 3 + 1;
    UnitRecord& l = units[leader];
    if (l.stock < cost) return;
    l.stock -= cost;
    n.record.active = 1;
    units.nextFreeUnit += 1;
}

int collectSideThree(const Units& units, std::vector<int>& out) {
    int count = 0;
    for (int i = 1; i < unitCapacity; ++i)
        if (units[i].side == PartySide) out[size_t(count++)] = i;
    return count;
}

bool playerFounding(ContestWorld& cw, const TurnInput& in, UnitRecord& scratch) {
    Units& units = cw.units;
    Prepared n = prepareMember(units, cw.rng, 1, scratch);
    n.record.x = onMap(in.cursorX / ContestCellPixels + cw.SX);
    n.record.y = onMap(in.cursorY / ContestCellPixels + cw.SY);
    n.record.z = 0;

    bool inReach = false, tooClose = false;
    for (int i = 1; i < unitCapacity; ++i) {
        const UnitRecord& r = units[i];
        if (i == n.index || r.group != 1 || r.z != n.record.z) continue;
        const int d = distance(r, n.record);
        if (d < FoundingReach) inReach = true;
        if (d < FoundingSpacing) tooClose = true;
    }
    if (!inReach || tooClose) return false;
    payForMember(units, cw.rng, 1, n);
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
                if (cw.rng.rand() % 2 == 1) leader.stock += 1;
            } else {
                leader.stock += 1;
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
                victim.health -= 1;
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
            u.health -= cw.rng.rand() % 2 + 1;
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

int playExpansionTurn(Contest& contest, ContestWorld& cw, const TurnInput& in) {
    Units& units = cw.units;
    const int party = partyCount(units);
    for (int k = 1; k <= ViewKeyCount; ++k) {
        if (!in.viewKey[k - 1] || party < k) continue;
        cw.SX = units[k].x;
        cw.SY = units[k].y;
        cw.SZ = units[k].z;
    }
    if (!in.leftButton) return 0;

    UnitRecord scratch{};
    const ContestPhase phase = contestPhase(contest.turnNumber);
    if (phase == ContestPhase::Founding) {
        if (!playerFounding(cw, in, scratch)) return 0;
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

    int activeLeaders = 0, last = 0;
    for (int k = 1; k <= party; ++k) {
        if (units[k].active != 1) continue;
        activeLeaders += 1;
        last = k;
    }
    if (activeLeaders == 1) return last;
    contest.turnNumber += 1;
    cw.clock.sleep(TurnPauseMs);
    return 0;
}

CellClick clickOnCell(int x, int y, int screenWidth, int screenHeight) {
    const int columns = screenWidth / ContestCellPixels, rows = screenHeight / ContestCellPixels;
    CellClick c;
    c.SX = std::clamp(x - columns / 2, 0, MapSide - columns);
    c.SY = std::clamp(y - rows / 2, 0, MapSide - rows);
    c.cursorX = (x - c.SX) * ContestCellPixels + ContestCellPixels / 2;
    c.cursorY = (y - c.SY) * ContestCellPixels + ContestCellPixels / 2;
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
