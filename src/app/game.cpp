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
#include "key_map.h"
#include "match.h"
#include "menu.h"
#include "messages.h"
#include "net_game.h"
#include "overlay.h"
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
    bool more = false;                    // next holds an update still to play
    std::optional<GameSettings> newGame;  // the new game the player started before next
    GameSettings settings;                // those of the next restart
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
    FrameSchedule schedule;
    bool settingsReported = false;
    SoundChannel sound;
    bool soundOn = true;
    std::optional<Replay> replay;
    Menu menu;
    std::string menuProblem;  // why the menu's choices could not be kept, shown in the menu
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
    replay.newGame = replay.reader->newGame();
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

void writeLine(std::ofstream& file, const std::string& line) {
    if (file.is_open()) {
        file << line << '\n' << std::flush;
    }
}

// The recording and the trace, begun afresh: at the start, and when a network game started
// from the menu takes over, so that they hold that game as they would with --host or --join.
bool startOutputs(Game& game) {
    game.record.close();
    game.trace.close();
    if (!openOutput(game.record, game.options.recordPath) ||
        !openOutput(game.trace, game.options.tracePath)) {
        return false;
    }
    writeLine(game.record, formatSettingsComment(absolutePath(settingsPath(game.options))));
    game.recordedSettings.reset();
    game.frames = 0;
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

// Settings problems are told once, at start, not again at every fullscreen toggle. What the
// player chose in the menu stands over the file, which may not be the one the menu writes.
GameSettings readGameSettings(Game& game) {
    std::vector<std::string> warnings;
    GameSettings settings = loadSettings(settingsPath(game.options), warnings);
    layChoicesOver(game.menu, settings);
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

// A new game at 0-0, which the recording holds as the command it is.
void startNewGameNow(Game& game, const GameSettings& settings) {
    writeLine(game.record, formatNewGameLine(settings));
    game.recordedSettings = settings;
    startNewGame(game.match, settings);
}

// The window and the sound as the player last chose them in the menu; --windowed,
// --fullscreen and --samples on the command line come first.
void takeDisplayChoices(Game& game) {
    std::vector<std::string> warnings;
    const DisplayChoices display = readDisplayChoices(settingsPath(game.options), warnings);
    for (const std::string& warning : warnings) {
        std::cerr << "spinvale: warning: " << warning << "\n";
    }
    game.fullscreenRequest = game.options.windowed ? !*game.options.windowed : display.fullscreen;
    game.soundOn = display.sound;
    game.multisample.requested = game.options.samples >= 0 ? game.options.samples : display.samples;
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
    game.lists.font = makeBitmapFont("Impact", 30);
    game.lists.smallFont = makeBitmapFont("Impact", 19);
    initSound(game.sound);
    if (game.match.settings.simpleGraphics == 1) {
        useSimpleGraphics(game.lists);
    }
}

// The cursor shows over the menu, also in fullscreen, where the game hides it.
void showCursorForMenu(const Game& game) {
    SDL_ShowCursor(game.menu.open || !game.window.fullscreen ? SDL_ENABLE : SDL_DISABLE);
}

void openGameMenu(Game& game) {
    const DisplayChoices display{game.fullscreenRequest, game.soundOn, game.multisample.requested};
    openMenu(game.menu, game.match.settings, display, game.multisample.samples);
    showCursorForMenu(game);
}

// Back to the match, which goes on as if no time had passed: the menu's frames kept the
// previous update's tick on the frame schedule's clock. (The clock's own "now" may be ahead
// of the next frame's due time, which would hand the match a tick from the past, 100 ms.)
// Changed match choices (or "New game") start a new game first.
void closeGameMenu(Game& game, bool newGame) {
    game.menu.open = false;
    if (newGame || matchChoicesDiffer(game.menu, game.match.settings)) {
        startNewGameNow(game, game.menu.settings);
    }
    showCursorForMenu(game);
}

// The player's own settings file, "" when there is no folder for it.
std::string ownSettingsFile() {
    const std::string folder = userConfigDirectory();
    return folder.empty() ? "" : folder + "/settings.dat";
}

// The player's changes go into their own settings file in one replace, over what it holds;
// without one, over the settings being played. A file in the working directory or named
// with --settings is never written.
void keepMenuChoices(Game& game) {
    const std::string path = ownSettingsFile();
    if (path.empty()) {
        return;
    }
    SettingsRecord record{};
    std::string error;
    if (!readSettingsRecord(path, record, error)) {
        record = SettingsRecord{};
        encodeSettings(game.match.settings, record);
    }
    std::vector<std::string> warnings;
    DisplayChoices display = readDisplayChoices(path, warnings);
    layChoicesOver(game.menu, record, display);
    if (!makeDirectories(userConfigDirectory(), error) ||
        !writeSettingsRecord(path, record, display, error)) {
        game.menuProblem = "The choices could not be kept: " + error;
        std::cerr << "spinvale: " << error << "\n";
        return;
    }
    game.menuProblem.clear();
}

// Sound at once; a new fullscreen mode or sample count with a new window, in which the
// match goes on as it stands.
void applyDisplayChoices(Game& game) {
    const DisplayChoices& chosen = game.menu.display;
    game.soundOn = chosen.sound;
    if (chosen.fullscreen == game.fullscreenRequest &&
        chosen.samples == game.multisample.requested) {
        return;
    }
    game.fullscreenRequest = chosen.fullscreen;
    if (chosen.samples != game.multisample.requested) {
        game.multisample.requested = chosen.samples;
        game.multisample.samples = -1;
    }
    pushEvent(game.quitEvent);
}

// The network game the options ask for, with these settings on this side (the host's decide
// the match); the local match only holds this player's window settings. False, with the
// reason in error, when the network cannot start.
bool startNetGame(Game& game, const Options& options, const GameSettings& settings,
                  std::string& error) {
    game.net = NetGame::open(options, settings, error);
    if (!game.net) {
        return false;
    }
    game.options = options;
    game.menu.networkGame = true;
    restartMatch(game.match, settings);
    game.restartDue = false;
    return true;
}

// Host or Join from the menu: the game so far gives way to a network game in this window,
// as if it had been started with --host (on the default port) or --join. When the network
// cannot start, the menu says why.
void startNetGameFromMenu(Game& game, bool hosting) {
    Options options = game.options;
    options.hosting = hosting;
    options.hostPort = net::defaultPort;
    if (!hosting) {
        options.joinHost = game.menu.joinHost;
        options.joinPort = game.menu.joinPort;
        options.code = game.menu.code;
    }
    std::string error;
    if (!startNetGame(game, options, game.menu.settings, error)) {
        game.menu.netProblem = (hosting ? "Cannot host: " : "Cannot join: ") + error + ".";
        std::cerr << "spinvale: " << error << "\n";
        return;
    }
    startOutputs(game);
    closeGameMenu(game, false);
}

void actOnMenu(Game& game, MenuAction action) {
    switch (action) {
        case MenuAction::None:
            break;
        case MenuAction::Close:
        case MenuAction::NewGame:
            closeGameMenu(game, action == MenuAction::NewGame);
            break;
        case MenuAction::SettingsChanged:
            keepMenuChoices(game);
            break;
        case MenuAction::DisplayChanged:
            keepMenuChoices(game);
            applyDisplayChoices(game);
            break;
        case MenuAction::Host:
        case MenuAction::Join:
            startNetGameFromMenu(game, action == MenuAction::Host);
            break;
        case MenuAction::Quit:
            requestQuit(game);
            break;
    }
}

std::vector<PlacedRow> menuRows(const Game& game) {
    const std::string home = SDL_getenv("HOME") != nullptr ? SDL_getenv("HOME") : "";
    std::vector<std::string> notes = {keptInNote(ownSettingsFile(), settingsPath(game.options),
                                                 !game.options.settingsPath.empty(), home)};
    if (!game.menuProblem.empty()) {
        notes.push_back(game.menuProblem);
    }
    return layoutPage(menuPage(game.menu, game.match.settings, notes), game.window.viewportWidth,
                      game.window.viewportHeight, game.lists);
}

// The pointer over an entry selects it, a click acts on it; on the how-to-play page a
// click anywhere goes back.
void pointAtMenu(Game& game, int y, bool click) {
    MenuEntry entry = MenuEntry::Resume;
    bool onEntry = false;
    for (const PlacedRow& row : menuRows(game)) {
        if (y >= row.top && y < row.top + row.height && entryOnLine(game.menu, row.line, entry)) {
            onEntry = true;
        }
    }
    if (click && (onEntry || game.menu.page == MenuPage::HowToPlay)) {
        actOnMenu(game, clickMenuEntry(game.menu, entry));
    } else if (onEntry) {
        game.menu.selected = entry;
    }
}

std::optional<MenuKey> menuKeyFor(int code, bool alt) {
    switch (code) {
        case KeyUp:
            return MenuKey::Up;
        case KeyDown:
            return MenuKey::Down;
        case KeyLeft:
            return MenuKey::Left;
        case KeyRight:
            return MenuKey::Right;
        case KeyEnter:
            return alt ? MenuKey::ToggleFullscreen : MenuKey::Enter;
        case KeyEscape:
            return MenuKey::Escape;
        case backspaceKey:
            return MenuKey::Backspace;
        case tabKey:
            return MenuKey::Tab;
        case KeyF1:
            return MenuKey::ToggleFullscreen;
        default:
            return std::nullopt;
    }
}

bool gameIsOver(const MatchState& s) {
    return s.rallyState == P1WinsGame || s.rallyState == P2WinsGame;
}

// The keys the shell keeps from the match: Tab opens the menu, every key goes to the menu
// while it is open, and Enter after the last point starts a new game. A replay has no menu.
bool shellTakesKey(Game& game, int code, bool alt) {
    if (game.replay) {
        return false;
    }
    if (game.menu.open) {
        if (const std::optional<MenuKey> key = menuKeyFor(code, alt)) {
            actOnMenu(game, pressMenuKey(game.menu, *key));
        }
        return true;
    }
    if (code == tabKey) {
        openGameMenu(game);
        return true;
    }
    if (code == KeyEnter && !alt && gameIsOver(game.match.state)) {
        startNewGameNow(game, game.match.settings);
        return true;
    }
    return false;
}

// A key let go always reaches the capture, so that nothing stays held.
void handlePadKey(Game& game, int code, bool down) {
    if (!down) {
        releaseKey(game.capture, KeySource::Gamepad, code);
    } else if (!shellTakesKey(game, code, false)) {
        pressKey(game.capture, KeySource::Gamepad, code);
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
            if (event.key.repeat == 0 && shellTakesKey(game, virtualKeyFor(event.key.keysym.sym),
                                                       (event.key.keysym.mod & KMOD_ALT) != 0)) {
                break;
            }
            captureKey(game.capture, event.key);
            break;
        case SDL_KEYUP:
            captureKey(game.capture, event.key);
            break;
        case SDL_TEXTINPUT:
            if (game.menu.open) {
                typeIntoMenu(game.menu, event.text.text);
            }
            break;
        case SDL_MOUSEMOTION:
            if (game.menu.open) {
                pointAtMenu(game, event.motion.y, false);
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT && game.menu.open) {
                pointAtMenu(game, event.button.y, true);
            } else if (event.button.button == SDL_BUTTON_LEFT) {
                captureButton(game.capture, true);
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT) {
                captureButton(game.capture, false);
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
                handleGamepadEvent(game.pads, event, [&game](int code, bool down) {
                    handlePadKey(game, code, down);
                });
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
    if (replay.newGame) {
        startNewGameNow(game, *replay.newGame);
    }
    replay.more = replay.reader->next(replay.next, replay.settings);
    replay.newGame = replay.reader->newGame();
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

void drawMenu(const Game& game) {
    drawPage(menuRows(game), game.window.viewportWidth, game.window.viewportHeight, game.lists);
}

// A network game's frame: Esc and F1 act at once, whatever the match; the shared match steps
// when the session lets it, on a command left alone while this player is in the menu; the
// confirmed updates are recorded, traced and heard; the latest prediction is drawn from this
// player's end, under the menu when it is open.
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
    // Asked once a frame: the answer also keeps the pace between the two sides.
    if (net.readyToStep()) {
        if (game.menu.open) {
            net.stepAway(now);
        } else {
            net.step(takeLiveInput(game, net.elapsedMs(now)), now);
        }
    }
    for (const net::ConfirmedUpdate& u : net.takeConfirmed()) {
        if (u.newSettings) {
            writeLine(game.record, formatSettingsLine(u.after.settings));
        }
        if (u.number > 0) {
            writeLine(game.record, formatUpdateLine(u.command));
            if (game.soundOn) {
                playRequestedSounds(game.sound, u.after.requests);
            }
            ++game.frames;
        }
        writeLine(game.trace, formatTraceLine(u.number, u.command.elapsedMs, u.after));
    }
    const Match view = net.view();
    drawFrame(game.lists, view);
    drawNotice(game.lists, view.settings.screenHeight, net.notice());
    if (game.menu.open) {
        drawMenu(game);
    }
    SDL_GL_SwapWindow(game.window.window);
    if (game.frames == game.options.frames) {
        requestQuit(game);
    }
}

void runFrame(Game& game) {
    const SteadyTime frameTime = startFrame(game.schedule, Clock::now());
    const uint32_t now = millisecondTick(frameTime);
    const uint32_t elapsedMs = clampUpdateMs(ticksBetween(game.window.lastTick, now));
    game.window.lastTick = now;
    if (game.net) {
        runNetFrame(game, now);
        return;
    }
    const UpdateInput input =
        game.replay ? takeReplayedInput(game, elapsedMs) : takeLiveInput(game, elapsedMs);
    if (game.replay) {
        // A replay keeps its recorded pace: the next update is due its recorded time later.
        game.schedule.due = frameTime + std::chrono::milliseconds(game.replay->next.elapsedMs);
    }
    writeLine(game.record, formatUpdateLine(input));
    stepMatch(game.match, input);
    drawFrame(game.lists, game.match);
    if (game.soundOn) {
        playRequestedSounds(game.sound, game.match.requests);
    }
    ++game.frames;
    writeLine(game.trace, formatTraceLine(game.frames, input.elapsedMs, game.match));
    SDL_GL_SwapWindow(game.window.window);
    actOnRequests(game);
}

// Frames on a new window start a new schedule, paced by the clock unless the swap does it.
void startSchedule(Game& game) {
    const AppWindow& w = game.window;
    game.schedule =
        FrameSchedule{framePeriod(int(game.options.maxFps), w.vsyncGranted, w.refreshHz)};
}

// While the menu is open a local match stands still under it: no update runs, nothing is
// recorded or traced, and the match's clock does not move on.
void runMenuFrame(Game& game) {
    game.window.lastTick = millisecondTick(startFrame(game.schedule, Clock::now()));
    drawFrame(game.lists, game.match);
    drawMenu(game);
    SDL_GL_SwapWindow(game.window.window);
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
        } else if (const auto wait = timeUntilDue(game.schedule, Clock::now()); wait.count() > 0) {
            // Events that come meanwhile wait in the queue: the frame reads them at its start.
            std::this_thread::sleep_for(wait);
        } else if (game.menu.open && !game.net) {
            runMenuFrame(game);
        } else {
            runFrame(game);
        }
    }
}

void reportWindow(const Game& game) {
    const int samples = game.multisample.samples;
    if (game.multisample.requested > samples) {
        std::cerr << "spinvale: warning: the display has no " << game.multisample.requested
                  << "-sample multisampling; using " << samples << " samples\n";
    }
    if (!game.options.verbose) {
        return;
    }
    std::cerr << "spinvale: " << game.window.renderer << ", " << samples << " samples, ";
    if (game.schedule.period.count() > 0) {
        std::cerr << "frames paced by the clock to " << game.options.maxFps << " a second\n";
    } else if (game.options.maxFps > 0) {
        std::cerr << "frames paced by the display's " << game.window.refreshHz << " Hz vsync\n";
    } else {
        std::cerr << "frames not paced\n";
    }
}

int runWindowLoop(Game& game) {
    bool firstWindow = true;
    game.window.vsync = game.options.maxFps > 0;
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
        startSchedule(game);
        game.menu.samplesInUse = game.multisample.samples;
        showCursorForMenu(game);
        if (firstWindow) {
            reportWindow(game);
            if (!game.net) {  // a network game traces its confirmed updates only
                writeLine(game.trace, formatTraceLine(0, 0, game.match));
            }
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

bool openNetGame(Game& game) {
    std::string error;
    if (!startNetGame(game, game.options, readGameSettings(game), error)) {
        std::cerr << "spinvale: " << error << "\n";
        return false;
    }
    return true;
}

}  // namespace

int runGame(const Options& options) {
    Game game;
    game.options = options;
    game.sound.dataPaths = gameDataPaths(options.dataDir);
    if (!startOutputs(game) || (!options.replayPath.empty() && !openReplay(game))) {
        return 1;
    }
    if ((options.hosting || !options.joinHost.empty()) && !openNetGame(game)) {
        return 1;
    }
    takeWindowSize(game);
    takeDisplayChoices(game);
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
