// Every sentence network play says to a player, in one place: on stderr (one an event), on
// the screen while it holds, and when a network game cannot start.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "net_events.h"
#include "router_status.h"

namespace spinvale::net {

// The event told on stderr.
std::string sentence(const NetEvent& event);
// What the screen shows from this event on: a text, "" for nothing, or nothing when the
// event leaves the screen as it is.
std::optional<std::string> screenText(const NetEvent& event);
// Why a network game could not be opened; where is the address or name it concerned.
std::string openFailureText(OpenFailure why, const std::string& where, uint16_t port);
// Where a waiting host can be found: its port and code, its address on this network, and
// what the router said (nothing when it was not asked).
struct HostReach {
    uint16_t port = 0;
    std::string code;
    std::string localAddress;
    std::optional<MappingStatus> router;
};

// The host's waiting screen in words. The lines say where players inside and outside this
// network find the game (stderr tells each once); the invite holds the router's internet
// address when it opened the port, else the local one, and nothing while it is asked.
struct WaitingPage {
    std::string title;
    std::vector<std::string> lines;
    std::string invite;
    std::string inviteLine;  // the invite as the page and stderr show it
    std::string hint;        // how to pass the invite on
    std::string copied;      // once it is on the clipboard
};
WaitingPage waitingPage(const HostReach& reach);

// The host's mapping let go when the game ended: confirmed gone, or left to its lease.
std::string routerReleasedText(bool removed, uint16_t port);

// The numbers of a finished run, `seconds` long, on one line.
std::string statsText(const NetStats& stats, double seconds);

}  // namespace spinvale::net
