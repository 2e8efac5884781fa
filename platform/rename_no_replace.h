#pragma once
// The one file call whose form differs between the desktop and the browser;
// CMake compiles the source that fits the target.
#include <string>

namespace delve {

// Renames `from` to `to` unless `to` exists (EEXIST then), past the fault
// hook: renameNoReplace (files.h) asks the hook and calls this.
int systemRenameNoReplace(const std::string& from, const std::string& to);

} // namespace delve
