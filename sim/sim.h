#pragma once
#include <cstdint>
#include <string>

#include "units/unit_record.h"
#include "world/world_map.h"

namespace delve {

// What the command line asks delve-sim to do.
struct SimOptions {
    enum class Mode { Contest, Objects, Loot, Chase } mode = Mode::Contest;
    bool haveSeed = false;
    uint32_t seed = 0;
    int partySize = 3;
    std::string dataDir;
    int turns = 0;          // frames the built-in player clicks
    std::string clicksFile; // frames clicked from a file instead
    std::string jsonFile;
    std::string pngFile;
    int lootLevel = 0;
    int containers = 1;
    int frames = 300;       // chase frames
};

// Parses argv into `out`. Returns -1 when the run goes on; otherwise the
// help, the version or a one-line error naming the flag has been printed,
// and the result is the exit status (0, or 2 after an error).
int parseSimOptions(int argc, const char* const* argv, SimOptions& out);

// Each mode prints to stdout and returns the process's exit status.
int runObjects();
int runLoot(const SimOptions& o);
int runChase(const SimOptions& o);
int runContest(const SimOptions& o);

// The overworld with every group's members and the monsters marked, and a
// legend. False when the file could not be written, with the reason in
// `error` (see platform/files.h) when given.
bool writeContestPicture(const std::string& path, const WorldMap& map, const Units& units,
                         uint32_t seed, int turnNumber, int winner, int* error = nullptr);

} // namespace delve
