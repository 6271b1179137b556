// The template, icon-group and icon-image readers on damaged input: every truncation of a
// real resource is refused with an error instead of reading past the end, and the icon
// chooser picks the image the platform would.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "platform/desktop/core/templates.h"
#include "platform/resources/resource_table.h"

namespace {

using namespace desktop::core;
using resources::ResourceKey;

std::vector<uint8_t> Resource(const char* name, uint16_t type) {
    auto bytes = resources::LoadResourceBytes(ResourceKey::Name(name), ResourceKey::Id(type));
    return {bytes.begin(), bytes.end()};
}

TEST(TemplateReader, EveryTruncationOfTheRealTemplatesIsRefused) {
    for (const char* name : {"dlg_config", "dlg_help", "dlg_result"}) {
        std::vector<uint8_t> bytes = Resource(name, resources::RT_DIALOG);
        ASSERT_FALSE(bytes.empty()) << name;
        DialogTemplate d;
        std::string error;
        ASSERT_TRUE(ReadDialogTemplate(bytes, d, error)) << error;
        // The last control's trailing creation-data count is the final word; any shorter
        // prefix loses part of the template.
        for (size_t length = 0; length < bytes.size(); ++length) {
            EXPECT_FALSE(ReadDialogTemplate(std::span(bytes.data(), length), d, error))
                << name << " cut at " << length;
        }
    }
    std::vector<uint8_t> menu = Resource("menu", resources::RT_MENU);
    std::vector<MenuTemplateItem> items;
    std::string error;
    ASSERT_TRUE(ReadMenuTemplate(menu, items, error)) << error;
    for (size_t length = 0; length < menu.size(); ++length)
        EXPECT_FALSE(ReadMenuTemplate(std::span(menu.data(), length), items, error)) << length;
}

// Thousands of randomly damaged copies of every template, group and image: each reader either
// accepts or refuses, and never reads outside the bytes (the sanitizer run checks that).
TEST(TemplateReader, RandomDamageIsReadSafely) {
    std::vector<std::pair<std::vector<uint8_t>, int>> originals = {
        {Resource("dlg_config", resources::RT_DIALOG), 0},
        {Resource("dlg_result", resources::RT_DIALOG), 0},
        {Resource("menu", resources::RT_MENU), 1},
        {Resource("ico", resources::RT_GROUP_ICON), 2},
    };
    auto image =
        resources::LoadResourceBytes(ResourceKey::Id(1), ResourceKey::Id(resources::RT_ICON));
    originals.push_back({{image.begin(), image.end()}, 3});
    uint32_t state = 2024;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    int accepted = 0;
    for (const auto& [original, kind] : originals) {
        ASSERT_FALSE(original.empty());
        for (int round = 0; round < 3000; ++round) {
            std::vector<uint8_t> bytes = original;
            int edits = 1 + static_cast<int>(next() % 4);
            for (int e = 0; e < edits; ++e) {
                size_t at = next() % bytes.size();
                bytes[at] = (next() % 3 == 0) ? 0xFF : static_cast<uint8_t>(next());
            }
            if (next() % 4 == 0) bytes.resize(next() % (bytes.size() + 1));
            std::string error;
            bool ok = false;
            if (kind == 0) {
                DialogTemplate d;
                ok = ReadDialogTemplate(bytes, d, error);
            } else if (kind == 1) {
                std::vector<MenuTemplateItem> items;
                ok = ReadMenuTemplate(bytes, items, error);
            } else if (kind == 2) {
                std::vector<IconGroupEntry> entries;
                ok = ReadIconGroup(bytes, entries, error);
                if (ok) ChooseIconEntry(entries, 32, 32, 8);
            } else {
                IconPixels pixels;
                ok = DecodeIconImage(bytes, pixels, error);
                if (ok) {
                    EXPECT_EQ(pixels.argb.size(),
                              static_cast<size_t>(pixels.width) * pixels.height);
                    ScaleIcon(pixels, 16, 16);
                }
            }
            accepted += ok;
            if (!ok) {
                EXPECT_FALSE(error.empty()) << "a refusal says why";
            }
        }
    }
    EXPECT_GT(accepted, 0) << "damage to text bytes leaves readable templates";
}

TEST(TemplateReader, UnterminatedOrWrongVersionMenusAreRefused) {
    std::string error;
    std::vector<MenuTemplateItem> items;
    // Version 1 is the extended menu layout, which the program does not use.
    const std::vector<uint8_t> extended = {1, 0, 4, 0, 0, 0, 0, 0};
    EXPECT_FALSE(ReadMenuTemplate(extended, items, error));
    EXPECT_NE(error.find("version"), std::string::npos);
    // One item without the end flag and nothing after it.
    const std::vector<uint8_t> open = {0, 0, 0, 0, 0, 0, 1, 0, 'a', 0, 0, 0};
    EXPECT_FALSE(ReadMenuTemplate(open, items, error));
}

TEST(TemplateReader, Utf16RoundTripsAndReplacesBrokenText) {
    const std::string text = "先手 ● ｷｬﾝｾﾙ 𝄞";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf8ToUtf16("\xC3"), std::u16string(1, char16_t(0xFFFD)));
}

TEST(IconReader, ChoosesTheNearestSizeThenTheDeepestColoursTheDisplayShows) {
    // As "ico" holds them: 32x32/4, 32x32/8, 16x16/4.
    const std::vector<IconGroupEntry> entries = {
        {32, 32, 16, 1, 4, 0, 1}, {32, 32, 0, 1, 8, 0, 2}, {16, 16, 16, 1, 4, 0, 3}};
    const struct {
        int width, displayBits, expected;
    } cases[] = {
        {32, 32, 1},
        {32, 8, 1},
        {32, 4, 0},
        {16, 32, 2},
        {16, 4, 2},
        {20, 32, 2},
        {24, 32, 1},  // as near to 16 as to 32: a larger image shrinks
                      // better than one grows
        {48, 32, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseIconEntry(entries, c.width, c.width, c.displayBits), c.expected)
            << c.width << "px at " << c.displayBits << " bits";
    }
    EXPECT_EQ(ChooseIconEntry({}, 32, 32, 32), -1);
}

TEST(IconReader, DecodesTheRealImagesWithTheirMasks) {
    std::vector<uint8_t> group = Resource("ico_black", resources::RT_GROUP_ICON);
    std::vector<IconGroupEntry> entries;
    std::string error;
    ASSERT_TRUE(ReadIconGroup(group, entries, error)) << error;
    ASSERT_EQ(entries.size(), 3u);
    for (const IconGroupEntry& e : entries) {
        auto bits = resources::LoadResourceBytes(ResourceKey::Id(e.id),
                                                 ResourceKey::Id(resources::RT_ICON));
        std::vector<uint8_t> image(bits.begin(), bits.end());
        IconPixels pixels;
        ASSERT_TRUE(DecodeIconImage(image, pixels, error)) << error;
        EXPECT_EQ(pixels.width, e.width);
        EXPECT_EQ(pixels.bitCount, e.bitCount);
        // The corners lie outside the disc, the centre inside.
        EXPECT_EQ(pixels.argb[0] >> 24, 0u);
        size_t centre = static_cast<size_t>(pixels.height / 2) * pixels.width + pixels.width / 2;
        EXPECT_EQ(pixels.argb[centre] >> 24, 0xFFu);
        for (size_t length = 0; length < image.size(); length += 7)
            EXPECT_FALSE(DecodeIconImage(std::span(image.data(), length), pixels, error));
    }
}

TEST(IconReader, UnsupportedOrOversizedImagesAreRefused) {
    std::vector<uint8_t> header(40, 0);
    header[0] = 40;
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    IconPixels pixels;
    std::string error;
    put32(4, 100000);  // width
    put32(8, 64);
    header[12] = 1;
    header[14] = 4;
    EXPECT_FALSE(DecodeIconImage(header, pixels, error));
    put32(4, 32);
    header[14] = 3;  // 3 bits per pixel does not exist
    EXPECT_FALSE(DecodeIconImage(header, pixels, error));
    header[14] = 4;
    put32(16, 1);  // compressed
    EXPECT_FALSE(DecodeIconImage(header, pixels, error));
}

}  // namespace
