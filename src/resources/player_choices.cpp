#include "player_choices.h"

namespace spinvale {

namespace {

std::size_t placeOf(const SettingsField& f) {
    std::size_t place = 0;
    while (settingsFields[place].offset != f.offset) {
        ++place;
    }
    return place;
}

void copyField(const GameSettings& from, const SettingsField& f, GameSettings& to) {
    if (f.real != nullptr) {
        to.*f.real = from.*f.real;
    } else if (f.whole != nullptr) {
        to.*f.whole = from.*f.whole;
    } else {
        to.*f.flag = from.*f.flag;
    }
}

bool isSet(const PlayerChoices& choices, DisplayField f) {
    return choices.displaySet.test(static_cast<std::size_t>(f));
}

}  // namespace

void markSet(PlayerChoices& choices, const SettingsField& f) {
    choices.fieldsSet.set(placeOf(f));
}

void markSet(PlayerChoices& choices, DisplayField f) {
    choices.displaySet.set(static_cast<std::size_t>(f));
}

void layOver(const PlayerChoices& choices, GameSettings& settings) {
    for (std::size_t i = 0; i < std::size(settingsFields); ++i) {
        if (choices.fieldsSet.test(i)) {
            copyField(choices.settings, settingsFields[i], settings);
        }
    }
}

void layOver(const PlayerChoices& choices, SettingsRecord& record) {
    for (std::size_t i = 0; i < std::size(settingsFields); ++i) {
        if (choices.fieldsSet.test(i)) {
            encodeField(choices.settings, settingsFields[i], record);
        }
    }
}

void layOver(const PlayerChoices& choices, DisplayChoices& display) {
    if (isSet(choices, DisplayField::Fullscreen)) {
        display.fullscreen = choices.display.fullscreen;
    }
    if (isSet(choices, DisplayField::Sound)) {
        display.sound = choices.display.sound;
    }
    if (isSet(choices, DisplayField::Samples)) {
        display.samples = choices.display.samples;
    }
}

bool sameField(const GameSettings& a, const GameSettings& b, const SettingsField& f) {
    return f.real != nullptr    ? a.*f.real == b.*f.real
           : f.whole != nullptr ? a.*f.whole == b.*f.whole
                                : a.*f.flag == b.*f.flag;
}

}  // namespace spinvale
