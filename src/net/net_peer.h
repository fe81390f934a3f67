// One end of a network game, through ENet (reliable UDP): the host waits for one player and
// lets in only a guest with the join code, the same protocol and the same match build; both
// then step the shared match on a rollback session, send their parts many times a second,
// compare hashes every 30 confirmed updates, and go on against the computer when the other
// player leaves or falls silent.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "join_code.h"
#include "session.h"

struct _ENetHost;
struct _ENetPeer;

namespace spinvale::net {

struct NetSetup {
    Role role = Role::Host;
    uint16_t port = defaultPort;  // the host's: where it listens, and where the guest calls
    std::string hostName;         // the guest's: where the host is
    std::string code;             // the host's fixed code ("": a new one), or the guest's
    GameSettings settings;   // the host's decide the match; the guest's are shown while waiting
    int inputDelay = -1;     // updates; -1: chosen from the round trip
    std::string desyncPath;  // where a desync is written ("": spinvale-desync-playerN.txt)
    // Test hooks: a guest that says it speaks another protocol or has another match build.
    uint16_t claimedProtocol = protocolVersion;
    std::optional<uint64_t> claimedBuild;
};

enum class Phase {
    Waiting,  // the host for a player, the guest for the host's welcome
    Playing,  // the shared match
    Solo,     // the other player is gone: the computer plays for them
    Over,     // refused, unreachable or stopped on a desync: nothing more is stepped
};

// Why a game is over: it was played (or left), it never started (refused, no answer, the
// host gone before the welcome), or it stopped because the two games differed.
enum class Stop { Played, Unplayed, Desync };

// Whether the next update may be stepped now: yes; not yet (the other player's parts are too
// far behind, or the game is not playing); or this one is left out to let the other catch up.
enum class StepReady { Now, Later, Skip };

struct NetStats {
    uint64_t bytesSent = 0;
    uint64_t bytesReceived = 0;
    int64_t malformed = 0;  // messages dropped unread
    int64_t hashesCompared = 0;
    int inputDelay = 0;
    uint32_t roundTripMs = 0;
    RollbackStats rollbacks;
};

class NetPeer {
  public:
    // Opens the host's port, or starts calling the host; nothing, with the reason in error,
    // when it cannot.
    static std::unique_ptr<NetPeer> open(const NetSetup& setup, std::string& error);
    ~NetPeer();
    NetPeer(const NetPeer&) = delete;
    NetPeer& operator=(const NetPeer&) = delete;

    // Takes in what the network brought and sends what is due; nowMs is any steady clock
    // in milliseconds. Never blocks.
    void poll(uint32_t nowMs);
    Phase phase() const { return phase_; }
    Stop stop() const { return stop_; }
    StepReady ready();
    // The next update, with the local player's command: the host's time, pointer and button,
    // or the guest's keys (after the other player left: the whole command).
    void step(const UpdateInput& local);
    // Confirmed updates since the last call: what the trace, the recording and the sounds
    // follow. Number 0 is the match as it starts.
    std::vector<ConfirmedUpdate> takeConfirmed();
    // The match to draw: the latest prediction.
    const Match& shown() const;
    // What the player should be told, once each, in order.
    std::vector<std::string> takeNews();
    // What the screen says while it holds (waiting, the other player gone, a stop), or "".
    const std::string& banner() const { return banner_; }
    const std::string& joinCode() const { return code_; }
    NetStats stats() const;

    // Ends a finished run: once the other side holds every local part, says goodbye.
    void finish();
    // Tells the other player this one leaves (Esc), waiting a moment for it to hear.
    void leave();

    // Test hooks: changes this side's last confirmed match once; sends raw bytes to the other
    // side as if they were a message.
    void alterState(const std::function<void(Match&)>& change);
    void sendRaw(const std::vector<uint8_t>& bytes);

  private:
    explicit NetPeer(const NetSetup& setup);
    struct Visitor {
        _ENetPeer* peer;
        uint32_t since;
    };
    void handleEvent(const void* event);
    void receive(_ENetPeer* from, const uint8_t* data, std::size_t size);
    void greet(_ENetPeer* visitor, const Hello& hello);
    void play(const Inputs& inputs);
    void checkHashes(int64_t update, uint64_t hash);
    void start(const GameSettings& settings, uint32_t roundTripMs);
    uint32_t roundTrip(const _ENetPeer* peer) const;
    void takeFromSession();
    void sendInputs();
    void send(_ENetPeer* to, const Message& message, bool reliable);
    void sendRawTo(_ENetPeer* to, const std::vector<uint8_t>& bytes, bool reliable);
    void dropped(const std::string& from, const std::string& why);
    void otherGone(uint32_t reason);
    void goSolo();
    void stopOnDesync();
    void writeDesyncFile() const;
    void disconnect(uint32_t reason);
    void dropSilentVisitors();
    void checkSilence();

    NetSetup setup_;
    _ENetHost* host_ = nullptr;
    _ENetPeer* other_ = nullptr;
    std::vector<Visitor> visitors_;
    Phase phase_ = Phase::Waiting;
    Stop stop_ = Stop::Played;
    std::string code_;
    CodeField codeField_{};
    uint64_t build_ = 0;
    Match waiting_;
    std::optional<RollbackSession> session_;
    Match solo_;
    int64_t soloUpdates_ = 0;
    bool soloSettingsNew_ = false;
    PaceKeeper pace_;
    DesyncCheck desync_;
    std::string remoteDesyncState_;
    int64_t remoteFrame_ = 0;
    int64_t remoteAck_ = 0;
    bool started_ = false;
    uint32_t now_ = 0;
    uint32_t lastHeard_ = 0;
    uint32_t lastSent_ = 0;
    uint32_t askedAt_ = 0;
    bool otherGone_ = false;
    std::string goneText_;
    bool finishing_ = false;
    int inputDelay_ = 0;
    uint32_t roundTripMs_ = 0;
    int64_t malformed_ = 0;
    std::vector<ConfirmedUpdate> confirmed_;
    std::vector<std::string> news_;
    std::string banner_;
};

}  // namespace spinvale::net
