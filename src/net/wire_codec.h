// The bytes of the network messages, written and read: fixed-size numbers low byte first,
// varints, and texts. The reader never leaves its buffer, and its first failure sticks with
// the reason. Shared by protocol.cpp's messages; nothing outside src/net includes it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace spinvale::net {

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

}  // namespace spinvale::net
