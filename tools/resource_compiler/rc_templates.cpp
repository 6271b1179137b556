// Menu and dialog statements, and icon files, compiled to the platform's binary layouts.
#include "tools/resource_compiler/rc_templates.h"

#include <cstdint>

namespace rc {
namespace {

constexpr uint16_t kMenuGrayed = 0x0001;
constexpr uint16_t kMenuInactive = 0x0002;
constexpr uint16_t kMenuChecked = 0x0008;
constexpr uint16_t kMenuPopup = 0x0010;
constexpr uint16_t kMenuBarBreak = 0x0020;
constexpr uint16_t kMenuBreak = 0x0040;
constexpr uint16_t kMenuEnd = 0x0080;
constexpr uint16_t kMenuHelp = 0x4000;

constexpr uint32_t kChild = 0x40000000;
constexpr uint32_t kVisible = 0x10000000;
constexpr uint32_t kTabStop = 0x00010000;
constexpr uint32_t kGroup = 0x00020000;
constexpr uint32_t kCaption = 0x00C00000;
constexpr uint32_t kSetFont = 0x40;
constexpr uint32_t kPopup = 0x80000000;
constexpr uint32_t kBorder = 0x00800000;
constexpr uint32_t kSysMenu = 0x00080000;
constexpr uint16_t kButtonAtom = 0x0080;
constexpr uint16_t kEditAtom = 0x0081;
constexpr uint16_t kStaticAtom = 0x0082;
constexpr int kMaxMenuDepth = 16;

struct MenuNode {
    uint16_t flags = 0;
    uint16_t id = 0;
    std::string text;
    int line = 0;
    std::vector<MenuNode> children;
};

bool MenuOptions(Parser& in, uint16_t& flags) {
    while (in.TakePunct(',')) {
        if (in.TakeKeyword("CHECKED"))
            flags |= kMenuChecked;
        else if (in.TakeKeyword("GRAYED"))
            flags |= kMenuGrayed;
        else if (in.TakeKeyword("INACTIVE"))
            flags |= kMenuInactive;
        else if (in.TakeKeyword("MENUBARBREAK"))
            flags |= kMenuBarBreak;
        else if (in.TakeKeyword("MENUBREAK"))
            flags |= kMenuBreak;
        else if (in.TakeKeyword("HELP"))
            flags |= kMenuHelp;
        else
            return in.Fail("unknown menu item option '" + in.Peek().text + "'");
    }
    return true;
}

bool MenuBlock(Parser& in, std::vector<MenuNode>& items, int depth) {
    const Token& open = in.Peek();
    if (!in.TakeBegin()) return in.Fail(open, "expected BEGIN or '{' to open the menu");
    if (depth > kMaxMenuDepth) return in.Fail(open, "menu nested too deeply");
    while (!in.IsEnd()) {
        MenuNode node;
        node.line = in.Peek().line;
        if (in.TakeKeyword("MENUITEM")) {
            if (in.TakeKeyword("SEPARATOR")) {
                items.push_back(node);
                continue;
            }
            if (!in.ExpectString(node.text, "a menu item's text")) return false;
            if (!in.ExpectPunct(',', "after the menu item's text")) return false;
            const Token& at = in.Peek();
            int64_t id = 0;
            if (!in.Expression(id, "a menu item id")) return false;
            if (id < 0 || id > 0xFFFF) return in.Fail(at, "menu item id out of range 0..65535");
            node.id = static_cast<uint16_t>(id);
            if (!MenuOptions(in, node.flags)) return false;
        } else if (in.TakeKeyword("POPUP")) {
            if (!in.ExpectString(node.text, "a popup's text")) return false;
            node.flags |= kMenuPopup;
            if (!MenuOptions(in, node.flags)) return false;
            if (!MenuBlock(in, node.children, depth + 1)) return false;
            if (node.children.empty()) {
                Token at{TokenKind::String, "", 0, node.line};
                return in.Fail(at, "a popup needs at least one item");
            }
        } else {
            const Token& t = in.Peek();
            if (t.kind == TokenKind::End) return in.Fail(t, "menu not closed with END or '}'");
            return in.Fail(t, "expected MENUITEM, POPUP or END in a menu, found '" + t.text + "'");
        }
        items.push_back(std::move(node));
    }
    in.TakeEnd();
    return true;
}

bool WriteMenu(ByteWriter& out, const std::vector<MenuNode>& items, Parser& in) {
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuNode& node = items[i];
        uint16_t flags = node.flags | (i + 1 == items.size() ? kMenuEnd : 0);
        out.Word(flags);
        if (!(flags & kMenuPopup)) out.Word(node.id);
        if (!out.String(node.text)) {
            Token at{TokenKind::String, "", 0, node.line};
            return in.Fail(at, "text is not valid UTF-8");
        }
        if ((flags & kMenuPopup) && !WriteMenu(out, node.children, in)) return false;
    }
    return true;
}

struct Control {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    int32_t id = 0;
    bool classIsAtom = true;
    uint16_t classAtom = 0;
    std::string className;
    std::string text;
    bool textIsOrdinal = false;
    uint16_t textOrdinal = 0;
    int line = 0;
};

// A control kind written in short form: its class and the style it has unless told otherwise.
struct ShortForm {
    const char* keyword;
    uint16_t atom;
    uint32_t defaultStyle;
    bool hasText;
};

const ShortForm kShortForms[] = {
    {"DEFPUSHBUTTON", kButtonAtom, 0x1 | kTabStop, true},
    {"PUSHBUTTON", kButtonAtom, 0x0 | kTabStop, true},
    {"CHECKBOX", kButtonAtom, 0x2 | kTabStop, true},
    {"AUTOCHECKBOX", kButtonAtom, 0x3 | kTabStop, true},
    {"RADIOBUTTON", kButtonAtom, 0x4 | kTabStop, true},
    {"AUTORADIOBUTTON", kButtonAtom, 0x9 | kTabStop, true},
    {"GROUPBOX", kButtonAtom, 0x7, true},
    {"LTEXT", kStaticAtom, 0x0 | kGroup, true},
    {"CTEXT", kStaticAtom, 0x1 | kGroup, true},
    {"RTEXT", kStaticAtom, 0x2 | kGroup, true},
    {"ICON", kStaticAtom, 0x3, true},
    {"EDITTEXT", kEditAtom, 0x80 | kBorder | kTabStop, false},
};

bool Coordinates(Parser& in, Control& c, bool sizeOptional) {
    if (!in.Int16(c.x, "the x position") || !in.ExpectPunct(',', "after x") ||
        !in.Int16(c.y, "the y position"))
        return false;
    if (sizeOptional && !in.IsPunct(',')) return true;
    if (!in.ExpectPunct(',', "after y") || !in.Int16(c.cx, "the width") ||
        !in.ExpectPunct(',', "after the width") || !in.Int16(c.cy, "the height"))
        return false;
    return true;
}

bool ControlId(Parser& in, Control& c, bool extended) {
    const Token& at = in.Peek();
    int64_t id = 0;
    if (!in.Expression(id, "a control id")) return false;
    // A plain template holds 16-bit ids, an extended one 32-bit ids.
    if (extended ? (id < INT32_MIN || id > UINT32_MAX) : (id < -32768 || id > 65535))
        return in.Fail(at, "control id out of range");
    c.id = static_cast<int32_t>(id);
    return true;
}

bool ControlText(Parser& in, Control& c) {
    if (in.Peek().kind == TokenKind::String) {
        c.text = in.Take().text;
        return true;
    }
    // An icon control may name its icon by number.
    if (in.Peek().kind == TokenKind::Number) {
        const Token& t = in.Take();
        if (t.number > 0xFFFF) return in.Fail(t, "resource id out of range");
        c.textIsOrdinal = true;
        c.textOrdinal = static_cast<uint16_t>(t.number);
        return true;
    }
    if (in.Peek().kind == TokenKind::Identifier) {
        c.text = in.Take().text;  // an icon named without quotes
        return true;
    }
    return in.Fail("expected the control's text in quotes");
}

bool ParseControl(Parser& in, Control& c, bool extended) {
    c.line = in.Peek().line;
    if (in.TakeKeyword("CONTROL")) {
        if (!ControlText(in, c) || !in.ExpectPunct(',', "after the control's text") ||
            !ControlId(in, c, extended) || !in.ExpectPunct(',', "after the control id"))
            return false;
        const Token& cls = in.Peek();
        std::string name;
        if (cls.kind == TokenKind::String || cls.kind == TokenKind::Identifier) {
            name = in.Take().text;
        } else {
            return in.Fail(cls, "expected the control's class");
        }
        std::string upper = name;
        for (char& ch : upper)
            if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
        if (upper == "BUTTON")
            c.classAtom = kButtonAtom;
        else if (upper == "STATIC")
            c.classAtom = kStaticAtom;
        else if (upper == "EDIT")
            c.classAtom = kEditAtom;
        else {
            c.classIsAtom = false;
            c.className = name;
        }
        int64_t style = 0, cleared = 0;
        if (!in.ExpectPunct(',', "after the control's class") ||
            !in.Expression(style, "the control's style", &cleared) ||
            !in.ExpectPunct(',', "after the control's style") || !Coordinates(in, c, false))
            return false;
        c.style = static_cast<uint32_t>(((kChild | kVisible) & ~cleared) | style);
        if (in.TakePunct(',')) {
            int64_t ex = 0;
            if (!in.Expression(ex, "the extended style")) return false;
            c.exStyle = static_cast<uint32_t>(ex);
        }
        return true;
    }
    for (const ShortForm& form : kShortForms) {
        if (!in.TakeKeyword(form.keyword)) continue;
        c.classAtom = form.atom;
        if (form.hasText &&
            (!ControlText(in, c) || !in.ExpectPunct(',', "after the control's text")))
            return false;
        bool isIcon = std::string(form.keyword) == "ICON";
        if (!ControlId(in, c, extended) || !in.ExpectPunct(',', "after the control id") ||
            !Coordinates(in, c, isIcon))
            return false;
        int64_t style = 0, cleared = 0;
        if (in.TakePunct(',') && !in.Expression(style, "the control's style", &cleared))
            return false;
        c.style =
            static_cast<uint32_t>(((kChild | kVisible | form.defaultStyle) & ~cleared) | style);
        if (in.TakePunct(',')) {
            int64_t ex = 0;
            if (!in.Expression(ex, "the extended style")) return false;
            c.exStyle = static_cast<uint32_t>(ex);
        }
        return true;
    }
    const Token& t = in.Peek();
    if (t.kind == TokenKind::End) return in.Fail(t, "dialog not closed with END or '}'");
    return in.Fail(t, "unknown control '" + t.text + "'");
}

}  // namespace

void ByteWriter::Word(uint16_t value) {
    bytes_.push_back(static_cast<uint8_t>(value & 0xFF));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
}

void ByteWriter::Dword(uint32_t value) {
    Word(static_cast<uint16_t>(value & 0xFFFF));
    Word(static_cast<uint16_t>(value >> 16));
}

bool ByteWriter::String(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        uint8_t b = static_cast<uint8_t>(text[i]);
        int length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        uint32_t c = length == 1   ? b
                     : length == 2 ? (b & 0x1F)
                     : length == 3 ? (b & 0x0F)
                                   : (b & 0x07);
        for (int k = 1; k < length; ++k) {
            uint8_t next = static_cast<uint8_t>(text[i + k]);
            if ((next >> 6) != 2) return false;
            c = (c << 6) | (next & 0x3F);
        }
        static const uint32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kMinimum[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        if (c >= 0x10000) {
            c -= 0x10000;
            Word(static_cast<uint16_t>(0xD800 + (c >> 10)));
            Word(static_cast<uint16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            Word(static_cast<uint16_t>(c));
        }
        i += length;
    }
    Word(0);
    return true;
}

void ByteWriter::AlignDword() {
    while (bytes_.size() % 4)
        bytes_.push_back(0);
}

bool CompileMenu(Parser& in, std::vector<uint8_t>& bytes) {
    // Options a menu statement may carry before its block (load and memory flags).
    while (in.TakeKeyword("DISCARDABLE") || in.TakeKeyword("MOVEABLE") || in.TakeKeyword("PURE") ||
           in.TakeKeyword("PRELOAD") || in.TakeKeyword("LOADONCALL") || in.TakeKeyword("FIXED") ||
           in.TakeKeyword("IMPURE")) {
    }
    if (in.TakeKeyword("LANGUAGE")) {
        int64_t ignored = 0;
        if (!in.Expression(ignored, "the language") || !in.ExpectPunct(',', "in LANGUAGE") ||
            !in.Expression(ignored, "the sublanguage"))
            return false;
    }
    const Token& open = in.Peek();
    std::vector<MenuNode> items;
    if (!MenuBlock(in, items, 0)) return false;
    if (items.empty()) return in.Fail(open, "a menu needs at least one item");
    ByteWriter out;
    out.Word(0);  // version
    out.Word(0);  // header size
    if (!WriteMenu(out, items, in)) return false;
    bytes = std::move(out.Bytes());
    return true;
}

bool CompileDialog(Parser& in, bool extended, std::vector<uint8_t>& bytes) {
    while (in.TakeKeyword("DISCARDABLE") || in.TakeKeyword("MOVEABLE") || in.TakeKeyword("PURE") ||
           in.TakeKeyword("PRELOAD") || in.TakeKeyword("LOADONCALL") || in.TakeKeyword("FIXED") ||
           in.TakeKeyword("IMPURE")) {
    }
    Control frame;
    if (!Coordinates(in, frame, false)) return false;
    uint32_t helpId = 0;
    if (extended && in.TakePunct(',')) {
        int64_t id = 0;
        if (!in.Expression(id, "the help id")) return false;
        helpId = static_cast<uint32_t>(id);
    }
    bool styleGiven = false, hasCaption = false, hasFont = false, hasMenu = false, hasClass = false;
    uint32_t style = kPopup | kBorder | kSysMenu, exStyle = 0;
    std::string caption, face, menuName, className;
    int64_t pointSize = 0, weight = 0, italic = 0, charset = 1;
    for (;;) {
        const Token& at = in.Peek();
        if (in.TakeKeyword("STYLE")) {
            int64_t value = 0;
            if (!in.Expression(value, "the dialog style")) return false;
            style = static_cast<uint32_t>(value);
            styleGiven = true;
        } else if (in.TakeKeyword("EXSTYLE")) {
            int64_t value = 0;
            if (!in.Expression(value, "the extended style")) return false;
            exStyle = static_cast<uint32_t>(value);
        } else if (in.TakeKeyword("CAPTION")) {
            if (!in.ExpectString(caption, "the caption")) return false;
            hasCaption = true;
        } else if (in.TakeKeyword("FONT")) {
            if (!in.Expression(pointSize, "the font size") ||
                !in.ExpectPunct(',', "after the font size") ||
                !in.ExpectString(face, "the font name"))
                return false;
            if (pointSize <= 0 || pointSize > 0xFFFF) return in.Fail(at, "font size out of range");
            if (extended && in.TakePunct(',')) {
                if (!in.Expression(weight, "the font weight")) return false;
                if (in.TakePunct(',') && !in.Expression(italic, "the italic flag")) return false;
                if (in.TakePunct(',') && !in.Expression(charset, "the character set")) return false;
            }
            hasFont = true;
        } else if (in.TakeKeyword("MENU")) {
            const Token& name = in.Take();
            if (name.kind != TokenKind::Identifier && name.kind != TokenKind::String)
                return in.Fail(name, "expected the menu's name");
            menuName = name.text;
            hasMenu = true;
        } else if (in.TakeKeyword("CLASS")) {
            if (!in.ExpectString(className, "the class name")) return false;
            hasClass = true;
        } else if (in.TakeKeyword("LANGUAGE")) {
            int64_t ignored = 0;
            if (!in.Expression(ignored, "the language") || !in.ExpectPunct(',', "in LANGUAGE") ||
                !in.Expression(ignored, "the sublanguage"))
                return false;
        } else if (in.TakeKeyword("CHARACTERISTICS") || in.TakeKeyword("VERSION")) {
            int64_t ignored = 0;
            if (!in.Expression(ignored, "the value")) return false;
        } else {
            break;
        }
    }
    // The caption and the font bring the styles that make the platform read them.
    if (hasCaption) style |= kCaption;
    if (hasFont) style |= kSetFont;
    (void)styleGiven;
    const Token& open = in.Peek();
    if (!in.TakeBegin())
        return in.Fail(open, "expected BEGIN or '{' to open the dialog's controls");
    std::vector<Control> controls;
    while (!in.IsEnd()) {
        Control c;
        if (!ParseControl(in, c, extended)) return false;
        controls.push_back(std::move(c));
        if (controls.size() > 0xFFFF) return in.Fail("too many controls");
    }
    in.TakeEnd();

    ByteWriter out;
    auto fail = [&](int line, const char* what) {
        Token at{TokenKind::String, "", 0, line};
        return in.Fail(at, std::string(what) + " is not valid UTF-8");
    };
    if (extended) {
        out.Word(1);
        out.Word(0xFFFF);
        out.Dword(helpId);
        out.Dword(exStyle);
        out.Dword(style);
    } else {
        out.Dword(style);
        out.Dword(exStyle);
    }
    out.Word(static_cast<uint16_t>(controls.size()));
    out.Word(static_cast<uint16_t>(frame.x));
    out.Word(static_cast<uint16_t>(frame.y));
    out.Word(static_cast<uint16_t>(frame.cx));
    out.Word(static_cast<uint16_t>(frame.cy));
    if (hasMenu) {
        if (!out.String(menuName)) return fail(open.line, "the menu name");
    } else {
        out.Word(0);
    }
    if (hasClass) {
        if (!out.String(className)) return fail(open.line, "the class name");
    } else {
        out.Word(0);
    }
    if (!out.String(caption)) return fail(open.line, "the caption");
    if (hasFont) {
        out.Word(static_cast<uint16_t>(pointSize));
        if (extended) {
            out.Word(static_cast<uint16_t>(weight));
            out.Byte(static_cast<uint8_t>(italic));
            out.Byte(static_cast<uint8_t>(charset));
        }
        if (!out.String(face)) return fail(open.line, "the font name");
    }
    for (const Control& c : controls) {
        out.AlignDword();
        if (extended) {
            out.Dword(0);
            out.Dword(c.exStyle);
            out.Dword(c.style);
        } else {
            out.Dword(c.style);
            out.Dword(c.exStyle);
        }
        out.Word(static_cast<uint16_t>(c.x));
        out.Word(static_cast<uint16_t>(c.y));
        out.Word(static_cast<uint16_t>(c.cx));
        out.Word(static_cast<uint16_t>(c.cy));
        if (extended)
            out.Dword(static_cast<uint32_t>(c.id));
        else
            out.Word(static_cast<uint16_t>(c.id));
        if (c.classIsAtom) {
            out.Word(0xFFFF);
            out.Word(c.classAtom);
        } else if (!out.String(c.className)) {
            return fail(c.line, "the class name");
        }
        if (c.textIsOrdinal) {
            out.Word(0xFFFF);
            out.Word(c.textOrdinal);
        } else if (!out.String(c.text)) {
            return fail(c.line, "the control's text");
        }
        out.Word(0);  // no creation data
    }
    bytes = std::move(out.Bytes());
    return true;
}

bool CompileIconFile(const std::vector<uint8_t>& file, uint16_t firstId, IconImages& out,
                     std::string& error) {
    auto word = [&](size_t at) { return static_cast<uint16_t>(file[at] | (file[at + 1] << 8)); };
    auto dword = [&](size_t at) { return static_cast<uint32_t>(word(at) | (word(at + 2) << 16)); };
    if (file.size() < 6 || word(0) != 0 || word(2) != 1) {
        error = "not an icon file";
        return false;
    }
    uint16_t count = word(4);
    if (count == 0) {
        error = "icon file holds no image";
        return false;
    }
    if (6 + 16 * static_cast<size_t>(count) > file.size()) {
        error = "icon directory truncated";
        return false;
    }
    if (static_cast<uint32_t>(firstId) + count > 0x10000) {
        error = "too many icon images";
        return false;
    }
    ByteWriter group;
    group.Word(0);
    group.Word(1);
    group.Word(count);
    out.images.clear();
    for (uint16_t i = 0; i < count; ++i) {
        size_t entry = 6 + 16 * static_cast<size_t>(i);
        uint32_t size = dword(entry + 8), offset = dword(entry + 12);
        if (size < 40 || offset > file.size() || size > file.size() - offset) {
            error = "icon image " + std::to_string(i + 1) + " lies outside the file";
            return false;
        }
        for (size_t k = 0; k < 8; ++k)
            group.Byte(file[entry + k]);  // width, height, colours, reserved, planes, bit count
        group.Dword(size);
        group.Word(static_cast<uint16_t>(firstId + i));
        out.images.emplace_back(file.begin() + offset, file.begin() + offset + size);
    }
    out.group = std::move(group.Bytes());
    return true;
}

}  // namespace rc
