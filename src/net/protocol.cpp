#include "protocol.h"

#include "settings_file.h"

namespace spinvale::net {

namespace {

enum class Type : uint8_t { Hello = 1, Welcome, Refused, Inputs, HashCheck, Desync };

// A host part says which of its values differ from the part before it (the first from
// zeros): the button in the low two bits, then one bit each for the time and the pointer.
constexpr uint8_t buttonMask = 0x03;
constexpr uint8_t elapsedChanged = 0x04;
constexpr uint8_t xChanged = 0x08;
constexpr uint8_t yChanged = 0x10;
constexpr uint8_t guestKeyMask = 0x1f;

class Writer {
  public:
    void byte(uint8_t b) { bytes.push_back(b); }
    void fixed(uint64_t value, int size) {
        for (int i = 0; i < size; ++i) {
            byte(static_cast<uint8_t>(value >> (8 * i)));
        }
    }
    // Seven bits a byte, low first; the high bit says that more follow.
    void varint(uint64_t value) {
        while (value >= 0x80) {
            byte(static_cast<uint8_t>(value | 0x80));
            value >>= 7;
        }
        byte(static_cast<uint8_t>(value));
    }
    // A difference of two int32 values, its sign in the lowest bit.
    void signedVarint(int64_t value) {
        varint(value < 0 ? (uint64_t(-(value + 1)) << 1) | 1 : uint64_t(value) << 1);
    }
    void text(const std::string& s, std::size_t most, int lengthSize) {
        const std::size_t n = std::min(s.size(), most);
        fixed(n, lengthSize);
        bytes.insert(bytes.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    }
    std::vector<uint8_t> bytes;
};

// Reads from a buffer it never leaves; the first failure sticks, with its reason.
class Reader {
  public:
    Reader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool fail(const char* reason) {
        if (why_ == nullptr) {
            why_ = reason;
        }
        return false;
    }
    bool ok() const { return why_ == nullptr; }
    const char* why() const { return why_; }
    bool atEnd() const { return at_ == size_; }

    uint64_t fixed(int size) {
        if (size_ - at_ < std::size_t(size)) {
            fail("message too short");
            return 0;
        }
        uint64_t value = 0;
        for (int i = 0; i < size; ++i) {
            value |= uint64_t(data_[at_++]) << (8 * i);
        }
        return value;
    }
    // At most `bits` bits, written in the fewest bytes.
    uint64_t varint(int bits) {
        uint64_t value = 0;
        for (int shift = 0; shift < bits + 7; shift += 7) {
            const uint64_t b = fixed(1);
            if (!ok()) {
                return 0;
            }
            value |= (b & 0x7f) << shift;
            if ((b & 0x80) == 0) {
                if ((b == 0 && shift > 0) || (bits < 64 && (value >> bits) != 0)) {
                    fail("number out of range or not in its shortest form");
                    return 0;
                }
                return value;
            }
        }
        fail("number too long");
        return 0;
    }
    int64_t signedVarint() {
        const uint64_t z = varint(33);
        return (z & 1) != 0 ? -int64_t(z >> 1) - 1 : int64_t(z >> 1);
    }
    // Printable ASCII only: texts end up on the player's screen and terminal.
    std::string text(std::size_t most, int lengthSize) {
        const std::size_t n = fixed(lengthSize);
        if (!ok() || n > most || n > size_ - at_) {
            fail("text too long");
            return {};
        }
        std::string s(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        for (char c : s) {
            if (c < 0x20 || c > 0x7e) {
                fail("text not printable");
                return {};
            }
        }
        return s;
    }

  private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    const char* why_ = nullptr;
};

void writeHostPart(Writer& w, const Part& part, const Part& before) {
    uint8_t flags = static_cast<uint8_t>(part.button);
    flags |= part.elapsedMs != before.elapsedMs ? elapsedChanged : 0;
    flags |= part.pointerX != before.pointerX ? xChanged : 0;
    flags |= part.pointerY != before.pointerY ? yChanged : 0;
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
}

int32_t readCoordinate(Reader& r, int32_t before) {
    const int64_t value = before + r.signedVarint();
    if (value < INT32_MIN || value > INT32_MAX) {
        r.fail("pointer out of range");
        return 0;
    }
    return static_cast<int32_t>(value);
}

Part readHostPart(Reader& r, const Part& before) {
    const auto flags = static_cast<uint8_t>(r.fixed(1));
    Part part = before;
    if ((flags & ~(buttonMask | elapsedChanged | xChanged | yChanged)) != 0 ||
        (flags & buttonMask) > 2) {
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
    // Every part has one way to be written: a value marked new is new.
    if (((flags & elapsedChanged) != 0 && part.elapsedMs == before.elapsedMs) ||
        ((flags & xChanged) != 0 && part.pointerX == before.pointerX) ||
        ((flags & yChanged) != 0 && part.pointerY == before.pointerY)) {
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
    return m;
}

Message readWelcome(Reader& r) {
    SettingsRecord record{};
    for (uint8_t& b : record) {
        b = static_cast<uint8_t>(r.fixed(1));
    }
    Welcome m;
    std::vector<std::string> warnings;
    m.settings = decodeSettings(record, "the host's settings", warnings);
    if (!warnings.empty()) {
        r.fail("settings the game cannot use");
    }
    return m;
}

Message readRefused(Reader& r) {
    Refused m;
    const auto reason = r.fixed(1);
    if (reason < uint8_t(Refusal::WrongCode) || reason > uint8_t(Refusal::TooManyTries)) {
        r.fail("unknown refusal");
    }
    m.reason = static_cast<Refusal>(reason);
    m.hostVersion = r.text(maxVersionText, 1);
    return m;
}

// Who may send what: the guest asks, the host lets in or refuses.
bool maySend(Type type, Role from) {
    switch (type) {
        case Type::Hello:
            return from == Role::Guest;
        case Type::Welcome:
        case Type::Refused:
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
}

void writeBody(Writer& w, const Welcome& m, Role) {
    SettingsRecord record{};
    encodeSettings(m.settings, record);
    w.bytes.insert(w.bytes.end(), record.begin(), record.end());
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

}  // namespace

uint8_t guestKeyBits(const std::bitset<256>& keys) {
    uint8_t bits = 0;
    for (std::size_t i = 0; i < std::size(guestKeyCodes); ++i) {
        bits |= keys[static_cast<std::size_t>(guestKeyCodes[i])] ? uint8_t(1u << i) : 0;
    }
    return bits;
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
    if (r.ok() && (type < Type::Hello || type > Type::Desync || !maySend(type, from))) {
        r.fail("unknown message type");
    }
    Message message;
    if (r.ok()) {
        switch (type) {
            case Type::Hello:
                message = readHello(r);
                break;
            case Type::Welcome:
                message = readWelcome(r);
                break;
            case Type::Refused:
                message = readRefused(r);
                break;
            case Type::Inputs:
                message = readInputs(r, from);
                break;
            case Type::HashCheck:
                message = HashCheck{static_cast<uint32_t>(r.fixed(4)), r.fixed(8)};
                break;
            case Type::Desync: {
                const auto update = static_cast<uint32_t>(r.fixed(4));
                message = Desync{update, r.text(maxStateText, 2)};
                break;
            }
        }
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
