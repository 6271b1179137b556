// What the window manager's files share and nobody else sees: the registered classes, the one
// state record with every window, menu, icon, device context and queued message, the handle
// counter, and the few operations one concern's file offers another's.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop/core/core.h"
#include "platform/resources/resource_table.h"

namespace desktop::core {

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::string menuName;
    bool hasMenu = false;
    ATOM atom = 0;
};

struct DcInfo {
    HWND hwnd;
    bool paint;
};

constexpr const char* kDialogClass = "#32770";

struct State {
    std::map<std::string, WindowClass> classes;  // by lower-case name
    ATOM nextAtom = 0xC000;
    bool commonControls = false;
    std::map<HWND, std::unique_ptr<Window>> windows;
    std::vector<HWND> order;
    uintptr_t nextHandle = 0x1000;
    std::map<HMENU, std::unique_ptr<Menu>> menus;
    std::map<HMENU, HMENU> menuRoot;
    std::map<HICON, std::unique_ptr<Icon>> icons;
    std::map<std::string, HICON> sharedIcons;
    std::map<HDC, DcInfo> dcs;
    std::deque<MSG> queue;
    bool quit = false;
    int quitCode = 0;
    uint64_t unvalidatedPaints = 0;
};

// state.cpp: the record, names and handles.
State& S();

template <typename Handle>
Handle NewHandle() {
    S().nextHandle += 4;
    return reinterpret_cast<Handle>(S().nextHandle);
}

std::string Lower(std::string_view text);
WindowClass* FindClass(const char* name);
resources::ResourceKey KeyOf(const char* name);
// A resource or class name as text: the name itself, or "#id" for an integer resource.
std::string NameText(const char* name);
HWND NewWindow(std::unique_ptr<Window> window);

inline bool IsTopLevel(const Window& w) {
    return !(w.style & WS_CHILD);
}

// windows.cpp: the built-in classes, registered before the first class or window is needed.
void RegisterBuiltin(const char* name, WNDPROC proc);
void EnsureBuiltins();

// message_queue.cpp: drops a window's queued messages (all of them, or one message and wParam).
void RemoveQueued(HWND hwnd, UINT message, WPARAM wParam, bool anyMessage);

// painting.cpp: one WM_PAINT to the window; an update region left after it is dropped.
void SendPaint(Window& w);

// menus.cpp: frees a menu and its popups.
void DestroyMenuTree(HMENU handle);

// modal.cpp: owner disabling around dialogs and message boxes.
void HoldOwner(HWND owner);
void ReleaseOwner(HWND owner);

// dialogs.cpp and controls.cpp: the procedures of the built-in dialog and button classes.
LRESULT DialogWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace desktop::core
