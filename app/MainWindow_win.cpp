#include "app/MainWindow_win.h"

#include <commctrl.h>

#include "about/AboutWindowLayout_win.h"
#include "app/HelpText.h"
#include "opacity/OpacityControls_win.h"
#include "winlist/WindowList_win.h"

namespace {

const int kClientHeight = 247;

// Shows the window and gives its client area the height the controls were
// placed for, whatever the system's caption and frame sizes.
void MainWindow_Created(Window& window) {
    HWND hwnd = window.Handle();
    ShowWindow(hwnd, SW_SHOW);
    RECT outer, client;
    GetWindowRect(hwnd, &outer);
    const double target = static_cast<double>(outer.bottom - outer.top) + kClientHeight;
    GetClientRect(hwnd, &client);
    const int height = static_cast<int>(target - (client.bottom - client.top));
    SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RefreshWindowList(window.Control("列表框1"));
}

void 按钮1_Click(Window& window) { RefreshWindowList(window.Control("列表框1")); }

void 按钮2_Click(Window&) {
    MessageBoxA(nullptr, HelpText.c_str(), HelpCaption.c_str(), MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
}

void 按钮3_Click(Window&) { OpenModal(AboutWindowLayout()); }

void 滑块条1_Changed(Window& window, int notificationCode) {
    滑块条1_Scroll(window.Control("滑块条1"), window.Control("列表框1"), notificationCode);
}

// The menu opens at the cursor as read now, not where the press happened.
void 列表框1_RightButtonDown(Window& window) {
    POINT cursor;
    GetCursorPos(&cursor);
    const int x = cursor.x;
    GetCursorPos(&cursor);
    const int y = cursor.y;
    window.TrackPopupMenuAt(x, y);
}

void 半透明_Chosen(Window& window) { 半透明_Click(window.Control("列表框1")); }
void 恢复_Chosen(Window& window) { 恢复_Click(window.Control("列表框1")); }

const DWORD kButtonStyle = WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;

ControlLayout Button(const char* name, int x, const char* caption, WindowHandler clicked) {
    return {name, ControlKind::PushButton, x, 216, 80, 24, caption, kButtonStyle, 0,
            0, 0, 0, 0, 0, clicked, nullptr, nullptr, nullptr};
}

WindowLayout MakeMainWindowLayout() {
    WindowLayout layout;
    layout.name = "MainWindow";
    layout.caption = "Vellumar";
    layout.width = 382;
    layout.height = 272;
    layout.style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    layout.backgroundSysColour = COLOR_BTNFACE;
    layout.background = 0;
    layout.visibleAtCreation = false;  // the created handler shows it
    layout.topmost = false;
    layout.keyboardNavigation = true;
    layout.controls = {
        Button("按钮3", 264, "关于程序", 按钮3_Click),
        Button("按钮2", 148, "帮助注意", 按钮2_Click),
        Button("按钮1", 34, "刷新列表", 按钮1_Click),
        {"滑块条1", ControlKind::TrackBar, 8, 192, 360, 24, "", WS_TABSTOP | TBS_AUTOTICKS | TBS_NOTICKS, 0,
         1, 255, 1, 0, 0, nullptr, 滑块条1_Changed, nullptr, nullptr},
        {"列表框1", ControlKind::ListBox, 8, 8, 360, 184, "",
         WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE,
         0, 0, 0, 0, 0, nullptr, nullptr, 列表框1_RightButtonDown, nullptr},
    };
    layout.tabOrder = {"列表框1", "滑块条1", "按钮1", "按钮2", "按钮3"};
    layout.popupMenu = {{"半透明", 半透明_Chosen}, {"恢复", 恢复_Chosen}};
    layout.created = MainWindow_Created;
    layout.destroying = nullptr;
    return layout;
}

}  // namespace

const WindowLayout& MainWindowLayout() {
    static const WindowLayout layout = MakeMainWindowLayout();
    return layout;
}
