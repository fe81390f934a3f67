#include "replay.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace spinvale {

namespace {

constexpr std::string_view settingsCommentStart = "# settings: ";

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

template <typename Int>
bool parseWhole(std::string_view word, Int& value) {
    if (word.empty()) {
        return false;
    }
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return ec == std::errc() && end == word.data() + word.size();
}

void appendFloat(std::string& out, float value) {
    if (std::isnan(value)) {
        out += "\"nan\"";
        return;
    }
    if (std::isinf(value)) {
        out += value > 0 ? "\"inf\"" : "\"-inf\"";
        return;
    }
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    out.append(text, written.ptr);
}

void appendField(std::string& out, const char* name, float value) {
    out += ",\"";
    out += name;
    out += "\":";
    appendFloat(out, value);
}

void appendField(std::string& out, const char* name, int64_t value) {
    out += ",\"";
    out += name;
    out += "\":";
    out += std::to_string(value);
}

void appendPaddle(std::string& out, const char* name, const Paddle& p) {
    out += ",\"";
    out += name;
    out += "\":{\"x\":";
    appendFloat(out, p.x);
    appendField(out, "y", p.y);
    appendField(out, "z", p.z);
    appendField(out, "prevX", p.prevX);
    appendField(out, "prevZ", p.prevZ);
    appendField(out, "homeZ", p.homeZ);
    appendField(out, "side", int64_t(p.side));
    appendField(out, "swingAngle", p.swingAngle);
    appendField(out, "swingPhase", int64_t(p.swingPhase));
    out += "}";
}

}  // namespace

ScriptLineKind parseScriptLine(std::string_view line, ScriptInput& input, std::string& error) {
    std::string_view rest = line;
    const std::string_view first = nextWord(rest);
    if (first.empty() || first.front() == '#') {
        return ScriptLineKind::Skip;
    }
    ScriptInput parsed;
    if (!parseWhole(first, parsed.elapsedMs)) {
        error = "elapsed milliseconds must be a whole number from 0 to 4294967295";
        return ScriptLineKind::Malformed;
    }
    if (!parseWhole(nextWord(rest), parsed.pointerX) ||
        !parseWhole(nextWord(rest), parsed.pointerY)) {
        error = "the pointer must be two whole numbers (screen pixels)";
        return ScriptLineKind::Malformed;
    }
    const std::string_view button = nextWord(rest);
    if (button == "1") {
        parsed.button = ScriptInput::Pressed;
    } else if (button == "0") {
        parsed.button = ScriptInput::Released;
    } else if (button == "-") {
        parsed.button = ScriptInput::Unchanged;
    } else {
        error = "the button must be 1, 0 or -";
        return ScriptLineKind::Malformed;
    }
    for (std::string_view word = nextWord(rest); !word.empty(); word = nextWord(rest)) {
        int key = 0;
        if (!parseWhole(word, key) || key < 0 || key > 255) {
            error = "a key must be a virtual-key code from 0 to 255";
            return ScriptLineKind::Malformed;
        }
        parsed.keysDown[key] = true;
    }
    input = parsed;
    return ScriptLineKind::Input;
}

std::string formatScriptLine(const ScriptInput& input) {
    std::string line = std::to_string(input.elapsedMs) + " " + std::to_string(input.pointerX) +
                       " " + std::to_string(input.pointerY) + " ";
    line += input.button == ScriptInput::Pressed    ? "1"
            : input.button == ScriptInput::Released ? "0"
                                                    : "-";
    for (int key = 0; key < 256; ++key) {
        if (input.keysDown[key]) {
            line += " " + std::to_string(key);
        }
    }
    return line;
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

void applyScriptInput(Match& match, const ScriptInput& input) {
    InputState& in = match.input;
    in.pointerX = input.pointerX;
    in.pointerY = input.pointerY;
    if (input.button != ScriptInput::Unchanged) {
        in.leftButton = input.button;
    }
    for (int key = 0; key < 256; ++key) {
        in.keys[key] = input.keysDown[key] ? 1 : 0;
    }
}

void playHeadlessUpdate(Match& match, uint32_t elapsedMs) {
    clearRequests(match);
    updateMatch(match, elapsedMs);
    liftPaddleToBall(match, match.state.paddle1);
    liftPaddleToBall(match, match.state.paddle2);
    requestWinSound(match);
}

std::string formatTraceLine(int64_t frame, uint32_t elapsedMs, const Match& match) {
    const MatchState& s = match.state;
    std::string out;
    out.reserve(900);
    out += "{\"frame\":" + std::to_string(frame);
    appendField(out, "elapsedMs", int64_t(elapsedMs));
    appendField(out, "ballX", s.ballX);
    appendField(out, "ballY", s.ballY);
    appendField(out, "ballZ", s.ballZ);
    appendField(out, "ballVX", s.ballVX);
    appendField(out, "ballVY", s.ballVY);
    appendField(out, "ballVZ", s.ballVZ);
    appendField(out, "ballSpin", s.ballSpin);
    appendField(out, "prevBallZ", s.prevBallZ);
    appendField(out, "rallyState", int64_t(s.rallyState));
    appendField(out, "score1", int64_t(s.score1));
    appendField(out, "score2", int64_t(s.score2));
    appendField(out, "firstServer", int64_t(s.firstServer));
    appendField(out, "aimChoice", int64_t(s.aimChoice));
    appendField(out, "strokeCursorX", int64_t(s.strokeCursorX));
    appendField(out, "prevCursorU", s.prevCursorU);
    appendField(out, "winSoundPlayed", int64_t(s.winSoundPlayed));
    appendPaddle(out, "paddle1", s.paddle1);
    appendPaddle(out, "paddle2", s.paddle2);
    appendField(out, "leftButton", int64_t(match.input.leftButton));
    out += ",\"sounds\":[";
    for (int i = 0; i < match.requests.soundCount; ++i) {
        out += i == 0 ? "\"" : ",\"";
        out += match.requests.sounds[i];
        out += "\"";
    }
    out += "],\"requests\":[";
    if (match.requests.quit) {
        out += "\"quit\"";
    }
    if (match.requests.toggleFullscreen) {
        out += match.requests.quit ? ",\"toggleFullscreen\"" : "\"toggleFullscreen\"";
    }
    out += "]}";
    return out;
}

bool allFieldsFinite(const MatchState& s) {
    const float values[] = {s.ballX,
                            s.ballY,
                            s.ballZ,
                            s.ballVX,
                            s.ballVY,
                            s.ballVZ,
                            s.ballSpin,
                            s.prevBallZ,
                            s.prevCursorU,
                            s.paddle1.x,
                            s.paddle1.y,
                            s.paddle1.z,
                            s.paddle1.prevX,
                            s.paddle1.prevZ,
                            s.paddle1.homeZ,
                            s.paddle1.swingAngle,
                            s.paddle2.x,
                            s.paddle2.y,
                            s.paddle2.z,
                            s.paddle2.prevX,
                            s.paddle2.prevZ,
                            s.paddle2.homeZ,
                            s.paddle2.swingAngle};
    return std::all_of(std::begin(values), std::end(values),
                       [](float v) { return std::isfinite(v); });
}

}  // namespace spinvale
