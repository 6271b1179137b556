// The .x lexer. Tokens are views into the caller's bytes, so lexing allocates nothing but
// the error message.
#include "platform/retained/xfile/xfile_lexer.h"

#include <charconv>

namespace retained::xfile {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsNameChar(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-';
}

// Numbers and names are lexed as one run and told apart afterwards: "1e-5" is a number,
// "1st" and "Mesh-2" are names.
bool IsRunChar(char c) {
    return IsNameChar(c) || c == '.' || c == '+';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
}

bool LooksLikeNumber(std::string_view run) {
    size_t i = run[0] == '-' ? 1 : 0;
    if (i >= run.size() || !(IsDigit(run[i]) || run[i] == '.')) return false;
    double value = 0;
    auto [end, ec] = std::from_chars(run.data(), run.data() + run.size(), value);
    // Out of range still ends the run: it is a number, and the parser reports its range.
    return end == run.data() + run.size() &&
           (ec == std::errc() || ec == std::errc::result_out_of_range);
}

std::string Printable(std::string_view text) {
    constexpr size_t kMaxShown = 40;
    std::string out;
    for (size_t i = 0; i < text.size() && i < kMaxShown; ++i) {
        char c = text[i];
        out += (c >= 0x20 && c < 0x7f) ? c : '?';
    }
    if (text.size() > kMaxShown) out += "...";
    return out;
}

// Length of a GUID starting at text[0] == '<', or 0 when the text is no GUID. Blanks are
// allowed just inside the angle brackets.
size_t GuidLength(std::string_view text) {
    size_t i = 1;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    for (int group : {8, 4, 4, 4, 12}) {
        if (group != 8) {
            if (i >= text.size() || text[i] != '-') return 0;
            ++i;
        }
        for (int k = 0; k < group; ++k, ++i) {
            if (i >= text.size() || !IsHexDigit(text[i])) return 0;
        }
    }
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i >= text.size() || text[i] != '>') return 0;
    return i + 1;
}

// Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on `"literal" + std::string`.
std::string Quoted(const char* open, std::string_view text, const char* close) {
    std::string out = open;
    out += Printable(text);
    out += close;
    return out;
}

}  // namespace

std::string Describe(const Token& token) {
    switch (token.kind) {
        case TokenKind::End:
            return "the end of the file";
        case TokenKind::String:
            return Quoted("string \"", token.text, "\"");
        case TokenKind::Guid:
            return "a GUID";
        default:
            return Quoted("'", token.text, "'");
    }
}

bool Lexer::Fail(int line, const std::string& message) {
    error_ = "line " + std::to_string(line) + ": " + message;
    return false;
}

bool Lexer::SkipSpaceAndComments() {
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (c == '\n') {
            ++line_;
            ++pos_;
        } else if (IsSpace(c)) {
            ++pos_;
        } else if (c == '#' || (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/')) {
            while (pos_ < text_.size() && text_[pos_] != '\n')
                ++pos_;
        } else {
            return true;
        }
    }
    return true;
}

bool Lexer::Peek(Token& token) {
    Lexer ahead = *this;
    if (ahead.Next(token)) return true;
    error_ = ahead.error_;
    return false;
}

bool Lexer::Next(Token& token) {
    SkipSpaceAndComments();
    token.line = line_;
    if (pos_ >= text_.size()) {
        token.kind = TokenKind::End;
        token.text = {};
        return true;
    }
    const size_t start = pos_;
    const char c = text_[pos_];
    auto single = [&](TokenKind kind) {
        token.kind = kind;
        token.text = text_.substr(start, 1);
        ++pos_;
        return true;
    };
    switch (c) {
        case '{':
            return single(TokenKind::OpenBrace);
        case '}':
            return single(TokenKind::CloseBrace);
        case '[':
            return single(TokenKind::OpenBracket);
        case ']':
            return single(TokenKind::CloseBracket);
        case '(':
            return single(TokenKind::OpenParen);
        case ')':
            return single(TokenKind::CloseParen);
        case '>':
            return single(TokenKind::CloseAngle);
        case ',':
            return single(TokenKind::Comma);
        case ';':
            return single(TokenKind::Semicolon);
        case '<': {
            size_t length = GuidLength(text_.substr(start));
            if (length == 0) return single(TokenKind::OpenAngle);
            token.kind = TokenKind::Guid;
            token.text = text_.substr(start, length);
            pos_ += length;
            return true;
        }
        case '"': {
            size_t end = text_.find('"', start + 1);
            if (end == std::string_view::npos) return Fail(line_, "string never closed");
            token.kind = TokenKind::String;
            token.text = text_.substr(start + 1, end - start - 1);
            for (char s : token.text)
                line_ += s == '\n';
            pos_ = end + 1;
            return true;
        }
        default:
            break;
    }
    if (!IsRunChar(c)) {
        static const char kHex[] = "0123456789abcdef";
        const auto byte = static_cast<unsigned char>(c);
        std::string shown = byte >= 0x20 && byte < 0x7f
                                ? std::string("'") + c + "'"
                                : std::string("byte 0x") + kHex[byte >> 4] + kHex[byte & 15];
        return Fail(line_, "unexpected " + shown);
    }
    while (pos_ < text_.size() && IsRunChar(text_[pos_]))
        ++pos_;
    token.text = text_.substr(start, pos_ - start);
    if (token.text == "...") {
        token.kind = TokenKind::Ellipsis;
        return true;
    }
    if (LooksLikeNumber(token.text)) {
        token.kind = TokenKind::Number;
        return true;
    }
    for (char n : token.text) {
        if (!IsNameChar(n))
            return Fail(line_, "malformed number or name '" + Printable(token.text) + "'");
    }
    token.kind = TokenKind::Name;
    return true;
}

}  // namespace retained::xfile
