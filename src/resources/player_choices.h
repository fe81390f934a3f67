// What the player chose in the game's menu, as it is laid over settings read from a file:
// only the fields the player set count, so that the others (and a record's reserved bytes)
// stay as the file has them.
#pragma once

#include <bitset>
#include <cstddef>
#include <iterator>

#include "match.h"
#include "settings_file.h"

namespace spinvale {

// The window and sound choices one by one.
enum class DisplayField { Fullscreen, Sound, Samples };

struct PlayerChoices {
    GameSettings settings;   // the values chosen; only the fields set count
    DisplayChoices display;  // likewise
    std::bitset<std::size(settingsFields)> fieldsSet;  // by place in settingsFields
    std::bitset<3> displaySet;                         // by DisplayField
};

void markSet(PlayerChoices& choices, const SettingsField& f);
void markSet(PlayerChoices& choices, DisplayField f);

// The fields the player set, laid over settings, a file's record or display choices.
void layOver(const PlayerChoices& choices, GameSettings& settings);
void layOver(const PlayerChoices& choices, SettingsRecord& record);
void layOver(const PlayerChoices& choices, DisplayChoices& display);

// The same value of one field in both.
bool sameField(const GameSettings& a, const GameSettings& b, const SettingsField& f);

}  // namespace spinvale
