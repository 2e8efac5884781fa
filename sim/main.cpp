#include <cerrno>
#include <cstdio>

#include "platform/files.h"
#include "sim/sim.h"

using namespace delve;

namespace {

int run(int argc, char** argv) {
    SimOptions o;
    std::string error;
    if (!parseSimOptions(argc, argv, o, error)) {
        std::fprintf(stderr, "delve-sim: %s (try --help)\n", error.c_str());
        return 2;
    }
    if (o.showHelp) {
        std::fputs(simUsageText(), stdout);
        return 0;
    }
    if (o.showVersion) {
        std::puts("delve-sim " DELVE_VERSION);
        return 0;
    }
    switch (o.mode) {
    case SimOptions::Mode::Objects: return runObjects();
    case SimOptions::Mode::Loot: return runLoot(o);
    case SimOptions::Mode::Chase: return runChase(o);
    case SimOptions::Mode::Contest: break;
    }
    return runContest(o);
}

} // namespace

int main(int argc, char** argv) {
    int status = run(argc, argv);
    // The tables are the output: a standard output that could not take them
    // all (a full disk, a closed pipe) makes the run a failure.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "delve-sim: cannot write the standard output: %s\n",
                     errno != 0 ? errorText(errno).c_str() : "write error");
        if (status == 0) status = 1;
    }
    return status;
}
