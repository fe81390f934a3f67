// A game is its command stream. A recording holds one line per update, which the headless
// runner and the game's --replay hand back to the match exactly as they were recorded:
//
//   <elapsedMs> <pointerX> <pointerY> <button> [<key> ...]
//     button: 1 (pressed since the previous update), 0 (released), - (no button news)
//     keys: the virtual-key codes that were down at some moment since the previous update
//   settings <name>=<value> ...
//     the match settings from here on: those of the game's start when the line comes before
//     the first update, else those of the next restart (a fullscreen switch)
//   new-game <name>=<value> ...
//     the player started a new game (from the menu, or with Enter after the last point):
//     before the next update the match starts again at 0-0 with these settings, which hold
//     from here on. The time a player spends in the menu is not in the recording.
//   practice mode=<returns|rally> target=<any|left|right> <name>=<value> ...
//     the player started practising: before the next update the match starts the drill
//     with these settings, as a new-game line starts a game; a new-game line ends it.
//   A settings line names adaptiveStrength=1 only when the computer adapts to the player;
//   under it each point that changes the computer's strength is followed by a settings
//   line, so a replay holds the same strength at every update.
//   # <comment>: skipped, as are blank lines. The game's first line names the settings file
//     it read: "# settings: <path>" (recordings older than settings lines have only this).
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "match.h"

namespace spinvale {

std::string formatUpdateLine(const UpdateInput& input);
std::string formatSettingsLine(const GameSettings& settings);
std::string formatNewGameLine(const GameSettings& settings);
std::string formatPracticeLine(const PracticeRules& practice, const GameSettings& settings);
std::string formatSettingsComment(const std::string& settingsPath);

// The settings file a recording's first line names, "" when it names none.
std::string settingsNamedBy(std::string_view firstLine);

// What a new-game line does to a match: the score and the result cleared, then the match
// restarted with the settings as a new window restarts it, so that the first server is
// drawn again.
void startNewGame(Match& match, const GameSettings& settings);

// What a practice line does to a match: as a new game, under the drill's rules, player 2
// the computer whatever the settings say (it serves every ball).
void startPractice(Match& match, const PracticeRules& practice, GameSettings settings);

// Reads a recording's updates in order, the settings lines between them applied.
class RecordingReader {
  public:
    explicit RecordingReader(std::istream& in) : in_(in) {}

    // The next update; settings and new-game lines met on the way are taken into settings.
    // False at the end of the recording, or at a malformed line (then error() says why).
    bool next(UpdateInput& input, GameSettings& settings);
    // The settings of the new game the player started before the update next() read last,
    // if one was started.
    const std::optional<GameSettings>& newGame() const { return newGame_; }
    // The drill the player started before that update, if one was started (the settings
    // then hold the drill's): startPractice with both before stepping the update.
    const std::optional<PracticeRules>& practice() const { return practice_; }
    const std::string& error() const { return error_; }
    long lineNumber() const { return lineNumber_; }

  private:
    std::istream& in_;
    long lineNumber_ = 0;
    std::optional<GameSettings> newGame_;
    std::optional<PracticeRules> practice_;
    std::string error_;
};

// One line on its own: an update, a settings, new-game or practice line (with the settings
// in settings, and a practice line's drill in practice when asked for), a line to skip, or a
// malformed line with the reason in error.
enum class LineKind { Update, Settings, NewGame, Practice, Skip, Malformed };
LineKind parseRecordingLine(std::string_view line, UpdateInput& input, GameSettings& settings,
                            std::string& error, PracticeRules* practice = nullptr);

}  // namespace spinvale
