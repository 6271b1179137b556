// The token cursor the statement compilers share, with the script's named constants (window,
// dialog, button and static styles, the standard ids) usable wherever a number is expected.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/resource_compiler/rc_lexer.h"

namespace rc {

class Parser {
  public:
    explicit Parser(const std::vector<Token>& tokens) : tokens_(tokens) {}

    const Token& Peek(size_t ahead = 0) const;
    const Token& Take();
    bool AtEnd() const { return Peek().kind == TokenKind::End; }

    // True (and consumes it) when the next token is this identifier, ignoring case.
    bool TakeKeyword(const char* word);
    bool IsKeyword(const char* word, size_t ahead = 0) const;
    bool TakePunct(char c);
    bool IsPunct(char c, size_t ahead = 0) const;
    // BEGIN or {, and END or }.
    bool TakeBegin();
    bool TakeEnd();
    bool IsEnd() const;

    // Each of these sets the error (with the line) and returns false on failure.
    bool ExpectPunct(char c, const char* what);
    bool ExpectString(std::string& text, const char* what);
    // A number, a named constant or an expression of them with |, + and NOT, and a leading -.
    // Terms under NOT are cleared from the value and added to *cleared (so a control's style
    // can take them off its default style).
    bool Expression(int64_t& value, const char* what, int64_t* cleared = nullptr);
    bool Int16(int16_t& value, const char* what);
    bool Fail(const Token& at, const std::string& message);
    bool Fail(const std::string& message) { return Fail(Peek(), message); }

    const std::string& Error() const { return error_; }

  private:
    bool Term(int64_t& value, bool& negate, const char* what);

    const std::vector<Token>& tokens_;
    size_t pos_ = 0;
    std::string error_;
};

// The value of a named constant (WS_CHILD, BS_AUTOCHECKBOX, IDOK, IDC_STATIC...), false when
// the name is unknown.
bool LookupConstant(const std::string& name, int64_t& value);

}  // namespace rc
