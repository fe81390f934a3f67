// What the system says about this computer's network: its IPv4 interfaces and its default
// gateway, read afresh on each call.
#pragma once

#include <optional>
#include <vector>

#include "lan_address.h"

namespace spinvale::net {

std::vector<NetInterface> listInterfaces();
std::optional<uint32_t> defaultGateway();

}  // namespace spinvale::net
