// Writes the fuzzers' seed corpora: valid inputs of every supported kind and the malformed
// cases the loaders refuse. Usage: make_corpus DIR (makes DIR/bmp, DIR/settings,
// DIR/script and DIR/options).
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../resources/bmp_bytes.h"
#include "settings_file.h"

using namespace spinvale;
using test::Bytes;

namespace {

std::string root;

void write(const std::string& kind, const std::string& name, const void* data, std::size_t size) {
    const std::string path = root + "/" + kind + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr || std::fwrite(data, 1, size, f) != size) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fclose(f);
}

void write(const std::string& kind, const std::string& name, const Bytes& bytes) {
    write(kind, name, bytes.data(), bytes.size());
}

void write(const std::string& kind, const std::string& name, const std::string& text) {
    write(kind, name, text.data(), text.size());
}

Bytes bitmap(int32_t width, int32_t height, uint16_t bits, uint32_t coloursUsed = 0) {
    Bytes b = test::bmpHeaders(width, height, bits, coloursUsed);
    if (bits == 8) {
        test::append(b, test::bmpPalette(coloursUsed == 0 ? 256 : int(coloursUsed)));
    }
    const std::size_t stride = (std::size_t(bits) * width + 31) / 32 * 4;
    return test::withRows(b, stride * height);
}

void bitmaps() {
    write("bmp", "24bit-4x4", bitmap(4, 4, 24));
    write("bmp", "24bit-5x3", bitmap(5, 3, 24));
    write("bmp", "32bit-8x2", bitmap(8, 2, 32));
    write("bmp", "8bit-16colours-6x5", bitmap(6, 5, 8, 16));
    write("bmp", "8bit-256colours-3x3", bitmap(3, 3, 8));
    Bytes truncated = bitmap(8, 8, 24);
    truncated.resize(truncated.size() - 5);
    write("bmp", "truncated-rows", truncated);
    Bytes shortPalette = bitmap(2, 2, 8, 16);
    shortPalette.resize(54 + 20);
    write("bmp", "truncated-palette", shortPalette);
    write("bmp", "header-only", test::bmpHeaders(4, 4, 24));
    write("bmp", "compressed", test::withRows(test::bmpHeaders(4, 4, 24, 0, 1), 48));
    write("bmp", "16bit", test::withRows(test::bmpHeaders(4, 4, 16), 32));
    write("bmp", "top-down", test::withRows(test::bmpHeaders(4, -4, 24), 48));
    write("bmp", "huge-sides", test::withRows(test::bmpHeaders(1 << 20, 1 << 20, 32), 64));
    write("bmp", "too-many-colours", test::withRows(test::bmpHeaders(2, 2, 8, 300), 1200));
    write("bmp", "no-signature", Bytes(60, 'x'));
}

void settings() {
    const SettingsRecord shipped = defaultSettingsRecord();
    write("settings", "shipped", shipped.data(), shipped.size());
    SettingsRecord odd = shipped;
    writeInt32(odd, field::pointsPerGame, 15);
    writeInt32(odd, field::screenWidth, 0);
    writeDouble(odd, field::gameSpeed, 0.0 / 0.0);
    writeDouble(odd, field::spinFactor, 1e300);
    writeDouble(odd, field::aiSkill, 1.5);
    write("settings", "unusable-fields", odd.data(), odd.size());
    write("settings", "short", shipped.data(), 50);
    write("settings", "empty", shipped.data(), 0);
}

void scripts() {
    write("script", "moves", std::string("16 512 384 -\n17 600 300 1\n16 600 300 0 13 38\n"));
    write("script", "keys", std::string("# F1 and Esc\n16 0 0 - 112\n\n16 0 0 - 27 37 39 40\n"));
    write("script", "extremes",
          std::string("4294967295 -2147483648 2147483647 -\n0 0 0 1 0 255\n"));
    write("script", "malformed", std::string("16 0 0 2\n16 x 0 0\n-1 0 0 0\n16 0 0 0 256\n"));
}

void options() {
    const char* pairs[][2] = {
        {"--points", "21"},        {"--player1", "mouse"},     {"--player2", "computer"},
        {"--game-speed", "14"},    {"--gravity", "12.5"},      {"--spin", "-6"},
        {"--ai-skill", "0.7"},     {"--ai-speed", "40"},       {"--screen", "1024x768"},
        {"--camera", "0,300,320"}, {"--simple-graphics", "1"}, {"--points", "12"},
        {"--game-speed", "1e300"}, {"--camera", "1,2"},        {"--screen", "0x0"},
    };
    int n = 0;
    for (const auto& p : pairs) {
        std::string bytes = p[0];
        bytes += '\0';
        bytes += p[1];
        write("options", "pair-" + std::to_string(n++), bytes);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus DIR\n");
        return 2;
    }
    root = argv[1];
    for (const char* kind : {"", "/bmp", "/settings", "/script", "/options"}) {
        mkdir((root + kind).c_str(), 0755);
    }
    bitmaps();
    settings();
    scripts();
    options();
    return 0;
}
