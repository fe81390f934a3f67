// One end of a network game: the host waits for one player and lets in only a guest with the
// join code, the same protocol and the same match build (admission.h); both then step the
// shared match on a rollback session, send their parts many times a second, compare hashes
// every 30 confirmed updates, and go on against the computer when the other player leaves
// or its game stops moving. The host also feeds up to 8 watchers its confirmed updates
// (watch_feed.h), whom it lets in with the same code. The peer is one state machine over a
// transport (transport.h), driven by the caller's clock; what it has to say comes out as events
// (net_events.h), worded in net_text.h.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "admission.h"
#include "desync_dump.h"
#include "join_code.h"
#include "net_events.h"
#include "session.h"
#include "transport.h"
#include "watch_feed.h"

namespace spinvale::net {

struct NetSetup {
    Role role = Role::Host;
    // The host's: where it listens (0: a port the system picks), and where the guest calls.
    uint16_t port = defaultPort;
    std::string listenAddress;  // the host's: one IPv4 address of this computer ("": all)
    std::string hostName;       // the guest's: where the host is
    std::string code;           // the host's own code ("": a new one), or the guest's
    GameSettings settings;      // the host's decide the match; the guest's are shown while waiting
    int inputDelay = -1;        // updates; -1: chosen from the round trip
    std::string dumpFolder;     // where a desync is written ("": the player's state folder)
    bool watchers = true;       // the host's: others may watch the game
    // The host's: the name its game is listed by on this network ("": the user's), and
    // whether the game's driver asks the home router to open the port.
    std::string lanName;
    bool askRouter = false;
    uint32_t routerLeaseSeconds = 3600;  // test hook: a lease short enough to see it renewed
    // Test hooks: a guest that says it speaks another protocol or has another match build;
    // the IPv4 address of this computer a guest or a watcher calls from ("": any).
    uint16_t claimedProtocol = protocolVersion;
    std::optional<uint64_t> claimedBuild;
    std::string callFrom;
};

enum class PeerState : uint8_t {
    Calling,     // the guest's call, not yet answered (5 s)
    Asking,      // the guest's Hello sent: the host's answer awaited (15 s)
    Hosting,     // the host waits for a player
    Welcomed,    // the host let a guest in: its first parts awaited (15 s)
    Playing,     // the shared match
    PlayingOut,  // the other player is gone: the parts of theirs that came are played out
    Finishing,   // the game is won: until the other side holds every local part (5 s)
    Solo,        // the computer plays for the other player
    Ended,       // played, or left: nothing more is stepped
    Unplayed,    // refused, unanswered, or the host gone before the game started
    Desynced,    // stopped because the two games differed
};

// Nothing more will happen: Ended, Unplayed or Desynced.
bool isOver(PeerState state);
// The match is under way (stepped, or about to end): from Playing to Solo.
bool isPlaying(PeerState state);

// Whether the next update may be stepped now: yes; not yet (the other player's parts are too
// far behind, or the game is not playing); or this one is left out to let the other catch up.
enum class StepReady { Now, Later, Skip };

// The window's frames are given the tick they were due at, which may lie a little before the
// tick a peer was opened at: a peer's time never runs back, or a call would seem 49 days old.
inline uint32_t neverBack(uint32_t lastMs, uint32_t nowMs) {
    return int32_t(nowMs - lastMs) > 0 ? nowMs : lastMs;
}

class NetPeer {
  public:
    // Through ENet (spinvale_net_enet): opens the host's port, or starts calling the host.
    // Nothing, with the reason in error, when it cannot.
    static std::unique_ptr<NetPeer> open(const NetSetup& setup, uint32_t nowMs, std::string& error);
    // Over any transport. The host tells its player the addresses to join it at. The code
    // must be one readJoinCode takes.
    NetPeer(const NetSetup& setup, std::unique_ptr<Transport> transport,
            const std::vector<std::string>& addresses, uint32_t nowMs);
    ~NetPeer();
    NetPeer(const NetPeer&) = delete;
    NetPeer& operator=(const NetPeer&) = delete;

    // Takes in what the transport brought and sends what is due; nowMs is any steady clock
    // in milliseconds, the same for every call. Never blocks.
    void poll(uint32_t nowMs);
    PeerState state() const { return state_; }
    // The same answer until the next poll or step: a side running ahead is told once to
    // leave an update out, however often it asks.
    StepReady ready();
    // The next update, with the local player's command: the host's time, pointer and button,
    // or the guest's keys (after the other player left: the whole command).
    void step(const UpdateInput& local);
    // Confirmed updates since the last call: what the trace, the recording and the sounds
    // follow. Number 0 is the match as it starts.
    std::vector<ConfirmedUpdate> takeConfirmed();
    // The match to draw: the latest prediction.
    const Match& shown() const;
    // What happened since the last call, in order; sentence() words each.
    std::vector<NetEvent> takeEvents();
    // What the screen says while it holds (waiting, the other player gone, a stop), or "".
    const std::string& status() const { return status_; }
    const std::string& joinCode() const { return setup_.code; }
    NetStats stats() const;
    // The desync file still waits for the other game's state (which leave() gives up on).
    bool dumpWaiting() const { return dump_.writing(); }
    // The game has ended and watchers are still being sent its last updates.
    bool feedingWatchers() const { return feed_.feeding(); }

    // Ends a finished run: once the other side holds every local part, says goodbye.
    void finish();
    // Tells the other player this one leaves (Esc), waiting a moment for it to hear.
    void leave();

    // Test hooks: changes this side's last confirmed match once; sends raw bytes to the other
    // side as if they were a message.
    void alterState(const std::function<void(Match&)>& change);
    void sendRaw(const std::vector<uint8_t>& bytes);

  private:
    void handle(const Connected& e);
    void handle(const Received& e);
    void handle(const Disconnected& e);
    void fromVisitor(ConnectionId id, const std::vector<uint8_t>& bytes);
    void fromOther(const std::vector<uint8_t>& bytes);
    void letWatch(ConnectionId id, const Address& from);
    void fromWatcher(ConnectionId id, const std::vector<uint8_t>& bytes);
    void watcherGone(ConnectionId id, WatcherGone why);
    void feedWatchers();
    void endWatching(Goodbye why);
    void on(const Hello& m);
    void on(const Welcome& m);
    void on(const Refused& m);
    void on(const Inputs& m);
    void on(const HashCheck& m);
    void on(const Desync& m);
    // What watchers are sent or send has no place between the two players.
    void on(const Watched&) { outOfTurn(); }
    void on(const WatchSettings&) { outOfTurn(); }
    void on(const WatchAck&) { outOfTurn(); }
    void outOfTurn();
    void keepTime();
    void keepVisitors();
    bool holdsOther() const;
    bool progressing();
    StepReady readiness();
    void start(const GameSettings& settings);
    void takeFromSession();
    void confirm(ConfirmedUpdate update);
    void sendInputs();
    void send(ConnectionId to, const Message& message, bool reliable);
    void dropped(const Address& from, const std::string& why);
    void otherGone(Gone why);
    void goSolo();
    void stepSolo(const UpdateInput& local);
    void stopOnDesync();
    void endDump(const std::string& otherState);
    void enter(PeerState state);
    void post(NetEvent event);

    NetSetup setup_;
    std::unique_ptr<Transport> transport_;
    CodeField code_;
    uint64_t build_;
    Admission admission_;
    PeerState state_ = PeerState::Hosting;
    uint32_t now_;
    uint32_t since_;  // when the state was entered
    ConnectionId other_ = 0;
    Address otherAddress_;
    Match waiting_;
    std::optional<RollbackSession> session_;
    Match solo_;
    int64_t soloUpdates_ = 0;
    bool soloSettingsNew_ = false;
    PaceKeeper pace_;
    std::optional<StepReady> answer_;
    DesyncCheck desync_;
    WatchFeed feed_;
    DesyncDump dump_;
    std::string otherState_;  // the other game's, sent when it found the two differ
    int64_t remoteFrame_ = 0;
    int64_t remoteAck_ = 0;
    uint32_t lastHeard_ = 0;
    uint32_t lastSent_ = 0;
    int64_t progressCount_ = 0;  // the other player's parts, when last seen to grow
    uint32_t progressAt_ = 0;
    int inputDelay_ = 0;
    uint32_t roundTripMs_ = 0;
    std::map<std::string, int64_t> malformed_;
    std::vector<ConfirmedUpdate> confirmed_;
    std::vector<NetEvent> events_;
    std::string status_;
};

}  // namespace spinvale::net
