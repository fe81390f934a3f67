// The pure pieces of network play: the message bytes worked out by hand, malformed messages
// refused, join codes and addresses, and two rollback sessions in one process exchanging
// parts through a simulated network that delays and drops them.
#include <gtest/gtest.h>

#include "join_code.h"
#include "trace.h"
#include "two_sessions.h"

namespace spinvale::net {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(Messages, HostPartsAreWrittenAsChangesFromThePartBefore) {
    Inputs m{300, 5, 2, -3, {{16, 100, -5, ButtonMessage::Pressed, 0}, {16, 101, -5, {}, 0}}};
    // Type 4; 300 = 0xAC 0x02; ack, first; advantage -3; two parts: the first with the
    // button pressed (1), time (4), x (8) and y (16) new: 16, zigzag 100 = 200 = 0xC8 0x01,
    // zigzag -5 = 9; the second with only x new, one more: zigzag 1 = 2.
    const Bytes want = {4, 0xAC, 0x02, 5, 2, 0xFD, 2, 0x1D, 16, 0xC8, 0x01, 9, 0x08, 2};
    EXPECT_EQ(encode(m, Role::Host), want);
    std::string why;
    const auto back = decode(want.data(), want.size(), Role::Host, why);
    ASSERT_TRUE(back) << why;
    EXPECT_EQ(std::get<Inputs>(*back).parts, m.parts);
    EXPECT_EQ(std::get<Inputs>(*back).advantage, -3);
}

TEST(Messages, EveryKindReadsBackAsWritten) {
    Hello hello{protocolVersion, "0.1.0", 0x0123456789abcdefull, {'K', '7', 'M', 'Q', '2', 'P'}};
    GameSettings settings = defaultGameSettings();
    settings.gameSpeed = 30;
    settings.player2Keyboard = true;
    const std::pair<Message, Role> messages[] = {
        {hello, Role::Guest},
        {Welcome{settings}, Role::Host},
        {Refused{Refusal::OtherBuild, "0.1.0"}, Role::Host},
        {Inputs{7, 9, 3, 12, {{0, 0, 0, {}, 0x1f}, {0, 0, 0, {}, 1}}}, Role::Guest},
        {HashCheck{60, 0xfedcba9876543210ull}, Role::Guest},
        {Desync{90, "{\"frame\":90}"}, Role::Host}};
    for (const auto& [message, from] : messages) {
        const Bytes bytes = encode(message, from);
        std::string why;
        const auto back = decode(bytes.data(), bytes.size(), from, why);
        ASSERT_TRUE(back) << message.index() << ": " << why;
        EXPECT_EQ(encode(*back, from), bytes) << message.index();
        if (const auto* welcome = std::get_if<Welcome>(&*back)) {
            EXPECT_EQ(welcome->settings.gameSpeed, 30.0f);
        }
    }
}

TEST(Messages, MalformedOnesAreRefusedWithAReason) {
    const std::pair<Bytes, Role> bad[] = {
        {{}, Role::Host},                           // empty
        {{0}, Role::Host},                          // no such type
        {{7}, Role::Guest},                         // no such type
        {{1, 1, 0}, Role::Host},                    // a Hello from the host
        {{2}, Role::Guest},                         // a Welcome from the guest
        {{4, 1, 0, 0, 0, 65}, Role::Guest},         // 65 parts
        {{4, 1, 0, 0, 0, 2, 1}, Role::Guest},       // one part short
        {{4, 1, 0, 0, 0, 1, 0x20}, Role::Guest},    // a key the guest has not got
        {{4, 1, 0, 0, 0, 1, 3}, Role::Host},        // button 3
        {{4, 1, 0, 0, 0, 1, 0x20}, Role::Host},     // unknown part bits
        {{4, 0x81, 0x00, 0, 0, 0, 0}, Role::Host},  // a number not in its shortest form
        {{4, 0xff, 0xff, 0xff, 0xff, 0x1f, 0, 0, 0, 0}, Role::Host},           // above 32 bits
        {{4, 1, 0, 0, 0, 1, 0x08, 0xfe, 0xff, 0xff, 0xff, 0x1f}, Role::Host},  // x past int32
        {{5, 30, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, Role::Host},  // a byte after the end
        {{6, 30, 0, 0, 0, 1, 0, 7}, Role::Host},                    // a text that is not printable
        {{6, 30, 0, 0, 0, 0xff, 0xff, 'a'}, Role::Host},            // a text longer than sent
        {{3, 9, 0}, Role::Host},                                    // no such refusal
        {{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'k', 0, 0, 0, 0, 0, 0, 0},
         Role::Guest},  // lower case
    };
    for (const auto& [bytes, from] : bad) {
        std::string why;
        EXPECT_FALSE(decode(bytes.data(), bytes.size(), from, why))
            << testing::PrintToString(bytes);
        EXPECT_FALSE(why.empty());
    }
    // A Hello of another protocol is read for its number alone, to be refused by it.
    const Bytes other = {1, 2, 0, 0xde, 0xad};
    std::string why;
    EXPECT_EQ(std::get<Hello>(*decode(other.data(), other.size(), Role::Guest, why)).protocol, 2);
}

// Join codes are compared whole; addresses are IPv4 only.
TEST(Joining, CodesAreTypedLooselyAndAddressesNameAHostAndAPort) {
    const auto code = readJoinCode("k7m-q2p");
    ASSERT_TRUE(code);
    EXPECT_EQ(std::string(code->data(), 6), "K7MQ2P");
    EXPECT_TRUE(sameJoinCode(*code, *readJoinCode("K7M Q2P")));
    EXPECT_FALSE(sameJoinCode(*code, *readJoinCode("K7MQ2P2")));
    EXPECT_FALSE(sameJoinCode(*code, *readJoinCode("K7MQ2Q")));
    for (const char* bad : {"", "K7M", "K7MQ2P789", "K7M!2P"}) {
        EXPECT_FALSE(readJoinCode(bad)) << bad;
    }
    const std::string drawn = newJoinCode();
    EXPECT_EQ(drawn.size(), 6u);
    EXPECT_EQ(drawn.find_first_of("01OIL"), std::string::npos) << drawn;
    EXPECT_TRUE(readJoinCode(drawn));

    std::string host, error;
    uint16_t port = 0;
    EXPECT_TRUE(readJoinAddress("table.local", host, port, error));
    EXPECT_EQ(host + " " + std::to_string(port), "table.local " + std::to_string(defaultPort));
    EXPECT_TRUE(readJoinAddress("192.168.1.20:4000", host, port, error));
    EXPECT_EQ(host + " " + std::to_string(port), "192.168.1.20 4000");
    for (const char* bad : {":4000", "h:", "h:0", "h:65536", "h:4x"}) {
        EXPECT_FALSE(readJoinAddress(bad, host, port, error)) << bad;
    }
    for (const char* v6 : {"[::1]:27455", "::1", "fe80::1"}) {
        EXPECT_FALSE(readJoinAddress(v6, host, port, error)) << v6;
        EXPECT_NE(error.find("IPv4 only"), std::string::npos) << error;
    }
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

TEST(DesyncChecks, CatchAChangedStateAtTheNextCheckpoint) {
    DesyncCheck mine, theirs;
    Match a = computerMatch(defaultGameSettings(), 1), b = a;
    for (int64_t n = 1; n <= 90; ++n) {
        const UpdateInput input{16, 0, 0, ButtonMessage::None, {}};
        stepMatch(a, input);
        stepMatch(b, input);
        if (n == 40) {
            b.state.ballX += 0.5f;
        }
        if (mine.local({n, input, a, false})) {
            EXPECT_TRUE(theirs.remote(n, matchHash(a)));
        }
        if (theirs.local({n, input, b, false})) {
            EXPECT_TRUE(mine.remote(n, matchHash(b)));
        }
    }
    EXPECT_EQ(std::tuple(mine.mismatch(), theirs.mismatch()), std::tuple(60, 60));
    EXPECT_FALSE(mine.remote(45, 0));  // not a checkpoint
    EXPECT_FALSE(mine.remote(30, 0));  // already compared
}

TEST(InputDelay, IsNoneUpTo200MillisecondsRoundTrip) {
    for (const auto& [roundTripMs, updates] :
         {std::pair{0, 0}, {199, 0}, {200, 1}, {300, 2}, {5000, 2}}) {
        EXPECT_EQ(inputDelayFor(roundTripMs), updates) << roundTripMs;
    }
}

}  // namespace
}  // namespace spinvale::net
