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
std::string formatSettingsComment(const std::string& settingsPath);

// The settings file a recording's first line names, "" when it names none.
std::string settingsNamedBy(std::string_view firstLine);

// What a new-game line does to a match: the score and the result cleared, then the match
// restarted with the settings as a new window restarts it, so that the first server is
// drawn again.
void startNewGame(Match& match, const GameSettings& settings);

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
    const std::string& error() const { return error_; }
    long lineNumber() const { return lineNumber_; }

  private:
    std::istream& in_;
    long lineNumber_ = 0;
    std::optional<GameSettings> newGame_;
    std::string error_;
};

// One line on its own: an update, a settings or new-game line (with the settings in
// settings), a line to skip, or a malformed line with the reason in error.
enum class LineKind { Update, Settings, NewGame, Skip, Malformed };
LineKind parseRecordingLine(std::string_view line, UpdateInput& input, GameSettings& settings,
                            std::string& error);

}  // namespace spinvale
