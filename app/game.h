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

class Game;

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
// F12: the frame as presented, to a new PNG (see app/screenshot.h).
std::string takeScreenshot(Game& g);

// Everything the running program keeps for the whole process, in one
// place. Its state is its own: the frame loop above works on it, and the
// rest of the program reads it through the accessors below.
class Game {
public:
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
    };

    Game(const Options& opts, std::unique_ptr<Platform> backend);

    // What start-up and the frames leave behind, to read.
    const Options& options() const { return options_; }
    const std::string& dataDir() const { return dataDir_; }
    const std::string& saveDir() const { return saveDir_; }
    uint32_t seed() const { return seed_; }
    const Clock& clock() const { return clock_; }
    const Shell& shell() const { return shell_; }
    const Screen& screen() const { return screen_; }
    const World& world() const { return world_; }
    const Units& units() const { return units_; }
    const PathFinder& pathFinder() const { return pathFinder_; }
    const FirstPersonView& firstPerson() const { return firstPerson_; }
    const ConsoleState& console() const { return console_; }
    const ContestMode& contest() const { return contestMode_; }
    const PictureReport& pictureReport() const { return pictureReport_; }
    int framesRun() const { return framesRun_; }
    int screenshotsWritten() const { return screenshotsWritten_; }
    int screenshotsFailed() const { return screenshotsFailed_; }
    // Set when a window could not be made (the error box has been shown):
    // nothing could be seen or read any more, so the program ends with a
    // failure status.
    bool windowFailed() const { return windowFailed_; }
    bool hasWindow() const { return platform_->hasWindow(); }

    // The keyboard, mouse and input script the frames read.
    Input& input() { return input_; }
    // --record: from now on every input event is also written to `path`.
    // Returns 0, or the errno of the file that could not be made.
    int startRecording(const std::string& path);
    // Ends the recording after the last frame; 0 or the errno.
    int finishRecording();

    // Every part, writable. The program never uses this: it is the one door
    // for rigs (tests, fuzz targets, benchmarks) that set up a scene in one
    // step the frames would take long to reach, or drive one subsystem alone.
    struct Parts {
        Input& input;
        Clock& clock;
        Shell& shell;
        Screen& screen;
        TextBuffer& text;
        TrigTables& trig;
        BitmapCatalogue& pictures;
        World& world;
        Units& units;
        PathFinder& pathFinder;
        FirstPersonView& firstPerson;
        EdgeOverlay& edgeOverlay;
        ConsoleState& console;
        ContestMode& contest;
        TypeDatabase& types;
        Platform& platform;
        Renderer& renderer;
        FrameHost& progressHost;
        const std::string& saveDir;
        int& framesRun;
    };
    Parts partsForRig();
    // What a console step, a save and a load work on.
    ConsoleContext consoleContext();

private:
    friend bool startGame(Game&);
    friend void runFrame(Game&);
    friend void runProgressFrame(Game&);
    friend void runMainLoop(Game&);
    friend void shutdownGame(Game&);
    friend void setScreenMode(Game&, int, int);
    friend int recreateWindow(Game&);
    friend void handleWindowKeys(Game&);
    friend void toggleFullscreen(Game&);
    friend void scrollView(Game&);
    friend void setViewOriginFromSelectedUnit(Game&);
    friend void toggleContest(Game&);
    friend std::string takeScreenshot(Game&);
    friend void takeFrameScreenshots(Game&);
    // The frame loop's own steps, defined with it.
    struct Loop;

    Options options_;
    std::string dataDir_;
    std::string saveDir_;
    uint32_t seed_ = 0;

    Clock clock_;
    Rng rng_;
    std::unique_ptr<Platform> platform_;
    std::unique_ptr<Renderer> renderer_; // made by the build's renderer factory
    Input input_;

    Shell shell_;
    Screen screen_;
    TrigTables trig_;
    TextBuffer text_;
    BitmapCatalogue pictures_;
    World world_;
    Units units_;
    PathFinder pathFinder_;
    FirstPersonView firstPerson_;
    EdgeOverlay edgeOverlay_;
    bool edgesShown_ = false; // the "edges" command: lattice lines over the first-person view
    ConsoleState console_;
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
    } progressHost_{*this};

    int framesRun_ = 0; // frames of the main loop (not progress frames)
    PictureReport pictureReport_; // what start-up found in the data folder
    int screenshotsWritten_ = 0;
    int screenshotsFailed_ = 0;

    TypeDatabase types_;
    ContestMode contestMode_;
    bool windowFailed_ = false;
    InputRecorder recorder_; // --record
    bool fullscreen_ = false; // F11 / Alt+Enter: desktop full screen
};

// SIGINT and SIGTERM from now on end the program as the close message does;
// SIGUSR1 asks for the state dump (--dump-state) at the end of the frame.
void installQuitSignals();
// True once after each SIGUSR1.
bool takeStateDumpRequest();

// The seed of a contest started in frame `frameCounter` of world `worldSeed`.
uint32_t contestSeed(uint32_t worldSeed, int frameCounter);

// Where save slots live: --save-dir, else $XDG_DATA_HOME/delve/map, else
// ~/.local/share/delve/map.
std::string findSaveDir(const std::string& requested);

} // namespace delve
