// Readers of the platform's binary resource formats that the desktop floor builds windows
// from: menu templates, dialog templates (plain and extended), icon groups and icon images.
// Both backends share them; every reader checks bounds and reports malformed data as false.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace desktop::core {

// UTF-16 (little-endian code units) to UTF-8 and back; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// Menu item flags as stored in a menu template.
constexpr uint16_t kMenuGrayed = 0x0001;
constexpr uint16_t kMenuChecked = 0x0008;
constexpr uint16_t kMenuPopup = 0x0010;
constexpr uint16_t kMenuEnd = 0x0080;

struct MenuTemplateItem {
    uint16_t flags = 0;  // as stored, without kMenuEnd
    uint16_t id = 0;     // 0 for popups and separators
    std::string text;    // UTF-8; empty for a separator
    bool separator = false;
    std::vector<MenuTemplateItem> children;  // a popup's items
};

// A MENUTEMPLATE: header (version 0, offset 0) and the item tree.
bool ReadMenuTemplate(std::span<const uint8_t> bytes, std::vector<MenuTemplateItem>& items,
                      std::string& error);

// A name-or-ordinal field: a string, or 0xFFFF followed by a 16-bit ordinal.
struct NameOrOrdinal {
    bool isOrdinal = false;
    uint16_t ordinal = 0;
    std::string text;
    bool Empty() const { return !isOrdinal && text.empty(); }
};

// Predefined control class atoms.
constexpr uint16_t kClassButton = 0x0080;
constexpr uint16_t kClassEdit = 0x0081;
constexpr uint16_t kClassStatic = 0x0082;

struct DialogTemplateItem {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    int32_t id = 0;  // -1 (0xFFFF in a plain template) for controls the code never addresses
    NameOrOrdinal windowClass;
    NameOrOrdinal title;  // for an icon control: the icon's resource name
    // The class as a name: "Button", "Edit", "Static"... (atoms are turned into their names).
    std::string ClassName() const;
};

struct DialogTemplate {
    bool extended = false;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::string title;
    uint16_t pointSize = 0;  // 0 when the template sets no font
    uint16_t weight = 0;
    bool italic = false;
    std::string typeface;
    std::vector<DialogTemplateItem> items;
};

// A DLGTEMPLATE or DLGTEMPLATEEX with its items.
bool ReadDialogTemplate(std::span<const uint8_t> bytes, DialogTemplate& dialog, std::string& error);

// One image of an icon group (RT_GROUP_ICON entry); width and height 0 stand for 256.
struct IconGroupEntry {
    int width = 0;
    int height = 0;
    int colorCount = 0;
    int planes = 0;
    int bitCount = 0;
    uint32_t bytesInRes = 0;
    uint16_t id = 0;  // the RT_ICON resource holding the image
};

bool ReadIconGroup(std::span<const uint8_t> bytes, std::vector<IconGroupEntry>& entries,
                   std::string& error);

// The entry the platform would pick for a width x height request on a display of
// displayBits colours: the nearest size first (a larger image before a smaller one at equal
// distance), then the deepest colour count the display can show. -1 for an empty group.
int ChooseIconEntry(std::span<const IconGroupEntry> entries, int width, int height,
                    int displayBits);

// An icon image (RT_ICON: a DIB of double height with its AND mask) decoded to 0xAARRGGBB
// pixels, top row first; transparent pixels have alpha 0.
struct IconPixels {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::vector<uint32_t> argb;
};
bool DecodeIconImage(std::span<const uint8_t> bytes, IconPixels& image, std::string& error);

// The image scaled to width x height by nearest neighbour (the icon loader's fallback when a
// group has no image of the asked size).
IconPixels ScaleIcon(const IconPixels& image, int width, int height);

}  // namespace desktop::core
