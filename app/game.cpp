#include "app/game.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>

#include "app/screenshot.h"
#include "app/window.h"
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
constexpr const char* Banner = "WIN32ZANTHOMIRKSPIREBITMAPWINDOWKELDRIMORSCREENR002";
constexpr const char* ProgressBanner = "WIN32ZANTHOMIRKSPIREBITMAPWINDOWKELDRIMORSCREENR001";
constexpr const char* CreditLines[3] = {
    "WORLD, PICTURES AND FONTS MADE BY THE DELVE DEVELOPERS.",
    "F5 FIRST-PERSON VIEW, F6 MAP VIEW, RIGHT BUTTON WALKS IN THE MAP.",
    "DELVE - A DUNGEON EXPLORER. TAB OPENS THE CONSOLE, ESC QUITS.",
};

// The drawn part of a frame: the view, the texts and the console.
void drawViewAndTexts(Game& g, const char* banner) {
    Shell& sh = g.shell;
    if (sh.screensaverMode == 1) {
        drawScreensaverView(g.screen, g.trig, g.rng, sh);
    } else {
        if (sh.screenWidth == 640)
            drawMapView(g.screen, g.text, g.pictures, g.world.map, g.units, g.pathFinder, g.trig,
                        sh);
        if (sh.screenWidth == 320 && g.platform->hasWindow()) {
            // The picture shows the camera as it stood when the frame began;
            // the hero walks and looks after it is drawn.
            drawFirstPersonView(g.firstPerson, g.screen, g.pictures, g.world.map, g.units, sh);
            updateHero(g.firstPerson.walk, g.world.map, g.units[HeroUnit], sh, g.input);
            mouseLook(g.firstPerson.walk, sh, g.input);
        }
    }

    g.text.set(banner);
    drawSmallText(g.screen, g.text, 12, g.shell.screenHeight - 14, 255, 255, 0);
    const int creditY[3] = {14, 23, 32};
    for (int i = 0; i < 3; ++i) {
        g.text.set(CreditLines[i]);
        drawSmallText(g.screen, g.text, 12, creditY[i], 255, 255, 0);
    }
    int mx = g.input.cursorX(g.shell.screenWidth);
    int my = g.input.cursorY(g.shell.screenHeight);
    g.text.format("SX=%d,SY=%d,SZ=%d mx=%d my=%d", g.shell.SX, g.shell.SY, g.shell.SZ, mx, my);
    drawLargeText(g.screen, g.text, 12, 46, 255, 255, 0);

    runConsole(g.console, g.input, g.clock, sh, g.screen, g.text, g.world.map, g.units,
               g.progressHost, g.saveDir);
}

// On every movement frame the walking units advance one cell.
void movementTick(Game& g) {
    int interval = int(g.shell.movementInterval);
    // A zero interval cannot come from the keys; treat it as every frame
    // rather than dividing by zero.
    if (interval != 0 && g.shell.frameCounter % interval != 0) return;
    PathWorld pw{g.world.map, g.world.marks, g.world.stepCosts, g.pathFinder};
    advanceUnits(pw, g.units);
}

// The contest's status line under the banner, in the small font.
void drawContestStatus(Game& g) {
    const Game::ContestMode& cm = g.contestMode;
    char line[sizeof g.text.text];
    int n = std::snprintf(line, sizeof line, "CONTEST TURN %d, %s", cm.contest.turnNumber,
                          phaseName(contestPhase(cm.contest.turnNumber)));
    const int party = std::clamp(g.units.partySize, 0, unitCapacity - 1);
    for (int k = 1; k <= party && n > 0 && size_t(n) < sizeof line; ++k) {
        const GroupStatus st = groupStatus(g.units, k);
        n += std::snprintf(line + n, sizeof line - size_t(n), "; G%d %d MEMBERS %d STOCK", k,
                           st.alive, st.stock);
    }
    if (cm.winner != 0 && n > 0 && size_t(n) < sizeof line)
        std::snprintf(line + n, sizeof line - size_t(n), "; WINNER G%d", cm.winner);
    // A dark strip keeps the line readable over any terrain.
    const int y = g.shell.screenHeight - 28;
    for (int row = y - 8; row <= y + 2; ++row)
        for (int x = 0; x < g.shell.screenWidth; ++x) plotPixel(g.screen, x, row, 0, 0, 0);
    g.text.set(line);
    drawSmallText(g.screen, g.text, 12, y, 255, 255, 255);
}

// After the move order, while the contest is on: one call of the turn rules.
void contestTick(Game& g) {
    Game::ContestMode& cm = g.contestMode;
    Shell& sh = g.shell;
    TurnInput in;
    in.leftButton = g.input.isKeyDown(Vk::LeftButton);
    for (int k = 0; k < ViewKeyCount; ++k) in.viewKey[k] = g.input.isKeyDown(Vk::Digit0 + 1 + k);
    in.cursorX = g.input.cursorX(sh.screenWidth);
    in.cursorY = g.input.cursorY(sh.screenHeight);
    ContestWorld cw{g.units, g.world.map, g.rng, g.clock, sh.SX, sh.SY, sh.SZ};
    const int winner = playExpansionTurn(cm.contest, cw, in);
    if (winner != 0) cm.winner = winner;
}

// Window creation with everything a new GL context needs.
int createGameWindow(Game& g) {
    int ok = createWindowAndContext(*g.platform, *g.renderer, g.pictures, WindowTitle,
                                    g.shell.screenWidth * g.shell.pixelZoom,
                                    g.shell.screenHeight * g.shell.pixelZoom);
    g.firstPerson.contextCreated();
    return ok;
}

// A loaded game may carry any counter; it wraps instead of overflowing.
int nextFrameCount(int frameCounter) { return int(uint32_t(frameCounter) + 1u); }

volatile std::sig_atomic_t quitSignal = 0;

extern "C" void onQuitSignal(int) { quitSignal = 1; }

volatile std::sig_atomic_t dumpSignal = 0;

extern "C" void onDumpSignal(int) { dumpSignal = 1; }

void drainMessages(Game& g) {
    if (quitSignal) g.shell.quitRequested = 1;
    for (;;) {
        Message m = g.platform->pumpOneMessage();
        if (m == Message::None) break;
        if (m == Message::Close) g.shell.quitRequested = 1;
    }
}

} // namespace

Game::Game(const Options& opts, std::unique_ptr<Platform> backend)
    : options(opts), clock(opts.fastClock), platform(std::move(backend)),
      renderer(makeRenderer()), input(*platform) {
    clock.setFramePace(framePace(opts));
    firstPerson.renderer = renderer.get();
}

std::string findSaveDir(const std::string& requested) {
    if (!requested.empty()) return requested;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/delve/map";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/delve/map";
}

void setScreenMode(Game& g, int width, int height) {
    g.shell.screenWidth = width;
    g.shell.screenHeight = height;
    g.screen.setMode(width, height);
}

int recreateWindow(Game& g) {
    int ok = createGameWindow(g);
    if (ok) {
        // A new window keeps the player's full screen.
        if (g.fullscreen && !g.platform->setFullscreen(true)) g.fullscreen = false;
        g.platform->showCursor(false);
    } else {
        // The error box has been shown; with no window no key can be read,
        // so the program ends after this frame instead of running blind.
        g.windowFailed = true;
        g.shell.quitRequested = 1;
    }
    return ok;
}

// F5, F6 and the contest: a new screen mode and zoom, in a new window.
static void switchScreenMode(Game& g, int width, int height, int zoom) {
    setScreenMode(g, width, height);
    g.shell.pixelZoom = zoom;
    destroyWindowAndContext(*g.platform);
    recreateWindow(g);
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
    Shell& sh = g.shell;
    int sel = g.units.selectedUnit;
    if (sel >= 0 && sel < unitCapacity) {
        const UnitRecord& u = g.units[sel];
        sh.SX = u.x;
        sh.SY = u.y;
        sh.SZ = u.z;
    }
    if (sh.SX < 1) sh.SX = 1;
    if (sh.SY < 1) sh.SY = 1;
    if (sh.SZ < 0) sh.SZ = 0;
    if (sh.SX > 255 - sh.screenWidth / MapCellPixels) sh.SX = 255 - sh.screenWidth / MapCellPixels;
    if (sh.SY > 255 - sh.screenHeight / MapCellPixels) sh.SY = 255 - sh.screenHeight / MapCellPixels;
    if (sh.SZ > LayerCount - 1) sh.SZ = LayerCount - 1;
}

void toggleContest(Game& g) {
    Game::ContestMode& cm = g.contestMode;
    if (cm.active) {
        cm.active = false;
        return;
    }
    if (!cm.started) {
        const uint32_t seed = g.options.haveSeed ? g.options.seed : uint32_t(std::time(nullptr));
        generatePartyAndMonsters(g.units, g.world.map, g.rng, seed);
        // The hero now leads group 1 on the overworld; a walk it had begun
        // in the dungeon would carry it along a path of another layer.
        g.units[HeroUnit].moveState = 0;
        g.pathFinder.pathStep[HeroUnit] = PathNone;
        cm.started = true;
    }
    if (g.shell.screenWidth != 640) switchScreenMode(g, 640, 480, 1);
    if (g.units.selectedUnit == 1) {
        setViewOriginFromSelectedUnit(g);
        g.shell.SZ = 0;
    }
    cm.active = true;
}

bool startGame(Game& g) {
    g.dataDir = findDataDir(g.options.dataDir);
    g.saveDir = findSaveDir(g.options.saveDir);
    g.seed = g.options.haveSeed ? g.options.seed : uint32_t(std::time(nullptr));

    setScreenMode(g, 320, 240);
    g.shell.pixelZoom = 2;

    // Tables and assets. The grid, marks, unit table and catalogue are
    // allocated zeroed with the Game itself.
    setScreenMode(g, g.shell.screenWidth, g.shell.screenHeight);
    g.types.allocate();
    g.pictureReport = loadAllBitmaps(g.pictures, g.dataDir);
    if (g.pictureReport.loaded == 0) return false;
    fillStepCostTable(g.world.stepCosts);
    allocateGeneratorTables(g.world);
    // The sine and cosine tables (3.6 million entries each) fill on a second
    // core while the window, the overworld and the levels are made; nothing
    // reads them before the first frame. The thread joins at the end of this
    // function, also on an early return or as it unwinds.
#ifdef __EMSCRIPTEN__
    g.trig.build(); // the browser build has no threads
#else
    std::jthread trigBuilder([&trig = g.trig] { trig.build(); });
#endif
    initCommandStore(g.console);
    initTypeDatabase(g.types);
    makeStartingObjects(g.types);
    g.units[HeroUnit].subX = g.units[HeroUnit].subY = g.units[HeroUnit].subZ = 0.5f;

    if (!recreateWindow(g)) return false;
    g.edgeOverlay.allocate();

    int overworldError = 0;
    loadOverworld(g.world.map, g.clock, g.dataDir, 1, &overworldError);
    // A missing overworld is allowed; one that is there but unusable is said.
    if (overworldError != 0 && overworldError != ENOENT)
        std::fprintf(stderr, "delve: warning: %s: %s\n", overworldPath(g.dataDir, 1).c_str(),
                     errorText(overworldError).c_str());
    g.rng.srand(g.seed);
    // The generator tables made above are still empty: nothing has used them
    // yet, so they are not freed and made again.
    generateDungeon(g.world, g.rng, 128, 128, 33, 9, 255, 2400);
    stackDungeonLevels(g.world.map);
    g.units.selectedUnit = 1;
    placeHero(g.world.map, g.units, g.rng);
    setViewOriginFromSelectedUnit(g);
#ifndef __EMSCRIPTEN__
    trigBuilder.join();
#endif
    return true;
}

void toggleFullscreen(Game& g) {
    const bool on = !g.fullscreen;
    if (g.platform->setFullscreen(on)) g.fullscreen = on;
}

void handleWindowKeys(Game& g) {
    Shell& sh = g.shell;
    // The window keys act once per press: a held key does not re-create
    // the window on every frame.
    for (int zoom = 1; zoom <= 4; ++zoom) {
        if (!g.input.wasPressed(Vk::F1 + zoom - 1)) continue;
        destroyWindowAndContext(*g.platform);
        sh.pixelZoom = zoom;
        if (!recreateWindow(g)) return;
    }
    // F11 and Alt+Enter: desktop full screen on or off.
    if (g.input.wasPressed(Vk::F11) || (g.input.wasPressed(Vk::Enter) && g.input.isHeld(Vk::Alt)))
        toggleFullscreen(g);
    // In full screen the window fills the screen and has nowhere to move.
    if (g.input.isKeyDown(Vk::KeyM) && !g.fullscreen) {
        int x = 0, y = 0;
        g.platform->cursorScreenPosition(x, y);
        g.platform->moveWindow(x, y, sh.screenWidth * sh.pixelZoom, sh.screenHeight * sh.pixelZoom);
        g.platform->showCursor(false);
    }
}

void scrollView(Game& g) {
    Shell& sh = g.shell;
    // Each step is taken in 64 bits and clamped before it returns to int,
    // so no origin (a loaded or typed one) can overflow.
    auto step = [](int v, bool up, bool down, long long lo, long long hi) {
        const long long w = std::clamp((long long)v + up - down, lo, hi);
        return int(w);
    };
    const bool zUp = g.input.isKeyDown(Vk::KeypadPlus);
    const bool zDown = g.input.isKeyDown(Vk::KeypadMinus);
    if (zUp) g.clock.sleep(380);
    if (zDown) g.clock.sleep(380);
    sh.SY = step(sh.SY, g.input.isKeyDown(Vk::Up), g.input.isKeyDown(Vk::Down), 0,
                 std::max(0, 256 - sh.screenHeight / MapCellPixels));
    sh.SX = step(sh.SX, g.input.isKeyDown(Vk::Right), g.input.isKeyDown(Vk::Left), 0,
                 std::max(0, 256 - sh.screenWidth / MapCellPixels));
    sh.SZ = step(sh.SZ, zUp, zDown, 0, LayerCount - 1);
}

void runFrame(Game& g) {
    Shell& sh = g.shell;
    beginFrame(*g.platform, *g.renderer, g.screen);
    drawViewAndTexts(g, Banner);
    if (g.console.contestRequested != 0) {
        g.console.contestRequested = 0;
        toggleContest(g);
        answerCommand(g.console, g.clock,
                      g.contestMode.active ? "contest on: click in the map to found members"
                                           : "contest paused: type contest to go on");
    }
    if (g.contestMode.active) drawContestStatus(g);

    // Move order: the right button in the map view sends the hero to the
    // cell under the cursor.
    if (g.input.isKeyDown(Vk::RightButton) && sh.screenWidth == 640) {
        const long long cx = (long long)g.input.cursorX(sh.screenWidth) / MapCellPixels + sh.SX;
        const long long cy = (long long)g.input.cursorY(sh.screenHeight) / MapCellPixels + sh.SY;
        orderMove(g.units, g.pathFinder, HeroUnit, int(std::clamp(cx, -1LL << 30, 1LL << 30)),
                  int(std::clamp(cy, -1LL << 30, 1LL << 30)));
    }
    if (g.contestMode.active) contestTick(g);
    movementTick(g);

    drawCursorCross(g.screen, g.input.cursorX(sh.screenWidth), g.input.cursorY(sh.screenHeight));
    presentFrame(*g.platform, *g.renderer, g.screen, sh.pixelZoom);
    // F12: one picture per press, of the frame just shown.
    if (g.input.wasPressed(Vk::F12)) takeScreenshot(g);

    handleWindowKeys(g);
    scrollView(g);
    if (g.input.isKeyDown(Vk::Escape)) sh.quitRequested = 1;
    if (g.input.wasPressed(Vk::F5)) switchScreenMode(g, 320, 240, 2);
    if (g.input.wasPressed(Vk::F6)) switchScreenMode(g, 640, 480, 1);
    if (g.input.isKeyDown('1')) sh.movementInterval = 10.0f;
    if (g.input.isKeyDown('2')) sh.movementInterval = 30.0f;
    if (g.input.isKeyDown('3')) sh.movementInterval = 60.0f;
    drainMessages(g);
    sh.frameCounter = nextFrameCount(sh.frameCounter);
}

void runProgressFrame(Game& g) {
    // Runs inside the main-loop frame that started the save or load.
    g.input.beginProgressFrame();
    drawViewAndTexts(g, ProgressBanner);
    g.input.endProgressFrame();
    movementTick(g);
    drawCursorCross(g.screen, g.input.cursorX(g.shell.screenWidth),
                    g.input.cursorY(g.shell.screenHeight));
    drainMessages(g);
    g.shell.frameCounter = nextFrameCount(g.shell.frameCounter);
}

void shutdownGame(Game& g) {
    destroyWindowAndContext(*g.platform);
    g.screen.release();
    g.types.release();
    freeGeneratorTables(g.world);
    g.trig.release();
    releaseCommandStore(g.console);
    g.edgeOverlay.release();
}

void Game::ProgressHost::beginFrame() {
    delve::beginFrame(*game.platform, *game.renderer, game.screen);
}
void Game::ProgressHost::runProgressFrame() { delve::runProgressFrame(game); }
void Game::ProgressHost::presentFrame() {
    delve::presentFrame(*game.platform, *game.renderer, game.screen, game.shell.pixelZoom);
}
void Game::ProgressHost::enableTexturingAndBlending() {
    if (!game.platform->hasWindow()) return;
    game.renderer->enableTexturingAndBlending();
}

} // namespace delve
