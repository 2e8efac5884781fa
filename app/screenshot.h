#pragma once
#include <ctime>
#include <functional>
#include <string>

namespace delve {

class Game;

// Where F12 puts its pictures: $XDG_PICTURES_DIR/delve, else the pictures
// folder named in the user's user-dirs.dirs, else ~/Pictures/delve.
// `getenv` is the environment lookup (tests pass their own).
std::string screenshotFolder(const std::function<const char*(const char*)>& getenv);

// "delve-2026-12-06_23-59-01.png" for that local time; when `exists` says
// that name is taken, "delve-2026-12-06_23-59-01-2.png", "-3" and so on.
std::string screenshotName(const std::tm& when, const std::function<bool(const std::string&)>& exists);

// Writes the frame as presented to a new PNG in the screenshot folder,
// prints its path on stdout and shows a one-line notice in the game.
// Returns the path, empty when it could not be written (the notice says so).
std::string takeScreenshot(Game& g);

// The pictures of the frame just presented: F12's (one per press), and
// those --screenshot asks of this main-loop frame, written to their files
// and counted as written or failed. Called right after presenting, before
// F1-F6 can make the buffers or the window anew. A frame that no window
// showed cannot be captured: its --screenshot fails, and says so.
void takeFrameScreenshots(Game& g);

} // namespace delve
