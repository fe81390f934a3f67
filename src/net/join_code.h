// Join codes: the host draws one at random and tells its player, who tells the other; a
// guest without it is turned away.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "protocol.h"

namespace spinvale::net {

using CodeField = std::array<char, joinCodeField>;

// Six characters from letters and digits that cannot be mistaken for one another (no 0, O,
// 1, I or L), drawn from the system's random source.
std::string newJoinCode();

// A code as a player types it: any case, spaces and dashes ignored; six letters and digits
// (joinCodeRule). Nothing when it is not one.
std::optional<CodeField> readJoinCode(std::string_view typed);
constexpr const char* joinCodeRule = "six letters and digits";

// Compares every character whatever the first difference, so that the time a refusal takes
// tells nothing about how much of a guessed code was right.
bool sameJoinCode(const CodeField& a, const CodeField& b);

}  // namespace spinvale::net

namespace spinvale::net {

// "HOST[:PORT]" as a guest names the host: a name or an IPv4 address, and the port (the
// default one when none is given). False, with the reason, for anything else, an IPv6
// address included: ENet 1.3, the network library, speaks IPv4 only.
bool readJoinAddress(std::string_view text, std::string& host, uint16_t& port, std::string& error);

}  // namespace spinvale::net
