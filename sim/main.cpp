#include <cerrno>
#include <cstdio>

#include "platform/files.h"
#include "sim/sim.h"

using namespace delve;

namespace {

int run(int argc, char** argv) {
    SimOptions o;
    if (int status = parseSimOptions(argc, argv, o); status >= 0) return status;
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
