// spinvale: the game. Reads the command line and plays.
#include <iostream>
#include <string>
#include <vector>

#include "game.h"
#include "options.h"

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
            std::cerr << "spinvale: " << error << "\n" << usageText;
            return 2;
        case CommandLine::Play:
            break;
    }
    return runGame(options);
}
