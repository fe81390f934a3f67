// Every sentence network play says to a player, in one place: on stderr (one an event), on
// the screen while it holds, and when a network game cannot start.
#pragma once

#include <optional>
#include <string>

#include "net_events.h"

namespace spinvale::net {

// The event told on stderr.
std::string sentence(const NetEvent& event);
// What the screen shows from this event on: a text, "" for nothing, or nothing when the
// event leaves the screen as it is.
std::optional<std::string> screenText(const NetEvent& event);
// Why a network game could not be opened; where is the address or name it concerned.
std::string openFailureText(OpenFailure why, const std::string& where, uint16_t port);
// The numbers of a finished run, `seconds` long, on one line.
std::string statsText(const NetStats& stats, double seconds);
// A watcher's: the updates shown, the bytes each way, what was dropped.
std::string watchStatsText(const NetStats& stats, int64_t updates, double seconds);

}  // namespace spinvale::net
