// spinvale-sim's network roles: the host's or the guest's side of a network match, its
// player's commands read from a script, the confirmed updates traced and recorded.
#pragma once

#include <cstdint>
#include <istream>
#include <string>

#include "net_driver.h"

namespace spinvale {

struct NetRun {
    net::NetSetup setup;
    std::string recordPath;
    bool trace = false;
    // Test hooks: one change to this side's match after this confirmed update; malformed
    // messages to the other side now and then.
    int64_t desyncAfter = -1;
    bool garbage = false;
    int64_t pollMs = 1;  // between two polls: the window's frame is 16
};

// Plays until the match is won (both sides stop at the same update), the script ends (this
// player leaves) or the game stops. Exit status: 0 done, 1 no connection or refused, 3 the
// two games differed.
int playNetworkMatch(const NetRun& run, std::istream& script, const std::string& scriptName);

// The games on this network, as the join page finds them: each one's address and name on
// stdout, what the search sent on stderr. Exit status 0, or 1 when no search could be made.
int listGames();

}  // namespace spinvale
