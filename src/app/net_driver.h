// A network game: the shared match stepped on the network peer's rollback session, on this
// player's command and the other's. It cannot wait: while the player is in the menu it
// steps on a command left alone, and the confirmed updates are what the outputs follow.
// The guest sees the table from its own end, its arrows turned to point as on its screen.
// The host, unless told not to, asks the home router to open its port while it hosts, and
// shows where it can be found on a waiting page until a player joins.
#pragma once

#include <memory>
#include <string>

#include "match_driver.h"
#include "net_peer.h"
#include "net_text.h"
#include "router_mapping.h"

namespace spinvale {

class NetDriver : public MatchDriver {
  public:
    // Hosts, or calls the host; the setup's settings are this side's (the host's decide the
    // match, the guest's give only its window and camera). farView: the guest's view from
    // its own end. tickMs: the clock every frame is then given. Nothing, with the reason in
    // error, when the network cannot start.
    static std::unique_ptr<NetDriver> open(const net::NetSetup& setup, bool farView,
                                           uint32_t tickMs, std::string& error);

    // Esc leaves the game for both and F1 switches the window, at once, whatever the match.
    DriverFrame frame(uint32_t tickMs, bool away, CommandSource& commands) override;
    // The latest prediction, drawn as this side chose: its window's size, its camera and
    // its simple graphics.
    Match shown() const override;
    std::string notice() const override { return peer_->status(); }
    MatchControl control() const override { return MatchControl::Shared; }
    // The host's waiting page, while no one has joined.
    std::optional<DriverPage> page() const override;
    // Leaves the game, and closes the port the router opened.
    std::vector<std::string> close() override;

    // The peer itself, for the runner's ending of a game and its test hooks.
    net::NetPeer& peer() { return *peer_; }

  private:
    NetDriver(std::unique_ptr<net::NetPeer> peer, const net::NetSetup& setup, bool farView);
    void poll(uint32_t tickMs, std::vector<std::string>& news);
    void step(uint32_t tickMs, bool away, CommandSource& commands);
    void followRouter(std::vector<std::string>& news);
    std::optional<net::WaitingPage> waiting() const;

    std::unique_ptr<net::NetPeer> peer_;
    GameSettings local_;
    bool farView_;
    bool playing_ = false;
    uint32_t lastStep_ = 0;
    int32_t pointerX_ = 0;  // the pointer of the last update
    int32_t pointerY_ = 0;
    std::optional<net::Hosting> hosting_;  // the host's port, addresses and code
    std::optional<uint32_t> routerLease_;  // the host asks the router, for this long
    std::unique_ptr<net::RouterMapping> router_;
    bool mapped_ = false;            // the router opened the port
    bool released_ = false;          // and was asked to close it, the other player being gone
    std::vector<std::string> told_;  // the waiting page's lines said on stderr
};

// Seen from the far end, the guest's Left is the host's Right, and Up (away from the guest)
// is the host's Down.
void turnArrows(KeySet& keys);

// The command while the player is away: no keys, no click, the pointer where it was, so
// that the other player plays on against a paddle left alone.
UpdateInput stillCommand(uint32_t elapsedMs, int32_t pointerX, int32_t pointerY);

// A game to join at an address (HOST or HOST:PORT) and with a code as the player typed them,
// put into setup; or what is wrong with them, to show the player.
std::string readJoinRequest(const std::string& address, const std::string& code,
                            net::NetSetup& setup);

// An invite as pasted on the join page, as the page's two fields (HOST:PORT and the code);
// or what is wrong with it, to show the player.
std::string readPastedInvite(const std::string& text, std::string& address, std::string& code);

}  // namespace spinvale
