// BMP files laid out byte by byte for the tests, independently of the game's own code.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace spinvale::test {

using Bytes = std::vector<uint8_t>;

inline void append(Bytes& b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
}

// The two headers (the pixel-data offset, which the loader ignores, left 0), then `more`.
inline Bytes bmpHeaders(int32_t width, int32_t height, uint16_t bits, uint32_t coloursUsed = 0,
                        uint32_t compression = 0, const Bytes& more = {}) {
    Bytes b = {'B', 'M'};
    b.resize(54);
    const uint32_t at[] = {14, 18, 22, 26, 30, 46};  // planes 1 sit below the bits per pixel
    const uint32_t value[] = {
        40, uint32_t(width), uint32_t(height), 1 | uint32_t(bits) << 16, compression, coloursUsed};
    for (int field = 0; field < 6; ++field) {
        for (int i = 0; i < 4; ++i) {
            b[at[field] + i] = (value[field] >> (8 * i)) & 0xFF;
        }
    }
    append(b, more);
    return b;
}

// Entry i: blue 10i, green 10i + 1, red 10i + 2 (modulo 256), and a reserved byte.
inline Bytes bmpPalette(int entries) {
    Bytes p;
    for (int i = 0; i < entries; ++i) {
        append(p, {uint8_t(10 * i), uint8_t(10 * i + 1), uint8_t(10 * i + 2), 0xEE});
    }
    return p;
}

inline Bytes withRows(Bytes b, std::size_t rowBytes, uint8_t fill = 0x5A) {
    b.resize(b.size() + rowBytes, fill);
    return b;
}

// A well-formed file, rows padded to 4 bytes; 8-bit ones carry all 256 palette entries.
inline Bytes bmpFile(int32_t width, int32_t height, uint16_t bits, uint8_t fill = 1) {
    const Bytes headers = bmpHeaders(width, height, bits, 0, 0, bmpPalette(bits == 8 ? 256 : 0));
    return withRows(headers, (std::size_t(bits) * width + 31) / 32 * 4 * height, fill);
}

inline std::string temporaryFile(const Bytes& bytes) {
    char path[] = "/tmp/spinvale-test-XXXXXX";
    const int fd = mkstemp(path);
    const bool written = fd >= 0 && write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    close(fd);
    return written ? path : "";
}

}  // namespace spinvale::test
