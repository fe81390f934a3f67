#include "invite.h"

#include "join_code.h"

namespace spinvale::net {

namespace {

constexpr std::string_view scheme = "spinvale://";
// Longer than any host name (253) with a port and a code: a longer text is not an invite.
constexpr std::size_t maxInviteLength = 300;

bool isLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char c = a[i] >= 'A' && a[i] <= 'Z' ? char(a[i] - 'A' + 'a') : a[i];
        if (c != b[i]) {
            return false;
        }
    }
    return true;
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A host name as the Internet spells one (labels of letters, digits and inner hyphens), or
// an IPv4 address, which is spelt the same way.
bool validHostName(std::string_view host) {
    if (host.empty() || host.size() > 253) {
        return false;
    }
    std::size_t start = 0;
    while (start <= host.size()) {
        const std::size_t dot = std::min(host.find('.', start), host.size());
        const std::string_view label = host.substr(start, dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') {
            return false;
        }
        for (char c : label) {
            if (!isLetterOrDigit(c) && c != '-') {
                return false;
            }
        }
        start = dot + 1;
    }
    return true;
}

bool readCode(std::string_view text, std::string& code) {
    for (char c : text) {
        if (!isLetterOrDigit(c)) {
            return false;
        }
    }
    const auto field = readJoinCode(text);
    if (!field) {
        return false;
    }
    code.assign(field->data(), text.size());
    return true;
}

}  // namespace

std::string formatInvite(const Invite& invite) {
    return std::string(scheme) + invite.host + ":" + std::to_string(invite.port) + "/" +
           invite.code;
}

bool looksLikeInvite(std::string_view text) {
    text = trimmed(text);
    return sameLetters(text.substr(0, scheme.size()), scheme);
}

std::optional<Invite> readInvite(std::string_view text, std::string& error) {
    text = trimmed(text);
    if (text.size() > maxInviteLength) {
        error = "an invite is not that long";
        return std::nullopt;
    }
    for (char c : text) {
        // Only what an invite is made of: nothing unprintable reaches a message or a field.
        if (c <= ' ' || c > '~') {
            error = "an invite holds only letters, digits and the signs : / . -";
            return std::nullopt;
        }
    }
    const std::string quoted = "'" + std::string(text) + "'";
    if (!looksLikeInvite(text)) {
        error = quoted + " is not an invite: it does not start with " + std::string(scheme);
        return std::nullopt;
    }
    text.remove_prefix(scheme.size());
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        error = "the invite " + quoted + " has no join code after the address";
        return std::nullopt;
    }
    const std::string_view address = text.substr(0, slash);
    Invite invite;
    if (!readJoinAddress(address, invite.host, invite.port, error)) {
        return std::nullopt;
    }
    if (address.find(':') == std::string_view::npos) {
        error = "the invite " + quoted + " has no port after the address";
        return std::nullopt;
    }
    if (!validHostName(invite.host)) {
        error = "the invite " + quoted + " names no valid host";
        return std::nullopt;
    }
    if (!readCode(text.substr(slash + 1), invite.code)) {
        error = "the join code in the invite " + quoted + " is not " + joinCodeRule;
        return std::nullopt;
    }
    return invite;
}

bool readJoinTarget(std::string_view text, std::string& host, uint16_t& port, std::string& code,
                    std::string& error) {
    if (!looksLikeInvite(text)) {
        return readJoinAddress(text, host, port, error);
    }
    const std::optional<Invite> invite = readInvite(text, error);
    if (invite) {
        host = invite->host;
        port = invite->port;
        code = invite->code;
    }
    return invite.has_value();
}

}  // namespace spinvale::net
