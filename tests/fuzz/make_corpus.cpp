// make_corpus DIR: the fuzzers' seeds, valid and malformed, in DIR/bmp, settings, script,
// options, peer and reach.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "../resources/bmp_bytes.h"
#include "fuzz_ops.h"
#include "lan_discovery.h"
#include "protocol.h"
#include "recording.h"
#include "session.h"
#include "settings_file.h"

using namespace spinvale;
using namespace spinvale::net;
using namespace spinvale::test;

namespace {

// A network game as fuzz_peer's ops: the other side's Hello or Welcome, parts, steps.
Bytes peerGame(Role role, const Bytes& first) {
    Bytes ops = {uint8_t(role == Role::Host), uint8_t(fuzzop::wire | fuzzop::connect << 4)};
    const auto message = [&ops](const Bytes& bytes) {
        ops.insert(ops.end(), {uint8_t(fuzzop::wire | fuzzop::message << 4),
                               uint8_t(bytes.size() & 255), uint8_t(bytes.size() >> 8)});
        ops.insert(ops.end(), bytes.begin(), bytes.end());
    };
    message(first);
    for (uint32_t n = 0; n < 40; ++n) {
        const Part part = role == Role::Host ? Part{0, 0, 0, {}, 1} : Part{16, 0, 0, {}, 0};
        message(encode(Inputs{n, n, n, 0, {part}}, otherRole(role)));
        ops.insert(ops.end(), {fuzzop::step, fuzzop::wait, 1});
    }
    return ops;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus DIR\n");
        return 2;
    }
    const std::string root = argv[1];
    const auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
    SettingsRecord odd = defaultSettingsRecord();
    writeInt32(odd, field::pointsPerGame, 15);
    writeDouble(odd, field::gameSpeed, 1e300);
    GameSettings keyboard = defaultGameSettings();
    keyboard.player2Keyboard = keyboard.adaptiveStrength = true;
    Hello hello{protocolVersion, "0.1.0", matchBuildHash(), {}};
    std::copy_n(fuzzop::code, joinCodeLength, hello.code.begin());
    const char options[] =
        "--points\00021\0--camera\0000,300,320\0--screen\0000x768";  // \0 ends each
    const std::pair<const char*, Bytes> seeds[] = {
        {"bmp", bmpFile(5, 3, 24)},
        {"bmp", bmpFile(8, 2, 32)},
        {"bmp", withRows(bmpHeaders(6, 5, 8, 2, 0, bmpPalette(2)), 40)},
        {"bmp", withRows(bmpHeaders(8, -8, 24, 300, 1), 191)},
        {"settings", Bytes(odd.begin(), odd.end())},
        {"script", text(formatSettingsLine(keyboard) + "\n16 0 0 1\n17 600 300 0 13 38 112\n" +
                        formatNewGameLine(keyboard) + "\n16 0 0 - 13\n" +
                        formatPracticeLine({PracticeMode::Rally, PracticeTarget::Left}, keyboard) +
                        "\n16 0 0 -\n")},
        {"script", text("4294967295 -2147483648 2147483647 -\n16 x 0 0\n16 0 0 0 256\nsettings\n")},
        {"options", text(std::string(options, sizeof options))},
        {"peer", peerGame(Role::Host, encode(hello, Role::Guest))},
        {"peer", peerGame(Role::Guest, encode(Welcome{defaultGameSettings()}, Role::Host))},
        {"reach", encodeLanQuery(0x12345678)},
        {"reach", encodeLanAnswer(0x12345678, 27455, "Ana")},
        {"reach", text(" spinvale://192.0.2.7:27455/K7MQ2P\n")}};
    int n = 0;
    mkdir(root.c_str(), 0755);
    for (const auto& [kind, bytes] : seeds) {
        mkdir((root + "/" + kind).c_str(), 0755);  // made by the first seed of its kind
        const std::string path = root + "/" + kind + "/" + std::to_string(n++);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() ||
            std::fclose(f) != 0) {
            std::perror(path.c_str());
            return 1;
        }
    }
    return 0;
}
