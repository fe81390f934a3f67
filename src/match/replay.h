// A game is its input stream: one script line per update, which the headless runner replays
// exactly, and one trace line per update that shows the whole match record afterwards.
//
// Script line: <elapsedMs> <pointerX> <pointerY> <button> [<key> ...]
//   button: 1 (a press arrived before this update), 0 (a release), - (no button message)
//   keys: the virtual-key codes whose flag is 1 at the start of the update
// A recording starts with a comment naming the settings file the game read, so that a
// replay can read the same one:  # settings: <path>
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "match.h"

namespace spinvale {

struct ScriptInput {
    enum Button : int8_t { Released = 0, Pressed = 1, Unchanged = -1 };
    uint32_t elapsedMs = 0;
    int32_t pointerX = 0;
    int32_t pointerY = 0;
    Button button = Unchanged;
    std::array<bool, 256> keysDown = {};
};

enum class ScriptLineKind { Input, Skip, Malformed };

// Blank lines and lines starting with '#' are skipped. A malformed line leaves a reason
// in error.
ScriptLineKind parseScriptLine(std::string_view line, ScriptInput& input, std::string& error);
std::string formatScriptLine(const ScriptInput& input);

// The first line of a recording, and the settings file a script's first line names ("" when
// it names none).
std::string formatSettingsComment(const std::string& settingsPath);
std::string settingsNamedBy(std::string_view firstLine);

// Hands a script line's input to the match as the window's events would have left it.
void applyScriptInput(Match& match, const ScriptInput& input);

// One update as the game makes it, without a window: the requests cleared, the match
// updated, then the two writes drawing makes (paddle 1's lift, paddle 2's lift, the win
// jingle). Afterwards match.requests holds what this update asked for.
void playHeadlessUpdate(Match& match, uint32_t elapsedMs);

// The trace line of an update: the record after it, and the requests it made.
std::string formatTraceLine(int64_t frame, uint32_t elapsedMs, const Match& match);

// Every real of the record is a number (no NaN, no infinity): what the long checks of many
// games ask after each update.
bool allFieldsFinite(const MatchState& s);

}  // namespace spinvale
