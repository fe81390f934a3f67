// Finding the games on this network. A joining computer broadcasts a query to the game's port;
// each host there answers with a name and its port, never its join code, and only to a
// neighbour on its own network. A query is padded to the size of the largest answer, so that
// no one can use a host to multiply traffic, and a host answers at a bounded rate.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lan_address.h"

namespace spinvale::net {

constexpr std::size_t lanQuerySize = 48;
constexpr std::size_t maxLanNameLength = 31;

// A game found on this network: where its host is, and the name it gave.
struct LanGame {
    uint32_t address = 0;
    uint16_t port = 0;
    std::string name;
};

// The nonce is drawn by the asking side and echoed in each answer, so that the lister keeps
// only answers to its own query.
std::vector<uint8_t> encodeLanQuery(uint32_t nonce);
std::optional<uint32_t> decodeLanQuery(const uint8_t* data, std::size_t size);

std::vector<uint8_t> encodeLanAnswer(uint32_t nonce, uint16_t port, std::string_view name);
// The port and name of an answer to the query with this nonce; nothing for anything else.
std::optional<LanGame> decodeLanAnswer(const uint8_t* data, std::size_t size, uint32_t nonce);

// The name a host gives, made safe to show anywhere: printable ASCII (a character outside it
// becomes '?'), at most 31 characters, "Spinvale" when nothing is left.
std::string lanGameName(std::string_view wanted);

// Bounds the answers: a burst of 8, then one each 100 ms in all, and to one address at most
// one each 200 ms; so a flood of queries costs a host little and draws little.
class AnswerLimiter {
  public:
    bool allow(uint32_t source, uint32_t nowMs);

  private:
    struct Recent {
        uint32_t source = 0;
        uint32_t atMs = 0;
        bool used = false;
    };
    Recent* recentSlot(uint32_t source, uint32_t nowMs);

    std::array<Recent, 16> recent_{};
    uint32_t tokens_ = 0;
    uint32_t refilledAt_ = 0;
    bool started_ = false;
};

// A host's side: whether and what to answer a query.
class LanResponder {
  public:
    LanResponder(std::string_view name, uint16_t port, std::vector<NetInterface> interfaces);
    // The answer due to a query with this nonce from source (an address on one of this
    // computer's networks, within the limits); nothing otherwise.
    std::optional<std::vector<uint8_t>> answer(uint32_t nonce, uint32_t source, uint32_t nowMs);
    const std::string& name() const { return name_; }

  private:
    std::string name_;
    uint16_t port_;
    std::vector<NetInterface> interfaces_;
    AnswerLimiter limiter_;
};

}  // namespace spinvale::net
