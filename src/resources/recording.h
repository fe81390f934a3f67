// A game is its command stream. A recording holds one line per update, which the headless
// runner and the game's --replay hand back to the match exactly as they were recorded:
//
//   <elapsedMs> <pointerX> <pointerY> <button> [<key> ...]
//     button: 1 (pressed since the previous update), 0 (released), - (no button news)
//     keys: the virtual-key codes that were down at some moment since the previous update
//   settings <name>=<value> ...
//     the match settings from here on: those of the game's start when the line comes before
//     the first update, else those of the next restart (a fullscreen switch)
//   # <comment>: skipped, as are blank lines. The game's first line names the settings file
//     it read: "# settings: <path>" (recordings older than settings lines have only this).
#pragma once

#include <istream>
#include <string>
#include <string_view>

#include "match.h"

namespace spinvale {

std::string formatUpdateLine(const UpdateInput& input);
std::string formatSettingsLine(const GameSettings& settings);
std::string formatSettingsComment(const std::string& settingsPath);

// The settings file a recording's first line names, "" when it names none.
std::string settingsNamedBy(std::string_view firstLine);

// Reads a recording's updates in order, the settings lines between them applied.
class RecordingReader {
  public:
    explicit RecordingReader(std::istream& in) : in_(in) {}

    // The next update; settings lines met on the way are taken into settings. False at the
    // end of the recording, or at a malformed line (then error() says why).
    bool next(UpdateInput& input, GameSettings& settings);
    const std::string& error() const { return error_; }
    long lineNumber() const { return lineNumber_; }

  private:
    std::istream& in_;
    long lineNumber_ = 0;
    std::string error_;
};

// One line on its own: an update, a settings line, a line to skip, or a malformed line with
// the reason in error.
enum class LineKind { Update, Settings, Skip, Malformed };
LineKind parseRecordingLine(std::string_view line, UpdateInput& input, GameSettings& settings,
                            std::string& error);

}  // namespace spinvale
