// The pure pieces of network play: the message bytes worked out by hand, malformed messages
// refused, join codes and addresses, and two rollback sessions in one process exchanging
// parts through a simulated network that delays and drops them.
#include <gtest/gtest.h>

#include <algorithm>

#include "join_code.h"
#include "settings_file.h"
#include "trace.h"
#include "two_sessions.h"

namespace spinvale::net {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes text(std::size_t length, char c = 'a') {
    return Bytes(length, uint8_t(c));
}

Bytes recordOf(const GameSettings& settings) {
    SettingsRecord record{};
    encodeSettings(settings, record);
    return Bytes(record.begin(), record.end());
}

Bytes welcomeOf(const GameSettings& settings) {
    return Bytes{2} + recordOf(settings);
}

// Every kind of message, its bytes worked out by hand: written so, and read back to the same.
TEST(Messages, EveryKindHasTheBytesWorkedOutByHand) {
    GameSettings settings = defaultGameSettings();
    settings.gameSpeed = 30;
    const Hello hello{
        protocolVersion, "0.1.0", 0x0123456789abcdefull, {'K', '7', 'M', 'Q', '2', 'P'}, true};
    const std::tuple<Message, Role, Bytes> kinds[] = {
        // Type 1; protocol 3, two bytes low first; the version's length and text; the build,
        // eight bytes low first; the code, zeros after its six characters; 1: to watch.
        {hello, Role::Guest, {1,    3,    0,    5,    '0',  '.',  '1',  '.',  '0',
                              0xef, 0xcd, 0xab, 0x89, 0x67, 0x45, 0x23, 0x01, 'K',
                              '7',  'M',  'Q',  '2',  'P',  0,    0,    1}},
        // Type 2, then the settings file's 112-byte record.
        {Welcome{settings}, Role::Host, welcomeOf(settings)},
        // Type 3; OtherBuild is 4; the host's version.
        {Refused{Refusal::OtherBuild, "0.1.0"}, Role::Host, {3, 4, 5, '0', '.', '1', '.', '0'}},
        // Type 4; 300 = 0xAC 0x02; ack, first; advantage -3; two parts: the first with the
        // button pressed (1), time (4), x (8) and y (16) new: 16, zigzag 100 = 200 = 0xC8
        // 0x01, zigzag -5 = 9; the second with only x new, one more: zigzag 1 = 2.
        {Inputs{300, 5, 2, -3, {{16, 100, -5, ButtonMessage::Pressed, 0}, {16, 101, -5, {}, 0}}},
         Role::Host,
         {4, 0xAC, 0x02, 5, 2, 0xFD, 2, 0x1D, 16, 0xC8, 0x01, 9, 0x08, 2}},
        // A guest's parts are a byte of keys each.
        {Inputs{7, 9, 3, 12, {{0, 0, 0, {}, 0x1f}, {0, 0, 0, {}, 1}}},
         Role::Guest,
         {4, 7, 9, 3, 12, 2, 0x1f, 0x01}},
        // Type 5; the update and the hash, low bytes first.
        {HashCheck{60, 0xfedcba9876543210ull},
         Role::Guest,
         {5, 60, 0, 0, 0, 0x10, 0x32, 0x54, 0x76, 0x98, 0xba, 0xdc, 0xfe}},
        // Type 6; the update; the state's length in two bytes, and the state.
        {Desync{90, "{\"frame\":90}"}, Role::Host,
         Bytes{6, 90, 0, 0, 0, 12, 0} +
             Bytes{'{', '"', 'f', 'r', 'a', 'm', 'e', '"', ':', '9', '0', '}'}},
        // Type 7; first 300 (0xAC 0x02), the host at 302 (0xAE 0x02); three whole commands, as
        // a host part with 32 for new keys: the first as in the Inputs above; the second
        // only keys 0x11; the third time 17 and y one more (zigzag 2).
        {Watched{300,
                 302,
                 {{16, 100, -5, ButtonMessage::Pressed, 0},
                  {16, 100, -5, {}, 0x11},
                  {17, 100, -4, {}, 0x11}}},
         Role::Host,
         {7, 0xAC, 0x02, 0xAE, 0x02, 3, 0x1D, 16, 0xC8, 0x01, 9, 0x20, 0x11, 0x14, 17, 2}},
        // Type 8; update 200 (0xC8 0x01), then the settings record.
        {WatchSettings{200, settings}, Role::Host, Bytes{8, 0xC8, 0x01} + recordOf(settings)},
        // Type 9; the updates held.
        {WatchAck{5}, Role::Guest, {9, 5}},
    };
    for (const auto& [message, from, bytes] : kinds) {
        EXPECT_EQ(encode(message, from), bytes) << message.index();
        std::string why;
        const auto back = decode(bytes.data(), bytes.size(), from, why);
        ASSERT_TRUE(back) << message.index() << ": " << why;
        EXPECT_EQ(encode(*back, from), bytes) << message.index();
    }
}

// Each rule of the decoder, each case well formed but for that one rule.
TEST(Messages, EachRuleRefusesWhatBreaksIt) {
    const Bytes hello = {1, 3, 0, 1, 'v', 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes code = {'K', '7', 'M', 'Q', '2', 'P', 0, 0, 0};  // then 0: to play
    GameSettings unusable = defaultGameSettings();
    unusable.screenWidth = 0;
    const std::tuple<Bytes, Role, const char*> bad[] = {
        {{}, Role::Host, "message too short"},
        {{5, 30, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7}, Role::Host, "message too short"},
        {{0}, Role::Host, "unknown message type"},
        {{7}, Role::Guest, "unknown message type"},
        {hello + code, Role::Host, "unknown message type"},  // the host never says hello,
        {welcomeOf(defaultGameSettings()), Role::Guest, "unknown message type"},  // nor the guest
        {{3, 1, 0}, Role::Guest, "unknown message type"},  // welcome or refuse
        {{4, 0x81, 0x00, 0, 0, 0, 0},
         Role::Host,
         "number out of range or not in its shortest form"},
        {{4, 0xff, 0xff, 0xff, 0xff, 0x1f, 0, 0, 0, 0},
         Role::Host,
         "number out of range or not in its shortest form"},
        {{4, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0, 0, 0, 0, 0}, Role::Host, "number too long"},
        {{4, 1, 0, 0, 0, 1, 0x08, 0xfe, 0xff, 0xff, 0xff, 0x1f},
         Role::Host,
         "pointer out of range"},
        {{4, 1, 0, 0, 0, 1, 3}, Role::Host, "unknown bits in a host part"},
        {{4, 1, 0, 0, 0, 1, 0x20}, Role::Host, "unknown bits in a host part"},
        {{4, 1, 0, 0, 0, 1, 0x04, 0}, Role::Host, "a value marked new that is not"},
        {Bytes{4, 1, 0, 0, 0, 65} + Bytes(65, 1), Role::Guest, "too many parts"},
        {{4, 1, 0, 0xff, 0xff, 0xff, 0xff, 0x0f, 0, 1, 1}, Role::Guest, "too many parts"},
        {{4, 1, 0, 0, 0, 1, 0x20}, Role::Guest, "unknown keys in a guest part"},
        {Bytes{3, 1, 33} + text(33), Role::Host, "text too long"},
        {Bytes{6, 30, 0, 0, 0, 0x01, 0x10} + text(4097, '{'), Role::Host, "text too long"},
        {{6, 30, 0, 0, 0, 2, 0, 'a'}, Role::Host, "text too long"},
        {{6, 30, 0, 0, 0, 1, 0, 0x1f}, Role::Host, "text not printable"},
        {{6, 30, 0, 0, 0, 1, 0, 0x7f}, Role::Host, "text not printable"},
        {{3, 0, 0}, Role::Host, "unknown refusal"},
        {{3, 8, 0}, Role::Host, "unknown refusal"},
        {welcomeOf(unusable), Role::Host, "settings the game cannot use"},
        {hello + Bytes{'K', '7', 'M', 'Q', '2', 'p', 0, 0, 0}, Role::Guest,
         "join code not six letters and digits"},
        {hello + Bytes{'K', '7', 'M', 'Q', '2', 0, 0, 0, 0}, Role::Guest,
         "join code not six letters and digits"},
        {hello + Bytes{'K', '7', 'M', 'Q', '2', 'P', '7', 0, 0}, Role::Guest,
         "join code not six letters and digits"},
        {hello + Bytes{'K', '7', 'M', 'Q', '2', 'P', 0, 0, 2}, Role::Guest,
         "neither to play nor to watch"},
        {{7, 1, 0, 0}, Role::Guest, "unknown message type"},  // only the host feeds watchers,
        {{9, 1}, Role::Host, "unknown message type"},         // and only they answer
        {Bytes{7, 1, 0xff, 0x01, 129} + Bytes(129, 0), Role::Host, "too many parts"},
        {{7, 0, 5, 0}, Role::Host, "no update 0 is sent"},
        {Bytes{8, 0} + recordOf(defaultGameSettings()), Role::Host, "no update 0 is sent"},
        {{7, 5, 5, 2, 0, 0}, Role::Host, "updates the host has not confirmed"},
        {{7, 1, 1, 1, 0x40}, Role::Host, "unknown bits in a host part"},
        {{7, 1, 1, 1, 0x20, 0x20}, Role::Host, "unknown keys in a guest part"},
        {{7, 1, 1, 1, 0x20, 0}, Role::Host, "a value marked new that is not"},
        {Bytes{8, 1} + recordOf(unusable), Role::Host, "settings the game cannot use"},
        {{5, 30, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, Role::Host, "bytes after the message"},
    };
    for (const auto& [bytes, from, reason] : bad) {
        std::string why;
        EXPECT_FALSE(decode(bytes.data(), bytes.size(), from, why))
            << testing::PrintToString(bytes);
        EXPECT_EQ(why, reason) << testing::PrintToString(bytes);
    }
    // The limits themselves are allowed: 64 parts (128 to a watcher, all the host has), a
    // 32-character version, a 4096-character state, and the edges of printable text.
    const std::pair<Bytes, Role> good[] = {
        {Bytes{4, 1, 0, 0, 0, 64} + Bytes(64, 1), Role::Guest},
        {Bytes{7, 1, 0x80, 0x01, 128} + Bytes(128, 0), Role::Host},
        {Bytes{3, 1, 32} + text(32), Role::Host},
        {Bytes{6, 30, 0, 0, 0, 0x00, 0x10} + text(4096), Role::Host},
        {{6, 30, 0, 0, 0, 2, 0, ' ', '~'}, Role::Guest},
        {hello + code, Role::Guest}};
    for (const auto& [bytes, from] : good) {
        std::string why;
        EXPECT_TRUE(decode(bytes.data(), bytes.size(), from, why)) << why;
    }
    // A Hello of another protocol is read for its number alone, to be refused by it.
    const Bytes other = {1, 1, 0, 0xde, 0xad};
    std::string why;
    EXPECT_EQ(std::get<Hello>(*decode(other.data(), other.size(), Role::Guest, why)).protocol, 1);
}

// Join codes are six characters typed loosely, compared whole; addresses are IPv4 only.
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

// Both sides confirm the updates one match stepped straight on the merged commands gives,
// the host's own taken `hostDelay` updates late.
void playPair(int hostDelay, int toGuest, int toHost, double loss, int64_t updates) {
    const Match start = keyboardGuestMatch();
    std::vector<ConfirmedUpdate> hostOut, guestOut;
    Side host{RollbackSession(Role::Host, start, hostDelay, 12), toGuest, &hostOut};
    Side guest{RollbackSession(Role::Guest, start, 0, 12), toHost, &guestOut};
    ASSERT_TRUE(playTwoSessions(host, guest, updates, loss, 5));
    Match alone = start;
    ASSERT_GE(std::min(hostOut.size(), guestOut.size()), std::size_t(updates) + 1);
    for (int64_t n = 0; n < updates; ++n) {
        // Before the host's first: its pointer, no time, no button.
        const Part h = n < hostDelay ? Part{0, hostPart(0).pointerX, hostPart(0).pointerY, {}, 0}
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

TEST(RollbackSessions, ConfirmTheMatchOneStepsStraight) {
    playPair(0, 0, 0, 0, 600);
    playPair(0, 4, 7, 0.1, 3000);
    playPair(2, 8, 3, 0.3, 1500);
}

TEST(InputDelay, IsNoneUpTo200MillisecondsRoundTrip) {
    for (const auto& [roundTripMs, updates] :
         {std::pair{0, 0}, {199, 0}, {200, 1}, {299, 1}, {300, 2}, {5000, 2}}) {
        EXPECT_EQ(inputDelayFor(roundTripMs), updates) << roundTripMs;
    }
}

}  // namespace
}  // namespace spinvale::net
