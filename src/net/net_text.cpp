#include "net_text.h"

#include <cstdio>

#include "invite.h"
#include "lan_address.h"

namespace spinvale::net {

namespace {

const std::string escQuits = "\nEsc quits.";

std::string playerName(Role role) {
    return "player " + std::to_string(int(role));
}

// Why a host turns a guest away: as the guest is told, and as the host's log says it.
struct RefusalText {
    std::string toGuest;
    const char* inLog;
};

RefusalText refusalText(Refusal reason, const std::string& hostVersion) {
    const std::string hosts = "the host's game (Spinvale " + hostVersion + ")";
    switch (reason) {
        case Refusal::WrongCode:
            return {"the join code is wrong", "a wrong join code"};
        case Refusal::GameTaken:
            return {"the host already has a player", "a second player"};
        case Refusal::OtherProtocol:
            return {hosts + " speaks another network protocol: both players need the same version",
                    "another network protocol"};
        case Refusal::OtherBuild:
            return {hosts + " computes the match differently: both players need the same build",
                    "another match build"};
        case Refusal::TooManyTries:
            return {
                "too many wrong join codes came from this address: wait a minute, then type "
                "the code again",
                "too many wrong codes from one address"};
    }
    return {"refused", "refused"};
}

// Why the other player is gone, as the screen and the log both begin it.
std::string goneText(const OtherGone& e) {
    const std::string who = playerName(e.other);
    switch (e.why) {
        case Gone::Left:
            return "Player " + std::to_string(int(e.other)) + " left";
        case Gone::Silent:
            return "Nothing heard from " + who + " for 5 seconds: the connection is given up";
        case Gone::Stalled:
            return "No play from " + who + " for 5 seconds: the connection is given up";
        case Gone::Finished:
            break;
    }
    return "Player " + std::to_string(int(e.other)) + " finished the game";
}

std::string desyncText(const Desynced& e) {
    return "The two games differ after update " + std::to_string(e.update) +
           ": the match is stopped.";
}

std::string where(const Desynced& e) {
    return e.error.empty() ? "Both states are in " + e.path
                           : "The states could not be written: " + e.error;
}

std::string say(const Hosting& e) {
    std::string list;
    for (const std::string& a : e.addresses) {
        list += (list.empty() ? "" : ", ") + a;
    }
    return "hosting on UDP port " + std::to_string(e.port) + " of this computer (" + list +
           "), join code " + e.code;
}
std::string say(const Calling& e) {
    return "calling " + e.host + " port " + std::to_string(e.port);
}
std::string say(const Joined& e) {
    return "player 2 joined from " + addressText(e.from);
}
std::string say(const RefusalSummary& e) {
    int64_t total = 0;
    std::string reasons, last;
    for (std::size_t i = 0; i < refusalKinds; ++i) {
        if (e.counts[i] > 0) {
            total += e.counts[i];
            last = refusalText(refusals[i], "").inLog;
            reasons += (reasons.empty() ? "" : ", ") + std::to_string(e.counts[i]) + " " + last;
        }
    }
    if (total == 1) {
        return "refused a player from " + addressText(e.lastFrom) + ": " + last;
    }
    return "refused " + std::to_string(total) + " players: " + reasons + " (the last from " +
           addressText(e.lastFrom) + ")";
}
std::string say(const LeftEarly&) {
    return "player 2 left before the game started";
}
std::string say(const NeverStarted&) {
    return "player 2 did not start to play within 15 seconds of joining: let go";
}
std::string say(const NoAnswer& e) {
    return "No answer from " + e.host + " port " + std::to_string(e.port) +
           " within 5 seconds: is a game hosted there, and is that UDP port open to this "
           "computer?";
}
std::string say(const HostClosed&) {
    return "The host closed the connection before the game started";
}
std::string say(const NoWelcome&) {
    return "The host did not let this game in within 15 seconds";
}
std::string say(const RefusedBy& e) {
    return "The host refused to play: " + refusalText(e.reason, e.hostVersion).toGuest;
}
std::string say(const UnreadableAnswer& e) {
    return "The host's answer could not be read (" + e.why +
           "): both players need the same version of the game";
}
std::string say(const Started& e) {
    return "playing with " + playerName(e.other) + " (round trip " + std::to_string(e.roundTripMs) +
           " ms, input delay " + std::to_string(e.inputDelay) + ")";
}
std::string say(const OtherGone& e) {
    return goneText(e) + "; the computer plays for them";
}
std::string say(const Desynced& e) {
    return desyncText(e) + " " + where(e);
}
std::string say(const DumpFailed& e) {
    return "The other game's state could not be written to " + e.path + ": " + e.error;
}
std::string say(const Malformed& e) {
    return "dropped a malformed message from " + addressText(e.from) + " (" + e.why +
           "); further ones of this kind are only counted";
}

template <typename Event>
std::optional<std::string> held(const Event&) {
    return std::nullopt;
}
// The host's waiting screen is a page of its own (waitingPage).
std::optional<std::string> held(const Hosting&) {
    return "";
}
std::optional<std::string> held(const Calling& e) {
    return "Calling " + e.host + " port " + std::to_string(e.port) + "...";
}
std::optional<std::string> held(const Started&) {
    return "";
}
std::optional<std::string> held(const NoAnswer& e) {
    return say(e) + escQuits;
}
std::optional<std::string> held(const HostClosed& e) {
    return say(e) + escQuits;
}
std::optional<std::string> held(const NoWelcome& e) {
    return say(e) + escQuits;
}
std::optional<std::string> held(const UnreadableAnswer& e) {
    return say(e) + escQuits;
}
std::optional<std::string> held(const RefusedBy& e) {
    return say(e) + "." + escQuits;
}
std::optional<std::string> held(const OtherGone& e) {
    return goneText(e) + ":\nthe computer plays for them. Esc quits.";
}
std::optional<std::string> held(const Desynced& e) {
    return desyncText(e) + "\n" + where(e) + "." + escQuits;
}

// "; dropped: 600 empty datagrams, 3 connections cut halfway", the counters that are not 0.
std::string droppedText(const NetStats& s) {
    std::string text;
    const auto add = [&text](int64_t count, const std::string& what) {
        if (count > 0) {
            text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + what;
        }
    };
    add(s.transport.emptyDatagrams, "empty datagrams");
    add(s.transport.oversizeDatagrams, "datagrams too long");
    add(s.transport.strayDatagrams, "datagrams for no connection");
    add(s.transport.handshakesReset, "connections cut halfway");
    add(s.silentVisitors, "visitors that never said hello");
    for (std::size_t i = 0; i < refusalKinds; ++i) {
        add(s.refused[i], std::string("refused for ") + refusalText(refusals[i], "").inLog);
    }
    for (const auto& [why, count] : s.malformed) {
        add(count, "messages dropped for " + why);
    }
    return text.empty() ? "nothing dropped" : "dropped: " + text;
}

// What a player types on the join page to reach HOST at port: the port only when it is not
// the default one.
std::string joinText(const std::string& host, uint16_t port) {
    return port == defaultPort ? host : host + ":" + std::to_string(port);
}

// What a router's refusal means, after the protocol's own name for it.
std::string refusalLine(const MappingStatus& s) {
    const std::string way(routerWayName(s.way));
    const std::string name(routerCodeName(s.way, s.code));
    std::string line = "Your router refused (" + way +
                       (s.way == RouterWay::Upnp ? " error " : " result ") +
                       std::to_string(s.code) + (name.empty() ? "" : ", " + name) + ")";
    switch (s.refusal) {
        case RouterRefusal::PortTaken:
            return line + ": another computer holds that port.";
        case RouterRefusal::NotAllowed:
            return line + ": it does not let this computer open ports.";
        case RouterRefusal::NoRoom:
            return line + ": it has no room for another open port.";
        case RouterRefusal::NotConnected:
            return line + ": it is not connected to the internet itself.";
        case RouterRefusal::Other:
        case RouterRefusal::None:
            break;
    }
    return line + ".";
}

// The router's part of the page: what it did, and where players inside and outside this
// network join. The invite's address and port are the router's when it opened the port,
// none while it is asked.
std::vector<std::string> routerLines(const HostReach& r, std::string& inviteHost,
                                     uint16_t& invitePort) {
    const std::string port = std::to_string(r.port);
    const std::string local = "on your network can join " + joinText(r.localAddress, r.port);
    const std::string forward = ": players outside your network need UDP port " + port +
                                " forwarded to " + r.localAddress + " (this computer); players " +
                                local;
    const MappingStatus* s = r.router ? &*r.router : nullptr;
    const MappingState state = s ? s->state : MappingState::Stopped;
    if (state == MappingState::Asking) {
        inviteHost.clear();
        return {"Asking your router to open UDP port " + port + "...", "Players " + local};
    }
    if (state == MappingState::Mapped) {
        const std::string opened = "Your router opened UDP port " +
                                   std::to_string(s->externalPort) + " by " +
                                   std::string(routerWayName(s->way));
        if (s->externalAddress == 0) {
            return {opened + " but did not tell its internet address", "Players " + local};
        }
        inviteHost = ipv4Text(s->externalAddress);
        invitePort = s->externalPort;
        return {opened + ": players outside your network join " + joinText(inviteHost, invitePort),
                "Players " + local};
    }
    if (state == MappingState::Stopped) {
        return {"Your router was not asked to open port " + port + forward};
    }
    std::vector<std::string> lines;
    if (s->refusal != RouterRefusal::None) {
        lines.push_back(refusalLine(*s));
    }
    lines.push_back("Your router did not open port " + port + forward);
    return lines;
}

}  // namespace

std::string addressText(const Address& a) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u:%u", a.ip >> 24, (a.ip >> 16) & 255,
                  (a.ip >> 8) & 255, a.ip & 255, unsigned(a.port));
    return text;
}

std::string sentence(const NetEvent& event) {
    return std::visit([](const auto& e) { return say(e); }, event);
}

std::optional<std::string> screenText(const NetEvent& event) {
    return std::visit([](const auto& e) { return held(e); }, event);
}

std::string openFailureText(OpenFailure why, const std::string& where, uint16_t port) {
    switch (why) {
        case OpenFailure::BadCode:
            return std::string("a join code is ") + joinCodeRule + ", not '" + where + "'";
        case OpenFailure::NoLibrary:
            return "the network library did not start";
        case OpenFailure::PortTaken:
            return "cannot open UDP port " + std::to_string(port) +
                   " (is another program using it?)";
        case OpenFailure::NotAnAddress:
            return "'" + where + "' is not an IPv4 address of this computer";
        case OpenFailure::NoSuchHost:
            return "cannot find the host '" + where + "'";
        case OpenFailure::OnlyIpv6:
            return "'" + where +
                   "' has only IPv6 addresses, and this build's network library (ENet 1.3) "
                   "speaks IPv4 only: join by an IPv4 address";
        case OpenFailure::NoSocket:
            return "cannot open a UDP port to call the host from";
    }
    return "the network game could not be opened";
}

std::string statsText(const NetStats& s, double seconds) {
    char line[400];
    std::snprintf(
        line, sizeof line,
        "%.0f s; sent %llu bytes (%.0f B/s), received %llu (%.0f B/s); input delay %d "
        "at a %u ms round trip; %lld rollbacks (longest %lld updates, %lld longer than "
        "10), %lld updates stepped again; %lld hashes compared; ",
        seconds, static_cast<unsigned long long>(s.transport.bytesSent),
        double(s.transport.bytesSent) / seconds,
        static_cast<unsigned long long>(s.transport.bytesReceived),
        double(s.transport.bytesReceived) / seconds, s.inputDelay, s.roundTripMs,
        static_cast<long long>(s.rollbacks.rollbacks), static_cast<long long>(s.rollbacks.longest),
        static_cast<long long>(s.rollbacks.longerThan10),
        static_cast<long long>(s.rollbacks.restepped), static_cast<long long>(s.hashesCompared));
    return line + droppedText(s);
}

WaitingPage waitingPage(const HostReach& reach) {
    WaitingPage page;
    page.title = "Waiting for a player";
    std::string host = reach.localAddress;
    uint16_t port = reach.port;
    page.lines = routerLines(reach, host, port);
    page.lines.push_back("Join code: " + reach.code);
    if (host.empty()) {
        page.hint = "Esc quits.";
        return page;
    }
    page.invite = formatInvite({host, port, reach.code});
    page.inviteLine = "Invite: " + page.invite;
    page.hint =
        "A click or Ctrl+C copies the invite: the other player pastes it on the menu's Join "
        "page (Ctrl+V), or runs spinvale with it. Esc quits.";
    page.copied = "The invite is on the clipboard: paste it to the other player.";
    return page;
}

std::string routerReleasedText(bool removed, uint16_t port) {
    return removed ? "the router closed port " + std::to_string(port) + " again"
                   : "the router did not answer in time: its opening of port " +
                         std::to_string(port) + " ends with its lease, within the hour";
}

}  // namespace spinvale::net
