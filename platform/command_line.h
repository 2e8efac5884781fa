#pragma once
#include <functional>
#include <string>

#include <CLI/CLI.hpp>

namespace delve {

// The conventions both programs' command lines share, on top of CLI11:
// --help (-h) prints the generated help, --version prints "PROGRAM VERSION",
// an option given twice keeps its last value, and an error is one line
// "PROGRAM: --FLAG: what is wrong (try --help)".
//
// Declares --help and --version on `app`, then parses argv. Returns -1 when
// the program goes on; otherwise what was asked for has been printed and the
// result is the exit status: 0 after help or version, 2 after an error.
// Checks across options belong in app.callback(), which may throw
// CLI::ValidationError("--FLAG", "what is wrong").
int parseCommandLine(CLI::App& app, const std::string& version, int argc, const char* const* argv);

// Sets the help layout and the repeated-option rule on a new App; call it
// before declaring options.
void useCommandLineConventions(CLI::App& app);

// An option check: the value is a whole number lo..hi, else
// "needs a NOUN lo..hi, not "TEXT"" (the text quoted, see platform/quoted.h).
std::function<std::string(const std::string&)> wholeNumber(long long lo, long long hi,
                                                           const char* noun = "number");

} // namespace delve
