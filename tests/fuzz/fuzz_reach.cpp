// Any bytes as what a stranger sends the search for games on this network, and as an invite
// pasted or clicked: what is read writes back to the very bytes, and a name or an invite
// read is safe to show.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "invite.h"
#include "lan_discovery.h"

using namespace spinvale::net;

namespace {

bool printable(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const uint32_t nonce =
        size >= 14 ? uint32_t(data[10]) << 24 | data[11] << 16 | data[12] << 8 | data[13] : 0;
    const auto query = decodeLanQuery(data, size);
    const auto game = decodeLanAnswer(data, size, nonce);
    check(!query || encodeLanQuery(*query) == bytes);
    check(!game ||
          (encodeLanAnswer(nonce, game->port, game->name) == bytes && printable(game->name)));
    const std::string text(bytes.begin(), bytes.end());
    const std::string name = lanGameName(text);
    std::string error;
    const auto invite = readInvite(text, error);
    check(!name.empty() && name.size() <= maxLanNameLength && printable(name));
    check(invite || !error.empty());
    const auto again = invite ? readInvite(formatInvite(*invite), error) : invite;
    check(!invite || (again && again->host == invite->host && again->port == invite->port &&
                      again->code == invite->code && printable(formatInvite(*invite))));
    return 0;
}
