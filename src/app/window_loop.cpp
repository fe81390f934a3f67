#include "window_loop.h"

#include <SDL.h>

#include <chrono>
#include <iostream>
#include <thread>

#include "frame_timing.h"
#include "game_start.h"
#include "input_capture.h"
#include "lan_answer.h"
#include "lan_search.h"
#include "messages.h"
#include "practice_driver.h"
#include "responders.h"
#include "screen.h"
#include "sdl_input.h"

namespace spinvale {

namespace {

using Clock = std::chrono::steady_clock;

// The sounds an update asked for, heard while the player keeps the sound on.
OutputSink::PlaySounds soundsOf(Screen& screen) {
    return [&screen](const MatchRequests& requests) {
        if (screen.display.sound) {
            playRequestedSounds(screen.sound, requests);
        }
    };
}

class WindowLoop {
  public:
    WindowLoop(const Options& options, SettingsStore& store, Screen& screen, GameOutputs& outputs,
               std::unique_ptr<MatchDriver> driver, const ReplayDriver* replay);
    ~WindowLoop() { closeGamepads(pads_); }
    int run();

  private:
    void pump();
    void answer(const InputEvent& event);
    void followWindow(const WindowEvent& event);
    void runFrame();
    ShellState shellState() const;
    std::vector<PlacedRow> menuPage() const;
    std::vector<PlacedRow> pageOver(const Match& shown) const;
    void carryOut(const Intent& intent);
    void startPractice(const StartPractice& request);
    void applyDisplay(const DisplayChoices& chosen);
    void startNetGameFromMenu(const StartNetGame& request);
    void reportWindow() const;

    const Options& options_;
    SettingsStore& store_;
    Screen& screen_;
    GameOutputs& outputs_;
    std::unique_ptr<MatchDriver> driver_;
    const ReplayDriver* replay_;  // the driver, when it is a replay
    Menu menu_;
    InputCapture capture_;
    Gamepads pads_;
    Responders responders_;
    CapturedCommands commands_;
    LanSearch lanSearch_;
    std::string copied_;  // the text last put on the clipboard
    FrameSchedule schedule_;
    bool keepRunning_ = true;
    bool remake_ = false;  // the window is made again before the next frame
};

WindowLoop::WindowLoop(const Options& options, SettingsStore& store, Screen& screen,
                       GameOutputs& outputs, std::unique_ptr<MatchDriver> driver,
                       const ReplayDriver* replay)
    : options_(options),
      store_(store),
      screen_(screen),
      outputs_(outputs),
      driver_(std::move(driver)),
      replay_(replay),
      responders_(menu_, capture_, [this](int y) { return lineAt(menuPage(), y); }),
      commands_(capture_, readPointer) {
    menu_.watchersWelcome = !options.noWatchers;
    menu_.hostName = options.lanName.empty() ? net::userDisplayName() : options.lanName;
    menu_.askRouter = !options.noRouter;
}

// Each window: made with everything its context holds, its frames on a new schedule (paced
// by the clock unless the swap does it), and no time counted for its making.
int WindowLoop::run() {
    screen_.window.vsync = options_.maxFps > 0;
    for (bool first = true; keepRunning_; first = false) {
        if (!openScreen(screen_, options_.dialogs, driver_->shown().settings.simpleGraphics == 1)) {
            const std::string reason = SDL_GetError();
            showError("Error Creating OpenGL Window", options_.dialogs);
            std::cerr << "spinvale: " << reason << "\n";
            return 1;
        }
        releaseAll(capture_);
        const AppWindow& w = screen_.window;
        schedule_ = FrameSchedule{framePeriod(int(options_.maxFps), w.vsyncGranted, w.refreshHz)};
        menu_.samplesInUse = screen_.multisample.samples;
        driver_->resumeAt(millisecondTick(Clock::now()));
        if (first) {
            reportWindow();
        }
        remake_ = false;
        pump();
        closeScreen(screen_);
    }
    for (const std::string& news : driver_->close()) {
        std::cerr << "spinvale: " << news << "\n";
    }
    return replay_ == nullptr || replayedWhole(*replay_, options_.replayPath) ? 0 : 1;
}

// Events first, always; frames only while the window is shown (a match that cannot wait
// plays on), and no sooner than the frame limit allows. Ends when the window is to be made
// again or the game ends.
void WindowLoop::pump() {
    std::vector<InputEvent> events;
    while (keepRunning_ && !remake_) {
        SDL_Event event;
        if (SDL_PollEvent(&event) != 0) {
            events.clear();
            translateEvent(event, pads_, events);
            for (const InputEvent& e : events) {
                answer(e);
            }
        } else if (!screen_.window.visible && waits(driver_->control())) {
            SDL_WaitEvent(nullptr);
        } else if (const auto wait = timeUntilDue(schedule_, Clock::now()); wait.count() > 0) {
            // Events that come meanwhile wait in the queue: the frame reads them at its start.
            std::this_thread::sleep_for(wait);
        } else {
            runFrame();
        }
    }
}

void WindowLoop::answer(const InputEvent& event) {
    if (const auto* window = std::get_if<WindowEvent>(&event)) {
        followWindow(*window);
        return;
    }
    std::vector<Intent> intents;
    responders_.respond(event, shellState(), intents);
    for (const Intent& intent : intents) {
        carryOut(intent);
    }
}

void WindowLoop::followWindow(const WindowEvent& event) {
    switch (event.change) {
        case WindowChange::Hidden:
        case WindowChange::Shown:
            screen_.window.visible = event.change == WindowChange::Shown;
            break;
        case WindowChange::Resized:
            followResize(screen_.window, event.width, event.height);
            break;
        case WindowChange::Closed:
            carryOut(Quit{});
            break;
    }
}

// The one frame pipeline: the driver's updates go to the outputs (recording, trace, sounds),
// then the match is drawn, under the menu or the statistics of a won game, and shown; then
// what the driver left for after the frame (the coach's stepping), before the next frame.
void WindowLoop::runFrame() {
    const SteadyTime frameTime = startFrame(schedule_, Clock::now());
    const DriverFrame frame = driver_->frame(millisecondTick(frameTime), menu_.open, commands_);
    lanSearch_.follow(menu_, millisecondTick(frameTime));
    outputs_.sink().take(frame.updates);
    for (const std::string& news : frame.news) {
        std::cerr << "spinvale: " << news << "\n";
    }
    const Match shown = driver_->shown();
    const std::vector<PlacedRow> page = pageOver(shown);
    showFrame(screen_, shown, {driver_->notice(), driver_->scoreNote(), driver_->cornerNote()},
              page.empty() ? nullptr : &page);
    driver_->afterShown();
    if (frame.nextDueMs) {  // a replay keeps its recorded pace
        schedule_.due = frameTime + std::chrono::milliseconds(*frame.nextDueMs);
    }
    for (const Intent& intent : frame.intents) {
        carryOut(intent);
    }
    if (outputs_.sink().updates() == options_.frames) {
        carryOut(Quit{});
    }
}

ShellState WindowLoop::shellState() const {
    const Match shown = driver_->shown();
    const RallyState rally = shown.state.rallyState;
    const std::optional<DriverPage> page = menu_.open ? std::nullopt : driver_->page();
    return {driver_->control(),
            shown.settings,
            rally == P1WinsGame || rally == P2WinsGame,
            screen_.display,
            screen_.multisample.samples,
            page ? page->copyable : ""};
}

std::vector<PlacedRow> WindowLoop::menuPage() const {
    return menuLayout(screen_, menu_, driver_->shown().settings, store_.menuNotes(),
                      outputs_.sink().statistics());
}

// The open menu's page; else the driver's (the host's waiting page, which says when its
// text was copied); else, once a game is won, its statistics.
std::vector<PlacedRow> WindowLoop::pageOver(const Match& shown) const {
    if (menu_.open) {
        return menuPage();
    }
    if (std::optional<DriverPage> page = driver_->page()) {
        if (!page->copyable.empty() && page->copyable == copied_) {
            page->lines.push_back({LineStyle::Note, page->copiedNote});
        }
        const AppWindow& w = screen_.window;
        return layoutPage(page->lines, w.viewportWidth, w.viewportHeight, screen_.lists);
    }
    const RallyState rally = shown.state.rallyState;
    if (rally != P1WinsGame && rally != P2WinsGame) {
        return {};
    }
    return statisticsLayout(screen_, outputs_.sink().statistics(), rally == P1WinsGame ? 1 : 2,
                            driver_->control() == MatchControl::Local);
}

void WindowLoop::carryOut(const Intent& intent) {
    std::visit(
        [this](const auto& i) {
            using I = std::decay_t<decltype(i)>;
            if constexpr (std::is_same_v<I, Quit>) {
                keepRunning_ = false;
            } else if constexpr (std::is_same_v<I, ToggleFullscreen>) {
                screen_.display.fullscreen = !screen_.display.fullscreen;
                remake_ = true;
            } else if constexpr (std::is_same_v<I, ApplyDisplay>) {
                applyDisplay(i.display);
            } else if constexpr (std::is_same_v<I, KeepChoices>) {
                if (const std::string error = store_.keep(i.choices); !error.empty()) {
                    std::cerr << "spinvale: " << error << "\n";
                }
            } else if constexpr (std::is_same_v<I, NewGame>) {
                driver_->startNewGame(i.settings);
            } else if constexpr (std::is_same_v<I, StartPractice>) {
                startPractice(i);
            } else if constexpr (std::is_same_v<I, CopyText>) {
                // Said copied only when it was: a system without a clipboard says no.
                copied_ = SDL_SetClipboardText(i.text.c_str()) == 0 ? i.text : copied_;
            } else {
                startNetGameFromMenu(i);
            }
        },
        intent);
}

// Sound at once; a new fullscreen mode or sample count with a new window, in which the
// match goes on as it stands.
void WindowLoop::applyDisplay(const DisplayChoices& chosen) {
    DisplayChoices& display = screen_.display;
    display.sound = chosen.sound;
    if (chosen.fullscreen == display.fullscreen && chosen.samples == display.samples) {
        return;
    }
    if (chosen.samples != display.samples) {
        screen_.multisample = Multisample{chosen.samples, -1};
    }
    display = chosen;
    remake_ = true;
}

// A drill in place of the game of the player's own (the menu offers it in no other), its
// recording and trace going on.
void WindowLoop::startPractice(const StartPractice& request) {
    if (auto* local = dynamic_cast<LocalDriver*>(driver_.get())) {
        driver_ =
            std::make_unique<PracticeDriver>(std::move(*local), request.rules, request.settings);
    }
}

// Host or Join from the menu: the game so far gives way to a network game in this window,
// and the recording and the trace begin afresh to hold it. When it cannot start, the menu
// says why.
void WindowLoop::startNetGameFromMenu(const StartNetGame& request) {
    std::string problem;
    std::unique_ptr<MatchDriver> net = startNetGame(request, options_, store_.settings(), problem);
    if (!net) {
        menu_.netProblem = problem;
        return;
    }
    driver_ = std::move(net);
    replay_ = nullptr;
    menu_.open = false;
    outputs_.begin(options_, store_.fullPath(), soundsOf(screen_));
}

void WindowLoop::reportWindow() const {
    const int samples = screen_.multisample.samples;
    const int requested = screen_.multisample.requested;
    if (requested > samples) {
        std::cerr << "spinvale: warning: the display has no " << requested
                  << "-sample multisampling; using " << samples << " samples\n";
    }
    if (!options_.verbose) {
        return;
    }
    std::cerr << "spinvale: " << screen_.window.renderer << ", " << samples << " samples, ";
    if (schedule_.period.count() > 0) {
        std::cerr << "frames paced by the clock to " << options_.maxFps << " a second\n";
    } else if (options_.maxFps > 0) {
        std::cerr << "frames paced by the display's " << screen_.window.refreshHz << " Hz vsync\n";
    } else {
        std::cerr << "frames not paced\n";
    }
}

// SDL falls back to drivers that draw nowhere when no display answers; the game only uses
// them when the player names one in SDL_VIDEODRIVER.
bool showsNothing(const char* driver) {
    const std::string name = driver != nullptr ? driver : "";
    return (name == "offscreen" || name == "dummy") && SDL_getenv("SDL_VIDEODRIVER") == nullptr;
}

bool startVideo() {
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
    return true;
}

}  // namespace

int runGame(const Options& options) {
    SettingsStore store(options.settingsPath, options.dataDir);
    for (const std::string& warning : store.takeWarnings()) {
        std::cerr << "spinvale: warning: " << warning << "\n";
    }
    Screen screen;
    screen.data = gameDataPaths(options.dataDir);
    screen.sound.dataPaths = screen.data;
    GameOutputs outputs;
    if (!outputs.begin(options, store.fullPath(), soundsOf(screen))) {
        return 1;
    }
    const ReplayDriver* replay = nullptr;
    std::unique_ptr<MatchDriver> driver = startFirstGame(options, store, replay);
    if (!driver) {
        return 1;
    }
    // The window's size is taken at start; the window and sound as the player last chose
    // them, unless --windowed, --fullscreen or --samples say otherwise.
    const GameSettings first = driver->shown().settings;
    screen.window.width = first.screenWidth;
    screen.window.height = first.screenHeight;
    screen.display = store.display();
    if (options.windowed) {
        screen.display.fullscreen = !*options.windowed;
    }
    if (options.samples >= 0) {
        screen.display.samples = options.samples;
    }
    screen.multisample.requested = screen.display.samples;
    SDL_SetMainReady();
    if (!startVideo()) {
        const std::string reason = SDL_GetError();
        showError("RegisterClassEx Failed!", options.dialogs);
        showError("Error Registering Window Class!", options.dialogs);
        std::cerr << "spinvale: the video system did not start: " << reason << "\n";
        SDL_Quit();
        return 255;
    }
    WindowLoop loop(options, store, screen, outputs, std::move(driver), replay);
    const int status = loop.run();
    shutdownSound(screen.sound);
    SDL_Quit();
    return status;
}

}  // namespace spinvale
