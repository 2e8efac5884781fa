#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/options.h"
#include "platform/shell.h"
#include "console/console.h"
#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"
#include "gfx/renderers/renderers.h"
#include "gfx/text.h"
#include "platform/clock.h"
#include "platform/data_dir.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "platform/rng.h"
#include "path/path_finder.h"
#include "rules/contest.h"
#include "rules/object_types.h"
#include "units/unit_record.h"
#include "views/edge_overlay.h"
#include "views/first_person.h"
#include "world/world.h"

namespace delve {

// Everything the running program keeps for the whole process, gathered in
// one place and passed explicitly to the subsystems that need each part.
struct Game {
    Options options;
    std::string dataDir;
    std::string saveDir;
    uint32_t seed = 0;

    Clock clock;
    Rng rng;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<Renderer> renderer; // made by the build's renderer factory
    Input input;

    Shell shell;
    Screen screen;
    TrigTables trig;
    TextBuffer text;
    BitmapCatalogue pictures;
    World world;
    Units units;
    PathFinder pathFinder;
    FirstPersonView firstPerson;
    EdgeOverlay edgeOverlay;
    bool edgesShown = false; // the "edges" command: lattice lines over the first-person view
    ConsoleState console;
    // Save and load draw their progress screens through the shell's frame.
    struct ProgressHost final : FrameHost {
        Game& game;
        explicit ProgressHost(Game& g) : game(g) {}
        void beginFrame() override;
        void runProgressFrame() override;
        void presentFrame() override;
        void enableTexturingAndBlending() override;
        std::vector<uint8_t> contestBytes() override;
        bool contestReadable(const std::vector<uint8_t>& bytes) override;
        void restoreContest(const std::vector<uint8_t>* bytes) override;
    } progressHost{*this};

    int framesRun = 0; // frames of the main loop (not progress frames)
    PictureReport pictureReport; // what start-up found in the data folder
    int screenshotsWritten = 0;
    int screenshotsFailed = 0;

    TypeDatabase types;
    // The party contest, started by the "contest" console command.
    struct ContestMode {
        Contest contest;
        Rng rng;              // the contest's own random numbers, saved with it
        uint32_t seed = 0;    // what its party was generated from
        bool active = false;  // in the map view a left click plays a turn
        bool started = false; // the party and monsters have been generated
        int winner = 0;       // the only leader left, ContestDraw, or 0 while it goes on
        bool showMap = false; // a loaded contest that is on opens the map view
        char message[96] = {}; // the status line's last message
        // The cells of the view a click would found a member on.
        std::vector<uint8_t> foundingMarks = std::vector<uint8_t>(size_t(40 * 30));
    } contestMode;
    // Set when a window could not be made (the error box has been shown):
    // nothing could be seen or read any more, so the program ends with a
    // failure status.
    bool windowFailed = false;
    InputRecorder recorder; // --record
    bool fullscreen = false; // F11 / Alt+Enter: desktop full screen

    Game(const Options& opts, std::unique_ptr<Platform> backend);
};

// Start-up up to the first frame: tables, pictures, window, world, hero.
// Returns false when the data folder holds no picture at all (before any
// window is made: the game would be an empty screen), or when the window
// could not be made (windowFailed; the error box has been shown).
bool startGame(Game& g);
// One frame of the main loop.
void runFrame(Game& g);
// The reduced frame drawn between the stages of a save or load.
void runProgressFrame(Game& g);
// Runs frames until Escape, the close message, SIGINT or SIGTERM, the
// frame limit, or a window that could not be re-created.
void runMainLoop(Game& g);
// SIGINT and SIGTERM from now on end the program as the close message does;
// SIGUSR1 asks for the state dump (--dump-state) at the end of the frame.
void installQuitSignals();
// True once after each SIGUSR1.
bool takeStateDumpRequest();
void shutdownGame(Game& g);

void setScreenMode(Game& g, int width, int height);
// Creates the window at the current mode and scale, then hides the cursor.
int recreateWindow(Game& g);
void handleWindowKeys(Game& g);
// Desktop full screen on or off (F11, Alt+Enter).
void toggleFullscreen(Game& g);
void scrollView(Game& g);
// The view origin from the selected unit, with the start-up clamps.
void setViewOriginFromSelectedUnit(Game& g);
// The "contest" command: the first time, and after a contest has ended, it
// generates the party and the monsters on the overworld (seeded from the
// world seed and the frame counter, so a replay gives the same contest) and
// shows them in the map view centred on the player's leader; otherwise it
// pauses the contest or goes on with it.
void toggleContest(Game& g);
// The seed of a contest started in frame `frameCounter` of world `worldSeed`.
uint32_t contestSeed(uint32_t worldSeed, int frameCounter);

// Where save slots live: --save-dir, else $XDG_DATA_HOME/delve/map, else
// ~/.local/share/delve/map.
std::string findSaveDir(const std::string& requested);

} // namespace delve
