// spinvale: the game. Reads the command line and plays.
#include <iostream>

#include "data_paths.h"
#include "options.h"
#include "window_loop.h"

int main(int argc, char** argv) {
    using namespace spinvale;
    Options options;
    CommandLine commandLine = gameCommandLine(options);
    if (const auto status = commandLine.parse(argc, argv)) {
        return *status;
    }
    if (std::string error; !takeLink(options, error)) {
        std::cerr << "spinvale: " << error << "\n" << usageText;
        return 2;
    }
    if (!options.dataDir.empty() && !isSearchableFolder(options.dataDir)) {
        std::cerr << "spinvale: --data-dir " << options.dataDir << " is not a folder\n"
                  << usageText;
        return 2;
    }
    const bool joining = !options.joinHost.empty();
    const char* conflict = options.hosting && joining ? "--host and --join exclude each other"
                           : joining && options.code.empty() ? "--join needs the host's --code"
                           : (options.hosting || joining) && !options.replayPath.empty()
                               ? "--replay plays no network game"
                               : nullptr;
    const bool practising = options.practice.mode != PracticeMode::None;
    if (practising && (options.hosting || joining || !options.replayPath.empty())) {
        conflict = "--practice is played alone, not with --host, --join or --replay";
    } else if (options.targetGiven && !practising) {
        conflict = "--target needs --practice";
    }
    if (conflict != nullptr) {
        std::cerr << "spinvale: " << conflict << "\n" << usageText;
        return 2;
    }
    return runGame(options);
}
