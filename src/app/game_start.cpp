#include "game_start.h"

#include <iostream>

#include "frame_timing.h"
#include "local_driver.h"
#include "practice_driver.h"
#include "recording.h"

namespace spinvale {

namespace {

// A recording starts from the settings its lines carry, over those of the file it names (an
// older one only names the file); one that names none, over the game's own.
std::unique_ptr<MatchDriver> startReplay(const Options& options, const SettingsStore& store,
                                         const ReplayDriver*& replay) {
    const std::string& path = options.replayPath;
    auto file = std::make_unique<std::ifstream>(path);
    std::string firstLine;
    if (!*file || !std::getline(*file, firstLine)) {
        std::cerr << "spinvale: cannot read " << path << "\n";
        return nullptr;
    }
    const std::string named = settingsNamedBy(firstLine);
    std::vector<std::string> ignored;
    const GameSettings settings = named.empty() ? store.settings() : loadSettings(named, ignored);
    file->clear();
    file->seekg(0);
    auto driver = std::make_unique<ReplayDriver>(std::move(file), settings);
    if (!driver->hasUpdates()) {
        if (replayedWhole(*driver, path)) {
            std::cerr << "spinvale: " << path << " holds no update to replay\n";
        }
        return nullptr;
    }
    replay = driver.get();
    return driver;
}

// The tick the window's frames are given.
uint32_t now() {
    return millisecondTick(std::chrono::steady_clock::now());
}

// This side's settings, the input delay, the code, the address to listen on, the host's name
// on this network and whether it asks the router, as the command line gives them. A host on
// one address of its own (the tests' loopback) has nothing for a router to open.
net::NetSetup setupFor(const Options& options, const GameSettings& local) {
    net::NetSetup setup;
    setup.code = options.code;
    setup.listenAddress = options.listenAddress;
    setup.settings = local;
    setup.inputDelay = static_cast<int>(options.inputDelay);
    setup.lanName = options.lanName;
    setup.askRouter = !options.noRouter && options.listenAddress.empty();
    return setup;
}

}  // namespace

bool replayedWhole(const ReplayDriver& replay, const std::string& path) {
    if (replay.error().empty()) {
        return true;
    }
    std::cerr << "spinvale: " << path << ":" << replay.errorLine() << ": " << replay.error()
              << "\n";
    return false;
}

std::unique_ptr<MatchDriver> startFirstGame(const Options& options, SettingsStore& store,
                                            const ReplayDriver*& replay) {
    if (!options.replayPath.empty()) {
        return startReplay(options, store, replay);
    }
    if (options.hosting || !options.joinHost.empty()) {
        net::NetSetup setup = setupFor(options, store.settings());
        setup.role = options.hosting ? net::Role::Host : net::Role::Guest;
        setup.port = options.hosting ? options.hostPort : options.joinPort;
        setup.hostName = options.joinHost;
        std::string error;
        std::unique_ptr<MatchDriver> driver =
            NetDriver::open(setup, !options.hosting && !options.nearView, now(), error);
        if (!driver) {
            std::cerr << "spinvale: " << error << "\n";
        }
        return driver;
    }
    // A switch of window restarts the match on the settings file as it is then.
    auto reread = [&store] { return store.reload(); };
    if (options.practice.mode != PracticeMode::None) {
        return std::make_unique<PracticeDriver>(options.practice, store.settings(), reread);
    }
    return std::make_unique<LocalDriver>(store.settings(), reread);
}

std::unique_ptr<NetDriver> startNetGame(const StartNetGame& request, const Options& options,
                                        const GameSettings& local, std::string& problem) {
    net::NetSetup setup = setupFor(options, local);  // hosted on the default port
    setup.lanName = request.name;
    setup.askRouter = request.askRouter && options.listenAddress.empty();  // the menu's choice
    if (!request.hosting) {
        problem = readJoinRequest(request.address, request.code, setup);
        if (!problem.empty()) {
            return nullptr;
        }
    }
    std::string error;
    auto driver = NetDriver::open(setup, !request.hosting && !options.nearView, now(), error);
    if (!driver) {
        problem = (request.hosting ? "Cannot host: " : "Cannot join: ") + error + ".";
        std::cerr << "spinvale: " << error << "\n";
    }
    return driver;
}

bool GameOutputs::begin(const Options& options, const std::string& settingsPath,
                        OutputSink::PlaySounds playSounds) {
    bool written = true;
    for (auto [file, path] :
         {std::pair{&record_, &options.recordPath}, std::pair{&trace_, &options.tracePath}}) {
        file->close();
        if (!path->empty()) {
            file->open(*path, std::ios::trunc);
        }
        if (!path->empty() && !file->is_open()) {
            std::cerr << "spinvale: cannot write " << *path << "\n";
            written = false;
        }
    }
    if (record_.is_open()) {
        record_ << formatSettingsComment(settingsPath) << '\n' << std::flush;
    }
    sink_.emplace(record_.is_open() ? &record_ : nullptr, trace_.is_open() ? &trace_ : nullptr,
                  std::move(playSounds), true);
    return written;
}

}  // namespace spinvale
