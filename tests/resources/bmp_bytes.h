// BMP files laid out byte by byte for the tests, independently of the game's own code.
#pragma once

#include <cstdint>
#include <vector>

namespace spinvale::test {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, std::size_t at, uint16_t v) {
    b[at] = v & 0xFF;
    b[at + 1] = v >> 8;
}

inline void put32(Bytes& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = (v >> (8 * i)) & 0xFF;
    }
}

// The 54 bytes of the two headers; palette and rows are appended by the caller. The
// pixel-data offset is left at 0: the loader does not read it.
inline Bytes bmpHeaders(int32_t width, int32_t height, uint16_t bits, uint32_t coloursUsed = 0,
                        uint32_t compression = 0) {
    Bytes b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 14, 40);
    put32(b, 18, static_cast<uint32_t>(width));
    put32(b, 22, static_cast<uint32_t>(height));
    put16(b, 26, 1);
    put16(b, 28, bits);
    put32(b, 30, compression);
    put32(b, 46, coloursUsed);
    return b;
}

inline void append(Bytes& b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
}

// Palette entry i holds blue 10i, green 10i + 1, red 10i + 2 (each modulo 256) and a
// reserved byte that must never show.
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

}  // namespace spinvale::test
