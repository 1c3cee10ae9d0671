#include "tests/support/Tokens.h"

namespace nemora::test {

Token Literal(char c) {
    return {0, 1, static_cast<std::uint8_t>(c)};
}

Token Copy(std::uint32_t distance, std::uint32_t length) {
    return {distance, length, 0};
}

std::vector<Token> SplitTokens(const std::vector<std::uint8_t>& body, std::size_t pageLength,
                               std::vector<std::uint8_t>* padding) {
    std::vector<Token> tokens;
    std::size_t at = 0;
    std::size_t produced = 0;
    while (produced < pageLength && at < body.size()) {
        if (body[at] != 0) {
            tokens.push_back({0, 1, body[at++]});
            ++produced;
        } else if (at + 4 <= body.size()) {
            const Token copy{static_cast<std::uint32_t>(body[at + 1] | (body[at + 2] << 8)),
                             body[at + 3], 0};
            tokens.push_back(copy);
            produced += copy.length;
            at += 4;
        } else {
            break;
        }
    }
    if (padding != nullptr)
        padding->assign(body.begin() + static_cast<std::ptrdiff_t>(at), body.end());
    return tokens;
}

std::string Describe(const std::vector<Token>& tokens) {
    std::string text;
    for (const Token& t : tokens) {
        if (!text.empty()) text += ' ';
        if (t.distance == 0) {
            text += static_cast<char>(t.literal);
        } else {
            text += '(' + std::to_string(t.distance) + ',' + std::to_string(t.length) + ')';
        }
    }
    return text;
}

}  // namespace nemora::test
