// An invite: the one string a host hands its guest, "spinvale://HOST:PORT/CODE", to paste
// into the join page, give on the command line or click in a chat program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace spinvale::net {

struct Invite {
    std::string host;  // an IPv4 address or a name
    uint16_t port = 0;
    std::string code;  // the join code, in capitals
};

std::string formatInvite(const Invite& invite);

// Whether a text is meant as an invite (it names our scheme), so that a caller can tell an
// invite with a fault from a plain address.
bool looksLikeInvite(std::string_view text);

// Reads an invite strictly: the scheme, a host, a port and a code, and nothing else (blanks
// around it, as a paste brings, are dropped). Nothing, with the reason, for anything else.
std::optional<Invite> readInvite(std::string_view text, std::string& error);

// Where --join calls: an invite, which brings the code with it, or HOST[:PORT] (the code
// left as it is). False, with the reason, for anything else.
bool readJoinTarget(std::string_view text, std::string& host, uint16_t& port, std::string& code,
                    std::string& error);

}  // namespace spinvale::net
