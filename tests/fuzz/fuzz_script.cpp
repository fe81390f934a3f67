// Any text as the headless runner's input script: a line is read or refused, never
// misread; what is read writes back the same and drives a match without undefined
// behaviour.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "match.h"
#include "replay.h"

using namespace spinvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Match match;
    initMatchState(match);
    match.settings = defaultGameSettings();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ScriptInput input;
        std::string error;
        const ScriptLineKind kind = parseScriptLine(line, input, error);
        if (kind == ScriptLineKind::Malformed && error.empty()) {
            std::abort();
        }
        if (kind != ScriptLineKind::Input) {
            continue;
        }
        const std::string written = formatScriptLine(input);
        ScriptInput again;
        if (parseScriptLine(written, again, error) != ScriptLineKind::Input ||
            formatScriptLine(again) != written) {
            std::abort();
        }
        applyScriptInput(match, input);
        clearRequests(match);
        updateMatch(match, input.elapsedMs);
    }
    return 0;
}
