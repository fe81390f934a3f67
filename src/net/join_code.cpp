#include "join_code.h"

#include <random>

namespace spinvale::net {

namespace {

constexpr std::string_view codeAlphabet = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";
constexpr int codeLength = 6;

}  // namespace

std::string newJoinCode() {
    std::random_device source;
    std::uniform_int_distribution<std::size_t> pick(0, codeAlphabet.size() - 1);
    std::string code;
    for (int i = 0; i < codeLength; ++i) {
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
        if (!valid || n == field.size()) {
            return std::nullopt;
        }
        field[n++] = c;
    }
    if (n < 4) {
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
