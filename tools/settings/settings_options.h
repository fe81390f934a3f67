// The settings tool's options: each changes one or more fields of a settings record, and
// refuses a value the game could not use.
#pragma once

#include <string>

#include "settings_file.h"

namespace spinvale {

struct SettingsOption {
    const char* name;      // "--points"
    const char* argument;  // what --help shows after the name: "11|21"
    const char* help;      // what it changes
    const char* expected;  // what a refused value is told it should be: "11 or 21"
    // Writes the value into the record; false, with the record unchanged, when refused.
    bool (*apply)(SettingsRecord& record, const std::string& value);
};

extern const SettingsOption settingsOptions[12];

// The option list for --help, one line each.
std::string settingsOptionsHelp();

}  // namespace spinvale
