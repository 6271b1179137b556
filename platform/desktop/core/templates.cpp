// Readers of menu templates, dialog templates, icon groups and icon images.
#include "platform/desktop/core/templates.h"

#include <cstdlib>

namespace desktop::core {
namespace {

// A bounds-checked little-endian cursor over a resource's bytes.
class Reader {
  public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool Word(uint16_t& value) {
        value = 0;
        if (pos_ + 2 > bytes_.size()) return Fail("truncated");
        value = static_cast<uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
        pos_ += 2;
        return true;
    }
    bool Short(int16_t& value) {
        uint16_t w = 0;
        if (!Word(w)) return false;
        value = static_cast<int16_t>(w);
        return true;
    }
    bool Dword(uint32_t& value) {
        uint16_t low = 0, high = 0;
        value = 0;
        if (!Word(low) || !Word(high)) return false;
        value = low | (static_cast<uint32_t>(high) << 16);
        return true;
    }
    bool Byte(uint8_t& value) {
        value = 0;
        if (pos_ + 1 > bytes_.size()) return Fail("truncated");
        value = bytes_[pos_++];
        return true;
    }
    // A zero-terminated UTF-16 string.
    bool String(std::string& text) {
        std::u16string units;
        for (;;) {
            uint16_t unit = 0;
            if (!Word(unit)) return Fail("unterminated string");
            if (unit == 0) break;
            units.push_back(static_cast<char16_t>(unit));
        }
        text = Utf16ToUtf8(units);
        return true;
    }
    bool NameOrOrd(NameOrOrdinal& field) {
        uint16_t first = 0;
        if (!Word(first)) return false;
        if (first == 0xFFFF) {
            field.isOrdinal = true;
            return Word(field.ordinal);
        }
        field.isOrdinal = false;
        if (first == 0) {
            field.text.clear();
            return true;
        }
        pos_ -= 2;
        return String(field.text);
    }
    bool AlignDword() {
        pos_ = (pos_ + 3) & ~size_t{3};
        if (pos_ > bytes_.size()) return Fail("truncated");
        return true;
    }
    bool Skip(size_t count) {
        if (pos_ + count > bytes_.size()) return Fail("truncated");
        pos_ += count;
        return true;
    }
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    const std::string& Error() const { return error_; }

  private:
    bool Fail(const char* what) {
        if (error_.empty()) error_ = std::string(what) + " at byte " + std::to_string(pos_);
        return false;
    }

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    std::string error_;
};

constexpr int kMaxMenuDepth = 16;

bool ReadMenuItems(Reader& in, std::vector<MenuTemplateItem>& items, int depth,
                   std::string& error) {
    if (depth > kMaxMenuDepth) {
        error = "menu nested too deeply";
        return false;
    }
    for (;;) {
        MenuTemplateItem item;
        uint16_t flags = 0;
        if (!in.Word(flags)) break;
        item.flags = flags & ~kMenuEnd;
        if (!(flags & kMenuPopup) && !in.Word(item.id)) break;
        if (!in.String(item.text)) break;
        item.separator = !(flags & kMenuPopup) && item.id == 0 && item.text.empty();
        if ((flags & kMenuPopup) && !ReadMenuItems(in, item.children, depth + 1, error))
            return false;
        items.push_back(std::move(item));
        if (flags & kMenuEnd) return true;
    }
    error = in.Error().empty() ? "menu ends without a last item" : in.Error();
    return false;
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        uint8_t b = static_cast<uint8_t>(text[i]);
        uint32_t c = 0xFFFD;
        int length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) {
            ++i;
        } else {
            c = length == 1 ? b : length == 2 ? (b & 0x1F) : length == 3 ? (b & 0x0F) : (b & 0x07);
            bool valid = true;
            for (int k = 1; k < length; ++k) {
                uint8_t next = static_cast<uint8_t>(text[i + k]);
                valid = valid && (next >> 6) == 2;
                c = (c << 6) | (next & 0x3F);
            }
            if (!valid || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
            i += valid ? length : 1;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

bool ReadMenuTemplate(std::span<const uint8_t> bytes, std::vector<MenuTemplateItem>& items,
                      std::string& error) {
    items.clear();
    Reader in(bytes);
    uint16_t version = 0, offset = 0;
    if (!in.Word(version) || !in.Word(offset)) {
        error = "menu template too short";
        return false;
    }
    if (version != 0) {
        error = "unsupported menu template version " + std::to_string(version);
        return false;
    }
    if (!in.Skip(offset)) {
        error = "menu header offset beyond the end";
        return false;
    }
    return ReadMenuItems(in, items, 0, error);
}

std::string DialogTemplateItem::ClassName() const {
    if (!windowClass.isOrdinal) return windowClass.text;
    switch (windowClass.ordinal) {
        case 0x0080:
            return "Button";
        case 0x0081:
            return "Edit";
        case 0x0082:
            return "Static";
        case 0x0083:
            return "ListBox";
        case 0x0084:
            return "ScrollBar";
        case 0x0085:
            return "ComboBox";
        default: {
            // Appended, not `"#" + ...`: GCC 12 at -O3 warns falsely (-Wrestrict) on that.
            std::string name = "#";
            name += std::to_string(windowClass.ordinal);
            return name;
        }
    }
}

bool ReadDialogTemplate(std::span<const uint8_t> bytes, DialogTemplate& dialog,
                        std::string& error) {
    dialog = DialogTemplate{};
    Reader in(bytes);
    auto fail = [&](const char* what) {
        error = std::string(what) + (in.Error().empty() ? "" : ": " + in.Error());
        return false;
    };
    uint16_t first = 0, second = 0;
    if (!in.Word(first) || !in.Word(second)) return fail("dialog template too short");
    dialog.extended = first == 1 && second == 0xFFFF;
    uint16_t count = 0;
    if (dialog.extended) {
        uint32_t helpId = 0;
        if (!in.Dword(helpId) || !in.Dword(dialog.exStyle) || !in.Dword(dialog.style))
            return fail("dialog header");
    } else {
        dialog.style = first | (static_cast<uint32_t>(second) << 16);
        if (!in.Dword(dialog.exStyle)) return fail("dialog header");
    }
    if (!in.Word(count) || !in.Short(dialog.x) || !in.Short(dialog.y) || !in.Short(dialog.cx) ||
        !in.Short(dialog.cy))
        return fail("dialog header");
    if (!in.NameOrOrd(dialog.menu) || !in.NameOrOrd(dialog.windowClass))
        return fail("dialog menu or class");
    if (!in.String(dialog.title)) return fail("dialog title");
    constexpr uint32_t kSetFont = 0x40, kShellFont = 0x48;
    if ((dialog.style & kSetFont) ||
        (dialog.extended && (dialog.style & kShellFont) == kShellFont)) {
        if (!in.Word(dialog.pointSize)) return fail("dialog font");
        if (dialog.extended) {
            uint8_t italic = 0, charset = 0;
            if (!in.Word(dialog.weight) || !in.Byte(italic) || !in.Byte(charset))
                return fail("dialog font");
            dialog.italic = italic != 0;
        }
        if (!in.String(dialog.typeface)) return fail("dialog font name");
    }
    for (uint16_t i = 0; i < count; ++i) {
        DialogTemplateItem item;
        if (!in.AlignDword()) return fail("dialog control");
        if (dialog.extended) {
            uint32_t helpId = 0, id = 0;
            if (!in.Dword(helpId) || !in.Dword(item.exStyle) || !in.Dword(item.style))
                return fail("dialog control");
            if (!in.Short(item.x) || !in.Short(item.y) || !in.Short(item.cx) ||
                !in.Short(item.cy) || !in.Dword(id))
                return fail("dialog control");
            item.id = static_cast<int32_t>(id);
        } else {
            uint16_t id = 0;
            if (!in.Dword(item.style) || !in.Dword(item.exStyle) || !in.Short(item.x) ||
                !in.Short(item.y) || !in.Short(item.cx) || !in.Short(item.cy) || !in.Word(id))
                return fail("dialog control");
            item.id = static_cast<int16_t>(id);
        }
        if (!in.NameOrOrd(item.windowClass) || !in.NameOrOrd(item.title))
            return fail("dialog control class or text");
        uint16_t extra = 0;
        if (!in.Word(extra) || !in.Skip(extra)) return fail("dialog control data");
        dialog.items.push_back(std::move(item));
    }
    return true;
}

bool ReadIconGroup(std::span<const uint8_t> bytes, std::vector<IconGroupEntry>& entries,
                   std::string& error) {
    entries.clear();
    Reader in(bytes);
    uint16_t reserved = 0, type = 0, count = 0;
    if (!in.Word(reserved) || !in.Word(type) || !in.Word(count) || reserved != 0 || type != 1) {
        error = "not an icon group";
        return false;
    }
    for (uint16_t i = 0; i < count; ++i) {
        uint8_t width = 0, height = 0, colors = 0, unused = 0;
        uint16_t planes = 0, bits = 0, id = 0;
        uint32_t size = 0;
        if (!in.Byte(width) || !in.Byte(height) || !in.Byte(colors) || !in.Byte(unused) ||
            !in.Word(planes) || !in.Word(bits) || !in.Dword(size) || !in.Word(id)) {
            error = "icon group truncated";
            return false;
        }
        entries.push_back(
            {width ? width : 256, height ? height : 256, colors, planes, bits, size, id});
    }
    return true;
}

int ChooseIconEntry(std::span<const IconGroupEntry> entries, int width, int height,
                    int displayBits) {
    int best = -1;
    long bestScore = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const IconGroupEntry& e = entries[i];
        int bits = e.bitCount ? e.bitCount : e.colorCount >= 256 || e.colorCount == 0 ? 8 : 4;
        long distance = std::labs(e.width - width) + std::labs(e.height - height);
        bool smaller = e.width < width || e.height < height;
        // Size first, then colour: a depth the display can show, the deeper the better;
        // deeper than the display only when nothing else fits.
        long colourRank = bits <= displayBits ? 64 - bits : 64 + bits;
        long score = distance * 1000 + (smaller ? 500 : 0) + colourRank;
        if (best < 0 || score < bestScore) {
            best = static_cast<int>(i);
            bestScore = score;
        }
    }
    return best;
}

bool DecodeIconImage(std::span<const uint8_t> bytes, IconPixels& image, std::string& error) {
    Reader in(bytes);
    uint32_t headerSize = 0, compression = 0, unused32 = 0;
    uint32_t width = 0, doubleHeight = 0;
    uint16_t planes = 0, bits = 0;
    if (!in.Dword(headerSize) || headerSize < 40 || !in.Dword(width) || !in.Dword(doubleHeight) ||
        !in.Word(planes) || !in.Word(bits) || !in.Dword(compression)) {
        error = "icon image header";
        return false;
    }
    uint32_t colorsUsed = 0;
    if (!in.Dword(unused32) || !in.Dword(unused32) || !in.Dword(unused32) ||
        !in.Dword(colorsUsed) || !in.Dword(unused32) || !in.Skip(headerSize - 40)) {
        error = "icon image header";
        return false;
    }
    int w = static_cast<int32_t>(width), h = static_cast<int32_t>(doubleHeight) / 2;
    if (w <= 0 || h <= 0 || w > 256 || h > 256 || compression != 0 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)) {
        error = "unsupported icon image (" + std::to_string(w) + "x" + std::to_string(h) + ", " +
                std::to_string(bits) + " bits)";
        return false;
    }
    std::vector<uint32_t> palette;
    if (bits <= 8) {
        uint32_t entries = colorsUsed ? colorsUsed : (1u << bits);
        if (entries > (1u << bits)) {
            error = "icon palette too large";
            return false;
        }
        for (uint32_t i = 0; i < entries; ++i) {
            uint32_t bgrx = 0;
            if (!in.Dword(bgrx)) {
                error = "icon palette truncated";
                return false;
            }
            palette.push_back(bgrx & 0xFFFFFF);
        }
        palette.resize(1u << bits, 0);
    }
    size_t xorStride = ((static_cast<size_t>(w) * bits + 31) / 32) * 4;
    size_t andStride = ((static_cast<size_t>(w) + 31) / 32) * 4;
    std::vector<uint8_t> xorBits(xorStride * h), andBits(andStride * h);
    for (uint8_t& b : xorBits)
        if (!in.Byte(b)) {
            error = "icon colour bits truncated";
            return false;
        }
    // Some 32-bit images omit the mask; every pixel is then opaque unless its alpha says not.
    bool haveMask = true;
    for (uint8_t& b : andBits)
        if (!in.Byte(b)) {
            haveMask = false;
            break;
        }
    if (!haveMask && bits != 32) {
        error = "icon mask truncated";
        return false;
    }
    image.width = w;
    image.height = h;
    image.bitCount = bits;
    image.argb.assign(static_cast<size_t>(w) * h, 0);
    bool anyAlpha = false;
    for (int row = 0; row < h; ++row) {
        const uint8_t* src = &xorBits[(h - 1 - row) * xorStride];
        const uint8_t* mask = &andBits[(h - 1 - row) * andStride];
        for (int x = 0; x < w; ++x) {
            uint32_t rgb = 0, alpha = 0xFF;
            if (bits <= 8) {
                int bitPos = x * bits;
                int index = (src[bitPos / 8] >> (8 - bits - bitPos % 8)) & ((1 << bits) - 1);
                rgb = palette[index];
            } else if (bits == 24) {
                rgb = src[x * 3] | (src[x * 3 + 1] << 8) | (src[x * 3 + 2] << 16);
            } else {
                rgb = src[x * 4] | (src[x * 4 + 1] << 8) | (src[x * 4 + 2] << 16);
                alpha = src[x * 4 + 3];
                anyAlpha = anyAlpha || alpha != 0;
            }
            if (haveMask && (mask[x / 8] >> (7 - x % 8)) & 1) alpha = 0;
            image.argb[static_cast<size_t>(row) * w + x] = (alpha << 24) | rgb;
        }
    }
    // A 32-bit image whose alpha is all zero is an old-style image: the mask alone decides.
    if (bits == 32 && !anyAlpha) {
        for (int row = 0; row < h; ++row) {
            const uint8_t* mask = &andBits[(h - 1 - row) * andStride];
            for (int x = 0; x < w; ++x) {
                bool transparent = haveMask && ((mask[x / 8] >> (7 - x % 8)) & 1);
                uint32_t& p = image.argb[static_cast<size_t>(row) * w + x];
                p = (transparent ? 0u : 0xFF000000u) | (p & 0xFFFFFF);
            }
        }
    }
    return true;
}

IconPixels ScaleIcon(const IconPixels& image, int width, int height) {
    if (image.width == width && image.height == height) return image;
    IconPixels out;
    out.width = width;
    out.height = height;
    out.bitCount = image.bitCount;
    out.argb.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.argb[static_cast<size_t>(y) * width + x] =
                image.argb[static_cast<size_t>(y * image.height / height) * image.width +
                           x * image.width / width];
    return out;
}

}  // namespace desktop::core
