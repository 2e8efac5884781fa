#pragma once
#include <string>

namespace delve {

// Where the pictures and overworld are: the requested folder (--data-dir),
// else data/ beside the executable, else ../share/delve beside it, else
// the working directory. The game and its tools share this lookup.
std::string findDataDir(const std::string& requested);

} // namespace delve
