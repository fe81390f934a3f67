// The pure pieces of network play: message bytes worked out by hand, malformed ones refused,
// join codes, and two rollback sessions over a simulated network that delays and drops.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "join_code.h"
#include "settings_file.h"
#include "trace.h"
#include "two_sessions.h"

namespace spinvale::net {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr Role H = Role::Host, G = Role::Guest;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Bytes written by hand, spaces between: hex pairs, or 'text for its characters.
Bytes bytes(const std::string& written) {
    Bytes out;
    std::istringstream in(written);
    for (std::string t; in >> t;) {
        if (t[0] == '\'') {
            out.insert(out.end(), t.begin() + 1, t.end());
        } else {
            out.push_back(uint8_t(std::stoi(t, nullptr, 16)));
        }
    }
    return out;
}

Bytes recordOf(const GameSettings& settings) {
    SettingsRecord record{};
    encodeSettings(settings, record);
    return Bytes(record.begin(), record.end());
}

TEST(Messages, EveryKindHasTheBytesWorkedOutByHand) {
    GameSettings settings = defaultGameSettings();
    settings.gameSpeed = 30;
    const Part pressed{16, 100, -5, ButtonMessage::Pressed, 0};
    const std::tuple<Message, Role, Bytes> kinds[] = {
        // Type 1; protocol 3, two bytes low first; the version's length and text; the build,
        // eight bytes low first; the code, zeros after its six characters; 1: to watch.
        {Hello{
             protocolVersion, "0.1.0", 0x0123456789abcdefull, {'K', '7', 'M', 'Q', '2', 'P'}, true},
         G, bytes("01 03 00 05 '0.1.0 ef cd ab 89 67 45 23 01 'K7MQ2P 00 00 01")},
        // Type 2, then the settings file's 112-byte record.
        {Welcome{settings}, H, bytes("02") + recordOf(settings)},
        // Type 3; OtherBuild is 4; the host's version.
        {Refused{Refusal::OtherBuild, "0.1.0"}, H, bytes("03 04 05 '0.1.0")},
        // Type 4; 300 = ac 02; ack, first; advantage -3; two parts: the first with the
        // button pressed (1), time (4), x (8) and y (10) new: 16 = 10, zigzag 100 = 200 = c8
        // 01, zigzag -5 = 9; the second with only x new, one more: zigzag 1 = 2.
        {Inputs{300, 5, 2, -3, {pressed, {16, 101, -5, {}, 0}}}, H,
         bytes("04 ac 02 05 02 fd 02 1d 10 c8 01 09 08 02")},
        // A guest's parts are a byte of keys each.
        {Inputs{7, 9, 3, 12, {{0, 0, 0, {}, 0x1f}, {0, 0, 0, {}, 1}}}, G,
         bytes("04 07 09 03 0c 02 1f 01")},
        // Type 5; the update and the hash, low bytes first.
        {HashCheck{60, 0xfedcba9876543210ull}, G, bytes("05 3c 00 00 00 10 32 54 76 98 ba dc fe")},
        // Type 6; the update; the state's length in two bytes, and the state.
        {Desync{90, "{\"frame\":90}"}, H, bytes("06 5a 00 00 00 0c 00 '{\"frame\":90}")},
        // Type 7; first 300 (ac 02), the host at 302 (ae 02); three whole commands, as a host
        // part with 20 for new keys: the first as in the Inputs above; the second only keys
        // 11; the third time 17 (11) and y one more (zigzag 2).
        {Watched{300, 302, {pressed, {16, 100, -5, {}, 0x11}, {17, 100, -4, {}, 0x11}}}, H,
         bytes("07 ac 02 ae 02 03 1d 10 c8 01 09 20 11 14 11 02")},
        // Type 8; update 200 (c8 01), then the settings record.
        {WatchSettings{200, settings}, H, bytes("08 c8 01") + recordOf(settings)},
        // Type 9; the updates held.
        {WatchAck{5}, G, bytes("09 05")},
    };
    for (const auto& [message, from, want] : kinds) {
        EXPECT_EQ(encode(message, from), want) << message.index();
        std::string why;
        const auto back = decode(want.data(), want.size(), from, why);
        ASSERT_TRUE(back) << message.index() << ": " << why;
        EXPECT_EQ(encode(*back, from), want) << message.index();
    }
}

// Each case breaks one rule alone; the limits themselves pass (no reason): 64 parts (128 to a
// watcher, all the host has), a 32-character version, a 4096-character state, printable's edges.
TEST(Messages, EachRuleRefusesWhatBreaksIt) {
    const std::string hello = "01 03 00 01 'v 00 00 00 00 00 00 00 00 ";  // then the code
    GameSettings unusable = defaultGameSettings();
    unusable.screenWidth = 0;
    const char *range = "number out of range or not in its shortest form",
               *badCode = "join code not six letters and digits";
    const std::tuple<Bytes, Role, const char*> cases[] = {
        {{}, H, "message too short"},
        {bytes("05 1e 00 00 00 01 02 03 04 05 06 07"), H, "message too short"},
        {bytes("00"), H, "unknown message type"},
        {bytes("07"), G, "unknown message type"},
        {bytes(hello + "'K7MQ2P 00 00 00"), H, "unknown message type"},  // the host never says
        {bytes("02") + recordOf(defaultGameSettings()), G, "unknown message type"},  // hello,
        {bytes("03 01 00"), G, "unknown message type"},  // nor the guest welcome or refuse
        {bytes("04 81 00 00 00 00 00"), H, range},
        {bytes("04 ff ff ff ff 1f 00 00 00 00"), H, range},
        {bytes("04 80 80 80 80 80 80 00 00 00 00 00"), H, "number too long"},
        {bytes("04 01 00 00 00 01 08 fe ff ff ff 1f"), H, "pointer out of range"},
        {bytes("04 01 00 00 00 01 03"), H, "unknown bits in a host part"},
        {bytes("04 01 00 00 00 01 20"), H, "unknown bits in a host part"},
        {bytes("04 01 00 00 00 01 04 00"), H, "a value marked new that is not"},
        {bytes("04 01 00 00 00 41") + Bytes(65, 1), G, "too many parts"},
        {bytes("04 01 00 00 00 40") + Bytes(64, 1), G, ""},
        {bytes("04 01 00 ff ff ff ff 0f 00 01 01"), G, "too many parts"},
        {bytes("04 01 00 00 00 01 20"), G, "unknown keys in a guest part"},
        {bytes("03 01 21") + Bytes(33, 'a'), H, "text too long"},
        {bytes("03 01 20") + Bytes(32, 'a'), H, ""},
        {bytes("06 1e 00 00 00 01 10") + Bytes(4097, '{'), H, "text too long"},
        {bytes("06 1e 00 00 00 00 10") + Bytes(4096, 'a'), H, ""},
        {bytes("06 1e 00 00 00 02 00 61"), H, "text too long"},
        {bytes("06 1e 00 00 00 01 00 1f"), H, "text not printable"},
        {bytes("06 1e 00 00 00 01 00 7f"), H, "text not printable"},
        {bytes("06 1e 00 00 00 02 00 20 7e"), G, ""},
        {bytes("03 00 00"), H, "unknown refusal"},
        {bytes("03 08 00"), H, "unknown refusal"},
        {bytes("02") + recordOf(unusable), H, "settings the game cannot use"},
        {bytes(hello + "'K7MQ2P 00 00 00"), G, ""},
        {bytes(hello + "'K7MQ2p 00 00 00"), G, badCode},
        {bytes(hello + "'K7MQ2 00 00 00 00"), G, badCode},
        {bytes(hello + "'K7MQ2P7 00 00"), G, badCode},
        {bytes(hello + "'K7MQ2P 00 00 02"), G, "neither to play nor to watch"},
        {bytes("07 01 00 00"), G, "unknown message type"},  // only the host feeds watchers,
        {bytes("09 01"), H, "unknown message type"},        // and only they answer
        {bytes("07 01 ff 01 81") + Bytes(129, 0), H, "too many parts"},
        {bytes("07 01 80 01 80") + Bytes(128, 0), H, ""},
        {bytes("07 00 05 00"), H, "no update 0 is sent"},
        {bytes("08 00") + recordOf(defaultGameSettings()), H, "no update 0 is sent"},
        {bytes("07 05 05 02 00 00"), H, "updates the host has not confirmed"},
        {bytes("07 01 01 01 40"), H, "unknown bits in a host part"},
        {bytes("07 01 01 01 20 20"), H, "unknown keys in a guest part"},
        {bytes("07 01 01 01 20 00"), H, "a value marked new that is not"},
        {bytes("08 01") + recordOf(unusable), H, "settings the game cannot use"},
        {bytes("05 1e 00 00 00 01 02 03 04 05 06 07 08 09"), H, "bytes after the message"},
    };
    for (const auto& [b, from, reason] : cases) {
        std::string why;
        EXPECT_EQ(decode(b.data(), b.size(), from, why).has_value(), *reason == 0)
            << testing::PrintToString(b);
        EXPECT_EQ(why, reason) << testing::PrintToString(b);
    }
    // A Hello of another protocol is read for its number alone, to be refused by it.
    const Bytes other = bytes("01 01 00 de ad");
    std::string why;
    EXPECT_EQ(std::get<Hello>(*decode(other.data(), other.size(), G, why)).protocol, 1);
}

TEST(Joining, CodesAreTypedLooselyAndComparedWhole) {
    const auto code = readJoinCode("k7m-q2p");
    ASSERT_TRUE(code);
    EXPECT_EQ(std::string(code->data(), 8), std::string("K7MQ2P\0\0", 8));
    EXPECT_TRUE(sameJoinCode(*code, *readJoinCode("K7M Q2P")));
    for (std::size_t i = 0; i < code->size(); ++i) {
        CodeField other = *code;
        other[i] = 'X';
        EXPECT_FALSE(sameJoinCode(*code, other)) << i;
    }
    for (const char* bad : {"", "K7MQ2", "K7MQ2P7", "K7M!2P"}) {
        EXPECT_FALSE(readJoinCode(bad)) << bad;
    }
    // Drawn codes use every character of the alphabet and none that look alike.
    std::string seen;
    for (int i = 0; i < 2000; ++i) {
        const std::string drawn = newJoinCode();
        ASSERT_TRUE(drawn.size() == 6 && readJoinCode(drawn)) << drawn;
        seen += drawn;
    }
    std::sort(seen.begin(), seen.end());
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    EXPECT_EQ(seen, "23456789ABCDEFGHJKMNPQRSTUVWXYZ");
}

// The host's own commands taken `hostDelay` updates late; a still network, then slow lossy ones.
TEST(RollbackSessions, ConfirmTheMatchOneStepsStraight) {
    for (const auto& [hostDelay, toGuest, toHost, loss, updates] :
         {std::tuple{0, 0, 0, 0.0, 600}, {0, 4, 7, 0.1, 3000}, {2, 8, 3, 0.3, 1500}}) {
        const Match start = keyboardGuestMatch();
        std::vector<ConfirmedUpdate> hostOut, guestOut;
        Side host{RollbackSession(Role::Host, start, hostDelay, 12), toGuest, &hostOut};
        Side guest{RollbackSession(Role::Guest, start, 0, 12), toHost, &guestOut};
        ASSERT_TRUE(playTwoSessions(host, guest, updates, loss, 5));
        Match alone = start;
        ASSERT_GE(std::min(hostOut.size(), guestOut.size()), std::size_t(updates) + 1);
        for (int64_t n = 0; n < updates; ++n) {
            // Before the host's first: its pointer, no time, no button.
            const Part h = n < hostDelay
                               ? Part{0, hostPart(0).pointerX, hostPart(0).pointerY, {}, 0}
                               : hostPart(n - hostDelay);
            stepMatch(alone, mergeParts(h, guestPart(n)));
            for (const auto* out : {&hostOut, &guestOut}) {
                const ConfirmedUpdate& u = (*out)[std::size_t(n + 1)];
                ASSERT_EQ(std::tuple(u.number, matchHash(u.after), u.after.requests.soundCount),
                          std::tuple(n + 1, matchHash(alone), alone.requests.soundCount));
            }
        }
        EXPECT_GT(host.session.stats().rollbacks + guest.session.stats().rollbacks, 0);
        EXPECT_LE(host.session.stats().longest, 12);
    }
}

TEST(InputDelay, IsNoneUpTo200MillisecondsRoundTrip) {
    for (const auto& [roundTripMs, updates] :
         {std::pair{0, 0}, {199, 0}, {200, 1}, {299, 1}, {300, 2}, {5000, 2}}) {
        EXPECT_EQ(inputDelayFor(roundTripMs), updates) << roundTripMs;
    }
}

}  // namespace
}  // namespace spinvale::net
