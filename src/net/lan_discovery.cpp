#include "lan_discovery.h"

#include <algorithm>
#include <cstring>

namespace spinvale::net {

namespace {

// "Spinvale", a kind byte and the format's version open every datagram.
constexpr std::array<uint8_t, 8> magic = {'S', 'p', 'i', 'n', 'v', 'a', 'l', 'e'};
constexpr uint8_t queryKind = 'Q', answerKind = 'A', formatVersion = 1;
constexpr std::size_t headerSize = magic.size() + 2 + 4;     // magic, kind, version, nonce
constexpr std::size_t answerFixedSize = headerSize + 2 + 1;  // then port and name length
static_assert(answerFixedSize + maxLanNameLength == lanQuerySize);

constexpr uint32_t burst = 8;
constexpr uint32_t msPerToken = 100;
constexpr uint32_t perSourceMs = 200;

std::vector<uint8_t> header(uint8_t kind, uint32_t nonce) {
    std::vector<uint8_t> bytes(magic.begin(), magic.end());
    bytes.push_back(kind);
    bytes.push_back(formatVersion);
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.push_back(uint8_t(nonce >> shift));
    }
    return bytes;
}

// The nonce of a datagram of this kind, when its header is one.
std::optional<uint32_t> readHeader(const uint8_t* data, std::size_t size, uint8_t kind) {
    if (size < headerSize || std::memcmp(data, magic.data(), magic.size()) != 0 ||
        data[8] != kind || data[9] != formatVersion) {
        return std::nullopt;
    }
    return uint32_t(data[10]) << 24 | uint32_t(data[11]) << 16 | uint32_t(data[12]) << 8 | data[13];
}

bool printable(uint8_t c) {
    return c >= 0x20 && c < 0x7F;
}

}  // namespace

std::vector<uint8_t> encodeLanQuery(uint32_t nonce) {
    std::vector<uint8_t> bytes = header(queryKind, nonce);
    bytes.resize(lanQuerySize, 0);
    return bytes;
}

std::optional<uint32_t> decodeLanQuery(const uint8_t* data, std::size_t size) {
    if (size != lanQuerySize ||
        std::any_of(data + headerSize, data + size, [](uint8_t b) { return b != 0; })) {
        return std::nullopt;
    }
    return readHeader(data, size, queryKind);
}

std::vector<uint8_t> encodeLanAnswer(uint32_t nonce, uint16_t port, std::string_view name) {
    std::vector<uint8_t> bytes = header(answerKind, nonce);
    bytes.push_back(uint8_t(port >> 8));
    bytes.push_back(uint8_t(port));
    bytes.push_back(uint8_t(name.size()));
    bytes.insert(bytes.end(), name.begin(), name.end());
    return bytes;
}

std::optional<LanGame> decodeLanAnswer(const uint8_t* data, std::size_t size, uint32_t nonce) {
    if (size < answerFixedSize || readHeader(data, size, answerKind) != nonce) {
        return std::nullopt;
    }
    const uint8_t* fields = data + headerSize;
    const std::size_t length = fields[2];
    if (length == 0 || length > maxLanNameLength || size != answerFixedSize + length ||
        !std::all_of(fields + 3, fields + 3 + length, printable)) {
        return std::nullopt;
    }
    LanGame game;
    game.port = uint16_t(fields[0] << 8 | fields[1]);
    game.name.assign(reinterpret_cast<const char*>(fields + 3), length);
    if (game.port == 0) {
        return std::nullopt;
    }
    return game;
}

std::string lanGameName(std::string_view wanted) {
    std::string name;
    for (const char c : wanted) {
        const uint8_t b = uint8_t(c);
        if (name.size() == maxLanNameLength) {
            break;
        }
        if (printable(b)) {
            name += c;
        } else if (b >= 0xC0) {  // the first byte of a UTF-8 character outside ASCII
            name += '?';
        }
    }
    const std::size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "Spinvale";
    }
    return name.substr(first, name.find_last_not_of(' ') + 1 - first);
}

AnswerLimiter::Recent* AnswerLimiter::recentSlot(uint32_t source, uint32_t nowMs) {
    Recent* oldest = &recent_[0];
    for (Recent& r : recent_) {
        if (r.used && r.source == source) {
            return &r;
        }
        if (!r.used || (oldest->used && nowMs - r.atMs > nowMs - oldest->atMs)) {
            oldest = &r;
        }
    }
    return oldest;
}

bool AnswerLimiter::allow(uint32_t source, uint32_t nowMs) {
    if (!started_) {
        started_ = true;
        tokens_ = burst;
        refilledAt_ = nowMs;
    }
    const uint32_t gained = (nowMs - refilledAt_) / msPerToken;
    if (gained > 0) {
        tokens_ = std::min(tokens_ + std::min(gained, burst), burst);
        refilledAt_ = tokens_ == burst ? nowMs : refilledAt_ + gained * msPerToken;
    }
    Recent* slot = recentSlot(source, nowMs);
    if ((slot->used && slot->source == source && nowMs - slot->atMs < perSourceMs) ||
        tokens_ == 0) {
        return false;
    }
    --tokens_;
    *slot = {source, nowMs, true};
    return true;
}

LanResponder::LanResponder(std::string_view name, uint16_t port,
                           std::vector<NetInterface> interfaces)
    : name_(lanGameName(name)), port_(port), interfaces_(std::move(interfaces)) {}

std::optional<std::vector<uint8_t>> LanResponder::answer(uint32_t nonce, uint32_t source,
                                                         uint32_t nowMs) {
    if (!onLocalNetwork(source, interfaces_) || !limiter_.allow(source, nowMs)) {
        return std::nullopt;
    }
    return encodeLanAnswer(nonce, port_, name_);
}

}  // namespace spinvale::net
