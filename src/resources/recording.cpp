#include "recording.h"

#include <charconv>
#include <vector>

#include "practice.h"
#include "settings_file.h"

namespace spinvale {

namespace {

constexpr std::string_view settingsCommentStart = "# settings: ";
constexpr std::string_view settingsLineStart = "settings";
constexpr std::string_view newGameLineStart = "new-game";
constexpr std::string_view practiceLineStart = "practice";

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Splits off the next blank-separated word; empty at the end of the line.
std::string_view nextWord(std::string_view& rest) {
    std::size_t start = 0;
    while (start < rest.size() && isSpace(rest[start])) {
        ++start;
    }
    std::size_t end = start;
    while (end < rest.size() && !isSpace(rest[end])) {
        ++end;
    }
    const std::string_view word = rest.substr(start, end - start);
    rest.remove_prefix(end);
    return word;
}

template <typename Number>
bool parseNumber(std::string_view word, Number& value) {
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return !word.empty() && ec == std::errc() && end == word.data() + word.size();
}

std::string floatText(float value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

LineKind malformed(std::string& error, const char* reason) {
    error = reason;
    return LineKind::Malformed;
}

LineKind parseUpdate(std::string_view first, std::string_view rest, UpdateInput& input,
                     std::string& error) {
    UpdateInput parsed;
    if (!parseNumber(first, parsed.elapsedMs)) {
        return malformed(error, "elapsed milliseconds must be a whole number from 0 to 4294967295");
    }
    if (!parseNumber(nextWord(rest), parsed.pointerX) ||
        !parseNumber(nextWord(rest), parsed.pointerY)) {
        return malformed(error, "the pointer must be two whole numbers (screen pixels)");
    }
    const std::string_view button = nextWord(rest);
    if (button == "1") {
        parsed.button = ButtonMessage::Pressed;
    } else if (button == "0") {
        parsed.button = ButtonMessage::Released;
    } else if (button != "-") {
        return malformed(error, "the button must be 1, 0 or -");
    }
    for (std::string_view word = nextWord(rest); !word.empty(); word = nextWord(rest)) {
        int key = 0;
        if (!parseNumber(word, key) || key < 0 || key > 255) {
            return malformed(error, "a key must be a virtual-key code from 0 to 255");
        }
        parsed.keys.set(static_cast<std::size_t>(key));
    }
    input = parsed;
    return LineKind::Update;
}

// The adaptive strength is newer than recordings: a line names it only when it is chosen,
// so a recording of a fixed strength reads as it always did, and a line without it keeps
// the strength fixed.
bool namedOnlyWhenSet(const SettingsField& f) {
    return f.offset == field::adaptiveStrength.offset;
}

// Every field once, by its name in the settings file; the values go through the same checks
// as a settings file's.
LineKind parseSettings(std::string_view rest, GameSettings& settings, std::string& error) {
    SettingsRecord record{};
    std::vector<bool> seen(std::size(settingsFields));
    for (std::string_view word = nextWord(rest); !word.empty(); word = nextWord(rest)) {
        const std::size_t equals = word.find('=');
        const std::string_view name = word.substr(0, equals);
        const std::string_view text =
            equals == std::string_view::npos ? std::string_view() : word.substr(equals + 1);
        std::size_t i = 0;
        while (i < std::size(settingsFields) && name != settingsFields[i].name) {
            ++i;
        }
        if (i == std::size(settingsFields) || seen[i]) {
            return malformed(error, "a settings line names each settings field once");
        }
        seen[i] = true;
        const SettingsField& f = settingsFields[i];
        float real = 0;
        int32_t whole = 0;
        if (f.real != nullptr ? !parseNumber(text, real) : !parseNumber(text, whole)) {
            return malformed(error, "a settings value must be a number");
        }
        if (f.real != nullptr || f.type == FieldType::Double) {
            writeDouble(record, f, f.real != nullptr ? double(real) : double(whole));
        } else {
            writeInt32(record, f, whole);
        }
    }
    for (std::size_t i = 0; i < seen.size(); ++i) {
        if (!seen[i] && !namedOnlyWhenSet(settingsFields[i])) {
            return malformed(error, "a settings line names every settings field");
        }
    }
    std::vector<std::string> warnings;
    const GameSettings decoded = decodeSettings(record, "settings line", warnings);
    if (!warnings.empty()) {
        error = warnings.front();
        return LineKind::Malformed;
    }
    settings = decoded;
    return LineKind::Settings;
}

std::string settingsWords(const GameSettings& settings) {
    std::string line;
    for (const SettingsField& f : settingsFields) {
        if (namedOnlyWhenSet(f) && !(settings.*f.flag)) {
            continue;
        }
        line += " ";
        line += f.name;
        line += "=";
        line += f.real != nullptr    ? floatText(settings.*f.real)
                : f.whole != nullptr ? std::to_string(settings.*f.whole)
                                     : std::to_string(int(settings.*f.flag));
    }
    return line;
}

// The drill and the target, then the settings.
LineKind parsePractice(std::string_view rest, GameSettings& settings, PracticeRules* practice,
                       std::string& error) {
    PracticeRules rules;
    const std::string_view mode = nextWord(rest);
    const std::string_view target = nextWord(rest);
    if (mode.substr(0, 5) != "mode=" || !readPracticeMode(mode.substr(5), rules.mode) ||
        rules.mode == PracticeMode::None) {
        return malformed(error, "a practice line starts with mode=returns or mode=rally");
    }
    if (target.substr(0, 7) != "target=" || !readPracticeTarget(target.substr(7), rules.target)) {
        return malformed(error, "a practice line's target is target=any, left or right");
    }
    const LineKind kind = parseSettings(rest, settings, error);
    if (kind != LineKind::Settings) {
        return kind;
    }
    if (practice != nullptr) {
        *practice = rules;
    }
    return LineKind::Practice;
}

}  // namespace

LineKind parseRecordingLine(std::string_view line, UpdateInput& input, GameSettings& settings,
                            std::string& error, PracticeRules* practice) {
    std::string_view rest = line;
    const std::string_view first = nextWord(rest);
    if (first.empty() || first.front() == '#') {
        return LineKind::Skip;
    }
    if (first == settingsLineStart) {
        return parseSettings(rest, settings, error);
    }
    if (first == newGameLineStart) {
        const LineKind kind = parseSettings(rest, settings, error);
        return kind == LineKind::Settings ? LineKind::NewGame : kind;
    }
    if (first == practiceLineStart) {
        return parsePractice(rest, settings, practice, error);
    }
    return parseUpdate(first, rest, input, error);
}

std::string formatUpdateLine(const UpdateInput& input) {
    std::string line = std::to_string(input.elapsedMs) + " " + std::to_string(input.pointerX) +
                       " " + std::to_string(input.pointerY) + " ";
    line += input.button == ButtonMessage::Pressed    ? "1"
            : input.button == ButtonMessage::Released ? "0"
                                                      : "-";
    for (std::size_t key = 0; key < input.keys.size(); ++key) {
        if (input.keys[key]) {
            line += " " + std::to_string(key);
        }
    }
    return line;
}

std::string formatSettingsLine(const GameSettings& settings) {
    return std::string(settingsLineStart) + settingsWords(settings);
}

std::string formatNewGameLine(const GameSettings& settings) {
    return std::string(newGameLineStart) + settingsWords(settings);
}

std::string formatPracticeLine(const PracticeRules& practice, const GameSettings& settings) {
    return std::string(practiceLineStart) + " mode=" + practiceModeName(practice.mode) +
           " target=" + practiceTargetName(practice.target) + settingsWords(settings);
}

namespace {

// The score and the result cleared, then the match restarted with the settings, as a new
// window restarts it, under the rules given.
void startAfresh(Match& match, const PracticeRules& practice, const GameSettings& settings) {
    MatchState& s = match.state;
    s.score1 = 0;
    s.score2 = 0;
    s.firstServer = 0;
    s.winSoundPlayed = false;
    match.practice = practice;
    restartMatch(match, settings);
}

}  // namespace

void startNewGame(Match& match, const GameSettings& settings) {
    startAfresh(match, PracticeRules{}, settings);
}

void startPractice(Match& match, const PracticeRules& practice, GameSettings settings) {
    settings.player2Keyboard = false;
    startAfresh(match, practice, settings);
}

std::string formatSettingsComment(const std::string& settingsPath) {
    return std::string(settingsCommentStart) + settingsPath;
}

std::string settingsNamedBy(std::string_view firstLine) {
    if (firstLine.substr(0, settingsCommentStart.size()) != settingsCommentStart) {
        return "";
    }
    firstLine.remove_prefix(settingsCommentStart.size());
    if (!firstLine.empty() && firstLine.back() == '\r') {
        firstLine.remove_suffix(1);
    }
    return std::string(firstLine);
}

bool RecordingReader::next(UpdateInput& input, GameSettings& settings) {
    newGame_.reset();
    practice_.reset();
    std::string line;
    while (std::getline(in_, line)) {
        ++lineNumber_;
        std::string error;
        PracticeRules practice;
        switch (parseRecordingLine(line, input, settings, error, &practice)) {
            case LineKind::Update:
                return true;
            case LineKind::Malformed:
                error_ = error;
                return false;
            case LineKind::NewGame:
                newGame_ = settings;
                practice_.reset();
                break;
            case LineKind::Practice:
                practice_ = practice;
                newGame_.reset();
                break;
            case LineKind::Settings:
            case LineKind::Skip:
                break;
        }
    }
    return false;
}

}  // namespace spinvale
