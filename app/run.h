#pragma once
#include <string>

namespace delve {

class Game;

// The game state as one JSON object (for --dump-state and tests).
std::string stateJson(const Game& g);
// Writes stateJson to `path` in one step; the reason of a failure goes to
// `error` (see platform/files.h) when given.
bool writeStateDump(const Game& g, const std::string& path, int* error = nullptr);

} // namespace delve
