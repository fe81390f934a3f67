#include "protocol.h"

#include "settings_file.h"
#include "wire_codec.h"

namespace spinvale::net {

namespace {

enum class Type : uint8_t {
    Hello = 1,
    Welcome,
    Refused,
    Inputs,
    HashCheck,
    Desync,
    Watched,
    WatchSettings,
    WatchAck
};

// A host part says which of its values differ from the part before it (the first from
// zeros): the button in the low two bits, then one bit each for the time and the pointer,
// and in a whole command (to watchers) one for the guest's keys.
constexpr uint8_t buttonMask = 0x03;
constexpr uint8_t elapsedChanged = 0x04;
constexpr uint8_t xChanged = 0x08;
constexpr uint8_t yChanged = 0x10;
constexpr uint8_t keysChanged = 0x20;
constexpr uint8_t guestKeyMask = 0x1f;

enum class Keys : bool { Without, With };

void writeHostPart(Writer& w, const Part& part, const Part& before, Keys keys = Keys::Without) {
    uint8_t flags = static_cast<uint8_t>(part.button);
    flags |= part.elapsedMs != before.elapsedMs ? elapsedChanged : 0;
    flags |= part.pointerX != before.pointerX ? xChanged : 0;
    flags |= part.pointerY != before.pointerY ? yChanged : 0;
    flags |= keys == Keys::With && part.keys != before.keys ? keysChanged : 0;
    w.byte(flags);
    if ((flags & elapsedChanged) != 0) {
        w.varint(part.elapsedMs);
    }
    if ((flags & xChanged) != 0) {
        w.signedVarint(int64_t(part.pointerX) - before.pointerX);
    }
    if ((flags & yChanged) != 0) {
        w.signedVarint(int64_t(part.pointerY) - before.pointerY);
    }
    if ((flags & keysChanged) != 0) {
        w.byte(part.keys & guestKeyMask);
    }
}

int32_t readCoordinate(Reader& r, int32_t before) {
    const int64_t value = before + r.signedVarint();
    if (value < INT32_MIN || value > INT32_MAX) {
        r.fail("pointer out of range");
        return 0;
    }
    return static_cast<int32_t>(value);
}

Part readHostPart(Reader& r, const Part& before, Keys keys = Keys::Without) {
    const auto flags = static_cast<uint8_t>(r.fixed(1));
    Part part = before;
    const uint8_t known =
        buttonMask | elapsedChanged | xChanged | yChanged | (keys == Keys::With ? keysChanged : 0);
    if ((flags & ~known) != 0 || (flags & buttonMask) > 2) {
        r.fail("unknown bits in a host part");
        return part;
    }
    part.button = static_cast<ButtonMessage>(flags & buttonMask);
    if ((flags & elapsedChanged) != 0) {
        part.elapsedMs = static_cast<uint32_t>(r.varint(32));
    }
    if ((flags & xChanged) != 0) {
        part.pointerX = readCoordinate(r, before.pointerX);
    }
    if ((flags & yChanged) != 0) {
        part.pointerY = readCoordinate(r, before.pointerY);
    }
    if ((flags & keysChanged) != 0) {
        part.keys = static_cast<uint8_t>(r.fixed(1));
        if ((part.keys & ~guestKeyMask) != 0) {
            r.fail("unknown keys in a guest part");
        }
    }
    // Every part has one way to be written: a value marked new is new.
    if (((flags & elapsedChanged) != 0 && part.elapsedMs == before.elapsedMs) ||
        ((flags & xChanged) != 0 && part.pointerX == before.pointerX) ||
        ((flags & yChanged) != 0 && part.pointerY == before.pointerY) ||
        ((flags & keysChanged) != 0 && part.keys == before.keys)) {
        r.fail("a value marked new that is not");
    }
    return part;
}

void writeInputs(Writer& w, const Inputs& m, Role from) {
    w.varint(m.frame);
    w.varint(m.ack);
    w.varint(m.first);
    w.byte(static_cast<uint8_t>(m.advantage));
    const std::size_t count = std::min(m.parts.size(), maxPartsPerMessage);
    w.byte(static_cast<uint8_t>(count));
    Part before;
    for (std::size_t i = 0; i < count; ++i) {
        if (from == Role::Host) {
            writeHostPart(w, m.parts[i], before);
            before = m.parts[i];
        } else {
            w.byte(m.parts[i].keys & guestKeyMask);
        }
    }
}

Inputs readInputs(Reader& r, Role from) {
    Inputs m;
    m.frame = static_cast<uint32_t>(r.varint(32));
    m.ack = static_cast<uint32_t>(r.varint(32));
    m.first = static_cast<uint32_t>(r.varint(32));
    m.advantage = static_cast<int8_t>(r.fixed(1));
    const std::size_t count = r.fixed(1);
    if (count > maxPartsPerMessage || uint64_t(m.first) + count > UINT32_MAX) {
        r.fail("too many parts");
        return m;
    }
    m.parts.reserve(count);
    Part before;
    for (std::size_t i = 0; i < count && r.ok(); ++i) {
        if (from == Role::Host) {
            before = readHostPart(r, before);
            m.parts.push_back(before);
        } else {
            Part part;
            part.keys = static_cast<uint8_t>(r.fixed(1));
            if ((part.keys & ~guestKeyMask) != 0) {
                r.fail("unknown keys in a guest part");
            }
            m.parts.push_back(part);
        }
    }
    return m;
}

void writeCode(Writer& w, const std::array<char, joinCodeField>& code) {
    for (char c : code) {
        w.byte(static_cast<uint8_t>(c));
    }
}

std::array<char, joinCodeField> readCode(Reader& r) {
    std::array<char, joinCodeField> code{};
    for (std::size_t i = 0; i < code.size(); ++i) {
#if defined(__GNUC__) && !defined(__clang__)
// gcc 12 at -O3 unrolls this loop into decode() and then believes it writes past the array's
// eighth byte, which the loop over the array's own elements never does.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#endif
        code[i] = static_cast<char>(r.fixed(1));
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
        const bool valid = (code[i] >= 'A' && code[i] <= 'Z') || (code[i] >= '0' && code[i] <= '9');
        if (i < joinCodeLength ? !valid : code[i] != 0) {
            r.fail("join code not six letters and digits");
        }
    }
    return code;
}

Message readHello(Reader& r) {
    Hello m;
    m.protocol = static_cast<uint16_t>(r.fixed(2));
    if (m.protocol != protocolVersion) {
        return m;  // another protocol's Hello: only its number means anything here
    }
    m.gameVersion = r.text(maxVersionText, 1);
    m.matchBuild = r.fixed(8);
    m.code = readCode(r);
    const auto watching = r.fixed(1);
    if (watching > 1) {
        r.fail("neither to play nor to watch");
    }
    m.watching = watching == 1;
    return m;
}

GameSettings readSettings(Reader& r) {
    SettingsRecord record{};
    for (uint8_t& b : record) {
        b = static_cast<uint8_t>(r.fixed(1));
    }
    std::vector<std::string> warnings;
    const GameSettings settings = decodeSettings(record, "the host's settings", warnings);
    if (!warnings.empty()) {
        r.fail("settings the game cannot use");
    }
    return settings;
}

void writeSettings(Writer& w, const GameSettings& settings) {
    SettingsRecord record{};
    encodeSettings(settings, record);
    w.bytes.insert(w.bytes.end(), record.begin(), record.end());
}

// Update 0 is the match as it starts: the first update a watcher is sent is 1.
uint32_t readUpdate(Reader& r) {
    const auto update = static_cast<uint32_t>(r.varint(32));
    if (r.ok() && update == 0) {
        r.fail("no update 0 is sent");
    }
    return update;
}

Message readWatched(Reader& r) {
    Watched m;
    m.first = readUpdate(r);
    m.hostAt = static_cast<uint32_t>(r.varint(32));
    const std::size_t count = r.fixed(1);
    if (r.ok() && count > maxWatchedPerMessage) {
        r.fail("too many parts");
    }
    // The host has confirmed every update it sends.
    if (r.ok() && uint64_t(m.first) + count > uint64_t(m.hostAt) + 1) {
        r.fail("updates the host has not confirmed");
    }
    Part before;
    for (std::size_t i = 0; i < count && r.ok(); ++i) {
        before = readHostPart(r, before, Keys::With);
        m.commands.push_back(before);
    }
    return m;
}

Message readRefused(Reader& r) {
    Refused m;
    const auto reason = r.fixed(1);
    if (reason < uint8_t(Refusal::WrongCode) || reason > uint8_t(Refusal::WatchersFull)) {
        r.fail("unknown refusal");
    }
    m.reason = static_cast<Refusal>(reason);
    m.hostVersion = r.text(maxVersionText, 1);
    return m;
}

// Who may send what: the guest or watcher asks, the host lets in or refuses; only the host
// feeds watchers, and only they acknowledge it.
bool maySend(Type type, Role from) {
    switch (type) {
        case Type::Hello:
        case Type::WatchAck:
            return from == Role::Guest;
        case Type::Welcome:
        case Type::Refused:
        case Type::Watched:
        case Type::WatchSettings:
            return from == Role::Host;
        default:
            return true;
    }
}

void writeBody(Writer& w, const Hello& m, Role) {
    w.fixed(m.protocol, 2);
    w.text(m.gameVersion, maxVersionText, 1);
    w.fixed(m.matchBuild, 8);
    writeCode(w, m.code);
    w.byte(m.watching ? 1 : 0);
}

void writeBody(Writer& w, const Welcome& m, Role) {
    writeSettings(w, m.settings);
}

void writeBody(Writer& w, const Refused& m, Role) {
    w.byte(static_cast<uint8_t>(m.reason));
    w.text(m.hostVersion, maxVersionText, 1);
}

void writeBody(Writer& w, const Inputs& m, Role from) {
    writeInputs(w, m, from);
}

void writeBody(Writer& w, const HashCheck& m, Role) {
    w.fixed(m.update, 4);
    w.fixed(m.hash, 8);
}

void writeBody(Writer& w, const Desync& m, Role) {
    w.fixed(m.update, 4);
    w.text(m.state, maxStateText, 2);
}

void writeBody(Writer& w, const Watched& m, Role) {
    const std::size_t count = std::min(m.commands.size(), maxWatchedPerMessage);
    w.varint(m.first);
    w.varint(m.hostAt);
    w.byte(static_cast<uint8_t>(count));
    Part before;
    for (std::size_t i = 0; i < count; ++i) {
        writeHostPart(w, m.commands[i], before, Keys::With);
        before = m.commands[i];
    }
}

void writeBody(Writer& w, const WatchSettings& m, Role) {
    w.varint(m.update);
    writeSettings(w, m.settings);
}

void writeBody(Writer& w, const WatchAck& m, Role) {
    w.varint(m.received);
}

Message readBody(Reader& r, Type type, Role from) {
    switch (type) {
        case Type::Hello:
            return readHello(r);
        case Type::Welcome:
            return Welcome{readSettings(r)};
        case Type::Refused:
            return readRefused(r);
        case Type::Inputs:
            return readInputs(r, from);
        case Type::HashCheck:
            return HashCheck{static_cast<uint32_t>(r.fixed(4)), r.fixed(8)};
        case Type::Desync: {
            const auto update = static_cast<uint32_t>(r.fixed(4));
            return Desync{update, r.text(maxStateText, 2)};
        }
        case Type::Watched:
            return readWatched(r);
        case Type::WatchSettings: {
            const uint32_t update = readUpdate(r);
            return WatchSettings{update, readSettings(r)};
        }
        case Type::WatchAck:
            return WatchAck{static_cast<uint32_t>(r.varint(32))};
    }
    return Message{};
}

}  // namespace

uint8_t guestKeyBits(const std::bitset<256>& keys) {
    uint8_t bits = 0;
    for (std::size_t i = 0; i < std::size(guestKeyCodes); ++i) {
        bits |= keys[static_cast<std::size_t>(guestKeyCodes[i])] ? uint8_t(1u << i) : 0;
    }
    return bits;
}

Part wholeCommand(const UpdateInput& command) {
    return {command.elapsedMs, command.pointerX, command.pointerY, command.button,
            guestKeyBits(command.keys)};
}

UpdateInput mergeParts(const Part& host, const Part& guest) {
    UpdateInput input;
    input.elapsedMs = host.elapsedMs;
    input.pointerX = host.pointerX;
    input.pointerY = host.pointerY;
    input.button = host.button;
    for (std::size_t i = 0; i < std::size(guestKeyCodes); ++i) {
        input.keys[static_cast<std::size_t>(guestKeyCodes[i])] = ((guest.keys >> i) & 1) != 0;
    }
    return input;
}

std::vector<uint8_t> encode(const Message& message, Role from) {
    Writer w;
    w.byte(static_cast<uint8_t>(message.index() + 1));
    std::visit([&](const auto& m) { writeBody(w, m, from); }, message);
    return w.bytes;
}

std::optional<Message> decode(const uint8_t* data, std::size_t size, Role from, std::string& why) {
    Reader r(data, size);
    const auto type = static_cast<Type>(r.fixed(1));
    if (r.ok() && (type < Type::Hello || type > Type::WatchAck || !maySend(type, from))) {
        r.fail("unknown message type");
    }
    Message message;
    if (r.ok()) {
        message = readBody(r, type, from);
    }
    const auto* hello = std::get_if<Hello>(&message);
    const bool foreignHello = hello != nullptr && hello->protocol != protocolVersion;
    if (r.ok() && !r.atEnd() && !foreignHello) {
        r.fail("bytes after the message");
    }
    if (!r.ok()) {
        why = r.why();
        return std::nullopt;
    }
    return message;
}

}  // namespace spinvale::net
