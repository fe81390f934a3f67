// Two rollback sessions: each tick a side steps and sends the parts the other has not
// acknowledged, which arrive a fixed number of ticks later unless lost.
#pragma once

#include <algorithm>
#include <cmath>
#include <random>

#include "protocol.h"
#include "session.h"

namespace spinvale::net {

// The host's pointer never rests and clicks now and then; the guest's keys change every 0.5 s.
inline Part hostPart(int64_t n) {
    return {16u + uint32_t(n % 3 == 0), int32_t(512 + 400 * std::sin(double(n) / 23)),
            int32_t(600 + 150 * std::sin(double(n) / 31)),
            n % 60 == 0   ? ButtonMessage::Pressed
            : n % 60 == 8 ? ButtonMessage::Released
                          : ButtonMessage::None,
            0};
}
inline Part guestPart(int64_t n) {
    return {0, 0, 0, {}, uint8_t(1u << (n / 30 % 5))};
}

// ENet's bytes around one message: its protocol header (4) and the unreliable send command
// (8); a reliable one has a 6-byte command and is acknowledged with 8 more.
constexpr double enetUnreliable = 12;
constexpr double enetReliable = 4 + 6 + 8;

struct Side {
    Side(const RollbackSession& s, int d, std::vector<ConfirmedUpdate>* kept = nullptr)
        : session(s), delay(d), confirmed(kept) {}
    RollbackSession session;
    int delay = 0;         // ticks each of its messages takes
    int64_t otherHas = 0;  // own parts the other side holds, as last acknowledged
    std::deque<std::pair<int64_t, Inputs>> inFlight;    // to the other side
    double bytes = 0;                                   // sent, ENet's framing included
    std::vector<ConfirmedUpdate>* confirmed = nullptr;  // kept here when given
};

inline Match keyboardGuestMatch() {
    GameSettings settings = defaultGameSettings();
    settings.player2Keyboard = true;
    Match start;
    restartMatch(start, settings);
    return start;
}

// Both sides play their first `updates` commands until each has confirmed them all (20 ticks
// an update at most), every message lost at chance `loss`. False when a side refused parts.
inline bool playTwoSessions(Side& host, Side& guest, int64_t updates, double loss, int seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<> chance(0, 1);
    for (int64_t tick = 0; tick < 20 * updates && (host.session.confirmed() < updates ||
                                                   guest.session.confirmed() < updates);
         ++tick) {
        for (Side* side : {&host, &guest}) {
            Side& other = side == &host ? guest : host;
            const Role role = side == &host ? Role::Host : Role::Guest;
            const int64_t n = side->session.frame();
            if (n < updates && !side->session.windowFull()) {
                side->session.step(role == Role::Host ? hostPart(n) : guestPart(n));
            }
            const auto ack = uint32_t(side->session.remoteCount()),
                       first = uint32_t(side->otherHas);
            Inputs m{uint32_t(n), ack, first, 0, {}};
            for (int64_t u = side->otherHas; u < side->session.localCount(); ++u) {
                m.parts.push_back(side->session.localPart(u));
            }
            side->bytes += double(encode(m, role).size()) + enetUnreliable;
            if (n % DesyncCheck::every == 0) {
                side->bytes += double(encode(HashCheck{}, role).size()) + enetReliable;
            }
            if (chance(random) >= loss) {
                side->inFlight.emplace_back(tick + side->delay, m);
            }
            for (; !other.inFlight.empty() && other.inFlight.front().first <= tick;
                 other.inFlight.pop_front()) {
                const Inputs& in = other.inFlight.front().second;
                if (!side->session.receive(in.first, in.parts)) {
                    return false;
                }
                side->otherHas = std::max<int64_t>(side->otherHas, in.ack);
            }
            const std::vector<ConfirmedUpdate> done = side->session.takeConfirmed();
            if (side->confirmed != nullptr) {
                side->confirmed->insert(side->confirmed->end(), done.begin(), done.end());
            }
        }
    }
    return true;
}

}  // namespace spinvale::net
