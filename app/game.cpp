#include "app/game.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "app/screenshot.h"
#include "app/window.h"
#include "gfx/palette.h"
#include "path/movement.h"
#include "platform/files.h"
#include "views/map_view.h"
#include "views/screensaver.h"
#include "rules/generation.h"
#include "units/hero.h"
#include "world/generator.h"
#include "world/overworld.h"

namespace delve {

namespace {

constexpr const char* WindowTitle = "GAME";
// The dungeon start-up grows: each level's rooms from a centre room in the
// middle of the map, inside a claimed square of 255 cells, with 2400
// placement attempts per level, on the generator's work layers.
constexpr int DungeonCentre = 128;
constexpr int DungeonLevelSide = 255;
constexpr int DungeonAttempts = 2400;
constexpr const char* Banner = "WIN32ZANTHOMIRKSPIREBITMAPWINDOWKELDRIMORSCREENR002";
constexpr const char* ProgressBanner = "WIN32ZANTHOMIRKSPIREBITMAPWINDOWKELDRIMORSCREENR001";
constexpr const char* CreditLines[3] = {
    "WORLD, PICTURES AND FONTS MADE BY THE DELVE DEVELOPERS.",
    "F5 FIRST-PERSON VIEW, F6 MAP VIEW, RIGHT BUTTON WALKS IN THE MAP.",
    "DELVE - A DUNGEON EXPLORER. TAB OPENS THE CONSOLE, ESC QUITS.",
};

void frameRect(Screen& s, int x0, int y0, int x1, int y1, Rgb c) {
    drawLine(s, x0, y0, x1, y0, c.r, c.g, c.b);
    drawLine(s, x0, y1, x1, y1, c.r, c.g, c.b);
    drawLine(s, x0, y0, x0, y1, c.r, c.g, c.b);
    drawLine(s, x1, y0, x1, y1, c.r, c.g, c.b);
}

// A loaded game may carry any counter; it wraps instead of overflowing.
int nextFrameCount(int frameCounter) { return int(uint32_t(frameCounter) + 1u); }

volatile std::sig_atomic_t quitSignal = 0;

extern "C" void onQuitSignal(int) { quitSignal = 1; }

volatile std::sig_atomic_t dumpSignal = 0;

extern "C" void onDumpSignal(int) { dumpSignal = 1; }

} // namespace

// The steps of the frame loop that work on the game's own state.
struct Game::Loop {
    static int contestParty(const Game& g) {
        return std::clamp(g.units_.partySize, 0, unitCapacity - 1);
    }

    static bool contestInMapView(const Game& g) {
        return g.shell_.screenWidth == 640 && g.shell_.screensaverMode == 0;
    }

    // While the player may found, the cells of the view a click would accept,
    // in group 1's colour; false when nothing is to be marked.
    static bool contestFoundingTint(Game& g, MapCellTint& tint) {
        Game::ContestMode& cm = g.contestMode_;
        const Shell& sh = g.shell_;
        const int columns = sh.screenWidth / MapCellPixels, rows = sh.screenHeight / MapCellPixels;
        if (!cm.active || cm.winner != 0 || sh.SZ != 0 ||
            contestPhase(cm.contest.turnNumber) != ContestPhase::Founding ||
            size_t(columns * rows) > cm.foundingMarks.size())
            return false;
        markFoundingCells(cm.contest, g.units_, sh.SX, sh.SY, columns, rows,
                          cm.foundingMarks.data());
        const Rgb c = groupColour(1);
        tint = MapCellTint{cm.foundingMarks.data(), c.r, c.g, c.b};
        return true;
    }

    // Every member of a contest group framed in its group's colour over its
    // sprite; leaders get a double frame.
    static void drawGroupColours(Game& g) {
        const Shell& sh = g.shell_;
        const int columns = sh.screenWidth / MapCellPixels, rows = sh.screenHeight / MapCellPixels;
        const int party = contestParty(g);
        for (int i = 1; i < unitCapacity; ++i) {
            const UnitRecord& u = g.units_[i];
            if (u.active != 1 || u.dead != 0 || u.side != PartySide || u.group < 1 ||
                u.group > party)
                continue;
            const int dx = int(u.x) - sh.SX, dy = int(u.y) - sh.SY;
            if (int(u.z) != sh.SZ || dx < 0 || dx >= columns || dy < 0 || dy >= rows) continue;
            const int px = dx * MapCellPixels, py = dy * MapCellPixels;
            const Rgb c = groupColour(u.group);
            frameRect(g.screen_, px, py, px + MapCellPixels - 1, py + MapCellPixels - 1, c);
            frameRect(g.screen_, px + 1, py + 1, px + MapCellPixels - 2, py + MapCellPixels - 2, c);
            if (i == u.group)
                frameRect(g.screen_, px - 2, py - 2, px + MapCellPixels + 1, py + MapCellPixels + 1,
                          c);
        }
    }

    // The drawn part of a frame: the view, the texts and the console.
    static void drawViewAndTexts(Game& g, const char* banner) {
        Shell& sh = g.shell_;
        if (sh.screensaverMode == 1) {
            drawScreensaverView(g.screen_, g.trig_, g.rng_, sh);
        } else {
            if (sh.screenWidth == 640) {
                MapCellTint tint;
                const bool marked = contestFoundingTint(g, tint);
                drawMapView(g.screen_, g.text_, g.pictures_, g.world_.map, g.units_, g.pathFinder_,
                            g.trig_, sh, marked ? &tint : nullptr);
                if (g.contestMode_.started) drawGroupColours(g);
            }
            if (sh.screenWidth == 320 && g.platform_->hasWindow()) {
                // The picture shows the camera as it stood when the frame began;
                // the hero walks and looks after it is drawn.
                drawFirstPersonView(g.firstPerson_, g.screen_, g.pictures_, g.world_.map, g.units_,
                                    sh);
                // The overlay reads the depth of the picture just rendered and
                // uses the same camera, so it comes before the hero moves.
                if (g.edgesShown_) {
                    captureEdgeOverlay(g.edgeOverlay_, g.units_, sh, g.firstPerson_);
                    drawCellEdges(g.edgeOverlay_, g.screen_, g.world_.map, g.units_, sh,
                                  g.firstPerson_);
                }
                updateHero(g.firstPerson_.walk, g.world_.map, g.units_[HeroUnit], sh, g.input_);
                mouseLook(g.firstPerson_.walk, sh, g.input_);
            }
        }

        g.text_.set(banner);
        drawSmallText(g.screen_, g.text_, 12, g.shell_.screenHeight - 14, 255, 255, 0);
        const int creditY[3] = {14, 23, 32};
        for (int i = 0; i < 3; ++i) {
            g.text_.set(CreditLines[i]);
            drawSmallText(g.screen_, g.text_, 12, creditY[i], 255, 255, 0);
        }
        int mx = g.input_.cursorX(g.shell_.screenWidth);
        int my = g.input_.cursorY(g.shell_.screenHeight);
        g.text_.format("SX=%d,SY=%d,SZ=%d mx=%d my=%d", g.shell_.SX, g.shell_.SY, g.shell_.SZ, mx,
                       my);
        drawLargeText(g.screen_, g.text_, 12, 46, 255, 255, 0);

        runConsole(g.console_, g.input_, g.clock_, sh, g.screen_, g.text_, g.world_.map, g.units_,
                   g.progressHost_, g.saveDir_);
    }

    // On every movement frame the walking units advance one cell.
    static void movementTick(Game& g) {
        int interval = int(g.shell_.movementInterval);
        // A zero interval cannot come from the keys; treat it as every frame
        // rather than dividing by zero.
        if (interval != 0 && g.shell_.frameCounter % interval != 0) return;
        PathWorld pw{g.world_.map, g.world_.marks, g.world_.stepCosts, g.pathFinder_};
        advanceUnits(pw, g.units_);
    }

    [[gnu::format(printf, 2, 3)]] static void setContestMessage(Game& g, const char* format, ...) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(g.contestMode_.message, sizeof g.contestMode_.message, format, args);
        va_end(args);
    }

    static void describeEnd(Game& g) {
        const int w = g.contestMode_.winner;
        if (w == ContestDraw)
            setContestMessage(g, "A draw: no leader is left. Type contest (Tab) to play again.");
        else if (w == 1)
            setContestMessage(g,
                              "You win: G1 is the last group. Type contest (Tab) to play again.");
        else
            setContestMessage(
                g, "G%d wins: it is the last group. Type contest (Tab) to play again.", w);
    }

    // What a click did, for the status line.
    static void describeClick(Game& g, const TurnReport& r, int turn) {
        const FoundingCheck& f = r.founding;
        switch (f.verdict) {
        case Founding::TooClose:
            if (f.distance == 0)
                setContestMessage(g,
                                  "Refused: %d,%d is a member of G1; found %d or more cells away.",
                                  r.x, r.y, FoundingSpacing);
            else
                setContestMessage(g, "Refused: %d,%d is %d cell%s from a member of G1; %d needed.",
                                  r.x, r.y, f.distance, f.distance == 1 ? "" : "s",
                                  FoundingSpacing);
            return;
        case Founding::TooFar:
            setContestMessage(g, "Refused: %d,%d is %d or more cells from every member of G1.", r.x,
                              r.y, FoundingReach);
            return;
        case Founding::OffMap: setContestMessage(g, "Refused: that cell lies off the map."); return;
        case Founding::Over:
            setContestMessage(g, "Turn %d played. Founding is over: clicks only play turns now.",
                              turn);
            return;
        case Founding::Accepted: break;
        }
        if (r.founded)
            setContestMessage(g, "Turn %d: a member founded at %d,%d for %d stock.", turn, r.x, r.y,
                              r.cost);
        else if (g.units_.nextFreeUnit >= unitCapacity - 2)
            setContestMessage(g, "Turn %d played; no member founded: the unit table is full.",
                              turn);
        else
            setContestMessage(g, "Turn %d played; no member founded: G1 has too little stock.",
                              turn);
    }

    // The contest's status lines under the banner, in the large font on a dark
    // strip: the turn and phase, a legend of the groups in their colours, and
    // the last message.
    static void drawContestStatus(Game& g) {
        const Game::ContestMode& cm = g.contestMode_;
        Screen& s = g.screen_;
        const int width = g.shell_.screenWidth;
        const int lineHeight = 14, left = 12, right = width - 12;
        constexpr int SwatchWidth = 12, LegendGap = 16;
        const int top = g.shell_.screenHeight - 20; // under the banner
        const int party = contestParty(g);

        // Lay the legend out first, to know how many lines the strip needs.
        auto legendLabel = [&](int k) {
            const GroupStatus st = groupStatus(g.units_, k);
            g.text_.format("G%d%s%s: %d unit%s, %d stock", k, k == 1 ? " you" : "",
                           st.leaderActive ? "" : " out", st.alive, st.alive == 1 ? "" : "s",
                           st.stock);
            return SwatchWidth + 8 * int(std::strlen(g.text_.text)) + LegendGap;
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
        const ContestPhase phase = contestPhase(cm.contest.turnNumber);
        const char* phaseText = cm.winner != 0                    ? "Over"
                                : phase == ContestPhase::Founding ? "Founding phase (turns 1-13)"
                                : phase == ContestPhase::Growth   ? "Growth phase (turns 14-27)"
                                                                  : "Late phase (turn 28 on)";
        g.text_.format("CONTEST  Turn %d  %s  Keys 1-%d: view a leader", cm.contest.turnNumber,
                       phaseText, std::clamp(party, 1, ViewKeyCount));
        drawLargeText(s, g.text_, left, y, 255, 255, 255);

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
            drawLargeText(s, g.text_, x + SwatchWidth, y, c.r, c.g, c.b);
            x += w;
        }

        y -= lineHeight;
        g.text_.set(cm.message);
        if (cm.winner != 0)
            drawLargeText(s, g.text_, left, y, 255, 255, 0);
        else if (std::strncmp(cm.message, "Refused", 7) == 0)
            drawLargeText(s, g.text_, left, y, 255, 150, 110);
        else
            drawLargeText(s, g.text_, left, y, 220, 220, 220);
    }

    // After the move order, while the contest is on and the map view shows:
    // one call of the turn rules. Clicks in the first-person view walk; they
    // play no turn. A decided contest plays no more turns.
    static void contestTick(Game& g) {
        Game::ContestMode& cm = g.contestMode_;
        Shell& sh = g.shell_;
        if (!contestInMapView(g)) return;
        TurnInput in;
        in.leftButton = g.input_.isKeyDown(Vk::LeftButton) && cm.winner == 0;
        for (int k = 0; k < ViewKeyCount; ++k)
            in.viewKey[k] = g.input_.isKeyDown(Vk::Digit0 + 1 + k);
        in.cursorX = g.input_.cursorX(sh.screenWidth);
        in.cursorY = g.input_.cursorY(sh.screenHeight);
        ContestWorld cw{g.units_,
                        g.world_.map,
                        cm.rng,
                        g.clock_,
                        sh.SX,
                        sh.SY,
                        sh.SZ,
                        sh.screenWidth / MapCellPixels,
                        sh.screenHeight / MapCellPixels};
        const int turn = cm.contest.turnNumber;
        TurnReport report;
        const int result = playExpansionTurn(cm.contest, cw, in, &report);
        if (in.leftButton) describeClick(g, report, turn);
        if (result != 0) {
            cm.winner = result;
            describeEnd(g);
        }
    }

    // Window creation with everything a new GL context needs.
    static int createGameWindow(Game& g) {
        int ok = createWindowAndContext(*g.platform_, *g.renderer_, g.pictures_, WindowTitle,
                                        g.shell_.screenWidth * g.shell_.pixelZoom,
                                        g.shell_.screenHeight * g.shell_.pixelZoom);
        g.firstPerson_.contextCreated();
        return ok;
    }

    static void drainMessages(Game& g) {
        if (quitSignal) g.shell_.quitRequested = 1;
        for (;;) {
            Message m = g.platform_->pumpOneMessage();
            if (m == Message::None) break;
            if (m == Message::Close) g.shell_.quitRequested = 1;
        }
    }

    // F5, F6 and the contest: a new screen mode and zoom, in a new window.
    static void switchScreenMode(Game& g, int width, int height, int zoom) {
        setScreenMode(g, width, height);
        g.shell_.pixelZoom = zoom;
        destroyWindowAndContext(*g.platform_);
        recreateWindow(g);
    }

    // A new contest over the overworld: the party and monsters are generated
    // again, and members an earlier contest founded (with the record it had
    // prepared for the next one) leave with it.
    static void startNewContest(Game& g) {
        Game::ContestMode& cm = g.contestMode_;
        const int earlier = cm.started ? std::clamp(g.units_.nextFreeUnit, 0, unitCapacity - 1) : 0;
        cm.seed = contestSeed(g.seed_, g.shell_.frameCounter);
        generatePartyAndMonsters(g.units_, g.world_.map, cm.rng, cm.seed);
        for (int i = std::max(g.units_.nextFreeUnit, 1); i <= earlier; ++i)
            g.units_[i] = UnitRecord{};
        // The hero now leads group 1 on the overworld; a walk it had begun
        // in the dungeon would carry it along a path of another layer.
        g.units_[HeroUnit].moveState = 0;
        g.pathFinder_.dropPath(HeroUnit);
        cm.contest.turnNumber = 1;
        cm.winner = 0;
        cm.started = true;
        setContestMessage(g,
                          "Turn 1: click a marked cell, %d to %d cells from G1, to found a member.",
                          FoundingSpacing, FoundingReach - 1);
    }

    // The contest as a saved game keeps it.
    static ContestSave contestSave(const Game& g) {
        const Game::ContestMode& cm = g.contestMode_;
        ContestSave c;
        c.turnNumber = cm.contest.turnNumber;
        c.active = cm.active;
        c.started = cm.started;
        c.winner = cm.winner;
        c.partySize = g.units_.partySize;
        c.nextFreeUnit = g.units_.nextFreeUnit;
        c.seed = cm.seed;
        c.rngState = cm.rng.state();
        return c;
    }
};

Game::Game(const Options& opts, std::unique_ptr<Platform> backend)
    : options_(opts), clock_(opts.fastClock), platform_(std::move(backend)),
      renderer_(makeRenderer(opts.renderer)), input_(*platform_) {
    clock_.setFramePace(framePace(opts));
    firstPerson_.renderer = renderer_.get();
}

int Game::startRecording(const std::string& path) {
    if (int err = recorder_.open(path, seed_)) return err;
    input_.recordTo(&recorder_);
    return 0;
}

int Game::finishRecording() { return recorder_.finish(framesRun_); }

ConsoleContext Game::consoleContext() {
    return ConsoleContext{input_,     clock_, shell_,        screen_, text_,
                          world_.map, units_, progressHost_, saveDir_};
}

Game::Parts Game::partsForRig() {
    return Parts{input_,       clock_,       shell_,        screen_,      text_,
                 trig_,        pictures_,    world_,        units_,       pathFinder_,
                 firstPerson_, edgeOverlay_, console_,      contestMode_, types_,
                 *platform_,   *renderer_,   progressHost_, saveDir_,     framesRun_};
}

std::string findSaveDir(const std::string& requested) {
    if (!requested.empty()) return requested;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/delve/map";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/delve/map";
}

void setScreenMode(Game& g, int width, int height) {
    g.shell_.screenWidth = width;
    g.shell_.screenHeight = height;
    g.screen_.setMode(width, height);
}

int recreateWindow(Game& g) {
    int ok = Game::Loop::createGameWindow(g);
    if (ok) {
        // A new window keeps the player's full screen.
        if (g.fullscreen_ && !g.platform_->setFullscreen(true)) g.fullscreen_ = false;
        g.platform_->showCursor(false);
    } else {
        // The error box has been shown; with no window no key can be read,
        // so the program ends after this frame instead of running blind.
        g.windowFailed_ = true;
        g.shell_.quitRequested = 1;
    }
    return ok;
}

void installQuitSignals() {
    struct sigaction sa {};
    sa.sa_handler = onQuitSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    struct sigaction dump {};
    dump.sa_handler = onDumpSignal;
    sigemptyset(&dump.sa_mask);
    sigaction(SIGUSR1, &dump, nullptr);
}

bool takeStateDumpRequest() {
    if (!dumpSignal) return false;
    dumpSignal = 0;
    return true;
}

void setViewOriginFromSelectedUnit(Game& g) {
    Shell& sh = g.shell_;
    int sel = g.units_.selectedUnit;
    if (sel >= 0 && sel < unitCapacity) {
        const UnitRecord& u = g.units_[sel];
        sh.SX = u.x;
        sh.SY = u.y;
        sh.SZ = u.z;
    }
    sh.clampViewOrigin(StartOriginRange, LayerCount);
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

void toggleContest(Game& g) {
    Game::ContestMode& cm = g.contestMode_;
    if (cm.active && cm.winner == 0) {
        cm.active = false;
        Game::Loop::setContestMessage(g, "Contest paused at turn %d. Type contest to go on.",
                                      cm.contest.turnNumber);
        return;
    }
    if (!cm.started || cm.winner != 0) Game::Loop::startNewContest(g);
    else Game::Loop::setContestMessage(g, "Contest resumed at turn %d.", cm.contest.turnNumber);
    if (g.shell_.screenWidth != 640) Game::Loop::switchScreenMode(g, 640, 480, 1);
    const UnitRecord& leader = g.units_[1];
    const ViewOrigin v = centredViewOrigin(leader.x, leader.y, leader.z,
                                           g.shell_.screenWidth / MapCellPixels,
                                           g.shell_.screenHeight / MapCellPixels);
    g.shell_.SX = v.SX;
    g.shell_.SY = v.SY;
    g.shell_.SZ = v.SZ;
    cm.active = true;
}

bool startGame(Game& g) {
    g.dataDir_ = findDataDir(g.options_.dataDir);
    g.saveDir_ = findSaveDir(g.options_.saveDir);
    g.seed_ = g.options_.haveSeed ? g.options_.seed : uint32_t(std::time(nullptr));

    setScreenMode(g, 320, 240);
    g.shell_.pixelZoom = 2;

    // Tables and assets. The grid, marks, unit table and catalogue are
    // allocated zeroed with the Game itself.
    setScreenMode(g, g.shell_.screenWidth, g.shell_.screenHeight);
    g.types_.allocate();
    if (g.dataDir_.empty()) return false; // no data folder anywhere
    g.pictureReport_ = loadAllBitmaps(g.pictures_, g.dataDir_);
    if (g.pictureReport_.loaded == 0) return false;
    fillStepCostTable(g.world_.stepCosts);
    allocateGeneratorTables(g.world_);
    // The sine and cosine tables are made here; each page of them is
    // computed when a circle first reads it.
    g.trig_.build();
    initCommandStore(g.console_);
    initTypeDatabase(g.types_);
    makeStartingObjects(g.types_);
    g.units_[HeroUnit].subX = g.units_[HeroUnit].subY = g.units_[HeroUnit].subZ = 0.5f;

    if (!recreateWindow(g)) return false;
    g.edgeOverlay_.allocate();

    int overworldError = 0;
    const int overworldBytes =
        loadOverworld(g.world_.map, g.clock_, g.dataDir_, 1, &overworldError);
    // The game runs on with a blank or partly blank overworld, but says so.
    const std::string overworld = overworldPath(g.dataDir_, 1);
    if (const std::string problem = overworldProblem(overworld, overworldBytes, overworldError);
        !problem.empty())
        std::fprintf(stderr, "delve: warning: %s: %s\n", overworld.c_str(), problem.c_str());
    g.rng_.srand(g.seed_);
    // The generator tables made above are still empty: nothing has used them
    // yet, so they are not freed and made again.
    generateDungeon(g.world_, g.rng_, DungeonCentre, DungeonCentre, FirstWorkLayer, WorkLayerCount,
                    DungeonLevelSide, DungeonAttempts);
    stackDungeonLevels(g.world_.map);
    g.units_.selectedUnit = 1;
    placeHero(g.world_.map, g.units_, g.rng_);
    setViewOriginFromSelectedUnit(g);
    return true;
}

void toggleFullscreen(Game& g) {
    const bool on = !g.fullscreen_;
    if (g.platform_->setFullscreen(on)) g.fullscreen_ = on;
}

void handleWindowKeys(Game& g) {
    Shell& sh = g.shell_;
    // The window keys act once per press: a held key does not re-create
    // the window on every frame.
    for (int zoom = 1; zoom <= 4; ++zoom) {
        if (!g.input_.wasPressed(Vk::F1 + zoom - 1)) continue;
        destroyWindowAndContext(*g.platform_);
        sh.pixelZoom = zoom;
        if (!recreateWindow(g)) return;
    }
    // F11 and Alt+Enter: desktop full screen on or off.
    if (g.input_.wasPressed(Vk::F11) ||
        (g.input_.wasPressed(Vk::Enter) && g.input_.isHeld(Vk::Alt)))
        toggleFullscreen(g);
    // In full screen the window fills the screen and has nowhere to move.
    if (g.input_.isKeyDown(Vk::KeyM) && !g.fullscreen_) {
        int x = 0, y = 0;
        g.platform_->cursorScreenPosition(x, y);
        g.platform_->moveWindow(x, y, sh.screenWidth * sh.pixelZoom,
                                sh.screenHeight * sh.pixelZoom);
        g.platform_->showCursor(false);
    }
}

void scrollView(Game& g) {
    Shell& sh = g.shell_;
    const bool zUp = g.input_.isKeyDown(Vk::KeypadPlus);
    const bool zDown = g.input_.isKeyDown(Vk::KeypadMinus);
    if (zUp) g.clock_.sleep(380);
    if (zDown) g.clock_.sleep(380);
    const auto key = [&g](int vk) { return g.input_.isKeyDown(vk) ? 1 : 0; };
    sh.clampViewOrigin(ScrollOriginRange, LayerCount, key(Vk::Right) - key(Vk::Left),
                       key(Vk::Up) - key(Vk::Down), int(zUp) - int(zDown));
}

void runFrame(Game& g) {
    Shell& sh = g.shell_;
    beginFrame(*g.platform_, *g.renderer_, g.screen_);
    Game::Loop::drawViewAndTexts(g, Banner);
    if (g.console_.contestRequested != 0) {
        g.console_.contestRequested = 0;
        toggleContest(g);
        showConsoleMessage(g.console_, g.clock_,
                           g.contestMode_.active ? "contest on: click in the map to found members"
                                                 : "contest paused: type contest to go on");
    }
    if (g.console_.edgesRequested != 0) {
        g.console_.edgesRequested = 0;
        g.edgesShown_ = !g.edgesShown_;
    }
    if (g.contestMode_.showMap) {
        // A contest that was on when it was saved goes on in the map view.
        g.contestMode_.showMap = false;
        if (g.contestMode_.active && sh.screenWidth != 640)
            Game::Loop::switchScreenMode(g, 640, 480, 1);
    }
    if (g.contestMode_.active && Game::Loop::contestInMapView(g)) Game::Loop::drawContestStatus(g);

    // Move order: the right button in the map view sends the hero to the
    // cell under the cursor.
    if (g.input_.isKeyDown(Vk::RightButton) && sh.screenWidth == 640) {
        const long long cx = (long long)g.input_.cursorX(sh.screenWidth) / MapCellPixels + sh.SX;
        const long long cy = (long long)g.input_.cursorY(sh.screenHeight) / MapCellPixels + sh.SY;
        orderMove(g.units_, g.pathFinder_, HeroUnit, int(std::clamp(cx, -1LL << 30, 1LL << 30)),
                  int(std::clamp(cy, -1LL << 30, 1LL << 30)));
    }
    if (g.contestMode_.active) Game::Loop::contestTick(g);
    Game::Loop::movementTick(g);

    drawCursorCross(g.screen_, g.input_.cursorX(sh.screenWidth), g.input_.cursorY(sh.screenHeight));
    presentFrame(*g.platform_, *g.renderer_, g.screen_, sh.pixelZoom);
    // F12: one picture per press, of the frame just shown.
    if (g.input_.wasPressed(Vk::F12)) takeScreenshot(g);

    handleWindowKeys(g);
    scrollView(g);
    if (g.input_.isKeyDown(Vk::Escape)) sh.quitRequested = 1;
    if (g.input_.wasPressed(Vk::F5)) Game::Loop::switchScreenMode(g, 320, 240, 2);
    if (g.input_.wasPressed(Vk::F6)) Game::Loop::switchScreenMode(g, 640, 480, 1);
    if (g.input_.isKeyDown('1')) sh.movementInterval = 10.0f;
    if (g.input_.isKeyDown('2')) sh.movementInterval = 30.0f;
    if (g.input_.isKeyDown('3')) sh.movementInterval = 60.0f;
    Game::Loop::drainMessages(g);
    sh.frameCounter = nextFrameCount(sh.frameCounter);
}

void runProgressFrame(Game& g) {
    // Runs inside the main-loop frame that started the save or load.
    g.input_.beginProgressFrame();
    Game::Loop::drawViewAndTexts(g, ProgressBanner);
    g.input_.endProgressFrame();
    Game::Loop::movementTick(g);
    drawCursorCross(g.screen_, g.input_.cursorX(g.shell_.screenWidth),
                    g.input_.cursorY(g.shell_.screenHeight));
    Game::Loop::drainMessages(g);
    g.shell_.frameCounter = nextFrameCount(g.shell_.frameCounter);
}

void shutdownGame(Game& g) {
    destroyWindowAndContext(*g.platform_);
    g.screen_.release();
    g.types_.release();
    freeGeneratorTables(g.world_);
    g.trig_.release();
    releaseCommandStore(g.console_);
    g.edgeOverlay_.release();
}

void Game::ProgressHost::beginFrame() {
    delve::beginFrame(*game.platform_, *game.renderer_, game.screen_);
}
void Game::ProgressHost::runProgressFrame() { delve::runProgressFrame(game); }
void Game::ProgressHost::presentFrame() {
    delve::presentFrame(*game.platform_, *game.renderer_, game.screen_, game.shell_.pixelZoom);
}
std::vector<uint8_t> Game::ProgressHost::contestBytes() {
    return encodeContestSave(Game::Loop::contestSave(game));
}

bool Game::ProgressHost::contestReadable(const std::vector<uint8_t>& bytes) {
    ContestSave c;
    return decodeContestSave(bytes.data(), bytes.size(), c);
}

void Game::ProgressHost::restoreContest(const std::vector<uint8_t>* bytes) {
    Game::ContestMode& cm = game.contestMode_;
    ContestSave c;
    // A slot without a contest file (or saved before there was one) has no
    // contest: the contest is off and starts anew when typed.
    if (!bytes || !decodeContestSave(bytes->data(), bytes->size(), c)) c = ContestSave{};
    cm.contest.turnNumber = c.turnNumber;
    cm.active = c.active;
    cm.started = c.started;
    cm.winner = c.winner;
    cm.seed = c.seed;
    cm.rng.srand(c.rngState);
    if (c.started) {
        game.units_.partySize = c.partySize;
        game.units_.nextFreeUnit = c.nextFreeUnit;
    }
    cm.showMap = c.active;
    cm.message[0] = 0;
    if (cm.winner != 0) Game::Loop::describeEnd(game);
    else if (c.started)
        Game::Loop::setContestMessage(game, "Loaded contest at turn %d%s.", c.turnNumber,
                                      c.active ? "" : ", paused: type contest to go on");
}

void Game::ProgressHost::enableTexturingAndBlending() {
    if (!game.platform_->hasWindow()) return;
    game.renderer_->enableTexturingAndBlending();
}

} // namespace delve
