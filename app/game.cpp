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

// A loaded game may carry any counter; it wraps instead of overflowing.
int nextFrameCount(int frameCounter) { return int(uint32_t(frameCounter) + 1u); }

volatile std::sig_atomic_t quitSignal = 0;

extern "C" void onQuitSignal(int) { quitSignal = 1; }

volatile std::sig_atomic_t dumpSignal = 0;

extern "C" void onDumpSignal(int) { dumpSignal = 1; }

} // namespace

// The steps of the frame loop that work on the game's own state.
struct Game::Loop {
    // The drawn part of a frame: the view, the texts and the console.
    static void drawViewAndTexts(Game& g, const char* banner) {
        Shell& sh = g.shell_;
        if (sh.screensaverMode == 1) {
            drawScreensaverView(g.screen_, g.trig_, g.rng_, sh);
        } else {
            if (sh.viewMode() == ViewMode::Map) {
                MapCellTint tint;
                const bool marked = g.contestMode_.foundingTint(g.units_, sh, tint);
                drawMapView(g.screen_, g.text_, g.pictures_, g.world_.map, g.units_, g.pathFinder_,
                            g.trig_, sh, marked ? &tint : nullptr);
                if (g.contestMode_.started) g.contestMode_.drawGroupFrames(g.screen_, g.units_, sh);
            }
            if (sh.viewMode() == ViewMode::FirstPerson && g.platform_->hasWindow()) {
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

    // F5, F6 and the contest: the mode's screen size and zoom, in a new window.
    static void switchViewMode(Game& g, ViewMode mode) {
        const ScreenModeSize size = screenModeSize(mode);
        setScreenMode(g, size.width, size.height);
        g.shell_.pixelZoom = size.pixelZoom;
        destroyWindowAndContext(*g.platform_);
        recreateWindow(g);
    }
};

Game::Game(const Options& opts, std::unique_ptr<Platform> backend)
    : options_(opts), clock_(opts.fastClock), platform_(std::move(backend)),
      renderer_(makeRenderer()), input_(*platform_) {
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

void toggleContest(Game& g) {
    ContestMode& cm = g.contestMode_;
    if (cm.active && cm.winner == 0) {
        cm.active = false;
        cm.setMessage(ContestNews::Progress, "Contest paused at turn %d. Type contest to go on.",
                      cm.contest.turnNumber);
        return;
    }
    if (!cm.started || cm.winner != 0)
        cm.startNew(g.units_, g.world_.map, g.pathFinder_, g.seed_, g.shell_.frameCounter);
    else cm.setMessage(ContestNews::Progress, "Contest resumed at turn %d.", cm.contest.turnNumber);
    if (g.shell_.viewMode() != ViewMode::Map) Game::Loop::switchViewMode(g, ViewMode::Map);
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

    setScreenMode(g, FirstPersonModeSize.width, FirstPersonModeSize.height);
    g.shell_.pixelZoom = FirstPersonModeSize.pixelZoom;

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
        if (g.contestMode_.active && sh.viewMode() != ViewMode::Map)
            Game::Loop::switchViewMode(g, ViewMode::Map);
    }
    if (g.contestMode_.active && contestInMapView(sh))
        g.contestMode_.drawStatus(g.screen_, g.text_, g.units_, sh);

    // Move order: the right button in the map view sends the hero to the
    // cell under the cursor.
    if (g.input_.isKeyDown(Vk::RightButton) && sh.viewMode() == ViewMode::Map) {
        const long long cx = (long long)g.input_.cursorX(sh.screenWidth) / MapCellPixels + sh.SX;
        const long long cy = (long long)g.input_.cursorY(sh.screenHeight) / MapCellPixels + sh.SY;
        orderMove(g.units_, g.pathFinder_, HeroUnit, int(std::clamp(cx, -1LL << 30, 1LL << 30)),
                  int(std::clamp(cy, -1LL << 30, 1LL << 30)));
    }
    if (g.contestMode_.active)
        g.contestMode_.playFrame(g.units_, g.world_.map, g.clock_, sh, g.input_);
    Game::Loop::movementTick(g);

    drawCursorCross(g.screen_, g.input_.cursorX(sh.screenWidth), g.input_.cursorY(sh.screenHeight));
    presentFrame(*g.platform_, *g.renderer_, g.screen_, sh.pixelZoom);
    // F12: one picture per press, of the frame just shown.
    if (g.input_.wasPressed(Vk::F12)) takeScreenshot(g);

    handleWindowKeys(g);
    scrollView(g);
    if (g.input_.isKeyDown(Vk::Escape)) sh.quitRequested = 1;
    if (g.input_.wasPressed(Vk::F5)) Game::Loop::switchViewMode(g, ViewMode::FirstPerson);
    if (g.input_.wasPressed(Vk::F6)) Game::Loop::switchViewMode(g, ViewMode::Map);
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
    return encodeContestSave(game.contestMode_.saved(game.units_));
}

bool Game::ProgressHost::contestReadable(const std::vector<uint8_t>& bytes) {
    ContestSave c;
    return decodeContestSave(bytes.data(), bytes.size(), c);
}

void Game::ProgressHost::restoreContest(const std::vector<uint8_t>* bytes) {
    game.contestMode_.restore(game.units_, bytes);
}

void Game::ProgressHost::enableTexturingAndBlending() {
    if (!game.platform_->hasWindow()) return;
    game.renderer_->enableTexturingAndBlending();
}

} // namespace delve
