// Any bytes as a network peer's world (first byte: host or guest), one op a byte (fuzz_ops.h),
// the peer polled and drained after each: its confirmed updates stay one after another, and
// every message read writes back to its very bytes (one way to write each).
#include <cstdlib>

#include "../net/fake_transport.h"
#include "fuzz_ops.h"
#include "net_text.h"

using namespace spinvale;
using namespace spinvale::net;

namespace {

void writesBack(const std::vector<uint8_t>& bytes) {
    for (Role from : {Role::Host, Role::Guest}) {
        std::string why;
        const std::optional<Message> message = decode(bytes.data(), bytes.size(), from, why);
        const auto* hello = message ? std::get_if<Hello>(&*message) : nullptr;
        if (!message && why.empty()) {
            std::abort();
        }
        if (!message || (hello != nullptr && hello->protocol != protocolVersion)) {
            continue;
        }
        const std::vector<uint8_t> again = encode(*message, from);
        // A Welcome's settings are written back as the game takes them: it need only read again.
        if (std::holds_alternative<Welcome>(*message)
                ? !decode(again.data(), again.size(), from, why)
                : again != bytes) {
            std::abort();
        }
    }
}

void event(FakeTransport& wire, uint8_t op, const uint8_t*& at, const uint8_t* end) {
    const ConnectionId id = 1 + ((op >> 2) & 3);
    switch ((op >> 4) & 3) {
        case fuzzop::connect:
            wire.inbox.push_back(Connected{id, {0x7f000001, uint16_t(id)}});
            break;
        case fuzzop::message: {
            std::size_t length = end - at >= 2 ? at[0] | std::size_t(at[1]) << 8 : 0;
            at += std::min<std::ptrdiff_t>(2, end - at);
            length = std::min<std::size_t>(length, std::size_t(end - at));
            wire.inbox.push_back(Received{id, {at, at + length}});
            writesBack({at, at + length});
            at += length;
            break;
        }
        case fuzzop::disconnect:
            wire.inbox.push_back(Disconnected{id, uint32_t(op >> 6)});
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    auto transport = std::make_unique<FakeTransport>();
    FakeTransport& wire = *transport;
    NetPeer peer(testSetup((data[0] & 1) != 0 ? Role::Host : Role::Guest), std::move(transport),
                 {"127.0.0.1"}, 0);
    uint32_t now = 0;
    int64_t lastConfirmed = -1;
    for (const uint8_t *at = data + 1, *end = data + size; at < end;) {
        const uint8_t op = *at++;
        if ((op & 3) == fuzzop::wire) {
            event(wire, op, at, end);
        } else if ((op & 3) == fuzzop::wait) {
            now += 20u * (at < end ? *at++ : 0);
        } else if ((op & 3) == fuzzop::step && peer.ready() == StepReady::Now) {
            peer.step(UpdateInput{16, 40 * (op >> 2), 500, ButtonMessage(op >> 6 & 1), {}});
        } else if ((op & 3) == fuzzop::end) {
            (op & 4) != 0 ? peer.leave() : peer.finish();
        }
        peer.poll(now);
        for (const ConfirmedUpdate& u : peer.takeConfirmed()) {
            if (lastConfirmed >= 0 && u.number != lastConfirmed + 1) {
                std::abort();
            }
            lastConfirmed = u.number;
        }
        for (const NetEvent& e : peer.takeEvents()) {
            sentence(e);
        }
        statsText(peer.stats(), 1);
        peer.shown();
    }
    return 0;
}
