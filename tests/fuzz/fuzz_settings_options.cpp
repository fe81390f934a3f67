// Any command-line values for the settings tool, as option and value words each ended by a
// zero byte: a value an option accepts gives a record the game reads without a warning; one
// it refuses leaves the record as it was.
#include <cstdlib>
#include <sstream>

#include "settings_options.h"

using namespace spinvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::istringstream words(std::string(reinterpret_cast<const char*>(data), size));
    SettingsRecord record = defaultSettingsRecord();
    std::string name, value;
    while (std::getline(words, name, '\0') && std::getline(words, value, '\0')) {
        for (const SettingsOption& option : settingsOptions) {
            if (name != option.name) {
                continue;
            }
            const SettingsRecord before = record;
            const bool accepted = option.apply(record, value);
            std::vector<std::string> warnings;
            decodeSettings(record, "", warnings);
            if (accepted ? !warnings.empty() : record != before) {
                std::abort();
            }
        }
    }
    return 0;
}
