// Token cursor and named constants of resource scripts.
#include "tools/resource_compiler/rc_parser.h"

#include <map>

namespace rc {
namespace {

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return i == a.size() && !b[i];
}

const std::map<std::string, int64_t>& Constants() {
    static const std::map<std::string, int64_t> table = {
        // Window styles.
        {"WS_OVERLAPPED", 0x00000000},
        {"WS_POPUP", 0x80000000},
        {"WS_CHILD", 0x40000000},
        {"WS_MINIMIZE", 0x20000000},
        {"WS_VISIBLE", 0x10000000},
        {"WS_DISABLED", 0x08000000},
        {"WS_CLIPSIBLINGS", 0x04000000},
        {"WS_CLIPCHILDREN", 0x02000000},
        {"WS_MAXIMIZE", 0x01000000},
        {"WS_CAPTION", 0x00C00000},
        {"WS_BORDER", 0x00800000},
        {"WS_DLGFRAME", 0x00400000},
        {"WS_VSCROLL", 0x00200000},
        {"WS_HSCROLL", 0x00100000},
        {"WS_SYSMENU", 0x00080000},
        {"WS_THICKFRAME", 0x00040000},
        {"WS_GROUP", 0x00020000},
        {"WS_TABSTOP", 0x00010000},
        {"WS_MINIMIZEBOX", 0x00020000},
        {"WS_MAXIMIZEBOX", 0x00010000},
        {"WS_EX_TOPMOST", 0x00000008},
        {"WS_EX_CLIENTEDGE", 0x00000200},
        {"WS_EX_STATICEDGE", 0x00020000},
        // Dialog styles.
        {"DS_ABSALIGN", 0x01},
        {"DS_SYSMODAL", 0x02},
        {"DS_LOCALEDIT", 0x20},
        {"DS_SETFONT", 0x40},
        {"DS_MODALFRAME", 0x80},
        {"DS_NOIDLEMSG", 0x100},
        {"DS_SETFOREGROUND", 0x200},
        {"DS_3DLOOK", 0x04},
        {"DS_FIXEDSYS", 0x08},
        {"DS_CONTROL", 0x400},
        {"DS_CENTER", 0x800},
        {"DS_CENTERMOUSE", 0x1000},
        {"DS_SHELLFONT", 0x48},
        // Button styles.
        {"BS_PUSHBUTTON", 0x0},
        {"BS_DEFPUSHBUTTON", 0x1},
        {"BS_CHECKBOX", 0x2},
        {"BS_AUTOCHECKBOX", 0x3},
        {"BS_RADIOBUTTON", 0x4},
        {"BS_3STATE", 0x5},
        {"BS_AUTO3STATE", 0x6},
        {"BS_GROUPBOX", 0x7},
        {"BS_AUTORADIOBUTTON", 0x9},
        {"BS_LEFTTEXT", 0x20},
        {"BS_LEFT", 0x100},
        {"BS_RIGHT", 0x200},
        {"BS_CENTER", 0x300},
        {"BS_FLAT", 0x8000},
        // Static styles.
        {"SS_LEFT", 0x0},
        {"SS_CENTER", 0x1},
        {"SS_RIGHT", 0x2},
        {"SS_ICON", 0x3},
        {"SS_BLACKRECT", 0x4},
        {"SS_GRAYRECT", 0x5},
        {"SS_WHITERECT", 0x6},
        {"SS_LEFTNOWORDWRAP", 0xC},
        {"SS_NOPREFIX", 0x80},
        {"SS_SUNKEN", 0x1000},
        {"SS_CENTERIMAGE", 0x200},
        // Edit styles.
        {"ES_LEFT", 0x0},
        {"ES_CENTER", 0x1},
        {"ES_RIGHT", 0x2},
        {"ES_MULTILINE", 0x4},
        {"ES_AUTOHSCROLL", 0x80},
        {"ES_READONLY", 0x800},
        // Standard ids.
        {"IDOK", 1},
        {"IDCANCEL", 2},
        {"IDABORT", 3},
        {"IDRETRY", 4},
        {"IDIGNORE", 5},
        {"IDYES", 6},
        {"IDNO", 7},
        {"IDC_STATIC", -1},
        // Languages.
        {"LANG_NEUTRAL", 0x00},
        {"LANG_ENGLISH", 0x09},
        {"LANG_JAPANESE", 0x11},
        {"SUBLANG_NEUTRAL", 0x00},
        {"SUBLANG_DEFAULT", 0x01},
        {"SUBLANG_SYS_DEFAULT", 0x02},
    };
    return table;
}

}  // namespace

bool LookupConstant(const std::string& name, int64_t& value) {
    auto it = Constants().find(name);
    if (it == Constants().end()) return false;
    value = it->second;
    return true;
}

const Token& Parser::Peek(size_t ahead) const {
    size_t i = pos_ + ahead;
    return i < tokens_.size() ? tokens_[i] : tokens_.back();
}

const Token& Parser::Take() {
    const Token& token = Peek();
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return token;
}

bool Parser::IsKeyword(const char* word, size_t ahead) const {
    const Token& t = Peek(ahead);
    return t.kind == TokenKind::Identifier && EqualsIgnoringCase(t.text, word);
}

bool Parser::TakeKeyword(const char* word) {
    if (!IsKeyword(word)) return false;
    Take();
    return true;
}

bool Parser::IsPunct(char c, size_t ahead) const {
    const Token& t = Peek(ahead);
    return t.kind == TokenKind::Punct && t.text[0] == c;
}

bool Parser::TakePunct(char c) {
    if (!IsPunct(c)) return false;
    Take();
    return true;
}

bool Parser::TakeBegin() {
    return TakeKeyword("BEGIN") || TakePunct('{');
}

bool Parser::IsEnd() const {
    return IsKeyword("END") || IsPunct('}');
}

bool Parser::TakeEnd() {
    return TakeKeyword("END") || TakePunct('}');
}

bool Parser::Fail(const Token& at, const std::string& message) {
    if (error_.empty()) error_ = "line " + std::to_string(at.line) + ": " + message;
    return false;
}

bool Parser::ExpectPunct(char c, const char* what) {
    if (TakePunct(c)) return true;
    const Token& t = Peek();
    return Fail(t, std::string("expected '") + c + "' " + what +
                       (t.kind == TokenKind::End ? " before the end of the script"
                                                 : ", found '" + t.text + "'"));
}

bool Parser::ExpectString(std::string& text, const char* what) {
    const Token& t = Peek();
    if (t.kind != TokenKind::String)
        return Fail(t, std::string("expected ") + what + " in quotes" +
                           (t.kind == TokenKind::End ? " before the end of the script"
                                                     : ", found '" + t.text + "'"));
    text = Take().text;
    return true;
}

bool Parser::Term(int64_t& value, bool& negate, const char* what) {
    negate = TakeKeyword("NOT");
    bool minus = TakePunct('-');
    const Token& t = Peek();
    if (t.kind == TokenKind::Number) {
        value = t.number;
    } else if (t.kind == TokenKind::Identifier) {
        if (!LookupConstant(t.text, value))
            return Fail(t, "unknown name '" + t.text + "' in " + what);
    } else if (t.kind == TokenKind::Punct && t.text == "(") {
        Take();
        if (!Expression(value, what)) return false;
        if (!ExpectPunct(')', what)) return false;
        if (minus) value = -value;
        return true;
    } else {
        return Fail(t, std::string("expected ") + what +
                           (t.kind == TokenKind::End ? " before the end of the script"
                                                     : ", found '" + t.text + "'"));
    }
    Take();
    if (minus) value = -value;
    return true;
}

bool Parser::Expression(int64_t& value, const char* what, int64_t* cleared) {
    bool negate = false;
    if (!Term(value, negate, what)) return false;
    if (negate) {
        if (cleared) *cleared |= value;
        value = 0;
    }
    while (IsPunct('|') || IsPunct('+')) {
        char op = Take().text[0];
        int64_t next = 0;
        if (!Term(next, negate, what)) return false;
        if (negate) {
            value &= ~next;
            if (cleared) *cleared |= next;
        } else {
            value = op == '|' ? (value | next) : value + next;
        }
    }
    return true;
}

bool Parser::Int16(int16_t& value, const char* what) {
    const Token& at = Peek();
    int64_t v = 0;
    if (!Expression(v, what)) return false;
    if (v < -32768 || v > 32767) return Fail(at, std::string(what) + " out of range");
    value = static_cast<int16_t>(v);
    return true;
}

}  // namespace rc
