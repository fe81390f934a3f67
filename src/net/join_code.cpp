#include "join_code.h"

#include <random>

namespace spinvale::net {

namespace {

constexpr std::string_view codeAlphabet = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";

}  // namespace

std::string newJoinCode() {
    std::random_device source;
    std::uniform_int_distribution<std::size_t> pick(0, codeAlphabet.size() - 1);
    std::string code;
    for (std::size_t i = 0; i < joinCodeLength; ++i) {
        code += codeAlphabet[pick(source)];
    }
    return code;
}

std::optional<CodeField> readJoinCode(std::string_view typed) {
    CodeField field{};
    std::size_t n = 0;
    for (char c : typed) {
        if (c == ' ' || c == '-') {
            continue;
        }
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        const bool valid = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!valid || n == joinCodeLength) {
            return std::nullopt;
        }
        field[n++] = c;
    }
    if (n < joinCodeLength) {
        return std::nullopt;
    }
    return field;
}

bool sameJoinCode(const CodeField& a, const CodeField& b) {
    volatile unsigned difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference = difference | unsigned(static_cast<unsigned char>(a[i] ^ b[i]));
    }
    return difference == 0;
}

}  // namespace spinvale::net

namespace spinvale::net {

bool readJoinAddress(std::string_view text, std::string& host, uint16_t& port, std::string& error) {
    const std::size_t colon = text.find(':');
    if (text.find('[') != std::string_view::npos ||
        (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos)) {
        error = "'" + std::string(text) +
                "' is an IPv6 address, and this build's network library (ENet 1.3) speaks IPv4 "
                "only: join by an IPv4 address or a name that has one";
        return false;
    }
    host = std::string(text.substr(0, colon));
    port = defaultPort;
    if (host.empty()) {
        error = "the host's name or address is missing in '" + std::string(text) + "'";
        return false;
    }
    if (colon == std::string_view::npos) {
        return true;
    }
    const std::string_view digits = text.substr(colon + 1);
    uint32_t value = 0;
    for (char c : digits) {
        value = value * 10 + uint32_t(c - '0');
        if (c < '0' || c > '9' || value > 65535) {
            value = 0;
            break;
        }
    }
    if (digits.empty() || value == 0) {
        error = "the port in '" + std::string(text) + "' must be a number from 1 to 65535";
        return false;
    }
    port = static_cast<uint16_t>(value);
    return true;
}

}  // namespace spinvale::net
