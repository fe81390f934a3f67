// Any text as a recording: each line read or refused with a reason, what is read writes back
// the same and drives a match without undefined behaviour.
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
        PracticeRules rules, rulesAgain;
        std::string error;
        const LineKind kind = parseRecordingLine(line, input, settings, error, &rules);
        if (kind == LineKind::Malformed && error.empty()) {
            std::abort();
        }
        const auto format = [kind](const UpdateInput& i, const GameSettings& s,
                                   const PracticeRules& r) {
            return kind == LineKind::Update     ? formatUpdateLine(i)
                   : kind == LineKind::NewGame  ? formatNewGameLine(s)
                   : kind == LineKind::Practice ? formatPracticeLine(r, s)
                                                : formatSettingsLine(s);
        };
        const std::string written = format(input, settings, rules);
        if (kind != LineKind::Skip && kind != LineKind::Malformed &&
            (parseRecordingLine(written, inputAgain, settingsAgain, error, &rulesAgain) != kind ||
             format(inputAgain, settingsAgain, rulesAgain) != written)) {
            std::abort();
        }
        if (kind == LineKind::Update) {
            stepMatch(match, input);
        } else if (kind == LineKind::Settings) {
            restartMatch(match, settings);
        } else if (kind == LineKind::NewGame) {
            startNewGame(match, settings);
        } else if (kind == LineKind::Practice) {
            startPractice(match, rules, settings);
        }
    }
    return 0;
}
