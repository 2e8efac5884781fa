#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/contest_mode.h"
#include "app/options.h"
#include "platform/shell.h"
#include "console/console.h"
#include "console/save_load.h"
#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"
#include "gfx/renderer.h"
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

// Everything a game works on: the tables, the world, the units, the views'
// and the console's state, the contest. Start-up fills them in a new Game.
// A rig (test, fuzz target, benchmark) may instead fill them itself, or
// take them from a stopped game, and hand them to the Game it builds: the
// game then starts from them. Each part is a plain struct that a rig may
// also drive alone.
struct GameParts {
    Shell shell;
    Screen screen;
    TrigTables trig;
    TextBuffer text;
    BitmapCatalogue pictures;
    PictureReport pictureReport; // what start-up found in the data folder
    World world;
    Units units;
    PathFinder pathFinder;
    FirstPersonView firstPerson;
    EdgeOverlay edgeOverlay;
    bool edgesShown = false; // the "edges" command: lattice lines over the first-person view
    ConsoleState console;
    ContestMode contest;
    TypeDatabase types;
    Rng rng; // the game's random numbers: the dungeon, the hero's place, the screensaver
    // Set by start-up once the tables, pictures, world and hero are made; a
    // game handed started parts only makes its window (unless it has one).
    bool started = false;
};

// A game's parts, platform and renderer, handed back by stopGame; the
// window stays open, so a game built from them goes on where it stopped.
struct StoppedGame {
    std::unique_ptr<GameParts> parts;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<Renderer> renderer;
};

// Start-up up to the first frame: tables, pictures, window, world, hero.
// Returns false when the data folder holds no picture at all (before any
// window is made: the game would be an empty screen), or when the window
// could not be made (windowFailed; the error box has been shown). Parts
// that were handed in started only get their window.
bool startGame(Game& g);
// One frame of the main loop.
void runFrame(Game& g);
// Runs frames until Escape, the close message, SIGINT or SIGTERM, the
// frame limit, or a window that could not be re-created; `afterFrame`
// (when given) runs after each.
void runMainLoop(Game& g, const std::function<void()>& afterFrame = {});
// Releases the tables and closes the window.
void shutdownGame(Game& g);
// Ends a game without releasing anything: its parts, platform (the window
// kept open) and renderer, for a rig that goes on from them.
StoppedGame stopGame(std::unique_ptr<Game> g);

void scrollView(Game& g);
// The view origin from the selected unit, with the start-up clamps.
void setViewOriginFromSelectedUnit(Shell& shell, const Units& units);
// The "contest" command: the first time, and after a contest has ended, it
// generates the party and the monsters on the overworld (seeded from the
// world seed and the frame counter, so a replay gives the same contest) and
// shows them in the map view centred on the player's leader; otherwise it
// pauses the contest or goes on with it.
void toggleContest(Game& g);
// The "contest new" command: drops the contest under way, whatever its state
// (on, paused, decided or stuck), and starts a new one as toggleContest does,
// with the first set-up's party size.
void startContestAfresh(Game& g);

// Everything the running program keeps for the whole process, in one
// place. Its state is its own: the frame loop above works on it, and the
// rest of the program reads it through the accessors below.
class Game {
public:
    // `parts`: none for a new game that start-up fills; a rig's parts to
    // start from them.
    Game(const Options& opts, std::unique_ptr<Platform> backend,
         std::unique_ptr<Renderer> renderer, std::unique_ptr<GameParts> parts = nullptr);

    // What start-up and the frames leave behind, to read.
    const Options& options() const { return options_; }
    const std::string& dataDir() const { return dataDir_; }
    const std::string& saveDir() const { return saveDir_; }
    uint32_t seed() const { return seed_; }
    const Clock& clock() const { return clock_; }
    const GameParts& parts() const { return *parts_; }
    const Shell& shell() const { return parts_->shell; }
    const Screen& screen() const { return parts_->screen; }
    const World& world() const { return parts_->world; }
    const Units& units() const { return parts_->units; }
    const PathFinder& pathFinder() const { return parts_->pathFinder; }
    const FirstPersonView& firstPerson() const { return parts_->firstPerson; }
    const ConsoleState& console() const { return parts_->console; }
    const ContestMode& contest() const { return parts_->contest; }
    const PictureReport& pictureReport() const { return parts_->pictureReport; }
    int framesRun() const { return framesRun_; }
    int screenshotsWritten() const { return screenshotsWritten_; }
    int screenshotsFailed() const { return screenshotsFailed_; }
    // Set when a window could not be made (the error box has been shown):
    // nothing could be seen or read any more, so the program ends with a
    // failure status.
    bool windowFailed() const { return windowFailed_; }
    bool hasWindow() const { return platform_->hasWindow(); }
    // What the renderer draws on ("Mesa llvmpipe ..."), for reports.
    std::string rendererName() const { return renderer_->deviceName(); }
    // Desktop full screen (F11, Alt+Enter) is on.
    bool fullscreen() const { return fullscreen_; }

    // The keyboard, mouse and input script the frames read.
    Input& input() { return input_; }
    // --record: from now on every input event is also written to `path`.
    // Returns 0, or the errno of the file that could not be made.
    int startRecording(const std::string& path);
    // Ends the recording after the last frame; 0 or the errno.
    int finishRecording();
    // The console's "save game N" and "load game N", with their progress
    // frames.
    SlotResult saveSlot(int slot);
    SlotResult loadSlot(int slot);

private:
    friend bool startGame(Game&);
    friend void runFrame(Game&);
    friend void runMainLoop(Game&, const std::function<void()>&);
    friend void shutdownGame(Game&);
    friend StoppedGame stopGame(std::unique_ptr<Game>);
    friend void scrollView(Game&);
    friend void toggleContest(Game&);
    friend void startContestAfresh(Game&);
    friend std::string takeScreenshot(Game&);
    friend void takeFrameScreenshots(Game&);
    // The frame loop's own steps, defined with it.
    struct Loop;

    // What a console step, a save and a load work on.
    ConsoleContext consoleContext();

    Options options_;
    std::string dataDir_;
    std::string saveDir_;
    uint32_t seed_ = 0;

    Clock clock_;
    std::unique_ptr<Platform> platform_;
    std::unique_ptr<Renderer> renderer_;
    Input input_;
    std::unique_ptr<GameParts> parts_;

    // Save and load draw their progress screens through the shell's frame.
    struct ProgressHost final : FrameHost {
        Game& game;
        explicit ProgressHost(Game& g) : game(g) {}
        void beginFrame(ProgressStage stage) override;
        void runProgressFrame() override;
        void presentFrame() override;
        std::optional<ContestSave> contestToSave() override;
        void restoreContest(const ContestSave* contest) override;
    } progressHost_{*this};

    int framesRun_ = 0; // frames of the main loop (not progress frames)
    int screenshotsWritten_ = 0;
    int screenshotsFailed_ = 0;
    bool windowFailed_ = false;
    InputRecorder recorder_; // --record
    bool fullscreen_ = false; // F11 / Alt+Enter: desktop full screen
};

// SIGINT and SIGTERM from now on end the program as the close message does;
// SIGUSR1 asks for the state dump (--dump-state) at the end of the frame.
void installQuitSignals();
// True once after each SIGUSR1.
bool takeStateDumpRequest();

// Where save slots live: --save-dir, else $XDG_DATA_HOME/delve/map, else
// ~/.local/share/delve/map.
std::string findSaveDir(const std::string& requested);

} // namespace delve
