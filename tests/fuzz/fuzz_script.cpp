// Any text as a recording: a line is read or refused (with a reason), never misread; what
// is read writes back the same, and its updates, settings and new games drive a match
// without undefined behaviour.
#include <cstdlib>
#include <sstream>

#include "recording.h"

using namespace spinvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
    Match match;
    restartMatch(match, defaultGameSettings());
    for (std::string line; std::getline(lines, line);) {
        UpdateInput input, inputAgain;
        GameSettings settings, settingsAgain;
        std::string error;
        const LineKind kind = parseRecordingLine(line, input, settings, error);
        if (kind == LineKind::Malformed && error.empty()) {
            std::abort();
        }
        const auto format = [kind](const UpdateInput& i, const GameSettings& s) {
            return kind == LineKind::Update    ? formatUpdateLine(i)
                   : kind == LineKind::NewGame ? formatNewGameLine(s)
                                               : formatSettingsLine(s);
        };
        const std::string written = format(input, settings);
        if ((kind == LineKind::Update || kind == LineKind::Settings || kind == LineKind::NewGame) &&
            (parseRecordingLine(written, inputAgain, settingsAgain, error) != kind ||
             format(inputAgain, settingsAgain) != written)) {
            std::abort();
        }
        if (kind == LineKind::Update) {
            stepMatch(match, input);
        } else if (kind == LineKind::Settings) {
            restartMatch(match, settings);
        } else if (kind == LineKind::NewGame) {
            startNewGame(match, settings);
        }
    }
    return 0;
}
