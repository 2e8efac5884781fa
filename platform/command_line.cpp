#include "platform/command_line.h"

#include <cstdio>

#include "platform/numbers.h"
#include "platform/quoted.h"

namespace delve {

void useCommandLineConventions(CLI::App& app) {
    app.get_formatter()->column_width(24);
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

int parseCommandLine(CLI::App& app, const std::string& version, int argc,
                     const char* const* argv) {
    const std::string program = app.get_name();
    app.set_help_flag("-h,--help", "show this text");
    app.set_version_flag("--version", program + " " + version, "show the version");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::CallForVersion& v) {
        std::puts(v.what());
        return 0;
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "%s: %s (try --help)\n", program.c_str(), e.what());
        return 2;
    }
    return -1;
}

std::function<std::string(const std::string&)> wholeNumber(long long lo, long long hi,
                                                           const char* noun) {
    return [lo, hi, noun](const std::string& text) {
        long long n = 0;
        if (parseInteger(text, lo, hi, n)) return std::string();
        return std::string("needs a ") + noun + " " + std::to_string(lo) + ".." +
               std::to_string(hi) + ", not " + quoteText(text);
    };
}

} // namespace delve
