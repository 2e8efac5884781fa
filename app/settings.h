#pragma once
// The settings a player expects the game to remember between runs, kept in
// $XDG_CONFIG_HOME/delve/settings.ini as `key = value` lines with `#`
// comments. Runs that must repeat exactly (headless, --fast-clock, --input)
// and --no-settings never read or write the file.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/options.h"
#include "platform/clock.h"

namespace delve {

struct Settings {
    int scale = 2;           // window scale of the first-person view, 1 to 4 (F1 to F4)
    bool fullscreen = false; // F11 or Alt+Enter
    int fps = Clock::DefaultFramesPerSecond; // the frame pace; 0 = unpaced
    GraphicsApi renderer = Options{}.renderer;

    bool operator==(const Settings&) const = default;
};

// Bigger than any settings file a person writes; a bigger one is damaged.
constexpr uint64_t MaxSettingsBytes = 64 * 1024;

// $XDG_CONFIG_HOME/delve/settings.ini when that is an absolute path, else
// $HOME/.config/delve/settings.ini.
std::string settingsPath(const std::function<const char*(const char*)>& getenv);

// Reads a settings file's text; keys it does not set keep their defaults.
// On the first fault returns false with its line (1 = the first) and what
// is wrong, e.g. `scale must be 1 to 4 (read "9")`.
bool parseSettings(std::string_view text, Settings& out, int& line, std::string& error);
// The file's text: a comment header saying what each key means and takes,
// then every key.
std::string formatSettings(const Settings& s);

// True when this run keeps its settings in the file.
bool usesSettingsFile(const Options& o);
// The settings as this run's start-up: a flag given on the command line
// wins over the file.
void applySettings(const Settings& s, Options& o);

struct LoadedSettings {
    Settings settings;   // what the file holds, or the defaults
    bool writable = true; // false: leave the file alone for this run
    std::string problem; // one line for stderr ("PATH:LINE: what; ..."), or empty
};
// Reads the file at start-up: non-blocking, regular files only, at most
// MaxSettingsBytes. No file is no problem. A damaged file (a line that
// cannot be read, binary bytes, too big) is renamed to PATH.bad and the
// defaults are written in its place. Something that is not a regular file
// there (a folder, a FIFO, a device) or a file that cannot be read is left
// as it is, and this run writes nothing.
LoadedSettings loadSettings(const std::string& path);
// Writes the file in one step (a temporary file renamed over it), making
// its folder (mode 0700) when missing. 0, or the errno of what failed.
int saveSettings(const std::string& path, const Settings& s);

// Keeps the file in step with the running game: whenever the window scale
// (of the first-person mode, where the game starts) or full screen differ
// from what the file holds, the file is written, once per change.
class SettingsKeeper {
public:
    SettingsKeeper(std::string path, const Settings& onDisk, bool writable);
    // The window as start-up made it. A remembered full screen the window
    // system refused is not a change of the player's, and is not written.
    void start(int screenWidth, int pixelZoom, bool fullscreen);
    // After every frame and at exit: compares, and writes what changed.
    // A failed write is said once on stderr; the run then writes no more.
    void observe(int screenWidth, int pixelZoom, bool fullscreen);
    const Settings& wanted() const { return wanted_; }
    int writes() const { return writes_; }

private:
    std::string path_;
    Settings wanted_;  // the player's settings as the game shows them
    Settings written_; // what the file holds
    bool writable_;
    int seenScale_ = 0;
    bool seenFullscreen_ = false;
    int writes_ = 0;
};

} // namespace delve
