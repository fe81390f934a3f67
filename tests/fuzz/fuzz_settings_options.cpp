// Any command-line values for the settings tool: a value it accepts gives a record the game
// reads without a single warning; one it refuses leaves the record as it was.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings_options.h"

using namespace spinvale;

// The input is a list of option and value words separated by zero bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<std::string> words(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            words.emplace_back();
        } else {
            words.back() += static_cast<char>(data[i]);
        }
    }
    SettingsRecord record = defaultSettingsRecord();
    for (std::size_t i = 0; i + 1 < words.size(); i += 2) {
        const SettingsRecord before = record;
        std::string error;
        if (!applySettingsOption(record, words[i], words[i + 1], error)) {
            if (record != before || error.empty()) {
                std::abort();
            }
            continue;
        }
        std::vector<std::string> warnings;
        decodeSettings(record, "fuzz.dat", warnings);
        if (!warnings.empty()) {
            std::abort();
        }
    }
    return 0;
}
