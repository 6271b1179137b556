// The program's own menu, dialogs, icons and sounds as the desktop floor builds and plays them
// through the recording backend: items, ids, texts, styles and places exactly as designed,
// radio marks, dialogs driven by a script (auto buttons, radio groups, results, nesting behind
// which the owner stays disabled), the icon image chosen per size and display depth, and the
// WAVE formats.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/desktop/core/core.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/fake/fake_desktop.h"
#include "platform/resources/resource_table.h"

namespace {

using namespace desktop;

LRESULT PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(hwnd, message, wParam, lParam);
}

class ProgramResources : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::Reset();
        WNDCLASS wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandle(nullptr);
        wc.hIcon = LoadIcon(wc.hInstance, "ico");
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszMenuName = "menu";
        wc.lpszClassName = "ZANTOBEL";
        ASSERT_NE(RegisterClass(&wc), 0);
        main_ = CreateWindowEx(0, "ZANTOBEL", "ZANTOBEL", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 400, 400, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(main_, nullptr);
    }
    void TearDown() override { fake::Reset(); }

    HWND main_ = nullptr;
};

TEST_F(ProgramResources, MenuHasEveryItemInOrderWithItsId) {
    std::vector<fake::MenuItemState> items = fake::MenuItems(main_);
    struct Expected {
        int depth;
        UINT id;
        const char* text;
        bool separator;
    };
    const Expected expected[] = {
        {0, 0, "スタート", false},
        {1, 40001, "先手 ●", false},
        {1, 40002, "後手 ○", false},
        {1, 40003, "USER vs USER", false},
        {1, 40004, "COM vs COM", false},
        {1, 0, "", true},
        {1, 0, "難易度", false},
        {2, 40014, "FOOL", false},
        {2, 40015, "POOR", false},
        {2, 40016, "NORMAL", false},
        {2, 40017, "EXPERT", false},
        {2, 40018, "MASTER", false},
        {1, 0, "", true},
        {1, 40011, "設定", false},
        {1, 0, "", true},
        {1, 40012, "ヘルプ", false},
        {1, 0, "", true},
        {1, 40013, "終了", false},
    };
    ASSERT_EQ(items.size(), std::size(expected));
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].depth, expected[i].depth);
        EXPECT_EQ(items[i].id, expected[i].id);
        EXPECT_EQ(items[i].text, expected[i].text);
        EXPECT_EQ(items[i].separator, expected[i].separator);
        EXPECT_FALSE(items[i].checked || items[i].grayed) << "no marks or grey in the resource";
    }
    // The window's client area leaves room for the menu bar.
    RECT client;
    GetClientRect(main_, &client);
    EXPECT_EQ(client.bottom, 352);
}

TEST_F(ProgramResources, RadioMarkMovesWithinTheLevelsOnly) {
    HMENU menu = GetMenu(main_);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(CheckMenuRadioItem(menu, 40014, 40018, 40014, MF_BYCOMMAND));
    EXPECT_EQ(fake::CheckedMenuItems(main_), std::vector<UINT>{40014});
    EXPECT_TRUE(CheckMenuRadioItem(menu, 40014, 40018, 40017, MF_BYCOMMAND));
    EXPECT_EQ(fake::CheckedMenuItems(main_), std::vector<UINT>{40017});
    EXPECT_EQ(GetMenuState(menu, 40017, MF_BYCOMMAND), MF_CHECKED | MFT_RADIOCHECK);
    EXPECT_FALSE(CheckMenuRadioItem(menu, 40014, 40018, 40099, MF_BYCOMMAND));
    EXPECT_EQ(fake::CheckedMenuItems(main_), std::vector<UINT>{40017}) << "unchanged";
}

TEST_F(ProgramResources, ChoosingAMenuItemSendsItsIdWithAZeroHighWord) {
    std::vector<WPARAM> commands;
    static std::vector<WPARAM>* sink;
    sink = &commands;
    WNDCLASS wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_COMMAND) sink->push_back(w);
        return DefWindowProc(h, m, w, l);
    };
    wc.lpszMenuName = "MENU";
    wc.lpszClassName = "OTHER";
    RegisterClass(&wc);
    HWND other = CreateWindowEx(0, "OTHER", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 400, nullptr,
                                nullptr, nullptr, nullptr);
    EXPECT_TRUE(fake::ChooseMenuItem(other, 40016));
    EXPECT_FALSE(fake::ChooseMenuItem(other, 40005)) << "not an item of the menu";
    EXPECT_FALSE(fake::ChooseMenuItem(other, 0)) << "a separator or popup is not a command";
    EXPECT_EQ(commands, std::vector<WPARAM>{40016});
}

struct ControlSpec {
    int id;
    const char* cls;
    DWORD style;  // besides WS_CHILD | WS_VISIBLE
    int x, y, cx, cy;
    const char* text;
};

// Pixels of the recording backend's dialog base units (7 x 13).
RECT Pixels(int x, int y, int cx, int cy) {
    auto px = [](int v) { return (v * 7 + 2) / 4; };
    auto py = [](int v) { return (v * 13 + 4) / 8; };
    return {px(x), py(y), px(x) + px(cx), py(y) + py(cy)};
}

void ExpectControls(HWND dialog, const std::vector<ControlSpec>& expected) {
    std::vector<fake::ControlState> controls = fake::DialogControls(dialog);
    ASSERT_EQ(controls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].text);
        EXPECT_EQ(controls[i].id, expected[i].id);
        EXPECT_EQ(controls[i].className, expected[i].cls);
        EXPECT_EQ(controls[i].style, WS_CHILD | WS_VISIBLE | expected[i].style);
        RECT r = Pixels(expected[i].x, expected[i].y, expected[i].cx, expected[i].cy);
        EXPECT_EQ(controls[i].rect.left, r.left);
        EXPECT_EQ(controls[i].rect.top, r.top);
        EXPECT_EQ(controls[i].rect.right, r.right);
        EXPECT_EQ(controls[i].rect.bottom, r.bottom);
        EXPECT_EQ(controls[i].text, expected[i].text);
        if ((expected[i].style & SS_TYPEMASK) == SS_ICON &&
            std::string(expected[i].cls) == "Static") {
            EXPECT_FALSE(controls[i].iconName.empty()) << "the icon was loaded";
        }
    }
}

// A procedure that closes on OK or cancel, and records what it saw.
std::vector<std::pair<UINT, WPARAM>> gDialogMessages;
INT_PTR ClosingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    gDialogMessages.emplace_back(message, wParam);
    if (message == WM_INITDIALOG) {
        EXPECT_EQ(lParam, 77);
        return 0;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam) == IDOK ? 10 : 20);
        return 1;
    }
    return 0;
}

TEST_F(ProgramResources, DialogsAreBuiltExactlyFromTheirTemplates) {
    const DWORD common = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    const DWORD button = BS_PUSHBUTTON, def = BS_DEFPUSHBUTTON | WS_TABSTOP;
    const DWORD text = SS_LEFT | WS_GROUP;
    struct DialogSpec {
        const char* name;
        const char* caption;
        int cx, cy;
        std::vector<ControlSpec> controls;
    };
    const DialogSpec dialogs[] = {
        {"dlg_config",
         "設定",
         138,
         123,
         {{1, "Button", def, 14, 102, 50, 14, "OK"},
          {2, "Button", button | WS_TABSTOP, 73, 102, 50, 14, "ｷｬﾝｾﾙ"},
          {1003, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, 15, 10, 85, 10, "打てる場所の表示"},
          {1004, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, 15, 25, 85, 10, "石を返すアニメーション"},
          {-1, "Button", BS_GROUPBOX, 15, 45, 75, 46, "レンダリング"},
          {1005, "Button", BS_AUTORADIOBUTTON | WS_GROUP, 25, 60, 48, 10, "グロー"},
          {1006, "Button", BS_AUTORADIOBUTTON, 25, 74, 47, 10, "フラット"}}},
        {"dlg_help",
         "ヘルプ",
         161,
         139,
         {{1, "Button", def, 55, 115, 50, 14, "OK"},
          {-1, "Static", text, 10, 40, 150, 10, "自分の石２つではさむと、間の石が裏返ります。"},
          {-1, "Static", text, 10, 53, 150, 10, "石を置けない場合はパスになります。"},
          {-1, "Static", text, 10, 66, 150, 10, "最後に石が多い方が勝ちです。"},
          {-1, "Static", text, 10, 79, 150, 10, "基本操作は、左クリックで石を置くだけです。"},
          {-1, "Static", text, 10, 92, 150, 10, "キーボードの方向キーでカメラ位置が変わります。"},
          {-1, "Static", SS_ICON, 10, 10, 20, 20, "ICO"},
          {-1, "Static", text, 35, 15, 75, 10, "ZANTOBEL"}}},
        {"dlg_result",
         "対局結果",
         99,
         93,
         {{1, "Button", def, 25, 69, 50, 14, "OK"},
          {-1, "Static", SS_ICON, 10, 5, 20, 21, "ICO_BLACK"},
          {-1, "Static", SS_ICON, 10, 22, 20, 21, "ICO_WHITE"},
          {1000, "Static", text, 35, 11, 60, 10, "Static"},
          {1001, "Static", text, 35, 28, 60, 10, "Static"},
          {1002, "Static", SS_CENTER | WS_GROUP, 15, 52, 69, 10, "あなたの勝ちです"}}},
    };
    for (const DialogSpec& dialogCase : dialogs) {
        SCOPED_TRACE(dialogCase.name);
        bool ran = false;
        fake::SetDialogScript([&](HWND dialog) {
            ran = true;
            EXPECT_EQ(fake::DialogTemplateName(dialog), dialogCase.name);
            EXPECT_EQ(fake::DialogCaption(dialog), dialogCase.caption);
            EXPECT_EQ(fake::StyleOf(dialog) & ~WS_VISIBLE, common);
            RECT client;
            GetClientRect(dialog, &client);
            RECT expected = Pixels(0, 0, dialogCase.cx, dialogCase.cy);
            EXPECT_EQ(client.right, expected.right);
            EXPECT_EQ(client.bottom, expected.bottom);
            // Position 0, 0 without centring: the owner's client area's top-left corner.
            POINT origin{0, 0};
            ClientToScreen(main_, &origin);
            RECT window;
            GetWindowRect(dialog, &window);
            EXPECT_EQ(window.left, origin.x);
            EXPECT_EQ(window.top, origin.y);
            ExpectControls(dialog, dialogCase.controls);
            EXPECT_TRUE(fake::ClickControl(dialog, IDOK));
        });
        gDialogMessages.clear();
        EXPECT_EQ(DialogBoxParam(GetModuleHandle(nullptr), dialogCase.name, main_, ClosingProc, 77),
                  10);
        EXPECT_TRUE(ran);
        ASSERT_FALSE(gDialogMessages.empty());
        EXPECT_EQ(gDialogMessages.front().first, WM_INITDIALOG);
        EXPECT_EQ(gDialogMessages.back().first, WM_DESTROY);
        std::vector<WPARAM> commands;
        for (auto [message, wParam] : gDialogMessages)
            if (message == WM_COMMAND) commands.push_back(wParam);
        EXPECT_EQ(commands, std::vector<WPARAM>{MAKEWPARAM(IDOK, BN_CLICKED)});
    }
}

TEST_F(ProgramResources, AutoButtonsToggleThemselvesAndRadioButtonsStayInTheirGroup) {
    fake::SetDialogScript([](HWND dialog) {
        CheckDlgButton(dialog, 1003, BST_CHECKED);
        CheckRadioButton(dialog, 1005, 1006, 1006);
        EXPECT_EQ(IsDlgButtonChecked(dialog, 1005), BST_UNCHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, 1006), BST_CHECKED);
        fake::ClickControl(dialog, 1003);
        fake::ClickControl(dialog, 1004);
        fake::ClickControl(dialog, 1005);
        EXPECT_EQ(IsDlgButtonChecked(dialog, 1003), BST_UNCHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, 1004), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, 1005), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, 1006), BST_UNCHECKED);
        EXPECT_FALSE(fake::ClickControl(dialog, 4242));
        fake::PressEscape(dialog);
    });
    gDialogMessages.clear();
    EXPECT_EQ(DialogBoxParam(nullptr, "DLG_CONFIG", main_, ClosingProc, 77), 20);
    ASSERT_EQ(fake::DialogCalls().size(), 1u);
    const fake::DialogCall& call = fake::DialogCalls()[0];
    EXPECT_TRUE(call.endedByProcedure);
    EXPECT_EQ(call.result, 20);
    EXPECT_EQ(call.owner, main_);
    EXPECT_EQ(call.controls[3].check, BST_CHECKED) << "1004 as it was when the dialog closed";
    // The procedure saw one click notification per control click, with its id.
    std::vector<WPARAM> clicks;
    for (auto [message, wParam] : gDialogMessages)
        if (message == WM_COMMAND) clicks.push_back(wParam);
    EXPECT_EQ(clicks, (std::vector<WPARAM>{1003, 1004, 1005, IDCANCEL}));
}

TEST_F(ProgramResources, SetAndReadControlTexts) {
    fake::SetDialogScript([](HWND dialog) {
        EXPECT_TRUE(SetDlgItemText(dialog, 1002, "黒の勝ちです"));
        char buffer[8];
        EXPECT_EQ(GetDlgItemText(dialog, 1000, buffer, sizeof buffer), 6u);
        EXPECT_STREQ(buffer, "Static");
        EXPECT_EQ(GetDlgItemText(dialog, 1002, buffer, 4), 3u) << "truncated to the buffer";
        EXPECT_FALSE(SetDlgItemText(dialog, 999, "x"));
        fake::ClickControl(dialog, IDOK);
    });
    DialogBoxParam(nullptr, "dlg_result", main_, ClosingProc, 77);
    EXPECT_EQ(fake::DialogCalls()[0].controls[5].text, "黒の勝ちです");
}

TEST_F(ProgramResources, MissingTemplateOrOwnerFailsWithMinusOne) {
    EXPECT_EQ(DialogBoxParam(nullptr, "dlg_nothing", main_, ClosingProc, 0), -1);
    EXPECT_EQ(DialogBoxParam(nullptr, "dlg_help", reinterpret_cast<HWND>(12345), ClosingProc, 0),
              -1);
    EXPECT_TRUE(fake::DialogCalls().empty());
    EXPECT_TRUE(IsWindowEnabled(main_));
}

TEST_F(ProgramResources, ADialogLeftOpenByItsScriptGetsEscape) {
    fake::SetDialogScript([](HWND) {});
    EXPECT_EQ(DialogBoxParam(nullptr, "dlg_help", main_, ClosingProc, 77), 20);
    EXPECT_FALSE(fake::DialogCalls()[0].endedByProcedure);
    // A procedure that ignores cancel is ended by force, so no test can hang.
    EXPECT_EQ(
        DialogBoxParam(
            nullptr, "dlg_help", main_, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; }, 0),
        -1);
}

TEST_F(ProgramResources, NestedDialogsKeepTheOwnerDisabledUntilTheLastCloses) {
    SetTimer(main_, 1, 50, nullptr);
    std::vector<bool> enabledSeen;
    int depth = 0;
    fake::SetDialogScript([&](HWND dialog) {
        enabledSeen.push_back(IsWindowEnabled(main_));
        EXPECT_FALSE(fake::Click(main_)) << "no clicks behind a dialog";
        EXPECT_TRUE(fake::FireTimer(main_, 1)) << "but the timer goes on";
        if (depth++ == 0) {
            // The result dialog opens from a tick while the settings dialog is open.
            EXPECT_EQ(DialogBoxParam(nullptr, "dlg_result", main_, ClosingProc, 77), 10);
            enabledSeen.push_back(IsWindowEnabled(main_));
        }
        fake::ClickControl(dialog, IDOK);
    });
    DialogBoxParam(nullptr, "dlg_config", main_, ClosingProc, 77);
    EXPECT_EQ(enabledSeen, (std::vector<bool>{false, false, false}));
    EXPECT_TRUE(IsWindowEnabled(main_));
    EXPECT_TRUE(fake::OpenDialogs().empty());
}

TEST_F(ProgramResources, DialogsEndOnCloseBoxQuitOrTheirOwnersDestruction) {
    // The close box is a cancel for the procedure, never a destroy behind its back.
    fake::SetDialogScript([](HWND dialog) { SendMessage(dialog, WM_CLOSE, 0, 0); });
    EXPECT_EQ(DialogBoxParam(nullptr, "dlg_help", main_, ClosingProc, 77), 20);
    EXPECT_TRUE(fake::DialogCalls().back().endedByProcedure);

    // A quit request seen by a modal loop ends that loop and is posted again, so the
    // program's own loop still gets it with its code.
    PostQuitMessage(5);
    EXPECT_FALSE(desktop::core::RunModalLoop([] { return false; }));
    MSG msg;
    EXPECT_FALSE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 5u);

    // The owner's destruction takes its open dialog with it.
    bool ended = false;
    fake::SetDialogScript([&](HWND dialog) {
        DestroyWindow(main_);
        ended = !fake::IsDialogOpen(dialog) && !IsWindow(dialog);
    });
    EXPECT_EQ(DialogBoxParam(nullptr, "dlg_help", main_, ClosingProc, 77), 0);
    EXPECT_TRUE(ended);
}

TEST_F(ProgramResources, DisabledControlsTakeNoClicks) {
    fake::SetDialogScript([](HWND dialog) {
        EnableWindow(GetDlgItem(dialog, 1003), FALSE);
        EXPECT_FALSE(fake::ClickControl(dialog, 1003));
        EXPECT_EQ(IsDlgButtonChecked(dialog, 1003), BST_UNCHECKED);
        EXPECT_TRUE(fake::ClickControl(dialog, 1004));
        fake::ClickControl(dialog, IDOK);
    });
    gDialogMessages.clear();
    DialogBoxParam(nullptr, "dlg_config", main_, ClosingProc, 77);
    std::vector<WPARAM> commands;
    for (auto [message, wParam] : gDialogMessages)
        if (message == WM_COMMAND) commands.push_back(LOWORD(wParam));
    EXPECT_EQ(commands, (std::vector<WPARAM>{1004, IDOK}));
}

TEST_F(ProgramResources, IconsComeFromTheImageThatFitsSizeAndDepth) {
    const struct {
        const char* name;
        int size, displayBits, imageSize, imageBits;
    } cases[] = {
        {"ico_black", 32, 32, 32, 8}, {"ico_black", 32, 4, 32, 4},  {"ico_black", 16, 32, 16, 4},
        {"ico_white", 32, 32, 32, 8}, {"ico_white", 16, 32, 32, 8}, {"ico", 32, 8, 32, 8},
        {"ico", 16, 32, 16, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.size));
        fake::Reset();
        fake::SetBitsPerPixel(c.displayBits);
        HICON icon = static_cast<HICON>(
            LoadImage(GetModuleHandle(nullptr), c.name, IMAGE_ICON, c.size, c.size, LR_SHARED));
        fake::IconInfo info = fake::IconOf(icon);
        ASSERT_TRUE(info.valid);
        EXPECT_EQ(info.width, c.size);
        EXPECT_EQ(info.imageWidth, c.imageSize);
        EXPECT_EQ(info.imageBitCount, c.imageBits);
        EXPECT_EQ(info.argb.size(), static_cast<size_t>(c.size * c.size));
        EXPECT_EQ(LoadImage(nullptr, c.name, IMAGE_ICON, c.size, c.size, LR_SHARED), icon)
            << "shared icons are loaded once";
    }
    EXPECT_EQ(LoadImage(nullptr, "ico_none", IMAGE_ICON, 32, 32, LR_SHARED), nullptr);
    EXPECT_EQ(LoadImage(nullptr, "ico", IMAGE_BITMAP, 32, 32, LR_SHARED), nullptr);
    EXPECT_NE(LoadCursor(nullptr, IDC_ARROW), nullptr);
    EXPECT_NE(GetStockObject(NULL_BRUSH), nullptr);
}

TEST(ProgramSounds, WaveResourcesHaveTheirExactFormats) {
    const struct {
        const char* name;
        uint32_t rate, dataBytes;
    } sounds[] = {{"click", 22050, 632}, {"put", 44100, 13632}};
    for (const auto& s : sounds) {
        SCOPED_TRACE(s.name);
        auto bytes = resources::LoadResourceBytes(resources::ResourceKey::Name(s.name),
                                                  resources::ResourceKey::Name("wave"));
        ASSERT_EQ(bytes.size(), 44u + s.dataBytes);
        auto word = [&](size_t at) {
            return static_cast<uint32_t>(bytes[at] | (bytes[at + 1] << 8));
        };
        auto dword = [&](size_t at) { return word(at) | (word(at + 2) << 16); };
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
        EXPECT_EQ(dword(4), 36 + s.dataBytes);
        EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(word(20), 1u) << "PCM";
        EXPECT_EQ(word(22), 1u) << "mono";
        EXPECT_EQ(dword(24), s.rate);
        EXPECT_EQ(word(34), 16u);
        EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
        EXPECT_EQ(dword(40), s.dataBytes);
        // Audible, and starting and ending at rest so it never clicks.
        int peak = 0;
        for (size_t i = 44; i < bytes.size(); i += 2)
            peak = std::max(peak, std::abs(static_cast<int16_t>(word(i))));
        EXPECT_GT(peak, 4000);
        EXPECT_EQ(static_cast<int16_t>(word(44)), 0);
        EXPECT_LT(std::abs(static_cast<int16_t>(word(bytes.size() - 2))), 64);
    }
}

}  // namespace
