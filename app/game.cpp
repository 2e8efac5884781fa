#include "app/game.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

// The party size a new contest starts with.
constexpr int StartingPartySize = 3;

volatile std::sig_atomic_t quitSignal = 0;

extern "C" void onQuitSignal(int) { quitSignal = 1; }

volatile std::sig_atomic_t dumpSignal = 0;

extern "C" void onDumpSignal(int) { dumpSignal = 1; }

} // namespace

// The steps of the frame loop that work on the game's own state.
struct Game::Loop {
    // The drawn part of a frame: the view, the texts and the console.
    static void drawViewAndTexts(Game& g, const char* banner) {
        Shell& sh = g.parts_->shell;
        if (sh.screensaverMode == 1) {
            drawScreensaverView(g.parts_->screen, g.parts_->trig, g.parts_->rng, sh);
        } else {
            if (sh.viewMode() == ViewMode::Map) {
                MapCellTint tint;
                const bool marked = g.parts_->contest.foundingTint(g.parts_->units, sh, tint);
                drawMapView(g.parts_->screen, g.parts_->text, g.parts_->pictures, g.parts_->world.map, g.parts_->units, g.parts_->pathFinder,
                            g.parts_->trig, sh, marked ? &tint : nullptr);
                if (g.parts_->contest.started) g.parts_->contest.drawGroupFrames(g.parts_->screen, g.parts_->units, sh);
            }
            if (sh.viewMode() == ViewMode::FirstPerson && g.platform_->hasWindow()) {
                // The picture shows the camera as it stood when the frame began;
                // the hero walks and looks after it is drawn.
                drawFirstPersonView(g.parts_->firstPerson, g.parts_->screen, g.parts_->pictures, g.parts_->world.map, g.parts_->units,
                                    sh);
                // The overlay reads the depth of the picture just rendered and
                // uses the same camera, so it comes before the hero moves.
                if (g.parts_->edgesShown) {
                    captureEdgeOverlay(g.parts_->edgeOverlay, g.parts_->units, sh, g.parts_->firstPerson);
                    drawCellEdges(g.parts_->edgeOverlay, g.parts_->screen, g.parts_->world.map, g.parts_->units, sh,
                                  g.parts_->firstPerson);
                }
                updateHero(g.parts_->firstPerson.walk, g.parts_->world.map, g.parts_->units[HeroUnit], sh, g.input_);
                mouseLook(g.parts_->firstPerson.walk, sh, g.input_);
            }
        }

        g.parts_->text.set(banner);
        drawSmallText(g.parts_->screen, g.parts_->text, 12, g.parts_->shell.screenHeight - 14, 255, 255, 0);
        const int creditY[3] = {14, 23, 32};
        for (int i = 0; i < 3; ++i) {
            g.parts_->text.set(CreditLines[i]);
            drawSmallText(g.parts_->screen, g.parts_->text, 12, creditY[i], 255, 255, 0);
        }
        int mx = g.input_.cursorX(g.parts_->shell.screenWidth);
        int my = g.input_.cursorY(g.parts_->shell.screenHeight);
        g.parts_->text.format("SX=%d,SY=%d,SZ=%d mx=%d my=%d", g.parts_->shell.SX, g.parts_->shell.SY, g.parts_->shell.SZ, mx,
                       my);
        drawLargeText(g.parts_->screen, g.parts_->text, 12, 46, 255, 255, 0);

        runConsole(g.parts_->console, g.input_, g.clock_, sh, g.parts_->screen, g.parts_->text, g.parts_->world.map, g.parts_->units,
                   g.progressHost_, g.saveDir_);
    }

    // On every movement frame the walking units advance one cell.
    static void movementTick(Game& g) {
        int interval = int(g.parts_->shell.movementInterval);
        // A zero interval cannot come from the keys; treat it as every frame
        // rather than dividing by zero.
        if (interval != 0 && g.parts_->shell.frameCounter % interval != 0) return;
        PathWorld pw{g.parts_->world.map, g.parts_->world.marks, g.parts_->world.stepCosts, g.parts_->pathFinder};
        advanceUnits(pw, g.parts_->units);
    }

    // Window creation with everything a new GL context needs.
    static int createGameWindow(Game& g) {
        int ok = createWindowAndContext(*g.platform_, *g.renderer_, g.parts_->pictures, WindowTitle,
                                        g.parts_->shell.screenWidth * g.parts_->shell.pixelZoom,
                                        g.parts_->shell.screenHeight * g.parts_->shell.pixelZoom);
        g.parts_->firstPerson.contextCreated();
        return ok;
    }

    static void drainMessages(Game& g) {
        if (quitSignal) g.parts_->shell.quitRequested = 1;
        for (;;) {
            Message m = g.platform_->pumpOneMessage();
            if (m == Message::None) break;
            if (m == Message::Close) g.parts_->shell.quitRequested = 1;
        }
    }

    static void toggleFullscreen(Game& g) {
        const bool on = !g.fullscreen_;
        if (g.platform_->setFullscreen(on)) g.fullscreen_ = on;
    }

    // F5, F6 and the contest: the mode's screen size and zoom, in a new window.
    static void switchViewMode(Game& g, ViewMode mode) {
        const ScreenModeSize size = screenModeSize(mode);
        setScreenMode(g, size.width, size.height);
        g.parts_->shell.pixelZoom = size.pixelZoom;
        destroyWindowAndContext(*g.platform_);
        recreateWindow(g);
    }

    static void setScreenMode(Game& g, int width, int height);
    // Creates the window at the current mode and scale, then hides the cursor.
    static int recreateWindow(Game& g);
    static void handleWindowKeys(Game& g);
    // The reduced frame drawn between the stages of a save or load.
    static void runProgressFrame(Game& g);

    // The console commands that act on the game. "contest" switches the
    // screen mode, so it runs after the console step has drawn.
    static void addConsoleCommands(Game& g) {
        ConsoleCommands& commands = g.parts_->console.commands;
        ConsoleCommand contest;
        contest.words = "contest";
        contest.help = "contest (starts, pauses, goes on)";
        contest.time = CommandTime::AfterConsoleStep;
        contest.handler = [&g](const CommandCall& call) {
            toggleContest(g);
            call.answer(g.parts_->contest.active ? "contest on: click in the map to found members"
                                                 : "contest paused: type contest to go on");
        };
        commands.addCommand(contest);
        ConsoleCommand fresh;
        fresh.words = "contest new";
        fresh.wordCount = 2;
        fresh.help = "contest new (drops the contest under way)";
        fresh.time = CommandTime::AfterConsoleStep;
        fresh.handler = [&g](const CommandCall& call) {
            startContestAfresh(g);
            call.answer("contest new: a fresh contest is on; click in the map to found members");
        };
        commands.addCommand(fresh);
        // Founding counts only members on the overworld: a hero taken off it
        // would leave group 1 unable to found, and the contest stuck.
        commands.guard("env4teleport", "env4teleport X Y Z (not in a contest)",
                       [&g]() -> const char* {
            const ContestMode& cm = g.parts_->contest;
            return cm.started && cm.winner == 0 ? "env4teleport: refused while the contest is on "
                                                  "(the hero stays on the overworld)"
                                                : nullptr;
        });
        ConsoleCommand edges;
        edges.words = "edges";
        edges.help = "edges";
        edges.handler = [&g](const CommandCall& call) {
            call.answer("edges: cell edge overlay switched");
            g.parts_->edgesShown = !g.parts_->edgesShown;
        };
        commands.addCommand(edges);
    }
};

Game::Game(const Options& opts, std::unique_ptr<Platform> backend,
           std::unique_ptr<Renderer> renderer, std::unique_ptr<GameParts> parts)
    : options_(opts), clock_(opts.fastClock), platform_(std::move(backend)),
      renderer_(std::move(renderer)), input_(*platform_),
      parts_(parts ? std::move(parts) : std::make_unique<GameParts>()) {
    clock_.setFramePace(framePace(opts));
    parts_->firstPerson.renderer = renderer_.get();
}

int Game::startRecording(const std::string& path) {
    if (int err = recorder_.open(path, seed_, clock_.framePace())) return err;
    input_.recordTo(&recorder_);
    return 0;
}

int Game::finishRecording() { return recorder_.finish(framesRun_); }

ConsoleContext Game::consoleContext() {
    return ConsoleContext{input_,           clock_,        parts_->shell, parts_->screen,
                          parts_->text,     parts_->world.map, parts_->units, progressHost_,
                          saveDir_};
}

SlotResult Game::saveSlot(int slot) { return saveGame(parts_->console, consoleContext(), slot); }

SlotResult Game::loadSlot(int slot) { return loadGame(parts_->console, consoleContext(), slot); }

StoppedGame stopGame(std::unique_ptr<Game> g) {
    return StoppedGame{std::move(g->parts_), std::move(g->platform_), std::move(g->renderer_)};
}

std::string findSaveDir(const std::string& requested) {
    if (!requested.empty()) return requested;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/delve/map";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/delve/map";
}

void Game::Loop::setScreenMode(Game& g, int width, int height) {
    g.parts_->shell.screenWidth = width;
    g.parts_->shell.screenHeight = height;
    g.parts_->screen.setMode(width, height);
}

int Game::Loop::recreateWindow(Game& g) {
    int ok = Game::Loop::createGameWindow(g);
    if (ok) {
        // A new window keeps the player's full screen.
        if (g.fullscreen_ && !g.platform_->setFullscreen(true)) g.fullscreen_ = false;
        g.platform_->showCursor(false);
    } else {
        // The error box has been shown; with no window no key can be read,
        // so the program ends after this frame instead of running blind.
        g.windowFailed_ = true;
        g.parts_->shell.quitRequested = 1;
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

void setViewOriginFromSelectedUnit(Shell& sh, const Units& units) {
    int sel = units.selectedUnit;
    if (sel >= 0 && sel < unitCapacity) {
        const UnitRecord& u = units[sel];
        sh.SX = u.x;
        sh.SY = u.y;
        sh.SZ = u.z;
    }
    sh.clampViewOrigin(StartOriginRange, LayerCount);
}

void toggleContest(Game& g) {
    ContestMode& cm = g.parts_->contest;
    if (cm.active && cm.winner == 0) {
        cm.active = false;
        cm.setMessage(ContestNews::Progress, "Contest paused at turn %d. Type contest to go on.",
                      cm.contest.turnNumber);
        return;
    }
    if (!cm.started || cm.winner != 0)
        cm.startNew(g.parts_->units, g.parts_->world.map, g.parts_->pathFinder, g.seed_, g.parts_->shell.frameCounter);
    else cm.setMessage(ContestNews::Progress, "Contest resumed at turn %d.", cm.contest.turnNumber);
    if (g.parts_->shell.viewMode() != ViewMode::Map) Game::Loop::switchViewMode(g, ViewMode::Map);
    const UnitRecord& leader = g.parts_->units[1];
    const ViewOrigin v = centredViewOrigin(leader.x, leader.y, leader.z,
                                           g.parts_->shell.screenWidth / MapCellPixels,
                                           g.parts_->shell.screenHeight / MapCellPixels);
    g.parts_->shell.SX = v.SX;
    g.parts_->shell.SY = v.SY;
    g.parts_->shell.SZ = v.SZ;
    cm.active = true;
}

void startContestAfresh(Game& g) {
    // The contest under way is dropped, whatever its state, and the new one
    // starts from the first set-up: three groups.
    ContestMode& cm = g.parts_->contest;
    g.parts_->units.partySize = StartingPartySize;
    // toggleContest starts a new contest in place of a decided one: the one
    // under way ends here, unpaused, as a draw.
    cm.active = false;
    if (cm.started) cm.winner = ContestDraw;
    toggleContest(g);
}

bool startGame(Game& g) {
    g.dataDir_ = findDataDir(g.options_.dataDir);
    g.saveDir_ = findSaveDir(g.options_.saveDir);
    g.seed_ = g.options_.haveSeed ? g.options_.seed : uint32_t(std::time(nullptr));
    // Handed-in parts that start-up already filled go on in the window the
    // platform has, or in a new one.
    if (g.parts_->started) return g.platform_->hasWindow() || Game::Loop::recreateWindow(g);

    Game::Loop::setScreenMode(g, FirstPersonModeSize.width, FirstPersonModeSize.height);
    g.parts_->shell.pixelZoom = g.options_.windowScale;
    // A remembered full screen is put on the new window as F11 puts it.
    g.fullscreen_ = g.options_.fullscreen;

    // Tables and assets. The grid, marks, unit table and catalogue are
    // allocated zeroed with the Game itself.
    Game::Loop::setScreenMode(g, g.parts_->shell.screenWidth, g.parts_->shell.screenHeight);
    g.parts_->types.allocate();
    if (g.dataDir_.empty()) return false; // no data folder anywhere
    g.parts_->pictureReport = loadAllBitmaps(g.parts_->pictures, g.dataDir_);
    if (g.parts_->pictureReport.loaded == 0) return false;
    fillStepCostTable(g.parts_->world.stepCosts);
    allocateGeneratorTables(g.parts_->world);
    // The sine and cosine tables are made here; each page of them is
    // computed when a circle first reads it.
    g.parts_->trig.build();
    initCommandStore(g.parts_->console);
    Game::Loop::addConsoleCommands(g);
    initTypeDatabase(g.parts_->types);
    makeStartingObjects(g.parts_->types);
    g.parts_->units[HeroUnit].subX = g.parts_->units[HeroUnit].subY = g.parts_->units[HeroUnit].subZ = 0.5f;

    if (!Game::Loop::recreateWindow(g)) return false;
    g.parts_->edgeOverlay.allocate();

    int overworldError = 0;
    const int overworldBytes =
        loadOverworld(g.parts_->world.map, g.clock_, g.dataDir_, 1, &overworldError);
    // The game runs on with a blank or partly blank overworld, but says so.
    const std::string overworld = overworldPath(g.dataDir_, 1);
    if (const std::string problem = overworldProblem(overworld, overworldBytes, overworldError);
        !problem.empty())
        std::fprintf(stderr, "delve: warning: %s: %s\n", overworld.c_str(), problem.c_str());
    g.parts_->rng.srand(g.seed_);
    // The generator tables made above are still empty: nothing has used them
    // yet, so they are not freed and made again.
    generateDungeon(g.parts_->world, g.parts_->rng, DungeonCentre, DungeonCentre, FirstWorkLayer, WorkLayerCount,
                    DungeonLevelSide, DungeonAttempts);
    stackDungeonLevels(g.parts_->world.map);
    g.parts_->units.selectedUnit = 1;
    placeHero(g.parts_->world.map, g.parts_->units, g.parts_->rng);
    setViewOriginFromSelectedUnit(g.parts_->shell, g.parts_->units);
    g.parts_->started = true;
    return true;
}

void Game::Loop::handleWindowKeys(Game& g) {
    Shell& sh = g.parts_->shell;
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
        Game::Loop::toggleFullscreen(g);
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
    Shell& sh = g.parts_->shell;
    const bool zUp = g.input_.isKeyDown(Vk::KeypadPlus);
    const bool zDown = g.input_.isKeyDown(Vk::KeypadMinus);
    if (zUp) g.clock_.sleep(380);
    if (zDown) g.clock_.sleep(380);
    const auto key = [&g](int vk) { return g.input_.isKeyDown(vk) ? 1 : 0; };
    sh.clampViewOrigin(ScrollOriginRange, LayerCount, key(Vk::Right) - key(Vk::Left),
                       key(Vk::Up) - key(Vk::Down), int(zUp) - int(zDown));
}

void runFrame(Game& g) {
    Shell& sh = g.parts_->shell;
    beginFrame(*g.platform_, *g.renderer_, g.parts_->screen);
    Game::Loop::drawViewAndTexts(g, Banner);
    if (g.parts_->contest.showMap) {
        // A contest that was on when it was saved goes on in the map view.
        g.parts_->contest.showMap = false;
        if (g.parts_->contest.active && sh.viewMode() != ViewMode::Map)
            Game::Loop::switchViewMode(g, ViewMode::Map);
    }
    if (g.parts_->contest.active && contestInMapView(sh))
        g.parts_->contest.drawStatus(g.parts_->screen, g.parts_->text, g.parts_->units, sh);

    // Move order: the right button in the map view sends the hero to the
    // cell under the cursor.
    if (g.input_.isKeyDown(Vk::RightButton) && sh.viewMode() == ViewMode::Map) {
        const long long cx = (long long)g.input_.cursorX(sh.screenWidth) / MapCellPixels + sh.SX;
        const long long cy = (long long)g.input_.cursorY(sh.screenHeight) / MapCellPixels + sh.SY;
        orderMove(g.parts_->units, g.parts_->pathFinder, HeroUnit, int(std::clamp(cx, -1LL << 30, 1LL << 30)),
                  int(std::clamp(cy, -1LL << 30, 1LL << 30)));
    }
    if (g.parts_->contest.active)
        g.parts_->contest.playFrame(g.parts_->units, g.parts_->world.map, g.clock_, sh, g.input_);
    Game::Loop::movementTick(g);

    drawCursorCross(g.parts_->screen, g.input_.cursorX(sh.screenWidth), g.input_.cursorY(sh.screenHeight));
    presentFrame(*g.platform_, *g.renderer_, g.parts_->screen, sh.pixelZoom);
    // F12's picture and --screenshot's, of the frame just shown, before the
    // keys below can make the buffers and the window anew.
    takeFrameScreenshots(g);

    Game::Loop::handleWindowKeys(g);
    scrollView(g);
    if (g.input_.isKeyDown(Vk::Escape) && !consoleTookEscape(g.parts_->console)) sh.quitRequested = 1;
    if (g.input_.wasPressed(Vk::F5)) Game::Loop::switchViewMode(g, ViewMode::FirstPerson);
    if (g.input_.wasPressed(Vk::F6)) Game::Loop::switchViewMode(g, ViewMode::Map);
    if (g.input_.isKeyDown('1')) sh.movementInterval = 10.0f;
    if (g.input_.isKeyDown('2')) sh.movementInterval = 30.0f;
    if (g.input_.isKeyDown('3')) sh.movementInterval = 60.0f;
    Game::Loop::drainMessages(g);
    sh.countFrame();
}

void Game::Loop::runProgressFrame(Game& g) {
    // Runs inside the main-loop frame that started the save or load.
    g.input_.beginProgressFrame();
    Game::Loop::drawViewAndTexts(g, ProgressBanner);
    g.input_.endProgressFrame();
    Game::Loop::movementTick(g);
    drawCursorCross(g.parts_->screen, g.input_.cursorX(g.parts_->shell.screenWidth),
                    g.input_.cursorY(g.parts_->shell.screenHeight));
    Game::Loop::drainMessages(g);
    g.parts_->shell.countFrame();
}

void shutdownGame(Game& g) {
    destroyWindowAndContext(*g.platform_);
    g.parts_->screen.release();
    g.parts_->types.release();
    freeGeneratorTables(g.parts_->world);
    g.parts_->trig.release();
    releaseCommandStore(g.parts_->console);
    g.parts_->edgeOverlay.release();
}

void Game::ProgressHost::beginFrame(ProgressStage stage) {
    // From the unit stage on, a present blends the framebuffer over the
    // window's picture (until the next rock cube turns blending off).
    if (stage == ProgressStage::Units && game.platform_->hasWindow())
        game.renderer_->enableTexturingAndBlending();
    delve::beginFrame(*game.platform_, *game.renderer_, game.parts_->screen);
}
void Game::ProgressHost::runProgressFrame() { Game::Loop::runProgressFrame(game); }
void Game::ProgressHost::presentFrame() {
    delve::presentFrame(*game.platform_, *game.renderer_, game.parts_->screen, game.parts_->shell.pixelZoom);
}
std::optional<ContestSave> Game::ProgressHost::contestToSave() {
    return game.parts_->contest.saved(game.parts_->units);
}

void Game::ProgressHost::restoreContest(const ContestSave* loaded) {
    static_assert(ContestDraw == SavedContestDraw);
    game.parts_->contest.restore(game.parts_->units, loaded);
}

} // namespace delve
