#pragma once
#include <string>

namespace delve {

// Where the pictures and overworld are, first match wins:
//   1. the requested folder (--data-dir), as given;
//   2. $DELVE_DATA_DIR, as given, when set and not empty;
//   3. data/ beside the executable (the build tree);
//   4. the installed data folder, found from the executable's folder by the
//      path from the install's bin folder to its data folder that the build
//      compiled in (../share/delve for the usual layout, ../share/games/delve
//      for Debian's games).
// Returns "" when none applies; there is no fallback to the working folder.
// The game and its tools share this lookup.
std::string findDataDir(const std::string& requested);

// The same lookup with the executable's folder, the environment value and
// the compiled-in relative path given (for tests).
std::string findDataDirFrom(const std::string& requested, const char* environment,
                            const std::string& executableDir, const std::string& installedRelative);

// The path from the executable's folder to the installed data folder.
std::string installedDataDirRelative();

// Where findDataDir looked, for an error message when it found nothing.
std::string dataDirSearchText();

} // namespace delve
