// A way to play is a driver: each frame it turns the clock and the local player's command
// into the updates carried out on its match. Local play, a replay and a network game are
// drivers; the window and the headless runner run any of them the same way, and hand what
// they carried out to one output sink. A driver knows nothing of windows, drawing or files.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "intents.h"
#include "match.h"
#include "page.h"

namespace spinvale {

using KeySet = std::bitset<256>;

// Where the local player's commands come from: the window's keyboard, mouse and gamepads, or
// a runner's script. Asked lazily: a driver that steps no update leaves what was gathered
// for the next one.
class CommandSource {
  public:
    virtual ~CommandSource() = default;
    // The keys pressed or held since the last command, left in place (Esc and F1 act on
    // them at once, whatever the match).
    virtual KeySet keys() const = 0;
    // The command of the coming update, which uses up what was gathered for it; nothing
    // when there is none yet (a script whose time has not come, or that has ended).
    // elapsedMs is what the driver's clock gives the update; a script keeps its own.
    virtual std::optional<UpdateInput> take(uint32_t elapsedMs) = 0;
};

// A drill the player started, with the settings it is played on.
struct PracticeStart {
    PracticeRules rules;
    GameSettings settings;
};

// One update carried out: its number (0: the match as it starts, traced only), its command,
// the match after it, and the recording's lines due before it.
struct DriverUpdate {
    int64_t number = 0;
    UpdateInput command;
    Match after;
    std::optional<GameSettings> settings;        // a "settings" line: the settings from here on
    std::optional<GameSettings> newGame;         // a "new-game" line: the player started a new game
    std::optional<PracticeStart> practice = {};  // a "practice" line: the player started a drill
};

// What a driver did in one frame.
struct DriverFrame {
    std::vector<DriverUpdate> updates;
    std::vector<Intent> intents;        // quit, or a switch of window
    std::vector<std::string> news;      // for the player, on stderr
    std::optional<uint32_t> nextDueMs;  // a replay's pace: when its next update is due
    bool leftOut = false;  // an update left out to let the other side of a network game catch up
};

// A page a driver holds over its match (a network host's waiting screen): its lines, a text
// that a click or Ctrl+C copies to the clipboard, and the note shown once it is copied.
struct DriverPage {
    std::vector<PageLine> lines;
    std::string copyable;
    std::string copiedNote;
};

// What the player may do to a driver's match from the shell.
enum class MatchControl {
    Local,     // the player's own: it waits under the menu and while the window is minimised
    Shared,    // played with others: it never waits, and the menu leaves it alone
    Replayed,  // played as recorded: no menu, no new games; it waits while minimised
};

class MatchDriver {
  public:
    virtual ~MatchDriver() = default;
    // One frame at the millisecond tick; away: the player is in the menu.
    virtual DriverFrame frame(uint32_t tickMs, bool away, CommandSource& commands) = 0;
    // The match to draw, seen from the local player's end.
    virtual Match shown() const = 0;
    // What the screen says beside the match ("" for nothing).
    virtual std::string notice() const { return ""; }
    // What the screen says under the score, a line or two ("" for nothing).
    virtual std::string scoreNote() const { return ""; }
    // A page over the match, if the driver holds one.
    virtual std::optional<DriverPage> page() const { return std::nullopt; }
    // Work that can wait until the frame is on the screen: the window calls it after each
    // frame is shown, a runner after each frame.
    virtual void afterShown() {}
    virtual MatchControl control() const = 0;
    // A new game the player asked for; only a match of their own takes it.
    virtual void startNewGame(const GameSettings& settings) { (void)settings; }
    // The window was made again at this tick: a match that can wait does not count the time.
    virtual void resumeAt(uint32_t tickMs) { (void)tickMs; }
    // The game ends (a quit, the window closed, a signal): the driver lets go of what it holds
    // beyond this program (a port opened on the router) and says what is left to say.
    virtual std::vector<std::string> close() { return {}; }
};

}  // namespace spinvale
