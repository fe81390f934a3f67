// The settings tool's options: each changes one or more fields of a settings record, and
// refuses a value the game could not use.
#pragma once

#include <string>

#include "settings_file.h"

namespace spinvale {

// Applies "--option value" to the record. False, with a message saying what the option
// expects, when the option is unknown or the value is refused; the record is then unchanged.
bool applySettingsOption(SettingsRecord& record, const std::string& option,
                         const std::string& value, std::string& error);

// The option list for --help, one line each.
extern const char* const settingsOptionsHelp;

}  // namespace spinvale
