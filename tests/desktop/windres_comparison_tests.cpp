// Our resource compiler against windres (the Windows build's resource compiler): both compile
// resources/zantobel.rc, and every resource must come out with windres's bytes: menus, icon
// groups, icons and raw data byte for byte. Dialog templates differ in two places, both
// explained below, so they are compared field by field through the template reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop/core/templates.h"
#include "platform/desktop/dialog.h"
#include "tools/resource_compiler/rc_script.h"

namespace {

struct ResEntry {
    std::string key;  // "type/name": "#5/DLG_CONFIG", "WAVE/CLICK", "#3/#1"
    std::vector<uint8_t> bytes;
};

uint16_t Word(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
uint32_t Dword(const std::vector<uint8_t>& b, size_t at) {
    return Word(b, at) | (static_cast<uint32_t>(Word(b, at + 2)) << 16);
}

// A type or name in a .res header: 0xFFFF then an id, or a zero-ended UTF-16 string.
std::string ReadKey(const std::vector<uint8_t>& b, size_t& at) {
    if (Word(b, at) == 0xFFFF) {
        std::string key = "#" + std::to_string(Word(b, at + 2));
        at += 4;
        return key;
    }
    std::string key;
    for (; Word(b, at) != 0; at += 2)
        key += static_cast<char>(Word(b, at));  // our names are ASCII
    at += 2;
    return key;
}

// The resources of a .res file, or an empty list with *error set when it is malformed.
std::vector<ResEntry> ReadRes(const std::vector<uint8_t>& b, std::string* error) {
    std::vector<ResEntry> entries;
    size_t at = 0;
    while (at + 32 <= b.size()) {
        const uint32_t dataSize = Dword(b, at);
        const uint32_t headerSize = Dword(b, at + 4);
        if (headerSize < 32 || at + headerSize + dataSize > b.size()) {
            *error = "entry at " + std::to_string(at) + " runs past the file";
            return {};
        }
        size_t keyAt = at + 8;
        const std::string type = ReadKey(b, keyAt);
        const std::string name = ReadKey(b, keyAt);
        const size_t dataAt = at + headerSize;
        // The leading empty entry marks the file as 32-bit resources and holds nothing.
        if (!(dataSize == 0 && type == "#0" && name == "#0")) {
            entries.push_back(
                {type + "/" + name,
                 std::vector<uint8_t>(b.begin() + dataAt, b.begin() + dataAt + dataSize)});
        }
        at = (dataAt + dataSize + 3) & ~size_t{3};
    }
    return entries;
}

std::string KeyOf(const rc::CompiledResource& r) {
    auto text = [](const rc::KeyText& k) { return k.isId ? "#" + std::to_string(k.id) : k.name; };
    return text(r.type) + "/" + text(r.name);
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Text(const desktop::core::NameOrOrdinal& n) {
    return n.isOrdinal ? "#" + std::to_string(n.ordinal) : n.text;
}

// The two templates say the same, apart from the explained differences.
void ExpectSameDialog(const std::vector<uint8_t>& oursBytes, const std::vector<uint8_t>& theirs) {
    desktop::core::DialogTemplate a, b;
    std::string error;
    ASSERT_TRUE(desktop::core::ReadDialogTemplate(oursBytes, a, error)) << error;
    ASSERT_TRUE(desktop::core::ReadDialogTemplate(theirs, b, error)) << "windres's: " << error;
    EXPECT_EQ(a.extended, b.extended);
    EXPECT_EQ(a.style, b.style);
    EXPECT_EQ(a.exStyle, b.exStyle);
    EXPECT_EQ(std::vector<int>({a.x, a.y, a.cx, a.cy}), std::vector<int>({b.x, b.y, b.cx, b.cy}));
    EXPECT_EQ(Text(a.menu), Text(b.menu));
    EXPECT_EQ(Text(a.windowClass), Text(b.windowClass));
    EXPECT_EQ(a.title, b.title);
    EXPECT_EQ(a.pointSize, b.pointSize);
    EXPECT_EQ(a.typeface, b.typeface);
    ASSERT_EQ(a.items.size(), b.items.size());
    for (size_t i = 0; i < a.items.size(); ++i) {
        const auto& x = a.items[i];
        const auto& y = b.items[i];
        SCOPED_TRACE("control " + std::to_string(i) + " '" + Text(x.title) + "'");
        EXPECT_EQ(x.style, y.style);
        EXPECT_EQ(x.exStyle, y.exStyle);
        EXPECT_EQ(x.id, y.id);
        EXPECT_EQ(Text(x.title), Text(y.title));
        EXPECT_EQ(std::vector<int>({x.x, x.y}), std::vector<int>({y.x, y.y}));
        // Explained: for a CONTROL statement naming a predefined class ("Button"), windres
        // writes the name as a string in upper case, where the platform's compiler and ours
        // write the class's atom (0x0080). The system takes either, and class names are
        // matched without regard to case.
        EXPECT_EQ(Lower(x.ClassName()), Lower(y.ClassName()));
        // Explained: windres writes 0 x 0 for an ICON control whatever size the script gives;
        // ours keeps the size. An icon static sizes itself to its icon on the system anyway.
        const bool icon = Lower(x.ClassName()) == "static" &&
                          (x.style & desktop::SS_TYPEMASK) == desktop::SS_ICON;
        if (icon) {
            EXPECT_EQ(std::vector<int>({y.cx, y.cy}), std::vector<int>({0, 0}))
                << "windres now keeps an icon control's size: drop this explanation";
        } else {
            EXPECT_EQ(std::vector<int>({x.cx, x.cy}), std::vector<int>({y.cx, y.cy}));
        }
    }
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(WindresComparison, EveryResourceHasTheBytesWindresWrites) {
    const std::filesystem::path script = ZANTOBEL_RESOURCES_DIR "/zantobel.rc";
    const std::filesystem::path res =
        std::filesystem::temp_directory_path() / "zantobel_windres_comparison.res";
    const std::string command = std::string(ZANTOBEL_WINDRES) + " -O res -I " +
                                ZANTOBEL_RESOURCES_DIR + " " + script.string() + " " + res.string();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::string error;
    const std::vector<ResEntry> theirs = ReadRes(ReadFile(res), &error);
    std::filesystem::remove(res);
    ASSERT_FALSE(theirs.empty()) << error;

    const std::vector<uint8_t> text = ReadFile(script);
    std::vector<rc::CompiledResource> ours;
    ASSERT_TRUE(rc::CompileScript(std::string(text.begin(), text.end()), ZANTOBEL_RESOURCES_DIR,
                                  ours, error))
        << error;

    std::map<std::string, const ResEntry*> byKey;
    for (const ResEntry& entry : theirs)
        byKey[entry.key] = &entry;
    EXPECT_EQ(theirs.size(), ours.size()) << "the same resources, no more and no fewer";
    for (const rc::CompiledResource& resource : ours) {
        SCOPED_TRACE(KeyOf(resource));
        auto found = byKey.find(KeyOf(resource));
        ASSERT_NE(found, byKey.end()) << "windres wrote no such resource";
        const std::vector<uint8_t>& expected = found->second->bytes;
        if (resource.type.isId && resource.type.id == 5) {
            ExpectSameDialog(resource.bytes, expected);
            continue;
        }
        EXPECT_EQ(resource.bytes.size(), expected.size());
        size_t first = 0;
        while (first < std::min(expected.size(), resource.bytes.size()) &&
               expected[first] == resource.bytes[first])
            ++first;
        EXPECT_EQ(resource.bytes, expected) << "first difference at byte " << first;
    }
}

}  // namespace
