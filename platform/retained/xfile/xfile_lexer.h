// The tokens of a text .x file: operators, GUIDs, names, strings and numbers, with the line
// each starts on. Whitespace (space, tab, CR, LF, NUL) and comments (// or # to the end of
// the line) separate tokens; any other stray byte is an error that names its line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace retained::xfile {

enum class TokenKind {
    End,
    OpenBrace,
    CloseBrace,
    OpenBracket,
    CloseBracket,
    OpenParen,
    CloseParen,
    OpenAngle,
    CloseAngle,
    Comma,
    Semicolon,
    Ellipsis,  // ... in a template's open restriction [...]
    Guid,      // <8-4-4-4-12 hex digits>
    Name,      // [A-Za-z0-9_-]+ that is not a number
    String,    // "...", text without the quotes
    Number,    // -?digits[.digits][e[+-]digits], also .5 and 1.
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;
    int line = 0;
};

// A short, printable rendering of a token for error messages.
std::string Describe(const Token& token);

// Lexes on demand. Copying a Lexer saves its position, which is how the parser looks ahead.
class Lexer {
  public:
    Lexer(std::string_view text, size_t start, int line) : text_(text), pos_(start), line_(line) {}

    // The next token, or false with error() set when the text cannot be lexed.
    bool Next(Token& token);
    // The next token without consuming it.
    bool Peek(Token& token);

    // Bytes not yet lexed: no count in the file may ask for more elements than this.
    size_t Remaining() const { return text_.size() - pos_; }
    int line() const { return line_; }
    const std::string& error() const { return error_; }

  private:
    bool SkipSpaceAndComments();
    bool Fail(int line, const std::string& message);

    std::string_view text_;
    size_t pos_;
    int line_;
    std::string error_;
};

}  // namespace retained::xfile
