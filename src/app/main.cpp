// spinvale: the game. Reads the command line and plays.
#include <iostream>

#include "data_paths.h"
#include "game.h"
#include "options.h"

int main(int argc, char** argv) {
    using namespace spinvale;
    Options options;
    CommandLine commandLine = gameCommandLine(options);
    if (const auto status = commandLine.parse(argc, argv)) {
        return *status;
    }
    if (!options.dataDir.empty() && !isSearchableFolder(options.dataDir)) {
        std::cerr << "spinvale: --data-dir " << options.dataDir << " is not a folder\n"
                  << usageText;
        return 2;
    }
    return runGame(options);
}
