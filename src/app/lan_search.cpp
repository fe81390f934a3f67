#include "lan_search.h"

#include <algorithm>

namespace spinvale {

namespace {

// A search takes a second; the next begins two after it, so that a game hosted meanwhile
// shows up while the player looks at the page.
constexpr uint32_t searchEveryMs = 3000;

FoundGame foundGame(const net::LanGame& game) {
    const std::string host = net::ipv4Text(game.address);
    return {game.name,
            game.port == net::defaultPort ? host : host + ":" + std::to_string(game.port)};
}

}  // namespace

// The games of the last whole search, and those the search under way has found besides: a
// game that stopped answering goes when a search ends without it.
void LanSearch::follow(Menu& menu, uint32_t nowMs) {
    if (!menu.open || menu.page != MenuPage::Join) {
        lister_.reset();
        startedAt_ = nowMs - searchEveryMs;
        return;
    }
    if ((!lister_ || lister_->done()) && nowMs - startedAt_ >= searchEveryMs) {
        std::string error;  // no socket: the page lists nothing, and tries again later
        lister_ = net::LanLister::start(net::defaultPort, nowMs, error);
        startedAt_ = nowMs;
    }
    if (!lister_) {
        showFoundGames(menu, listed_, false);
        return;
    }
    lister_->poll(nowMs);
    std::vector<FoundGame> shown = lister_->done() ? std::vector<FoundGame>{} : listed_;
    for (const net::LanGame& game : lister_->games()) {
        const FoundGame found = foundGame(game);
        if (std::none_of(shown.begin(), shown.end(),
                         [&](const FoundGame& g) { return g.address == found.address; })) {
            shown.push_back(found);
        }
    }
    if (lister_->done()) {
        listed_ = shown;
    }
    showFoundGames(menu, shown, !lister_->done());
}

}  // namespace spinvale
