#include "net_peer.h"

#include <enet/enet.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "trace.h"

namespace spinvale::net {

namespace {

constexpr uint8_t inputChannel = 0;    // unreliable: every message repeats what is not acked
constexpr uint8_t controlChannel = 1;  // reliable and in order: handshake, hashes, desync
constexpr uint32_t silenceMs = 5000;
constexpr uint32_t resendMs = 50;
constexpr int maxPrediction = 12;
constexpr std::size_t maxVisitors = 4;

// Why a connection ended, carried by ENet's disconnect.
enum GoneReason : uint32_t { Silent = 0, Left = 1, Finished = 2, Unanswered = 3 };

std::string addressText(const ENetAddress& address) {
    char ip[64] = "?";
    enet_address_get_host_ip(&address, ip, sizeof ip);
    return std::string(ip) + ":" + std::to_string(address.port);
}

std::string playerName(Role role) {
    return "player " + std::to_string(int(role));
}

std::string refusalText(Refusal reason, const std::string& hostVersion) {
    switch (reason) {
        case Refusal::WrongCode:
            return "the join code is wrong";
        case Refusal::GameTaken:
            return "the host already has a player";
        case Refusal::OtherProtocol:
            return "the host's game (Spinvale " + hostVersion +
                   ") speaks another network protocol: both players need the same version";
        case Refusal::OtherBuild:
            return "the host's game (Spinvale " + hostVersion +
                   ") computes the match differently: both players need the same build";
        case Refusal::TooManyTries:
            return "too many wrong join codes came from this address";
    }
    return "refused";
}

// The IPv4 addresses other computers may reach this one at; loopback only as the last resort.
std::vector<std::string> localAddresses() {
    std::vector<std::string> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (const ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
            if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET) {
                continue;
            }
            ENetAddress address{};
            address.host = reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr.s_addr;
            char ip[64];
            if (enet_address_get_host_ip(&address, ip, sizeof ip) == 0 &&
                std::string(ip).rfind("127.", 0) != 0) {
                found.emplace_back(ip);
            }
        }
        freeifaddrs(list);
    }
    if (found.empty()) {
        found.emplace_back("127.0.0.1");
    }
    return found;
}

// ENet finds IPv4 addresses only; a name with IPv6 addresses alone deserves to be told so.
std::string whyNoAddress(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0) {
        return "cannot find the host '" + name + "'";
    }
    freeaddrinfo(found);
    return "'" + name +
           "' has only IPv6 addresses, and this build's network library (ENet 1.3) speaks IPv4 "
           "only: join by an IPv4 address";
}

}  // namespace

NetPeer::NetPeer(const NetSetup& setup) : setup_(setup), build_(matchBuildHash()) {
    if (setup_.desyncPath.empty()) {
        setup_.desyncPath =
            "spinvale-desync-" + std::to_string(int(setup_.role) == 1 ? 1 : 2) + ".txt";
    }
    GameSettings shown = setup_.settings;
    if (setup_.role == Role::Host) {
        setup_.settings.player2Keyboard = true;  // player 2 is the guest, a person
        shown = setup_.settings;
    }
    restartMatch(waiting_, shown);
}

std::unique_ptr<NetPeer> NetPeer::open(const NetSetup& setup, std::string& error) {
    if (enet_initialize() != 0) {
        error = "the network library did not start";
        return nullptr;
    }
    std::unique_ptr<NetPeer> peer(new NetPeer(setup));
    const std::optional<CodeField> code =
        readJoinCode(setup.code.empty() && setup.role == Role::Host ? newJoinCode() : setup.code);
    if (!code) {
        error = std::string("a join code is ") + joinCodeRule + ", not '" + setup.code + "'";
        return nullptr;
    }
    peer->codeField_ = *code;
    peer->code_ = std::string(code->data(), strnlen(code->data(), code->size()));
    ENetAddress address{};
    address.port = setup.port;
    if (setup.role == Role::Host) {
        address.host = ENET_HOST_ANY;
        peer->host_ = enet_host_create(&address, maxVisitors, 2, 0, 0);
        if (peer->host_ == nullptr) {
            error = "cannot open UDP port " + std::to_string(setup.port) +
                    " (is another program using it?)";
            return nullptr;
        }
        const std::vector<std::string> addresses = localAddresses();
        std::string list;
        for (const std::string& a : addresses) {
            list += (list.empty() ? "" : ", ") + a;
        }
        peer->news_.push_back("hosting on UDP port " + std::to_string(setup.port) +
                              " of this computer (" + list + "), join code " + peer->code_);
        peer->banner_ = "Waiting for a player. On the other computer:\nspinvale --join " +
                        addresses.front() + ":" + std::to_string(setup.port) + " --code " +
                        peer->code_;
        return peer;
    }
    if (enet_address_set_host(&address, setup.hostName.c_str()) != 0) {
        error = whyNoAddress(setup.hostName);
        return nullptr;
    }
    peer->host_ = enet_host_create(nullptr, 1, 2, 0, 0);
    if (peer->host_ != nullptr) {
        peer->other_ = enet_host_connect(peer->host_, &address, 2, 0);
    }
    if (peer->other_ == nullptr) {
        error = "cannot open a UDP port to call the host from";
        return nullptr;
    }
    peer->banner_ = "Calling " + setup.hostName + " port " + std::to_string(setup.port) + "...";
    return peer;
}

NetPeer::~NetPeer() {
    leave();
    if (host_ != nullptr) {
        enet_host_destroy(host_);
    }
    enet_deinitialize();
}

void NetPeer::poll(uint32_t nowMs) {
    now_ = nowMs;
    if (!started_) {
        started_ = true;
        lastHeard_ = nowMs;
    }
    ENetEvent event;
    while (host_ != nullptr && enet_host_service(host_, &event, 0) > 0) {
        handleEvent(&event);
    }
    checkSilence();
    dropSilentVisitors();
    if (phase_ == Phase::Playing && otherGone_ && session_->frame() >= session_->remoteCount()) {
        goSolo();
    }
    if (phase_ == Phase::Playing && now_ - lastSent_ >= resendMs) {
        sendInputs();
    }
    if (finishing_ && (other_ == nullptr || remoteAck_ >= session_->localCount())) {
        disconnect(Finished);
        phase_ = Phase::Over;
        finishing_ = false;
    }
    if (host_ != nullptr) {
        enet_host_flush(host_);
    }
}

void NetPeer::handleEvent(const void* raw) {
    const ENetEvent& event = *static_cast<const ENetEvent*>(raw);
    switch (event.type) {
        case ENET_EVENT_TYPE_CONNECT:
            enet_peer_timeout(event.peer, 0, silenceMs, silenceMs * 2);
            if (setup_.role == Role::Host) {
                visitors_.push_back({event.peer, now_});
            } else if (event.peer == other_) {
                Hello hello;
                hello.protocol = setup_.claimedProtocol;
                hello.gameVersion = SPINVALE_VERSION;
                hello.matchBuild = setup_.claimedBuild.value_or(build_);
                hello.code = codeField_;
                send(other_, hello, true);
                lastHeard_ = now_;
                askedAt_ = now_;
            }
            break;
        case ENET_EVENT_TYPE_RECEIVE:
            receive(event.peer, event.packet->data, event.packet->dataLength);
            enet_packet_destroy(event.packet);
            break;
        case ENET_EVENT_TYPE_DISCONNECT:
            if (event.peer == other_) {
                other_ = nullptr;
                otherGone(event.data);
            }
            visitors_.erase(std::remove_if(visitors_.begin(), visitors_.end(),
                                           [&](const Visitor& v) { return v.peer == event.peer; }),
                            visitors_.end());
            break;
        case ENET_EVENT_TYPE_NONE:
            break;
    }
}

void NetPeer::receive(_ENetPeer* from, const uint8_t* data, std::size_t size) {
    std::string why;
    const std::optional<Message> message = decode(data, size, otherRole(setup_.role), why);
    const std::string sender = addressText(from->address);
    if (!message) {
        dropped(sender, why);
        return;
    }
    if (from != other_) {  // a visitor: only a Hello means anything
        if (const auto* hello = std::get_if<Hello>(&*message)) {
            greet(from, *hello);
        } else {
            dropped(sender, "a message before the handshake");
        }
        return;
    }
    lastHeard_ = now_;
    if (const auto* welcome = std::get_if<Welcome>(&*message);
        welcome && phase_ == Phase::Waiting) {
        start(welcome->settings, from->roundTripTime);
    } else if (const auto* refused = std::get_if<Refused>(&*message)) {
        const std::string text =
            "The host refused to play: " + refusalText(refused->reason, refused->hostVersion);
        news_.push_back(text);
        banner_ = text + ".\nEsc quits.";
        phase_ = Phase::Over;
        stop_ = Stop::Unplayed;
    } else if (const auto* inputs = std::get_if<Inputs>(&*message); inputs && session_) {
        play(*inputs);
    } else if (inputs && setup_.role == Role::Host && phase_ == Phase::Waiting) {
        start(setup_.settings, roundTrip(from));  // the guest has started: so does the host
        play(*inputs);
    } else if (const auto* check = std::get_if<HashCheck>(&*message); check && session_) {
        checkHashes(check->update, check->hash);
    } else if (const auto* desync = std::get_if<Desync>(&*message)) {
        remoteDesyncState_ = desync->state;
        if (desync_.mismatch()) {
            writeDesyncFile();
        }
    } else {
        dropped(sender, "a message out of turn");
    }
}

void NetPeer::dropped(const std::string& from, const std::string& why) {
    if (malformed_++ == 0) {
        news_.push_back("dropped a malformed message from " + from + " (" + why +
                        "); further ones are only counted");
    }
}

// The host lets in the first guest with the same protocol, the same match and the code.
void NetPeer::greet(_ENetPeer* visitor, const Hello& hello) {
    std::optional<Refusal> refusal;
    if (hello.protocol != protocolVersion) {
        refusal = Refusal::OtherProtocol;
    } else if (hello.matchBuild != build_) {
        refusal = Refusal::OtherBuild;
    } else if (other_ != nullptr || phase_ != Phase::Waiting) {
        refusal = Refusal::GameTaken;
    } else if (!sameJoinCode(hello.code, codeField_)) {
        refusal = Refusal::WrongCode;
    }
    visitors_.erase(std::remove_if(visitors_.begin(), visitors_.end(),
                                   [&](const Visitor& v) { return v.peer == visitor; }),
                    visitors_.end());
    const std::string from = addressText(visitor->address);
    if (refusal) {
        send(visitor, Refused{*refusal, SPINVALE_VERSION}, true);
        enet_peer_disconnect_later(visitor, 0);
        static const char* const why[] = {"", "a wrong join code", "a second player",
                                          "another network protocol", "another match build",
                                          "too many wrong codes"};
        news_.push_back("refused a player from " + from + ": " + why[int(*refusal)]);
        return;
    }
    other_ = visitor;
    lastHeard_ = now_;
    send(other_, Welcome{setup_.settings}, true);
    askedAt_ = now_;
    news_.push_back("player 2 joined from " + from);
}

// The time from the last question (the guest's Hello, the host's Welcome) to its answer
// (the Welcome, the guest's first parts), unless ENet measured a shorter one: a question or
// answer lost and sent again makes the first too long, and ENet's estimate may still be its
// default of 500 ms.
uint32_t NetPeer::roundTrip(const _ENetPeer* peer) const {
    return std::min(now_ - askedAt_, peer->roundTripTime);
}

// Visitors that never say who they are are not kept.
void NetPeer::dropSilentVisitors() {
    const auto silent = [this](const Visitor& v) { return now_ - v.since >= silenceMs; };
    for (const Visitor& v : visitors_) {
        if (silent(v)) {
            enet_peer_reset(v.peer);
        }
    }
    visitors_.erase(std::remove_if(visitors_.begin(), visitors_.end(), silent), visitors_.end());
}

// Both sides send many times a second once playing. A guest's call gets 5 seconds to be
// answered; the handshake after it, where ENet may be slow to send a lost message again,
// three times that.
void NetPeer::checkSilence() {
    if (other_ == nullptr) {
        return;
    }
    const bool connected = other_->state == ENET_PEER_STATE_CONNECTED;
    const uint32_t limit = connected && phase_ == Phase::Waiting ? 3 * silenceMs : silenceMs;
    if (now_ - lastHeard_ >= limit) {
        enet_peer_reset(other_);
        other_ = nullptr;
        otherGone(connected ? Silent : Unanswered);
    }
}

void NetPeer::start(const GameSettings& settings, uint32_t roundTripMs) {
    roundTripMs_ = roundTripMs;
    inputDelay_ = setup_.inputDelay >= 0 ? setup_.inputDelay : inputDelayFor(roundTripMs);
    Match begin;
    restartMatch(begin, settings);
    session_.emplace(setup_.role, begin, inputDelay_, maxPrediction);
    phase_ = Phase::Playing;
    banner_.clear();
    news_.push_back("playing with " + playerName(otherRole(setup_.role)) + " (round trip " +
                    std::to_string(roundTripMs) + " ms, input delay " +
                    std::to_string(inputDelay_) + ")");
    takeFromSession();
}

void NetPeer::play(const Inputs& inputs) {
    // The other side cannot hold more of this side's parts than were made.
    if (inputs.ack > session_->localCount() || !session_->receive(inputs.first, inputs.parts)) {
        dropped(addressText(other_->address), "parts that do not fit the game");
        return;
    }
    remoteAck_ = std::max<int64_t>(remoteAck_, inputs.ack);
    remoteFrame_ = std::max<int64_t>(remoteFrame_, inputs.frame);
    pace_.remoteAdvantage(inputs.advantage);
    takeFromSession();
}

void NetPeer::checkHashes(int64_t update, uint64_t hash) {
    // The other side confirms no update this side has not made its part of.
    if (update > session_->localCount() || !desync_.remote(update, hash)) {
        dropped(addressText(other_->address), "a hash out of turn");
        return;
    }
    if (desync_.mismatch()) {
        stopOnDesync();
    }
}

void NetPeer::takeFromSession() {
    for (ConfirmedUpdate& update : session_->takeConfirmed()) {
        if (!otherGone_ && desync_.local(update) && other_ != nullptr) {
            send(other_, HashCheck{uint32_t(update.number), matchHash(update.after)}, true);
        }
        confirmed_.push_back(std::move(update));
    }
    if (desync_.mismatch() && phase_ == Phase::Playing) {
        stopOnDesync();
    }
}

void NetPeer::stopOnDesync() {
    phase_ = Phase::Over;
    stop_ = Stop::Desync;
    const int64_t update = *desync_.mismatch();
    if (other_ != nullptr) {
        send(other_, Desync{uint32_t(update), desync_.localState()}, true);
    }
    writeDesyncFile();
    const std::string text =
        "The two games differ after update " + std::to_string(update) + ": the match is stopped.";
    news_.push_back(text + " Both states are in " + setup_.desyncPath);
    banner_ = text + "\nBoth states are in " + setup_.desyncPath + ".\nEsc quits.";
}

void NetPeer::writeDesyncFile() const {
    std::ofstream file(setup_.desyncPath, std::ios::trunc);
    const std::string here = playerName(setup_.role);
    const std::string there = playerName(otherRole(setup_.role));
    file << "# The two games differ after update " << *desync_.mismatch() << ".\n# " << here
         << " (this game):\n"
         << desync_.localState() << "\n# " << there << " (the other game):\n"
         << (remoteDesyncState_.empty() ? "# not received" : remoteDesyncState_) << "\n";
}

void NetPeer::sendInputs() {
    if (other_ == nullptr || !session_) {
        return;
    }
    Inputs m;
    m.frame = static_cast<uint32_t>(session_->frame());
    m.ack = static_cast<uint32_t>(session_->remoteCount());
    const int64_t count = session_->localCount();
    const int64_t first = std::max<int64_t>(remoteAck_, count - int64_t(maxPartsPerMessage));
    m.first = static_cast<uint32_t>(first);
    for (int64_t u = first; u < count; ++u) {
        m.parts.push_back(session_->localPart(u));
    }
    m.advantage = pace_.advantage();
    send(other_, m, false);
    lastSent_ = now_;
}

void NetPeer::send(_ENetPeer* to, const Message& message, bool reliable) {
    sendRawTo(to, encode(message, setup_.role), reliable);
}

void NetPeer::sendRaw(const std::vector<uint8_t>& bytes) {
    if (other_ != nullptr) {
        sendRawTo(other_, bytes, true);
    }
}

void NetPeer::sendRawTo(_ENetPeer* to, const std::vector<uint8_t>& bytes, bool reliable) {
    ENetPacket* packet =
        enet_packet_create(bytes.data(), bytes.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (packet != nullptr &&
        enet_peer_send(to, reliable ? controlChannel : inputChannel, packet) != 0) {
        enet_packet_destroy(packet);
    }
}

StepReady NetPeer::ready() {
    if (phase_ == Phase::Solo) {
        return StepReady::Now;
    }
    if (phase_ != Phase::Playing || finishing_ || session_->windowFull()) {
        return StepReady::Later;
    }
    return !otherGone_ && pace_.shouldYield(session_->frame()) ? StepReady::Skip : StepReady::Now;
}

void NetPeer::step(const UpdateInput& local) {
    if (phase_ == Phase::Solo) {
        UpdateInput input;
        input.elapsedMs = local.elapsedMs;
        if (setup_.role == Role::Host) {
            input.pointerX = local.pointerX;
            input.pointerY = local.pointerY;
            input.button = local.button;
        } else {
            input.keys = mergeParts(Part{}, Part{0, 0, 0, {}, guestKeyBits(local.keys)}).keys;
        }
        stepMatch(solo_, input);
        confirmed_.push_back({++soloUpdates_, input, solo_, soloSettingsNew_});
        soloSettingsNew_ = false;
        return;
    }
    Part part;
    if (setup_.role == Role::Guest) {
        part.keys = guestKeyBits(local.keys);
    } else {
        part.elapsedMs = local.elapsedMs;
        if (setup_.settings.player1Mouse) {  // the computer's paddle takes only the time
            part.pointerX = local.pointerX;
            part.pointerY = local.pointerY;
            part.button = local.button;
        }
    }
    session_->step(part);
    pace_.sample(session_->frame(), remoteFrame_);
    takeFromSession();
    sendInputs();
}

std::vector<ConfirmedUpdate> NetPeer::takeConfirmed() {
    std::vector<ConfirmedUpdate> taken;
    taken.swap(confirmed_);
    return taken;
}

const Match& NetPeer::shown() const {
    if (phase_ == Phase::Solo) {
        return solo_;
    }
    return session_ ? session_->current() : waiting_;
}

std::vector<std::string> NetPeer::takeNews() {
    std::vector<std::string> taken;
    taken.swap(news_);
    return taken;
}

NetStats NetPeer::stats() const {
    NetStats s;
    if (host_ != nullptr) {
        s.bytesSent = host_->totalSentData;
        s.bytesReceived = host_->totalReceivedData;
    }
    s.malformed = malformed_;
    s.hashesCompared = desync_.compared() / DesyncCheck::every;
    s.inputDelay = inputDelay_;
    s.roundTripMs = roundTripMs_;
    if (session_) {
        s.rollbacks = session_->stats();
    }
    return s;
}

// The other player's parts that arrived are played out; then the computer takes its paddle.
void NetPeer::otherGone(uint32_t reason) {
    const std::string who = playerName(otherRole(setup_.role));
    if (phase_ == Phase::Waiting && setup_.role == Role::Host) {
        news_.push_back("player 2 left before the game started");
        return;
    }
    if (phase_ == Phase::Waiting) {
        const std::string text =
            reason == Unanswered
                ? "No answer from " + setup_.hostName + " port " + std::to_string(setup_.port) +
                      " within 5 seconds: is a game hosted there, and is that UDP port open to "
                      "this computer?"
                : "The host closed the connection before the game started";
        news_.push_back(text);
        banner_ = text + "\nEsc quits.";
        phase_ = Phase::Over;
        stop_ = Stop::Unplayed;
        return;
    }
    otherGone_ = true;
    if (reason == Left) {
        goneText_ = "Player " + std::to_string(int(otherRole(setup_.role))) + " left";
    } else if (reason == Silent) {
        goneText_ = "Nothing heard from " + who + " for 5 seconds: the connection is given up";
    }
    if (!goneText_.empty() && phase_ == Phase::Playing) {
        news_.push_back(goneText_ + "; the computer plays for them");
    }
}

void NetPeer::goSolo() {
    session_->confirmAsStepped();
    takeFromSession();
    solo_ = session_->current();
    soloUpdates_ = session_->frame();
    if (setup_.role == Role::Host) {
        solo_.settings.player2Keyboard = false;
    } else {
        solo_.settings.player1Mouse = false;
    }
    soloSettingsNew_ = true;
    phase_ = Phase::Solo;
    if (!goneText_.empty()) {
        banner_ = goneText_ + ":\nthe computer plays for them. Esc quits.";
    }
}

void NetPeer::disconnect(uint32_t reason) {
    if (other_ == nullptr) {
        return;
    }
    enet_peer_disconnect_later(other_, reason);
    ENetEvent event;
    for (int i = 0; i < 20 && other_ != nullptr; ++i) {
        while (other_ != nullptr && enet_host_service(host_, &event, 50) > 0) {
            if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                enet_packet_destroy(event.packet);
            } else if (event.type == ENET_EVENT_TYPE_DISCONNECT && event.peer == other_) {
                other_ = nullptr;
            }
        }
    }
    if (other_ != nullptr) {
        enet_peer_reset(other_);
        other_ = nullptr;
    }
}

void NetPeer::finish() {
    finishing_ = phase_ == Phase::Playing;
    if (!finishing_) {
        phase_ = Phase::Over;
    }
}

void NetPeer::leave() {
    disconnect(Left);
    for (const Visitor& v : visitors_) {
        enet_peer_reset(v.peer);
    }
    visitors_.clear();
    if (phase_ != Phase::Over) {
        phase_ = Phase::Over;
    }
}

void NetPeer::alterState(const std::function<void(Match&)>& change) {
    if (session_) {
        session_->alterConfirmedState(change);
    }
}

}  // namespace spinvale::net
