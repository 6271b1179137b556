// Tokens of a resource script (the platform's .rc syntax, UTF-8): identifiers, numbers,
// strings, punctuation; comments are skipped. Every token knows its line for error messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rc {

enum class TokenKind { Identifier, Number, String, Punct, End };

struct Token {
    TokenKind kind;
    std::string text;  // identifier or punctuation as written; string contents without quotes
    long long number;  // value of a Number token
    int line;
};

// Splits the script into tokens. On malformed input (an unterminated string or comment, a
// character the syntax does not use) it returns false and describes the problem in error.
bool Tokenize(std::string_view script, std::vector<Token>& tokens, std::string& error);

}  // namespace rc
