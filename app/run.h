#pragma once
#include <string>

namespace delve {

class Game;

// The game state as one JSON object (for --dump-state and tests).
std::string stateJson(const Game& g);
// Writes stateJson to `path` in one step; a failure is said on stderr with
// its reason.
bool writeStateDump(const Game& g, const std::string& path);

} // namespace delve
