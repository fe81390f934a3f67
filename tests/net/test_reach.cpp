// The pure pieces of reaching a host: invites read strictly, the search for games on this
// network (its bytes worked out by hand), this computer's interfaces, the router's answers.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <future>
#include <thread>

#include "invite.h"
#include "lan_discovery.h"
#include "net_text.h"
#include "router_mapping.h"

namespace spinvale::net {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(Invites, ReadBackAsWrittenAndPastedTextIsForgiven) {
    EXPECT_EQ(formatInvite({"192.0.2.7", 27455, "K7MQ2P"}), "spinvale://192.0.2.7:27455/K7MQ2P");
    std::string error;
    const auto read = readInvite(" \tSpinVale://table-3.example.org:4000/k7mq2p\r\n", error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->host + " " + std::to_string(read->port) + " " + read->code,
              "table-3.example.org 4000 K7MQ2P");
    EXPECT_TRUE(looksLikeInvite("  spinvale://x"));
    // --join takes an address (an invite: the command line's tests), leaving the code as it was.
    std::string host, code = "KEPT", why;
    uint16_t port = 0;
    EXPECT_TRUE(readJoinTarget("192.0.2.7", host, port, code, why));
    EXPECT_EQ(host + ":" + std::to_string(port) + "/" + code, "192.0.2.7:27455/KEPT");
}

TEST(Invites, AnythingElseIsRefusedWithAReason) {
    // One of each reason, the port's and the address's rules among them.
    const std::pair<std::string, const char*> bad[] = {
        {"spinvale:/192.0.2.7:27455/K7MQ2P", "does not start with"},
        {"spinvale://192.0.2.7:27455", "no join code"},
        {"spinvale://192.0.2.7/K7MQ2P", "no port"},
        {"spinvale://192.0.2.7:65536/K7MQ2P", "from 1 to 65535"},
        {"spinvale://192.0.2.7:27455x/K7MQ2P", "from 1 to 65535"},
        {"spinvale://:27455/K7MQ2P", "missing"},
        {"spinvale://[::1]:27455/K7MQ2P", "IPv4 only"},
        {"spinvale://fe80::1:27455/K7MQ2P", "IPv4 only"},
        {"spinvale://user@192.0.2.7:27455/K7MQ2P", "no valid host"},
        {"spinvale://-table.example:27455/K7MQ2P", "no valid host"},
        {"spinvale://table..example:27455/K7MQ2P", "no valid host"},
        {"spinvale://" + std::string(64, 'a') + ":27455/K7MQ2P", "no valid host"},
        {"spinvale://192.0.2.7:27455/K7MQ2", "six letters"},
        {"spinvale://192.0.2.7:27455/K7MQ2P7", "six letters"},
        {"spinvale://192.0.2.7:27455/K7M-Q2P", "six letters"},
        {"spinvale://192.0.2.7:27455/K7M\x1b[2JQ2P", "only letters"},
        {"spinvale://192.0.2.7 27455/K7MQ2P", "only letters"},
        {"spinvale://" + std::string(300, 'a') + ":1/K7MQ2P", "not that long"},
    };
    for (const auto& [text, reason] : bad) {
        std::string error;
        EXPECT_FALSE(readInvite(text, error)) << text;
        EXPECT_NE(error.find(reason), std::string::npos) << text << ": " << error;
    }
}

TEST(LanSearch, TheBytesAreAsWorkedOut) {
    // "Spinvale", kind 'Q', version 1, the nonce big-endian, zeros to 48 bytes.
    Bytes query = {'S', 'p', 'i', 'n', 'v', 'a', 'l', 'e', 'Q', 1, 0x12, 0x34, 0x56, 0x78};
    query.resize(48, 0);
    EXPECT_EQ(encodeLanQuery(0x12345678), query);
    EXPECT_EQ(decodeLanQuery(query.data(), query.size()), 0x12345678u);
    // 'A', the nonce, port 27455 = 0x6B3F, the name's length and the name.
    const Bytes answer = {'S',  'p',  'i',  'n',  'v',  'a',  'l', 'e', 'A', 1,
                          0x12, 0x34, 0x56, 0x78, 0x6B, 0x3F, 3,   'A', 'n', 'a'};
    EXPECT_EQ(encodeLanAnswer(0x12345678, 27455, "Ana"), answer);
    const auto game = decodeLanAnswer(answer.data(), answer.size(), 0x12345678);
    ASSERT_TRUE(game);
    EXPECT_EQ(game->name + ":" + std::to_string(game->port), "Ana:27455");
    // No answer is longer than the query that draws it.
    EXPECT_EQ(encodeLanAnswer(1, 1, std::string(maxLanNameLength, 'x')).size(), lanQuerySize);
}

TEST(LanSearch, DatagramsThatAreNotExactlyOursAreRefused) {
    const Bytes query = encodeLanQuery(7);
    std::vector<Bytes> badQueries(5, query);
    badQueries[0].pop_back();    // short
    badQueries[1].push_back(0);  // long
    badQueries[2][47] = 1;       // padding not zero
    badQueries[3][8] = 'A';      // an answer's kind
    badQueries[4][9] = 2;        // another version
    for (const Bytes& b : badQueries) {
        EXPECT_FALSE(decodeLanQuery(b.data(), b.size())) << testing::PrintToString(b);
    }
    const Bytes answer = encodeLanAnswer(7, 27455, "Bob");
    std::vector<Bytes> badAnswers(6, answer);
    badAnswers[0][13] = 8;                      // another nonce
    badAnswers[1][18] = '\n';                   // a name that is not printable
    badAnswers[2].push_back('x');               // a byte past the name
    badAnswers[3][16] = 0;                      // no name
    badAnswers[4][14] = badAnswers[4][15] = 0;  // port 0
    badAnswers[5].resize(16);                   // cut short
    for (const Bytes& b : badAnswers) {
        EXPECT_FALSE(decodeLanAnswer(b.data(), b.size(), 7)) << testing::PrintToString(b);
    }
}

TEST(LanSearch, NamesAreMadeSafeToShow) {
    EXPECT_EQ(lanGameName("  Ren\xc3\xa9 Jos\xc3\xa9  "), "Ren? Jos?");
    EXPECT_EQ(lanGameName("\x1b[31mred\x07"), "[31mred");
    EXPECT_EQ(lanGameName(std::string(40, 'n')), std::string(31, 'n'));
    EXPECT_EQ(lanGameName(" \t\n"), "Spinvale");
}

TEST(LanSearch, AnswersAreLimitedInAllAndForEachAsker) {
    AnswerLimiter limiter;
    const uint32_t t0 = 0xFFFFFF00u;  // the millisecond clock wraps during the test
    for (uint32_t source = 1; source <= 8; ++source) {
        EXPECT_TRUE(limiter.allow(source, t0)) << source;
    }
    EXPECT_FALSE(limiter.allow(9, t0 + 99));  // the burst is spent
    EXPECT_TRUE(limiter.allow(9, t0 + 100));  // one more each 100 ms
    EXPECT_FALSE(limiter.allow(10, t0 + 150));
    EXPECT_TRUE(limiter.allow(1, t0 + 1000));   // the bucket full again
    EXPECT_FALSE(limiter.allow(1, t0 + 1001));  // but not twice to one asker
}

constexpr uint32_t lo = 0x7F000001, docker = 0xAC110001, wlan = 0xC0A80114, eth = 0x0A000005;
const std::vector<NetInterface> interfaces = {
    {"lo", lo, 0xFF000000, 0, true, true},
    {"docker0", docker, 0xFFFF0000, 0xAC11FFFF, true, false},
    {"wlan0", wlan, 0xFFFFFF00, 0xC0A801FF, true, false},
    {"eth1", eth, 0xFF000000, 0x0AFFFFFF, false, false},
};

TEST(LanSearch, AHostAnswersOnlyItsOwnNetworks) {
    LanResponder host("Ana", 27455, interfaces);
    EXPECT_FALSE(host.answer(7, 0x08080808, 0));  // from the internet, through a mapping
    const auto answer = host.answer(7, 0xC0A80177, 0);
    ASSERT_TRUE(answer);
    const auto game = decodeLanAnswer(answer->data(), answer->size(), 7);
    ASSERT_TRUE(game);
    EXPECT_EQ(game->name + ":" + std::to_string(game->port), "Ana:27455");
    EXPECT_FALSE(host.answer(8, 0xC0A80177, 1));  // the same asker again at once
    EXPECT_TRUE(host.answer(8, lo, 1));
}

// The kernel prints each address as the number its bytes in network order make here.
std::string routeField(uint32_t address) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", htonl(address));
    return hex;
}

TEST(LocalNetwork, TheGatewayAndTheAddressTheRouterKnows) {
    const std::string head = "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\n";
    const std::string subnet = "wlan0\t" + routeField(0xC0A80100) + "\t00000000\t0001\t0\t0\t0\t" +
                               routeField(0xFFFFFF00) + "\n";
    const std::string viaGateway =
        "wlan0\t00000000\t" + routeField(0xC0A80101) + "\t0003\t0\t0\t600\t00000000\n";
    EXPECT_EQ(readDefaultGateway(head + "garbage\n" + subnet + viaGateway), 0xC0A80101u);
    EXPECT_FALSE(readDefaultGateway(head + subnet));
    EXPECT_FALSE(readDefaultGateway(head + "tun0\t00000000\t00000000\t0001\t0\t0\t0\t00000000\n"));

    EXPECT_EQ(chooseLocalAddress(interfaces, 0xC0A80101), wlan);  // not the first one up
    EXPECT_EQ(chooseLocalAddress(interfaces, std::nullopt), docker);
    EXPECT_EQ(chooseLocalAddress(interfaces, 0x0A000001), docker);  // its network is down
    EXPECT_FALSE(chooseLocalAddress({interfaces[0]}, std::nullopt));
    EXPECT_EQ(hostAddresses(interfaces, 0xC0A80101),
              (std::vector<std::string>{"192.168.1.20", "172.17.0.1"}));
    EXPECT_EQ(hostAddresses({interfaces[0], interfaces[3]}, std::nullopt),
              std::vector<std::string>{"127.0.0.1"});

    EXPECT_EQ(broadcastAddresses(interfaces),
              (std::vector<uint32_t>{0xFFFFFFFF, 0xAC11FFFF, 0xC0A801FF}));
    EXPECT_FALSE(onLocalNetwork(0x0A000009, interfaces));
    EXPECT_FALSE(onLocalNetwork(0x08080808, interfaces));
}

// The host's waiting page for each answer of the router, worked out by hand: 192.168.1.20 on
// its network, port 27455, and the router's internet address 203.0.113.5.
TEST(WaitingPage, SaysWhereToFindTheHostForEachAnswerOfTheRouter) {
    const std::string local = "Players on your network can join 192.168.1.20";
    const std::string forward =
        " port 27455: players outside your network need UDP port 27455 forwarded to "
        "192.168.1.20 (this computer); players on your network can join 192.168.1.20";
    const std::string atHome = "spinvale://192.168.1.20:27455/K7MQ2P";
    const auto told = [](MappingState state, RouterWay way = RouterWay::None, int code = 0) {
        const RouterRefusal refusal = code ? classifyRefusal(way, code) : RouterRefusal::None;
        return MappingStatus{state, way, wlan, 27455, 0xCB007105, 31000, refusal, code};
    };
    using Page = std::tuple<std::optional<MappingStatus>, std::vector<std::string>, std::string>;
    const Page pages[] = {
        {told(MappingState::Asking), {"Asking your router to open UDP port 27455...", local}, ""},
        {told(MappingState::Mapped, RouterWay::NatPmp),
         {"Your router opened UDP port 31000 by NAT-PMP: players outside your network join "
          "203.0.113.5:31000",
          local},
         "spinvale://203.0.113.5:31000/K7MQ2P"},
        {told(MappingState::NotMapped), {"Your router did not open" + forward}, atHome},
        {told(MappingState::NotMapped, RouterWay::Upnp, 718),
         {"Your router refused (UPnP error 718, ConflictInMappingEntry): another computer "
          "holds that port.",
          "Your router did not open" + forward},
         atHome},
        {told(MappingState::NotMapped, RouterWay::NatPmp, 3),
         {"Your router refused (NAT-PMP result 3, NetworkFailure): it is not connected to the "
          "internet itself.",
          "Your router did not open" + forward},
         atHome},
        {std::nullopt, {"Your router was not asked to open" + forward}, atHome},
    };
    for (const auto& [router, lines, invite] : pages) {
        const WaitingPage page = waitingPage({27455, "K7MQ2P", "192.168.1.20", router});
        std::vector<std::string> want = lines;
        want.push_back("Join code: K7MQ2P");
        EXPECT_EQ(page.lines, want);
        EXPECT_EQ(page.invite, invite);
        EXPECT_EQ(page.inviteLine, invite.empty() ? "" : "Invite: " + invite);
    }
    // Another port is named wherever a player types it.
    const WaitingPage other = waitingPage({27456, "K7MQ2P", "192.168.1.20", {}});
    EXPECT_NE(other.lines[0].find("can join 192.168.1.20:27456"), std::string::npos);
}

// A router that answers when the test lets it, on a clock the test turns.
std::atomic<int64_t> fakeMs{0};
std::atomic<bool> unmapped{false};
std::shared_future<void> mapAnswered, removalAnswered;  // waited for, when valid
Deadline askedUntil;
Deadline fakeNow() {
    return Deadline(std::chrono::milliseconds(fakeMs.load()));
}
void waitFor(const std::shared_future<void>& answer) {
    if (answer.valid()) {
        answer.wait_for(std::chrono::seconds(30));
    }
}
template <typename Done>
bool waitUntil(Done done) {
    for (int i = 0; i < 3000 && !done(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}
struct LateRouter : Router {
    RouterReply map(uint16_t, uint16_t, uint32_t, Deadline) override { return {RouterReply::Done}; }
    bool unmap(Deadline) override { return waitFor(removalAnswered), unmapped = true; }
};
std::unique_ptr<Router> findLateRouter(Deadline until, RouterReply&) {
    askedUntil = until;
    waitFor(mapAnswered);
    return std::make_unique<LateRouter>();
}

TEST(RouterMapping, GivesUpAtThreeSecondsAndRemovesAMappingMadeLater) {
    std::promise<void> answer;
    mapAnswered = answer.get_future();
    RouterMapping mapping({27455, 3000, 3600, fakeNow, {findLateRouter}});
    fakeMs = 2999;
    EXPECT_EQ(mapping.status().state, MappingState::Asking);
    fakeMs = 3000;
    EXPECT_EQ(mapping.status().state, MappingState::NotMapped);
    answer.set_value();
    EXPECT_TRUE(waitUntil([] { return bool(unmapped); }));
    EXPECT_EQ(askedUntil, Deadline(std::chrono::milliseconds(3000)));
    EXPECT_EQ(mapping.status().state, MappingState::NotMapped);
    EXPECT_TRUE(mapping.stop());
}

TEST(RouterMapping, StopsWithoutWaitingForTheRouter) {
    std::promise<void> answer;
    removalAnswered = answer.get_future();
    unmapped = false;
    RouterMapping mapping({27455, 3000, 3600, fakeNow, {findLateRouter}});
    waitUntil([&] { return mapping.status().state == MappingState::Mapped; });
    EXPECT_FALSE(mapping.stop());
    answer.set_value();
    EXPECT_TRUE(waitUntil([] { return bool(unmapped); }));
}

}  // namespace
}  // namespace spinvale::net
