#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nemora::test {

// One token of a body: a literal (length 1, distance 0) or a copy.
struct Token {
    std::uint32_t distance = 0;
    std::uint32_t length = 1;
    std::uint8_t literal = 0;

    bool operator==(const Token&) const = default;
};

Token Literal(char c);
Token Copy(std::uint32_t distance, std::uint32_t length);

// Splits a body into tokens until `pageLength` bytes are covered; the bytes
// after that are returned in `padding`.
std::vector<Token> SplitTokens(const std::vector<std::uint8_t>& body, std::size_t pageLength,
                               std::vector<std::uint8_t>* padding = nullptr);

std::string Describe(const std::vector<Token>& tokens);

}  // namespace nemora::test
