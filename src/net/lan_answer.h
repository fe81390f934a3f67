// The host's side of the search for games on this network, on its own game port. ENet hands
// every datagram the host's socket receives to the host's intercept callback before reading
// it; the transport's callback passes it here.
#pragma once

#include <cstdint>
#include <string>

#include "lan_discovery.h"

struct _ENetHost;

namespace spinvale::net {

// For an ENet intercept callback on the host: answers a query for games on this network
// through the host's own socket when an answer is due. Returns what the callback returns: 1
// for a query, answered or not, which ENet must not read as its own; 0 for anything else,
// which ENet then reads as usual.
int answerLanQuery(_ENetHost* host, LanResponder& responder, uint32_t nowMs);

// The name a host gives when its player chose none: the full name of the user's account,
// else the login name; "" when the system says neither.
std::string userDisplayName();

}  // namespace spinvale::net
