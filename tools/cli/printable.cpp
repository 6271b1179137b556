// Text from the command line made safe to echo in a message: a terminal shown an argument
// must never receive a byte that moves its cursor, clears it, starts a new line or turns the
// direction of the text, so such bytes come out as visible escapes.
#include <cstdio>

#include "tools/cli/cli.h"

namespace cli {
namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
    switch (byte) {
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        default: {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            out += code;
        }
    }
}

// The length of the well-formed UTF-8 sequence at text[i] and its code point, or 0 when the
// bytes there are not one (a stray continuation byte, an overlong form, a surrogate, a cut).
size_t DecodeUtf8(std::string_view text, size_t i, char32_t* codePoint) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length;
    char32_t value;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = byte(i + k);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return 0;
        value = (value << 6) | (next & 0x3F);
    }
    *codePoint = value;
    return length;
}

// C1 controls (U+0080..U+009F, some terminals obey them as commands) and the invisible
// marks that reorder the text around them.
bool SteersTheTerminal(char32_t c) {
    return (c >= 0x80 && c <= 0x9F) || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if (byte < 0x20 || byte == 0x7F) {
                AppendEscaped(out, byte);
            } else {
                out += static_cast<char>(byte);
            }
            ++i;
            continue;
        }
        char32_t codePoint = 0;
        const size_t length = DecodeUtf8(text, i, &codePoint);
        if (length == 0) {
            AppendEscaped(out, byte);
            ++i;
            continue;
        }
        for (size_t k = 0; k < length; ++k) {
            if (SteersTheTerminal(codePoint)) {
                AppendEscaped(out, static_cast<unsigned char>(text[i + k]));
            } else {
                out += text[i + k];
            }
        }
        i += length;
    }
    return out;
}

}  // namespace cli
