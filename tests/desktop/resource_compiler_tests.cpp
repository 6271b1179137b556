// The resource compiler on scripts of our own: what each statement compiles to (read back
// through the desktop floor's template readers), and a clear error with the line for each
// kind of malformed script.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/desktop/core/templates.h"
#include "tools/resource_compiler/rc_script.h"

namespace {

using desktop::core::DialogTemplate;
using desktop::core::MenuTemplateItem;

std::vector<rc::CompiledResource> Compile(const std::string& script,
                                          const std::filesystem::path& base = ".") {
    std::vector<rc::CompiledResource> out;
    std::string error;
    EXPECT_TRUE(rc::CompileScript(script, base, out, error)) << error;
    return out;
}

std::string CompileError(const std::string& script) {
    std::vector<rc::CompiledResource> out;
    std::string error;
    EXPECT_FALSE(rc::CompileScript(script, ".", out, error)) << "accepted: " << script;
    return error;
}

TEST(ResourceCompiler, MenuCompilesToATemplateTheReaderGivesBack) {
    auto out = Compile(R"(
        main menu {
            POPUP "&File"
            BEGIN
                MENUITEM "先手 ●", 40001, CHECKED
                MENUITEM SEPARATOR
                POPUP "Sub", GRAYED { MENUITEM "Deep", 7 }
                MENUITEM "Exit", IDCANCEL
            END
            MENUITEM "Help", 3, GRAYED
        })");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_TRUE(out[0].type.isId);
    EXPECT_EQ(out[0].type.id, 4);
    EXPECT_EQ(out[0].name.name, "MAIN") << "names are stored in upper case";
    std::vector<MenuTemplateItem> items;
    std::string error;
    ASSERT_TRUE(desktop::core::ReadMenuTemplate(out[0].bytes, items, error)) << error;
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, "&File");
    ASSERT_EQ(items[0].children.size(), 4u);
    EXPECT_EQ(items[0].children[0].text, "先手 ●");
    EXPECT_EQ(items[0].children[0].id, 40001);
    EXPECT_EQ(items[0].children[0].flags, desktop::core::kMenuChecked);
    EXPECT_TRUE(items[0].children[1].separator);
    EXPECT_EQ(items[0].children[2].flags, desktop::core::kMenuPopup | desktop::core::kMenuGrayed);
    EXPECT_EQ(items[0].children[2].children[0].id, 7);
    EXPECT_EQ(items[0].children[3].id, 2);
    EXPECT_EQ(items[1].flags, desktop::core::kMenuGrayed);
}

TEST(ResourceCompiler, CommentsByteOrderMarkAndQuotesInStrings) {
    auto out = Compile(
        "\xEF\xBB\xBF// a comment\n/* several\nlines */ M MENU { MENUITEM "
        "\"say \"\"hi\"\"\", 1 }");
    ASSERT_EQ(out.size(), 1u);
    std::vector<MenuTemplateItem> items;
    std::string error;
    ASSERT_TRUE(desktop::core::ReadMenuTemplate(out[0].bytes, items, error)) << error;
    EXPECT_EQ(items[0].text, "say \"hi\"");
    EXPECT_NE(CompileError("/* never closed\nM MENU { }").find("line 1: unterminated comment"),
              std::string::npos);
}

// The platform's compiler needs the code page and the header of style names stated; ours
// reads UTF-8 and knows the names, so these lines compile to nothing.
TEST(ResourceCompiler, ThePlatformsPreludeLinesAreAccepted) {
    auto out = Compile(
        "#pragma code_page(65001)\n  # include <windows.h>  // the names\n#include <winres.h>\n"
        "M MENU { MENUITEM \"a\", IDOK }");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].name.name, "M");
}

TEST(ResourceCompiler, ShortFormControlsGetThePlatformsDefaultStyles) {
    auto out = Compile(R"(
        d DIALOG 1, 2, 100, 50
        CAPTION "T"
        FONT 9, "ＭＳ Ｐゴシック"
        BEGIN
            DEFPUSHBUTTON "OK", IDOK, 1, 2, 3, 4
            PUSHBUTTON "C", 2, 1, 2, 3, 4
            AUTOCHECKBOX "A", 10, 1, 2, 3, 4
            AUTORADIOBUTTON "R", 11, 1, 2, 3, 4, NOT WS_TABSTOP | WS_GROUP
            GROUPBOX "G", IDC_STATIC, 1, 2, 3, 4
            LTEXT "L", -1, 1, 2, 3, 4
            CTEXT "C", 12, 1, 2, 3, 4
            ICON "ICO", IDC_STATIC, 5, 6
            CONTROL "X", 13, "Button", BS_AUTORADIOBUTTON, 1, 2, 3, 4
            CONTROL "Y", 14, "MyClass", 0x1234, 1, 2, 3, 4, 0x20
        END)");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].type.id, 5);
    DialogTemplate d;
    std::string error;
    ASSERT_TRUE(desktop::core::ReadDialogTemplate(out[0].bytes, d, error)) << error;
    EXPECT_FALSE(d.extended);
    // Without STYLE: popup, border and system menu; the caption and font add theirs.
    EXPECT_EQ(d.style, 0x80000000u | 0x00800000u | 0x00080000u | 0x00C00000u | 0x40u);
    EXPECT_EQ(d.title, "T");
    EXPECT_EQ(d.pointSize, 9);
    EXPECT_EQ(d.typeface, "ＭＳ Ｐゴシック");
    EXPECT_EQ(d.x, 1);
    EXPECT_EQ(d.cy, 50);
    const uint32_t cv = 0x50000000;  // WS_CHILD | WS_VISIBLE
    struct Expected {
        int id;
        const char* cls;
        uint32_t style;
    };
    const Expected expected[] = {
        {1, "Button", cv | 0x10000 | 0x1},  {2, "Button", cv | 0x10000},
        {10, "Button", cv | 0x10000 | 0x3}, {11, "Button", cv | 0x20000 | 0x9},
        {-1, "Button", cv | 0x7},           {-1, "Static", cv | 0x20000},
        {12, "Static", cv | 0x20000 | 0x1}, {-1, "Static", cv | 0x3},
        {13, "Button", cv | 0x9},           {14, "MyClass", cv | 0x1234},
    };
    ASSERT_EQ(d.items.size(), std::size(expected));
    for (size_t i = 0; i < d.items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(d.items[i].id, expected[i].id);
        EXPECT_EQ(d.items[i].ClassName(), expected[i].cls);
        EXPECT_EQ(d.items[i].style, expected[i].style);
    }
    EXPECT_EQ(d.items[7].title.text, "ICO");
    EXPECT_EQ(d.items[7].cx, 0) << "an icon's size is optional";
    EXPECT_EQ(d.items[9].exStyle, 0x20u);
}

TEST(ResourceCompiler, DialogExHasTheExtendedLayout) {
    auto out = Compile(R"(
        X DIALOGEX 0, 0, 60, 40
        STYLE DS_SETFONT | WS_POPUP
        FONT 8, "Sans", 700, 1, 0
        { LTEXT "abc", 70000, 1, 1, 10, 10 })");
    ASSERT_EQ(out.size(), 1u);
    DialogTemplate d;
    std::string error;
    ASSERT_TRUE(desktop::core::ReadDialogTemplate(out[0].bytes, d, error)) << error;
    EXPECT_TRUE(d.extended);
    EXPECT_EQ(d.weight, 700);
    EXPECT_TRUE(d.italic);
    ASSERT_EQ(d.items.size(), 1u);
    EXPECT_EQ(d.items[0].id, 70000) << "extended templates hold 32-bit ids";
    EXPECT_EQ(d.items[0].title.text, "abc");
}

TEST(ResourceCompiler, IconFileBecomesAGroupAndOneResourcePerImage) {
    std::filesystem::path dir = ZANTOBEL_RESOURCES_DIR;
    auto out = Compile("a ICON \"ico_black.ico\"\nb ICON \"ico_white.ico\"\n", dir);
    // ico_black has three images, ico_white two: ids 1..3 and 4..5, each group after its images.
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[3].type.id, 14);
    EXPECT_EQ(out[3].name.name, "A");
    std::vector<desktop::core::IconGroupEntry> entries;
    std::string error;
    ASSERT_TRUE(desktop::core::ReadIconGroup(out[6].bytes, entries, error)) << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].id, 4);
    EXPECT_EQ(entries[1].id, 5);
    EXPECT_EQ(out[4].type.id, 3);
    EXPECT_EQ(out[4].name.id, 4);
    EXPECT_EQ(entries[0].bytesInRes, out[4].bytes.size());
}

TEST(ResourceCompiler, FileResourcesKeepTheirBytesAndNamedTypes) {
    std::filesystem::path dir = ZANTOBEL_RESOURCES_DIR;
    auto out = Compile("click wave \"click.wav\"\n107 RCDATA \"click.wav\"", dir);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_FALSE(out[0].type.isId);
    EXPECT_EQ(out[0].type.name, "WAVE");
    EXPECT_EQ(out[0].name.name, "CLICK");
    EXPECT_EQ(out[0].bytes.size(), 44u + 632u);
    EXPECT_EQ(out[1].type.id, 10);
    EXPECT_EQ(out[1].name.id, 107);
}

TEST(ResourceCompiler, MalformedScriptsAreRefusedWithTheLine) {
    const struct {
        const char* script;
        const char* message;
    } cases[] = {
        {"M MENU\nBEGIN\n  MENUITEM \"a\" 1\nEND", "line 3: expected ','"},
        {"M MENU\nBEGIN\n  MENUITEM \"a\", 1\n", "line 4: menu not closed"},
        {"M MENU\nBEGIN\nEND", "line 2: a menu needs at least one item"},
        {"M MENU\nBEGIN\n POPUP \"p\"\n BEGIN\n END\nEND",
         "line 3: a popup needs at least one item"},
        {"M MENU\nBEGIN\n  MENUITEM \"a\", 70000\nEND", "line 3: menu item id out of range"},
        {"M MENU\nBEGIN\n  ITEM \"a\", 1\nEND", "line 3: expected MENUITEM, POPUP or END"},
        {"M MENU\nBEGIN\n  MENUITEM \"a\", 1, BOLD\nEND",
         "line 3: unknown menu item option 'BOLD'"},
        {"D DIALOG 0, 0, 10\nBEGIN\nEND", "line 2: expected ','"},
        {"D DIALOG 0, 0, 10, 10\nSTYLE WS_POPUP | WS_NOSUCH\nBEGIN\nEND",
         "line 2: unknown name 'WS_NOSUCH'"},
        {"D DIALOG 0, 0, 10, 10\nBEGIN\n  BUTTON \"a\", 1, 0, 0, 1, 1\nEND",
         "line 3: unknown control 'BUTTON'"},
        {"D DIALOG 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 1\nEND",
         "line 4: expected ',' after the width, found 'END'"},
        {"D DIALOG 0, 0, 40000, 10\nBEGIN\nEND", "line 1: the width out of range"},
        {"D DIALOG 0, 0, 10, 10\nFONT 0, \"x\"\nBEGIN\nEND", "line 2: font size out of range"},
        {"D DIALOG 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 1, 1\n",
         "line 4: dialog not closed"},
        {"D DIALOG 0, 0, 10, 10\nCAPTION \"\xFF\xFE\"\nBEGIN\nEND", "not valid UTF-8"},
        {"I ICON \"no-such-file.ico\"", "line 1: cannot read 'no-such-file.ico'"},
        {"0 RCDATA \"x\"", "line 1: a resource id out of range"},
        {"X\n", "line 2: expected a resource type name or id"},
        {"A WAVE \"x\"\n\"unterminated", "line 2: unterminated string"},
        {"M MENU { MENUITEM \"a\", 1 }\nm MENU { MENUITEM \"b\", 2 }",
         "line 2: duplicate resource #4/M"},
        {"LANGUAGE LANG_JAPANESE\n", "line 2: expected ','"},
        {"#pragma code_page(932)\nM MENU { MENUITEM \"a\", 1 }",
         "line 1: the script must be UTF-8"},
        {"\n#define IDC_X 5\n", "line 2: unsupported directive '#define IDC_X 5'"},
        {"#include \"local.h\"", "line 1: unsupported directive"},
        {"M MENU { MENUITEM \"a\", 1 # }", "line 1: unexpected character '#'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        std::string error = CompileError(c.script);
        EXPECT_NE(error.find(c.message), std::string::npos) << "got: " << error;
    }
}

// The program's own script, damaged at random: the compiler accepts or refuses with a line
// number, and never crashes or reads past the text.
TEST(ResourceCompiler, RandomlyDamagedScriptsAreHandled) {
    std::ifstream in(std::string(ZANTOBEL_RESOURCES_DIR) + "/zantobel.rc", std::ios::binary);
    std::string original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(original.empty());
    const char kPieces[] = "\",{}|()-+/*\\\n\xE3\x81 0x7FFFFFFF 99999 BEGIN END NOT POPUP";
    uint32_t state = 77;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    int refused = 0;
    for (int round = 0; round < 400; ++round) {
        std::string script = original;
        for (int e = 0; e < 3; ++e) {
            size_t at = next() % script.size();
            if (next() % 2)
                script[at] = kPieces[next() % (sizeof kPieces - 1)];
            else
                script.erase(at, next() % 8);
        }
        std::vector<rc::CompiledResource> out;
        std::string error;
        if (!rc::CompileScript(script, ZANTOBEL_RESOURCES_DIR, out, error)) {
            ++refused;
            EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
        }
    }
    EXPECT_GT(refused, 100);
}

TEST(ResourceCompiler, MalformedIconFilesAreRefused) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "zantobel-rc-icon-test";
    std::filesystem::create_directories(dir);
    const struct {
        std::vector<uint8_t> bytes;
        const char* message;
    } cases[] = {
        {{0, 0, 2, 0, 1, 0}, "not an icon file"},
        {{0, 0, 1, 0, 0, 0}, "holds no image"},
        {{0, 0, 1, 0, 2, 0, 32, 32}, "directory truncated"},
        {{0, 0, 1, 0, 1, 0, 32, 32, 16, 0, 1, 0, 4, 0, 0xE8, 2, 0, 0, 22, 0, 0, 0},
         "lies outside the file"},
    };
    for (const auto& c : cases) {
        std::ofstream(dir / "bad.ico", std::ios::binary)
            .write(reinterpret_cast<const char*>(c.bytes.data()),
                   static_cast<std::streamsize>(c.bytes.size()));
        std::vector<rc::CompiledResource> out;
        std::string error;
        EXPECT_FALSE(rc::CompileScript("I ICON \"bad.ico\"", dir, out, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << "got: " << error;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
