#include "trace.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace spinvale {

namespace {

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

// Writes ,"name":value for each field; a paddle is an object of its own fields.
struct JsonFields {
    std::string& out;
    bool first = false;

    template <typename Value>
    void operator()(const char* name, const Value& value) {
        out += first ? "\"" : ",\"";
        first = false;
        out += name;
        out += "\":";
        if constexpr (std::is_same_v<Value, Paddle>) {
            out += "{";
            forEachPaddleField(value, JsonFields{out, true});
            out += "}";
        } else if constexpr (std::is_same_v<Value, float>) {
            appendFloat(out, value);
        } else {
            out += std::to_string(static_cast<int64_t>(value));
        }
    }
};

void appendRequests(std::string& out, const MatchRequests& requests) {
    out += ",\"sounds\":[";
    for (int i = 0; i < requests.soundCount; ++i) {
        out += i == 0 ? "\"" : ",\"";
        out += soundFile(requests.sounds[i]);
        out += "\"";
    }
    out += "],\"requests\":[";
    if (requests.quit) {
        out += "\"quit\"";
    }
    if (requests.toggleFullscreen) {
        out += requests.quit ? ",\"toggleFullscreen\"" : "\"toggleFullscreen\"";
    }
    out += "]";
}

// 64-bit FNV-1a over each field's bytes.
struct Hasher {
    uint64_t& hash;

    template <typename Value>
    void operator()(const char*, const Value& value) {
        if constexpr (std::is_same_v<Value, Paddle>) {
            forEachPaddleField(value, *this);
        } else {
            add(&value, sizeof value);
        }
    }

    void add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            hash = (hash ^ bytes[i]) * 1099511628211ull;
        }
    }
};

}  // namespace

std::string formatTraceLine(int64_t frame, uint32_t elapsedMs, const Match& match) {
    std::string out;
    out.reserve(900);
    out += "{\"frame\":" + std::to_string(frame);
    JsonFields fields{out};
    fields("elapsedMs", elapsedMs);
    forEachMatchField(match.state, fields);
    fields("leftButton", match.input.leftButton);
    appendRequests(out, match.requests);
    out += "}";
    return out;
}

bool allFieldsFinite(const MatchState& s) {
    bool finite = true;
    const auto check = [&finite](const char*, const auto& value) {
        using Value = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, float>) {
            finite = finite && std::isfinite(value);
        }
    };
    forEachMatchField(s, [&](const char* name, const auto& value) {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, Paddle>) {
            forEachPaddleField(value, check);
        } else {
            check(name, value);
        }
    });
    return finite;
}

uint64_t matchHash(const Match& match) {
    uint64_t hash = 14695981039346656037ull;
    Hasher hasher{hash};
    forEachMatchField(match.state, hasher);
    hasher("leftButton", match.input.leftButton);
    hasher("enterUsedByToss", match.input.enterUsedByToss);
    hasher("randomState", match.randomState);
    return hash;
}

}  // namespace spinvale
