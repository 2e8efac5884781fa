#pragma once
#include <string>

namespace delve {

struct Game;

// The game state as one JSON object (for --dump-state and tests).
std::string stateJson(const Game& g);
bool writeStateDump(const Game& g, const std::string& path);

} // namespace delve
