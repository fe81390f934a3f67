// Any settings-tool words (each ended by a zero byte): an accepted value gives a record read
// without a warning; a refused one leaves the record as it was.
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
