#include "app/game.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "app/screenshot.h"
#include "app/window.h"
#include "path/movement.h"
#include "views/map_view.h"
#include "views/screensaver.h"
#include <GL/gl.h>
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

std::string executableDir() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

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

// Window creation with everything a new GL context needs.
int createGameWindow(Game& g) {
    int ok = createWindowAndContext(*g.platform, g.pictures, WindowTitle,
                                    g.shell.screenWidth * g.shell.pixelZoom,
                                    g.shell.screenHeight * g.shell.pixelZoom);
    g.firstPerson.contextCreated();
    return ok;
}

// A loaded game may carry any counter; it wraps instead of overflowing.
int nextFrameCount(int frameCounter) { return int(uint32_t(frameCounter) + 1u); }

volatile std::sig_atomic_t quitSignal = 0;

extern "C" void onQuitSignal(int) { quitSignal = 1; }

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
    : options(opts), clock(opts.fastClock), platform(std::move(backend)), input(*platform) {}

std::string findDataDir(const std::string& requested) {
    namespace fs = std::filesystem;
    if (!requested.empty()) return requested;
    std::error_code ec;
    fs::path exe = executableDir();
    if (fs::is_directory(exe / "data", ec)) return (exe / "data").string();
    if (fs::is_directory(exe / ".." / "share" / "delve", ec))
        return (exe / ".." / "share" / "delve").lexically_normal().string();
    return ".";
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
        g.platform->showCursor(false);
    } else {
        // The error box has been shown; with no window no key can be read,
        // so the program ends after this frame instead of running blind.
        g.windowFailed = true;
        g.shell.quitRequested = 1;
    }
    return ok;
}

void installQuitSignals() {
    struct sigaction sa {};
    sa.sa_handler = onQuitSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
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

bool startGame(Game& g) {
    g.dataDir = findDataDir(g.options.dataDir);
    g.saveDir = findSaveDir(g.options.saveDir);
    g.seed = g.options.haveSeed ? g.options.seed : uint32_t(std::time(nullptr));

    setScreenMode(g, 320, 240);
    g.shell.pixelZoom = 2;

    // Tables and assets. The grid, marks, unit table and catalogue are
    // allocated zeroed with the Game itself.
    setScreenMode(g, g.shell.screenWidth, g.shell.screenHeight);
    loadAllBitmaps(g.pictures, g.dataDir);
    fillStepCostTable(g.world.stepCosts);
    allocateGeneratorTables(g.world);
    g.trig.build();
    initCommandStore(g.console);
    g.units[HeroUnit].subX = g.units[HeroUnit].subY = g.units[HeroUnit].subZ = 0.5f;

    if (!recreateWindow(g)) return false;
    g.edgeOverlay.allocate();

    loadOverworld(g.world.map, g.clock, g.dataDir, 1);
    g.rng.srand(g.seed);
    freeGeneratorTables(g.world);
    allocateGeneratorTables(g.world);
    generateDungeon(g.world, g.rng, 128, 128, 33, 9, 255, 2400);
    stackDungeonLevels(g.world.map);
    g.units.selectedUnit = 1;
    placeHero(g.world.map, g.units, g.rng);
    setViewOriginFromSelectedUnit(g);
    return true;
}

void handleWindowKeys(Game& g) {
    Shell& sh = g.shell;
    for (int zoom = 1; zoom <= 4; ++zoom) {
        if (!g.input.isKeyDown(Vk::F1 + zoom - 1)) continue;
        destroyWindowAndContext(*g.platform);
        sh.pixelZoom = zoom;
        if (!recreateWindow(g)) return;
    }
    if (g.input.isKeyDown(Vk::KeyM)) {
        int x = 0, y = 0;
        g.platform->cursorScreenPosition(x, y);
        g.platform->moveWindow(x, y, sh.screenWidth * sh.pixelZoom, sh.screenHeight * sh.pixelZoom);
        g.platform->showCursor(false);
    }
}

void scrollView(Game& g) {
    Shell& sh = g.shell;
    if (g.input.isKeyDown(Vk::Up)) sh.SY += 1;
    if (g.input.isKeyDown(Vk::Down)) sh.SY -= 1;
    if (g.input.isKeyDown(Vk::Right)) sh.SX += 1;
    if (g.input.isKeyDown(Vk::Left)) sh.SX -= 1;
    if (g.input.isKeyDown(Vk::KeypadPlus)) {
        sh.SZ += 1;
        g.clock.sleep(380);
    }
    if (g.input.isKeyDown(Vk::KeypadMinus)) {
        sh.SZ -= 1;
        g.clock.sleep(380);
    }
    if (sh.SY > 256 - sh.screenHeight / MapCellPixels) sh.SY = 256 - sh.screenHeight / MapCellPixels;
    if (sh.SY < 0) sh.SY = 0;
    if (sh.SX > 256 - sh.screenWidth / MapCellPixels) sh.SX = 256 - sh.screenWidth / MapCellPixels;
    if (sh.SX < 0) sh.SX = 0;
    if (sh.SZ > LayerCount - 1) sh.SZ = LayerCount - 1;
    if (sh.SZ < 0) sh.SZ = 0;
}

void runFrame(Game& g) {
    Shell& sh = g.shell;
    beginFrame(*g.platform, g.screen);
    drawViewAndTexts(g, Banner);

    // Move order: the right button in the map view sends the hero to the
    // cell under the cursor.
    if (g.input.isKeyDown(Vk::RightButton) && sh.screenWidth == 640) {
        orderMove(g.units, g.pathFinder, 1, g.input.cursorX(sh.screenWidth) / MapCellPixels + sh.SX,
                  g.input.cursorY(sh.screenHeight) / MapCellPixels + sh.SY);
    }
    movementTick(g);

    drawCursorCross(g.screen, g.input.cursorX(sh.screenWidth), g.input.cursorY(sh.screenHeight));
    presentFrame(*g.platform, g.screen, sh.pixelZoom);
    // F12: one picture per press, of the frame just shown.
    const bool screenshotKey = g.input.isKeyDown(Vk::F12);
    if (screenshotKey && !g.screenshotKeyHeld) takeScreenshot(g);
    g.screenshotKeyHeld = screenshotKey;

    handleWindowKeys(g);
    scrollView(g);
    if (g.input.isKeyDown(Vk::Escape)) sh.quitRequested = 1;
    if (g.input.isKeyDown(Vk::F5)) {
        setScreenMode(g, 320, 240);
        sh.pixelZoom = 2;
        destroyWindowAndContext(*g.platform);
        recreateWindow(g);
    }
    if (g.input.isKeyDown(Vk::F6)) {
        setScreenMode(g, 640, 480);
        sh.pixelZoom = 1;
        destroyWindowAndContext(*g.platform);
        recreateWindow(g);
    }
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
    freeGeneratorTables(g.world);
    g.trig.release();
    releaseCommandStore(g.console);
    g.edgeOverlay.release();
}

void Game::ProgressHost::beginFrame() { delve::beginFrame(*game.platform, game.screen); }
void Game::ProgressHost::runProgressFrame() { delve::runProgressFrame(game); }
void Game::ProgressHost::presentFrame() {
    delve::presentFrame(*game.platform, game.screen, game.shell.pixelZoom);
}
void Game::ProgressHost::enableTexturingAndBlending() {
    if (!game.platform->hasWindow()) return;
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
}

} // namespace delve
