#pragma once

namespace delve {

class ConsoleCommands;

// The commands the console runs by itself: cell edits at the hero's feet,
// the screensaver switch, save and load, the teleport and help. The
// commands that act on the game's modes are the program's to add.
void addConsoleOwnCommands(ConsoleCommands& commands);

} // namespace delve
