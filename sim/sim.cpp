#include "sim/sim.h"

#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "path/movement.h"
#include "path/path_finder.h"
#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/data_dir.h"
#include "platform/output_file.h"
#include "platform/numbers.h"
#include "platform/quoted.h"
#include "platform/rng.h"
#include "rules/contest.h"
#include "rules/generation.h"
#include "rules/items.h"
#include "rules/object_types.h"
#include "rules/orders.h"
#include "world/overworld.h"
#include "world/world.h"

namespace delve {

namespace {

constexpr int MaxPartySize = 50;
constexpr int SimScreenWidth = 640; // the map view the clicks are made in
constexpr int SimScreenHeight = 480;

// The tables a simulation works on: the grid with layer 0 read from the
// overworld file, the unit table and the path finder.
struct SimWorld {
    World world;
    Units units;
    PathFinder finder;
    Rng rng;
    Clock clock{true};
};

uint32_t chooseSeed(const SimOptions& o) {
    return o.haveSeed ? o.seed : uint32_t(std::time(nullptr));
}

// Loads overworld 1; prints why not and returns false when it cannot.
bool loadWorld(SimWorld& w, const SimOptions& o) {
    const std::string dataDir = findDataDir(o.dataDir);
    if (dataDir.empty()) {
        std::fprintf(stderr, "delve-sim: no data folder: %s\n", dataDirSearchText().c_str());
        return false;
    }
    fillStepCostTable(w.world.stepCosts);
    const std::string path = overworldPath(dataDir, 1);
    int error = 0;
    const int got = loadOverworld(w.world.map, w.clock, dataDir, 1, &error);
    if (got < 0) {
        std::fprintf(stderr, "delve-sim: cannot read %s: %s (give the data folder with --data-dir)\n",
                     path.c_str(), fileErrorText(path, error).c_str());
        return false;
    }
    // A short file still makes a world, with blank land where it ends.
    if (const std::string problem = overworldProblem(path, got, error); !problem.empty())
        std::fprintf(stderr, "delve-sim: warning: %s: %s\n", path.c_str(), problem.c_str());
    return true;
}

void generate(SimWorld& w, const SimOptions& o, uint32_t seed) {
    w.units.partySize = o.partySize;
    generatePartyAndMonsters(w.units, w.world.map, w.rng, seed);
}

bool paysIncome(uint8_t code) {
    return code == Cell::Forest || code == Cell::Hills || code == Cell::Mountain ||
           code == Cell::MountainHigh;
}

int distance(int x0, int y0, int x1, int y1) { return std::abs(x0 - x1) + std::abs(y0 - y1); }

void printParty(const SimWorld& w, uint32_t seed) {
    const Units& u = w.units;
    int monsters = 0, onHeights = 0;
    for (int i = 1; i < unitCapacity; ++i) {
        if (u[i].side != MonsterSide || u[i].active != 1) continue;
        monsters += 1;
        const uint8_t c = w.world.map.cell(u[i].x, u[i].y, 0);
        if (c == Cell::Hills || c == Cell::Mountain || c == Cell::MountainHigh) onHeights += 1;
    }
    std::printf("seed %" PRIu32 ", party of %d, %d monsters (%d on hills or mountains), "
                "nextFreeUnit %d\n\n",
                seed, u.partySize, monsters, onHeights, u.nextFreeUnit);
    std::printf("unit  group      x    y  health  stock\n");
    for (int k = 1; k <= u.partySize && k < unitCapacity; ++k)
        std::printf("%4d  %5d  %5d %4d  %6d  %5d\n", k, u[k].group, u[k].x, u[k].y, u[k].health,
                    u[k].stock);
    std::printf("\n");
}

// The built-in player of the contest. It draws from its own generator, so
// the contest's own draws stay exactly as the rules make them.
class Player {
public:
    explicit Player(uint32_t seed) { rng_.srand(seed ^ 0x9E3779B9u); }

    // The cell to click in this frame.
    void choose(const SimWorld& w, const Contest& contest, int& x, int& y) {
        const Units& u = w.units;
        x = u[1].x;
        y = u[1].y;
        // Outside the founding phase a click only plays the turn.
        if (contestPhase(contest.turnNumber) != ContestPhase::Founding) return;
        anchors_.clear();
        for (int i = 1; i < unitCapacity; ++i)
            if (u[i].group == 1 && u[i].active == 1 && u[i].z == 0) anchors_.push_back(i);
        if (anchors_.empty()) return;
        int bestScore = -1;
        for (int attempt = 0, found = 0; attempt < 64 && found < 12; ++attempt) {
            const UnitRecord& a = u[anchors_[size_t(rng_.rand()) % anchors_.size()]];
            const int d = FoundingSpacing + rng_.rand() % (FoundingReach - FoundingSpacing);
            const int dx = rng_.rand() % (2 * d + 1) - d;
            const int dy = (d - std::abs(dx)) * (rng_.rand() % 2 == 0 ? 1 : -1);
            const int cx = a.x + dx, cy = a.y + dy;
            if (cx < 0 || cy < 0 || cx >= MapSide || cy >= MapSide) continue;
            if (!acceptable(u, cx, cy)) continue;
            found += 1;
            const int score = monstersPaying(w, cx, cy);
            if (score > bestScore) {
                bestScore = score;
                x = cx;
                y = cy;
            }
        }
    }

private:
    static bool acceptable(const Units& u, int x, int y) {
        bool reach = false;
        for (int i = 1; i < unitCapacity; ++i) {
            if (i == u.nextFreeUnit || u[i].group != 1 || u[i].z != 0) continue;
            const int d = distance(u[i].x, u[i].y, x, y);
            if (d < FoundingSpacing) return false;
            if (d < FoundingReach) reach = true;
        }
        return reach;
    }
    // Monsters on paying cells that a member here would stand near.
    static int monstersPaying(const SimWorld& w, int x, int y) {
        int score = 0;
        for (int i = 1; i < unitCapacity; ++i) {
            const UnitRecord& m = w.units[i];
            if (m.side != MonsterSide || distance(m.x, m.y, x, y) >= IncomeRadius) continue;
            const uint8_t c = w.world.map.cellOr(m.x, m.y, m.z, Cell::Empty);
            if (paysIncome(c)) score += 2;
            else if (c == Cell::Plain) score += 1;
        }
        return score;
    }

    Rng rng_;
    std::vector<int> anchors_;
};

// A progress bar on stdout while it is a terminal.
class Progress {
public:
    explicit Progress(int total) : total_(total), shown_(total >= 200 && isatty(STDOUT_FILENO)) {}
    void update(int done) {
        if (!shown_) return;
        const int percent = int(int64_t(done) * 100 / total_);
        if (percent == last_) return;
        last_ = percent;
        char bar[41];
        for (int i = 0; i < 40; ++i) bar[i] = i < percent * 40 / 100 ? '#' : '.';
        bar[40] = 0;
        std::printf("\r[%s] %3d%%  frame %d of %d", bar, percent, done, total_);
        std::fflush(stdout);
        drawn_ = true;
    }
    // Clears the bar so a table line can take its place.
    void clear() {
        if (!drawn_) return;
        std::printf("\r\033[K");
        drawn_ = false;
        last_ = -1;
    }

private:
    int total_;
    bool shown_;
    bool drawn_ = false;
    int last_ = -1;
};

constexpr uint64_t MaxClicksBytes = uint64_t(16) << 20;

bool readClicks(const std::string& path, std::vector<std::pair<int, int>>& clicks) {
    // A regular file only, opened without blocking and read up to a cap: a
    // FIFO would wait for ever and /dev/zero would never end.
    std::vector<uint8_t> bytes;
    if (int err = readWholeFile(path, bytes, MaxClicksBytes)) {
        std::fprintf(stderr, "delve-sim: --clicks: cannot read %s: %s\n", path.c_str(),
                     err == FileTooLarge ? "larger than 16 MiB" : fileErrorText(path, err).c_str());
        return false;
    }
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    for (int lineNo = 1; std::getline(in, line); ++lineNo) {
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string a, b, extra;
        if (!(words >> a)) continue;
        long long x = 0, y = 0;
        if (!(words >> b) || (words >> extra) || !parseInteger(a, 0, MapSide - 1, x) ||
            !parseInteger(b, 0, MapSide - 1, y)) {
            std::fprintf(stderr, "delve-sim: %s line %d: expected \"X Y\" with cells 0..255: %s\n",
                         path.c_str(), lineNo, quoteText(line).c_str());
            return false;
        }
        clicks.emplace_back(int(x), int(y));
    }
    return true;
}

void printTurnHeader(int party) {
    std::printf(" turn  phase    ");
    for (int k = 1; k <= party; ++k) std::printf("| G%-2d alive stock  lost ", k);
    std::printf("\n");
}

void printTurnRow(const Units& units, int turn, int party) {
    std::printf("%5d  %-8s ", turn, phaseName(contestPhase(turn)));
    for (int k = 1; k <= party; ++k) {
        const GroupStatus s = groupStatus(units, k);
        std::printf("|  %s%5d %5d %5d ", s.leaderActive ? " " : "x", s.alive, s.stock, s.losses);
    }
    std::printf("\n");
}

bool writeJson(const std::string& path, const Units& units, uint32_t seed, int turnNumber,
               int winner) {
    nlohmann::ordered_json j;
    j["seed"] = seed;
    j["partySize"] = units.partySize;
    j["turnNumber"] = turnNumber;
    j["winner"] = winner;
    j["nextFreeUnit"] = units.nextFreeUnit;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (int i = 0; i < unitCapacity; ++i) {
        const UnitRecord& u = units[i];
        if (u.side != PartySide && u.side != MonsterSide) continue;
        list.push_back({{"index", i}, {"active", u.active}, {"side", u.side}, {"group", u.group},
                        {"x", u.x}, {"y", u.y}, {"z", u.z}, {"health", u.health},
                        {"maxHealth", u.maxHealth}, {"stock", u.stock}, {"dead", u.dead}});
    }
    j["units"] = std::move(list);
    // Written whole to a temporary file and renamed into place: a failed
    // write leaves the old file, never half a JSON document.
    const std::string text = j.dump(2) + "\n";
    const int err = replaceFile(path, text.data(), text.size());
    if (err != 0)
        std::fprintf(stderr, "delve-sim: could not write %s: %s\n", path.c_str(),
                     fileErrorText(path, err).c_str());
    return err == 0;
}

} // namespace

int parseSimOptions(int argc, const char* const* argv, SimOptions& o) {
    CLI::App app("The game's rules without a window: party and monster generation, the\n"
                 "party contest, the object types, loot and chasing.",
                 "delve-sim");
    useCommandLineConventions(app);
    auto* seed = app.add_option("--seed", o.seed, "seed of the rules' random numbers (default: the time)")
                     ->type_name("N")
                     ->check(wholeNumber(0, 4294967295LL));
    app.add_option("--party-size", o.partySize, "groups in the contest, 1..50 (default 3)")
        ->type_name("K")
        ->check(wholeNumber(1, MaxPartySize));
    app.add_option("--data-dir", o.dataDir, "folder with the overworld (default: as the game finds it)")
        ->type_name("DIR");
    auto* turns = app.add_option("--turns", o.turns, "the built-in player clicks T frames (0: only generate)")
                      ->type_name("T")
                      ->check(wholeNumber(0, 100000000));
    auto* clicks = app.add_option("--clicks", o.clicksFile,
                                  "click the cells of FILE instead, one \"X Y\" line per frame")
                       ->type_name("FILE");
    auto* json = app.add_option("--json", o.jsonFile, "write the final units as JSON")->type_name("FILE");
    auto* png = app.add_option("--png", o.pngFile, "draw the overworld with the groups and monsters")
                    ->type_name("FILE");
    bool objectsRun = false, chaseRun = false;
    auto* objects = app.add_flag("--objects", objectsRun, "print the object types, tab-separated");
    auto* loot = app.add_option("--loot", o.lootLevel,
                                "roll loot at a danger level (with --containers N, --seed S)")
                     ->type_name("LEVEL")
                     ->check(wholeNumber(-1000000, 1000000));
    auto* containers = app.add_option("--containers", o.containers,
                                      "containers to fill with --loot (default 1)")
                           ->type_name("N")
                           ->check(wholeNumber(1, ContainerCount));
    auto* chase =
        app.add_flag("--chase", chaseRun, "monsters chase the nearest party member (with --frames F)");
    auto* frames = app.add_option("--frames", o.frames, "frames of the chase (default 300)")
                       ->type_name("F")
                       ->check(wholeNumber(0, 100000000));
    app.callback([&] {
        o.haveSeed = seed->count() > 0;
        if ((objects->count() > 0) + (loot->count() > 0) + (chase->count() > 0) > 1)
            throw CLI::ValidationError("--objects, --loot and --chase",
                                       "they are separate runs; give one of them");
        if (objects->count() > 0) o.mode = SimOptions::Mode::Objects;
        if (loot->count() > 0) o.mode = SimOptions::Mode::Loot;
        if (chase->count() > 0) o.mode = SimOptions::Mode::Chase;
        if (turns->count() > 0 && clicks->count() > 0)
            throw CLI::ValidationError("--turns and --clicks",
                                       "both say how to click; give one of them");
        if (containers->count() > 0 && o.mode != SimOptions::Mode::Loot)
            throw CLI::ValidationError("--containers", "goes with --loot");
        if (frames->count() > 0 && o.mode != SimOptions::Mode::Chase)
            throw CLI::ValidationError("--frames", "goes with --chase");
        const bool contestFlags =
            turns->count() + clicks->count() + json->count() + png->count() > 0;
        if (contestFlags && o.mode != SimOptions::Mode::Contest)
            throw CLI::ValidationError("--turns, --clicks, --json and --png",
                                       "belong to the contest run");
    });
    return parseCommandLine(app, DELVE_VERSION, argc, argv);
}

int runObjects() {
    TypeDatabase db;
    db.allocate();
    initTypeDatabase(db);
    std::printf("id\tname\tpictureId\tslot\tisWeapon\tpower\tgrade\tquality\tvalue\n");
    for (int id = 0; id < typeCapacity; ++id) {
        const ObjectTypeRecord& r = db[id];
        if (r.pictureId == 0 || r.typeId != id) continue;
        std::printf("%d\t%s\t%d\t%d\t%d\t%d\t%d\t%g\t%d\n", id, objectName(db, id), r.pictureId,
                    r.slot, r.isWeapon, r.power, r.grade, double(r.quality), r.value);
    }
    return 0;
}

int runLoot(const SimOptions& o) {
    TypeDatabase db;
    db.allocate();
    initTypeDatabase(db);
    makeStartingObjects(db);
    Rng rng;
    const uint32_t seed = chooseSeed(o);
    rng.srand(seed);
    std::printf("loot at level %d, seed %" PRIu32 "%s\n", o.lootLevel, seed,
                o.lootLevel < FirstLootLevel || o.lootLevel > LastLootLevel
                    ? " (no loot outside levels 1 to 12)"
                    : "");
    for (int c = 0; c < o.containers; ++c) placeLoot(db, rng, o.lootLevel, c);
    for (int c = 0; c < o.containers; ++c) {
        std::printf("container %d:", c);
        int held = 0;
        for (int s = 0; s < ContainerSlots; ++s) {
            const int id = containerSlotId(c, s);
            if (!db.holds(id) || db[id].pictureId == 0) continue;
            std::printf("%s %s", held == 0 ? "" : ",", objectName(db, id));
            ++held;
        }
        std::printf("%s\n", held == 0 ? " (empty)" : "");
    }
    return 0;
}

int runChase(const SimOptions& o) {
    auto w = std::make_unique<SimWorld>();
    if (!loadWorld(*w, o)) return 1;
    const uint32_t seed = chooseSeed(o);
    generate(*w, o, seed);
    Units& units = w->units;
    const int party = std::min(units.partySize, unitCapacity - 1);
    int chasers = 0;
    for (int i = 1; i < unitCapacity; ++i) {
        if (units[i].side != MonsterSide || units[i].active != 1) continue;
        int best = 0, bestDistance = 1 << 30;
        for (int k = 1; k <= party; ++k) {
            if (units[k].active != 1) continue;
            const int d = distance(units[k].x, units[k].y, units[i].x, units[i].y);
            if (d < bestDistance) {
                bestDistance = d;
                best = k;
            }
        }
        if (best == 0) continue;
        orderUnit(units, w->finder, i, units[best].x, units[best].y);
        ++chasers;
    }
    std::printf("seed %" PRIu32 ": %d monsters chase the nearest of %d party members\n\n", seed,
                chasers, party);
    std::printf(" pass  frame  replanned  moved  caught up  chasing  walking\n");
    PathWorld pw{w->world.map, w->world.marks, w->world.stepCosts, w->finder};
    int pass = 0;
    for (int frame = 0; frame < o.frames; ++frame) {
        const OrderPassReport r = advanceOrders(pw, units, frame);
        if (!r.ran) continue;
        int chasing = 0, walking = 0;
        for (int i = 1; i < unitCapacity; ++i) {
            if (units[i].active != 1) continue;
            chasing += units[i].moveState == 2;
            walking += units[i].moveState == 1;
        }
        std::printf("%5d  %5d  %9d  %5d  %9d  %7d  %7d\n", ++pass, frame, r.replanned, r.moved,
                    r.caughtUp, chasing, walking);
    }
    return 0;
}

int runContest(const SimOptions& o) {
    auto w = std::make_unique<SimWorld>();
    auto outputUsable = [](const char* flag, const std::string& path) {
        const std::string why = outputProblem(path);
        if (!why.empty())
            std::fprintf(stderr, "delve-sim: %s: cannot write %s: %s\n", flag, path.c_str(), why.c_str());
        return why.empty();
    };
    if (!outputUsable("--json", o.jsonFile) || !outputUsable("--png", o.pngFile)) return 1;
    if (!loadWorld(*w, o)) return 1;
    std::vector<std::pair<int, int>> clicks;
    if (!o.clicksFile.empty() && !readClicks(o.clicksFile, clicks)) return 2;
    const uint32_t seed = chooseSeed(o);
    generate(*w, o, seed);
    Units& units = w->units;
    printParty(*w, seed);

    const int frames = o.clicksFile.empty() ? o.turns : int(clicks.size());
    const int party = std::min(units.partySize, unitCapacity - 1);
    Contest contest;
    int SX = 0, SY = 0, SZ = 0;
    ContestWorld cw{units, w->world.map, w->rng, w->clock, SX, SY, SZ};
    Player player(seed);
    Progress progress(frames);
    int winner = 0, refused = 0, frame = 0;
    const uint64_t waitedBefore = w->clock.waitedMs();
    if (frames > 0) printTurnHeader(party);
    for (; frame < frames && winner == 0; ++frame) {
        int x = 0, y = 0;
        if (o.clicksFile.empty()) {
            player.choose(*w, contest, x, y);
        } else {
            x = clicks[size_t(frame)].first;
            y = clicks[size_t(frame)].second;
        }
        const CellClick c = clickOnCell(x, y, SimScreenWidth, SimScreenHeight);
        SX = c.SX;
        SY = c.SY;
        const TurnInput in = c.leftClick();
        const int turn = contest.turnNumber;
        winner = playExpansionTurn(contest, cw, in);
        if (winner != 0 || contest.turnNumber != turn) {
            progress.clear();
            printTurnRow(units, turn, party);
        } else {
            refused += 1;
        }
        progress.update(frame + 1);
    }
    progress.clear();

    if (frames > 0) {
        if (winner == ContestDraw)
            std::printf("\na draw: no leader left, in turn %d (frame %d of %d)\n",
                        contest.turnNumber, frame, frames);
        else if (winner != 0)
            std::printf("\nwinner: group %d, in turn %d (frame %d of %d)\n", winner,
                        contest.turnNumber, frame, frames);
        else
            std::printf("\nno winner after %d frames: turn %d\n", frames, contest.turnNumber);
        std::printf("%d clicks refused; %.1f s of pauses between turns\n", refused,
                    double(w->clock.waitedMs() - waitedBefore) / 1000.0);
    }
    if (!o.jsonFile.empty() && !writeJson(o.jsonFile, units, seed, contest.turnNumber, winner))
        return 1;
    int pngError = 0;
    if (!o.pngFile.empty() && !writeContestPicture(o.pngFile, w->world.map, units, seed,
                                                   contest.turnNumber, winner, &pngError)) {
        std::fprintf(stderr, "delve-sim: could not write %s: %s\n", o.pngFile.c_str(),
                     fileErrorText(o.pngFile, pngError).c_str());
        return 1;
    }
    return 0;
}

} // namespace delve
