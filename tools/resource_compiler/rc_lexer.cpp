// Tokenizer of resource scripts.
#include "tools/resource_compiler/rc_lexer.h"

#include <cctype>

namespace rc {
namespace {

bool IsIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

class Lexer {
  public:
    explicit Lexer(std::string_view text) : text_(text) {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;  // a UTF-8 byte-order mark
    }

    bool Run(std::vector<Token>& tokens, std::string& error) {
        while (SkipSpaceAndComments(error)) {
            if (pos_ >= text_.size()) {
                tokens.push_back({TokenKind::End, "", 0, line_});
                return true;
            }
            Token token{TokenKind::End, "", 0, line_};
            if (!Next(token, error)) return false;
            tokens.push_back(std::move(token));
        }
        return false;
    }

  private:
    bool SkipSpaceAndComments(std::string& error) {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (text_.substr(pos_, 2) == "//") {
                while (pos_ < text_.size() && text_[pos_] != '\n')
                    ++pos_;
            } else if (c == '#' && AtLineStart()) {
                if (!Directive(error)) return false;
            } else if (text_.substr(pos_, 2) == "/*") {
                size_t close = text_.find("*/", pos_ + 2);
                if (close == std::string_view::npos) {
                    error = Where() + "unterminated comment";
                    return false;
                }
                for (size_t i = pos_; i < close; ++i)
                    line_ += text_[i] == '\n';
                pos_ = close + 2;
            } else {
                break;
            }
        }
        return true;
    }

    bool AtLineStart() const {
        for (size_t i = pos_; i > 0 && text_[i - 1] != '\n'; --i)
            if (!std::isspace(static_cast<unsigned char>(text_[i - 1]))) return false;
        return true;
    }

    // The platform's compiler runs a preprocessor first. Its scripts state their code page
    // and include the header that names the styles and ids; we read UTF-8 and know those
    // names already, so exactly these lines are accepted and any other directive is refused
    // rather than silently ignored.
    bool Directive(std::string& error) {
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        std::string line;
        for (char c : text_.substr(pos_, end - pos_))
            if (!std::isspace(static_cast<unsigned char>(c))) line += c;
        if (line.starts_with("//")) line.clear();
        size_t comment = line.find("//");
        if (comment != std::string::npos) line.resize(comment);
        static constexpr std::string_view kAccepted[] = {
            "#pragmacode_page(65001)", "#include<windows.h>", "#include<winres.h>"};
        for (std::string_view accepted : kAccepted) {
            if (line == accepted) {
                pos_ = end;
                return true;
            }
        }
        if (line.starts_with("#pragmacode_page"))
            error = Where() + "the script must be UTF-8: only code_page(65001) is accepted";
        else
            error = Where() + "unsupported directive '" +
                    std::string(text_.substr(pos_, end - pos_)) + "'";
        return false;
    }

    bool Next(Token& token, std::string& error) {
        char c = text_[pos_];
        if (IsIdentStart(c)) {
            size_t start = pos_;
            while (pos_ < text_.size() && IsIdentChar(text_[pos_]))
                ++pos_;
            token.kind = TokenKind::Identifier;
            token.text = std::string(text_.substr(start, pos_ - start));
            return true;
        }
        if (std::isdigit(static_cast<unsigned char>(c))) return ReadNumber(token, error);
        if (c == '"') return ReadString(token, error);
        if (std::string_view(",{}|()+-").find(c) != std::string_view::npos) {
            token.kind = TokenKind::Punct;
            token.text = std::string(1, c);
            ++pos_;
            return true;
        }
        error = Where() + "unexpected character '" + std::string(1, c) + "'";
        return false;
    }

    bool ReadNumber(Token& token, std::string& error) {
        size_t start = pos_;
        int base = 10;
        if (text_.substr(pos_, 2) == "0x" || text_.substr(pos_, 2) == "0X") {
            base = 16;
            pos_ += 2;
        }
        long long value = 0;
        size_t digits = 0;
        while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_]))) {
            char d = text_[pos_];
            int v =
                std::isdigit(static_cast<unsigned char>(d)) ? d - '0' : std::tolower(d) - 'a' + 10;
            if (v >= base) break;
            value = value * base + v;
            if (value > 0xFFFFFFFFLL) {
                error = Where() + "number too large";
                return false;
            }
            ++pos_;
            ++digits;
        }
        if (digits == 0) {
            error = Where() + "malformed number";
            return false;
        }
        if (pos_ < text_.size() && (text_[pos_] == 'L' || text_[pos_] == 'l')) ++pos_;
        if (pos_ < text_.size() && IsIdentChar(text_[pos_])) {
            error = Where() + "malformed number '" +
                    std::string(text_.substr(start, pos_ - start + 1)) + "'";
            return false;
        }
        token.kind = TokenKind::Number;
        token.number = value;
        token.text = std::string(text_.substr(start, pos_ - start));
        return true;
    }

    // Strings are kept byte for byte (UTF-8); "" stands for one quote, as in the platform's
    // scripts, and \" \\ \n \t are the usual escapes.
    bool ReadString(Token& token, std::string& error) {
        ++pos_;
        std::string value;
        while (true) {
            if (pos_ >= text_.size() || text_[pos_] == '\n') {
                error = Where() + "unterminated string";
                return false;
            }
            char c = text_[pos_++];
            if (c == '"') {
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    value += '"';
                    ++pos_;
                    continue;
                }
                break;
            }
            if (c == '\\' && pos_ < text_.size()) {
                char e = text_[pos_++];
                value += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                continue;
            }
            value += c;
        }
        token.kind = TokenKind::String;
        token.text = std::move(value);
        return true;
    }

    std::string Where() const { return "line " + std::to_string(line_) + ": "; }

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace

bool Tokenize(std::string_view script, std::vector<Token>& tokens, std::string& error) {
    tokens.clear();
    return Lexer(script).Run(tokens, error);
}

}  // namespace rc
