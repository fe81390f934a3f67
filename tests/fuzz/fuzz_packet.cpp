// Any bytes as a message from either player: refused with a reason or read whole, and what
// is read writes back to the very same bytes (there is one way to write each message); the
// parts read go into a rollback session without leaving its bounds.
#include <cstdlib>

#include "../net/two_sessions.h"

using namespace spinvale;
using namespace spinvale::net;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const Match start = keyboardGuestMatch();
    for (Role from : {Role::Host, Role::Guest}) {
        std::string why;
        const std::optional<Message> message = decode(data, size, from, why);
        if (!message) {
            if (why.empty()) {
                std::abort();
            }
            continue;
        }
        const auto* hello = std::get_if<Hello>(&*message);
        const bool foreign = hello != nullptr && hello->protocol != protocolVersion;
        const std::vector<uint8_t> again = encode(*message, from);
        // A Welcome's settings are written back as the game takes them: it need only read again.
        if (std::holds_alternative<Welcome>(*message)
                ? !decode(again.data(), again.size(), from, why)
                : !foreign && again != std::vector<uint8_t>(data, data + size)) {
            std::abort();
        }
        if (const auto* inputs = std::get_if<Inputs>(&*message)) {
            RollbackSession session(otherRole(from), start, 1, 12);
            for (int i = 0; i < 3; ++i) {
                session.step(Part{});
            }
            session.receive(inputs->first, inputs->parts);
            session.step(Part{});
        }
    }
    return 0;
}
