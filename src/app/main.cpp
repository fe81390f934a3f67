// spinvale: the game. Reads the command line and plays.
#include <iostream>
#include <string>
#include <vector>

#include "data_paths.h"
#include "game.h"
#include "options.h"

namespace {

int badCommandLine(const std::string& reason) {
    std::cerr << "spinvale: " << reason << "\n" << spinvale::usageText;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace spinvale;
    const std::vector<std::string> args(argv + 1, argv + argc);
    Options options;
    std::string error;
    switch (parseOptions(args, options, error)) {
        case CommandLine::Help:
            std::cout << usageText;
            return 0;
        case CommandLine::Version:
            std::cout << "spinvale " SPINVALE_VERSION "\n";
            return 0;
        case CommandLine::Bad:
            return badCommandLine(error);
        case CommandLine::Play:
            break;
    }
    if (!options.dataDir.empty() && !isSearchableFolder(options.dataDir)) {
        return badCommandLine("--data-dir " + options.dataDir + " is not a folder");
    }
    return runGame(options);
}
