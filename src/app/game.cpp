#include "game.h"

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app_window.h"
#include "data_paths.h"
#include "endless_games.h"
#include "frame_timing.h"
#include "gamepad.h"
#include "input_capture.h"
#include "match.h"
#include "messages.h"
#include "net_game.h"
#include "recording.h"
#include "render.h"
#include "settings_file.h"
#include "sound.h"
#include "trace.h"

namespace spinvale {

namespace {

using Clock = std::chrono::steady_clock;

// A recording played in place of the players, one update read ahead so that the settings
// lines after an update are known before the restart it may ask for.
struct Replay {
    std::ifstream file;
    std::optional<RecordingReader> reader;
    UpdateInput next;
    bool more = false;      // next holds an update still to play
    GameSettings settings;  // those of the next restart
};

struct Game {
    Options options;
    Match match;
    SceneLists lists;
    AppWindow window;
    Multisample multisample;
    InputCapture capture;
    Gamepads pads;
    bool keepRunning = true;
    bool fullscreenRequest = true;  // the mode of the next window
    bool restartDue = true;         // the next window restarts the match
    uint32_t quitEvent = 0;         // ends the event pump
    uint32_t toggleEvent = 0;       // switches fullscreen and window
    std::ofstream record;
    std::ofstream trace;
    std::optional<GameSettings> recordedSettings;  // the last settings line written
    int64_t frames = 0;
    Clock::time_point lastFrameStart;
    bool settingsReported = false;
    SoundChannel sound;
    std::optional<Replay> replay;
    std::unique_ptr<NetGame> net;
};

// The file named on the command line; else the working directory's settings, else the
// player's own, else the shipped ones.
std::string settingsPath(const Options& options) {
    if (!options.settingsPath.empty()) {
        return options.settingsPath;
    }
    return settingsPaths(options.dataDir).find("settings.dat");
}

// A recording's first line names the settings file the game read, in full.
std::string absolutePath(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return path;
    }
    const std::string absolute = resolved;
    std::free(resolved);
    return absolute;
}

// Only the window size is taken at start; the other settings are read on every new window.
void takeWindowSize(Game& game) {
    std::vector<std::string> warnings;
    const GameSettings settings =
        game.replay ? game.replay->settings : loadSettings(settingsPath(game.options), warnings);
    game.window.width = settings.screenWidth;
    game.window.height = settings.screenHeight;
}

// A malformed line ends a replay early; the player is told where.
bool replayReadWhole(const Game& game) {
    if (!game.replay || game.replay->reader->error().empty()) {
        return true;
    }
    std::cerr << "spinvale: " << game.options.replayPath << ":" << game.replay->reader->lineNumber()
              << ": " << game.replay->reader->error() << "\n";
    return false;
}

// A recording starts from the settings its lines carry; an older one only names the file
// the game read.
bool openReplay(Game& game) {
    Replay& replay = game.replay.emplace();
    const std::string& path = game.options.replayPath;
    replay.file.open(path);
    std::string firstLine;
    if (!replay.file || !std::getline(replay.file, firstLine)) {
        std::cerr << "spinvale: cannot read " << path << "\n";
        return false;
    }
    const std::string named = settingsNamedBy(firstLine);
    std::vector<std::string> warnings;
    replay.settings = loadSettings(named.empty() ? settingsPath(game.options) : named, warnings);
    replay.file.clear();
    replay.file.seekg(0);
    replay.reader.emplace(replay.file);
    replay.more = replay.reader->next(replay.next, replay.settings);
    if (!replay.more && replayReadWhole(game)) {
        std::cerr << "spinvale: " << path << " holds no update to replay\n";
    }
    return replay.more;
}

bool openOutput(std::ofstream& file, const std::string& path) {
    if (path.empty()) {
        return true;
    }
    file.open(path, std::ios::trunc);
    if (!file) {
        std::cerr << "spinvale: cannot write " << path << "\n";
        return false;
    }
    return true;
}

void pushEvent(uint32_t type) {
    SDL_Event event{};
    event.type = type;
    SDL_PushEvent(&event);
}

// Ends the pump and the program.
void requestQuit(Game& game) {
    pushEvent(game.quitEvent);
    game.keepRunning = false;
}

// Ends the pump with the program still running: the window is made again in the other mode.
void toggleFullscreen(Game& game) {
    game.fullscreenRequest = !game.fullscreenRequest;
    pushEvent(game.quitEvent);
}

void writeLine(std::ofstream& file, const std::string& line) {
    if (file.is_open()) {
        file << line << '\n' << std::flush;
    }
}

// Settings problems are told once, at start, not again at every fullscreen toggle.
GameSettings readGameSettings(Game& game) {
    std::vector<std::string> warnings;
    const GameSettings settings = loadSettings(settingsPath(game.options), warnings);
    const std::string endless = endlessGameWarning(settings);
    if (!endless.empty()) {
        warnings.push_back(endless);
    }
    if (!game.settingsReported) {
        for (const std::string& warning : warnings) {
            std::cerr << "spinvale: warning: " << warning << "\n";
        }
        game.settingsReported = true;
    }
    return settings;
}

// A live game reads its settings file again at every restart; a replay takes the settings
// its recording holds. The recording gets a settings line whenever they change.
void restartWithSettings(Game& game) {
    const GameSettings settings = game.replay ? game.replay->settings : readGameSettings(game);
    restartMatch(game.match, settings);
    const std::string line = formatSettingsLine(settings);
    if (!game.recordedSettings || formatSettingsLine(*game.recordedSettings) != line) {
        writeLine(game.record, line);
        game.recordedSettings = settings;
    }
}

// Everything that belongs to the new context is built again. The match goes back to the
// serve its score calls for, the score kept, unless only the window changed (a live toggle
// while a recording plays).
void initGame(Game& game) {
    setupView(game.window.width, game.window.height);
    game.lists = SceneLists{};
    buildModelLists(game.lists, gameDataPaths(game.options.dataDir));
    if (game.restartDue) {
        restartWithSettings(game);
        game.restartDue = false;
    }
    game.lists.fontListBase = makeBitmapFont("Impact", 30);
    initSound(game.sound);
    if (game.match.settings.simpleGraphics == 1) {
        useSimpleGraphics(game.lists);
    }
}

void handleWindowEvent(Game& game, const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_MINIMIZED:
            game.window.visible = false;
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            game.window.visible = true;
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
            int width = 0;
            int height = 0;
            SDL_GL_GetDrawableSize(game.window.window, &width, &height);
            followResize(game.window, width, height);
            break;
        }
        case SDL_WINDOWEVENT_CLOSE:
            requestQuit(game);
            break;
        default:
            break;
    }
}

void handleEvent(Game& game, const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            captureKey(game.capture, event.key);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT) {
                captureButton(game.capture, event.type == SDL_MOUSEBUTTONDOWN);
            }
            break;
        case SDL_WINDOWEVENT:
            handleWindowEvent(game, event.window);
            break;
        case SDL_QUIT:  // SIGINT, SIGTERM, or the desktop closing the session's windows
            requestQuit(game);
            break;
        default:
            if (event.type == game.toggleEvent) {
                toggleFullscreen(game);
            } else {
                handleGamepadEvent(game.pads, event, game.capture);
            }
            break;
    }
}

// The pointer is read once per update, in screen pixels, so that every reading the match
// makes in it agrees and a recording holds the one position the update saw.
UpdateInput takeLiveInput(Game& game, uint32_t elapsedMs) {
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return takeUpdateInput(game.capture, elapsedMs, x, y);
}

// The recording's next update. The players' own keys only reach the window: Esc ends the
// replay and F1 or Alt+Enter switches the window without touching the match.
UpdateInput takeReplayedInput(Game& game, uint32_t elapsedMs) {
    const UpdateInput live = takeLiveInput(game, elapsedMs);
    if (live.keys[KeyEscape]) {
        requestQuit(game);
    }
    if (live.keys[KeyF1]) {
        pushEvent(game.toggleEvent);
    }
    Replay& replay = *game.replay;
    const UpdateInput input = replay.next;
    replay.more = replay.reader->next(replay.next, replay.settings);
    return input;
}

void actOnRequests(Game& game) {
    const bool replayOver = game.replay && !game.replay->more;
    if (game.match.requests.quit || game.frames == game.options.frames || replayOver) {
        requestQuit(game);
    }
    if (game.match.requests.toggleFullscreen) {
        game.restartDue = true;
        pushEvent(game.toggleEvent);
    } else if (game.replay && formatSettingsLine(game.replay->settings) !=
                                  formatSettingsLine(game.match.settings)) {
        game.match.settings = game.replay->settings;  // a paddle handed to the computer
    }
}

// A network game's frame: Esc and F1 act at once, whatever the match; the shared match steps
// when the session lets it; the confirmed updates are recorded, traced and heard; the latest
// prediction is drawn from this player's end.
void runNetFrame(Game& game, uint32_t now) {
    NetGame& net = *game.net;
    const KeySet keys = game.capture.held[0] | game.capture.held[1] | game.capture.pressed;
    if (keys[KeyEscape]) {
        net.leave();
        requestQuit(game);
        return;
    }
    if (keys[KeyF1]) {
        pushEvent(game.toggleEvent);  // the window only: the match is not restarted
    }
    net.poll(now);
    if (net.readyToStep()) {
        net.step(takeLiveInput(game, net.elapsedMs(now)), now);
    }
    for (const net::ConfirmedUpdate& u : net.takeConfirmed()) {
        if (u.newSettings) {
            writeLine(game.record, formatSettingsLine(u.after.settings));
        }
        if (u.number > 0) {
            writeLine(game.record, formatUpdateLine(u.command));
            playRequestedSounds(game.sound, u.after.requests);
            ++game.frames;
        }
        writeLine(game.trace, formatTraceLine(u.number, u.command.elapsedMs, u.after));
    }
    const Match view = net.view();
    drawFrame(game.lists, view);
    drawNotice(game.lists, view.settings.screenHeight, net.notice());
    SDL_GL_SwapWindow(game.window.window);
    if (game.frames == game.options.frames) {
        requestQuit(game);
    }
}

void runFrame(Game& game) {
    game.lastFrameStart = Clock::now();
    const uint32_t now = millisecondTick(game.lastFrameStart);
    const uint32_t elapsedMs = clampUpdateMs(ticksBetween(game.window.lastTick, now));
    game.window.lastTick = now;
    if (game.net) {
        runNetFrame(game, now);
        return;
    }
    const UpdateInput input =
        game.replay ? takeReplayedInput(game, elapsedMs) : takeLiveInput(game, elapsedMs);
    writeLine(game.record, formatUpdateLine(input));
    stepMatch(game.match, input);
    drawFrame(game.lists, game.match);
    playRequestedSounds(game.sound, game.match.requests);
    ++game.frames;
    writeLine(game.trace, formatTraceLine(game.frames, input.elapsedMs, game.match));
    SDL_GL_SwapWindow(game.window.window);
    actOnRequests(game);
}

// A replay keeps its recorded pace: each update waits its recorded time after the last.
int64_t frameWait(const Game& game) {
    const auto since =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - game.lastFrameStart);
    if (game.replay) {
        return std::max<int64_t>(0, int64_t(game.replay->next.elapsedMs) * 1000 - since.count());
    }
    return frameWaitMicros(since.count(), static_cast<int>(game.options.maxFps));
}

// Sleeps until the next frame is due, waking early for an event (left in the queue).
void waitForFrame(int64_t waitUs) {
    if (waitUs >= 1000) {
        SDL_WaitEventTimeout(nullptr, static_cast<int>(waitUs / 1000));
    } else {
        std::this_thread::sleep_for(std::chrono::microseconds(waitUs));
    }
}

// The next queued event, after taking in what the display has sent. Unlike SDL_PollEvent,
// which stops at the end of each pass over the queue, this also returns the events pushed
// while handling the previous ones: the quit event that a toggle pushes must end the pump
// before another frame runs.
bool nextEvent(SDL_Event& event) {
    SDL_PumpEvents();
    return SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

// Events first, always; frames only while the window is shown, and no sooner than the
// frame limit allows. Ends when the quit event is taken from the queue.
void pumpUntilQuit(Game& game) {
    for (;;) {
        SDL_Event event;
        if (nextEvent(event)) {
            if (event.type == game.quitEvent) {
                return;
            }
            handleEvent(game, event);
        } else if (!game.window.visible && !game.net) {  // the other player plays on
            SDL_WaitEvent(nullptr);
        } else if (const int64_t waitUs = frameWait(game); waitUs > 0) {
            waitForFrame(waitUs);
        } else {
            runFrame(game);
        }
    }
}

int runWindowLoop(Game& game) {
    bool firstWindow = true;
    while (game.keepRunning) {
        game.window.fullscreen = game.fullscreenRequest;
        if (!createAppWindow(game.window, game.multisample, game.options.dialogs)) {
            const std::string reason = SDL_GetError();
            showError("Error Creating OpenGL Window", game.options.dialogs);
            std::cerr << "spinvale: " << reason << "\n";
            return 1;
        }
        releaseAll(game.capture);
        initGame(game);
        if (firstWindow && !game.net) {
            writeLine(game.trace, formatTraceLine(0, 0, game.match));
            firstWindow = false;
        }
        pumpUntilQuit(game);
        destroyAppWindow(game.window);
    }
    return 0;
}

// SDL falls back to drivers that draw nowhere when no display answers; the game only uses
// them when the player names one in SDL_VIDEODRIVER.
bool showsNothing(const char* driver) {
    const std::string name = driver != nullptr ? driver : "";
    return (name == "offscreen" || name == "dummy") && SDL_getenv("SDL_VIDEODRIVER") == nullptr;
}

bool startVideo(Game& game) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    if (showsNothing(SDL_GetCurrentVideoDriver())) {
        SDL_SetError("no display to show the game on (is DISPLAY or WAYLAND_DISPLAY set?)");
        return false;
    }
    // The game plays on without gamepads when they cannot be read.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::cerr << "spinvale: warning: no gamepads: " << SDL_GetError() << "\n";
    }
    game.quitEvent = SDL_RegisterEvents(2);
    game.toggleEvent = game.quitEvent + 1;
    return game.quitEvent != static_cast<uint32_t>(-1);
}

// The local match only holds this player's window settings; the shared one is the session's.
bool openNetGame(Game& game) {
    restartMatch(game.match, readGameSettings(game));
    game.restartDue = false;
    std::string error;
    game.net = NetGame::open(game.options, game.match.settings, error);
    if (!game.net) {
        std::cerr << "spinvale: " << error << "\n";
    }
    return game.net != nullptr;
}

}  // namespace

int runGame(const Options& options) {
    Game game;
    game.options = options;
    game.fullscreenRequest = !options.windowed;
    game.sound.dataPaths = gameDataPaths(options.dataDir);
    if (!openOutput(game.record, options.recordPath) ||
        !openOutput(game.trace, options.tracePath)) {
        return 1;
    }
    if (!options.replayPath.empty() && !openReplay(game)) {
        return 1;
    }
    writeLine(game.record, formatSettingsComment(absolutePath(settingsPath(options))));
    if ((options.hosting || !options.joinHost.empty()) && !openNetGame(game)) {
        return 1;
    }
    takeWindowSize(game);
    SDL_SetMainReady();
    if (!startVideo(game)) {
        const std::string reason = SDL_GetError();
        showError("RegisterClassEx Failed!", options.dialogs);
        showError("Error Registering Window Class!", options.dialogs);
        std::cerr << "spinvale: the video system did not start: " << reason << "\n";
        SDL_Quit();
        return 255;
    }
    int status = runWindowLoop(game);
    if (!replayReadWhole(game)) {
        status = 1;
    }
    closeGamepads(game.pads);
    shutdownSound(game.sound);
    SDL_Quit();
    return status;
}

}  // namespace spinvale
