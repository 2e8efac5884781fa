#include <cstdio>

#include "sim/sim.h"

using namespace delve;

int main(int argc, char** argv) {
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
