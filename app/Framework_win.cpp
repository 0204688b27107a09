#include "app/Framework_win.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "app/ExitRoutine.h"
#include "app/Controls_win.h"

namespace {

const char kWindowClass[] = "VellumarWindow";
const char kOwnerClass[] = "VellumarOwner";
const int kFirstMenuCommand = 1;

HWND HiddenOwner = nullptr;
bool LoopStarted = false;
std::vector<std::unique_ptr<Window>> OpenWindows;

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

Window* WindowOf(HWND hwnd) {
    for (auto& window : OpenWindows) {
        if (window->Handle() == hwnd) return window.get();
    }
    return nullptr;
}

bool Held(int key) { return GetKeyState(key) < 0; }

}  // namespace

// Builds windows from layouts and runs their window procedure.
class WindowFactory {
public:
    static Window* Create(const WindowLayout& layout, HWND owner);
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void DisableOthersFor(Window& modal);
    static bool PreDispatch(const MSG& msg);
    static const ControlLayout* ControlLayoutOf(HWND control, Window** owner);

private:
    static void CreateControls(Window& window);
    static void SetUpControls(Window& window, HFONT font);
    static LRESULT OnCommand(Window& window, WPARAM wParam, LPARAM lParam);
    static void OnScroll(Window& window, WPARAM wParam, LPARAM lParam);
    static void OnClose(Window& window);
    static void OnNcDestroy(Window& window);
    static void PaintBackground(Window& window, HDC hdc);
    static bool HandleKey(const MSG& msg);
    static void MoveFocus(Window& window, int step);
    static void RememberFocus(Window& window);
    static void RestoreFocus(Window& window);
};

HWND Window::Control(const char* name) const {
    for (size_t i = 0; i < layout_.controls.size(); ++i) {
        if (Text(layout_.controls[i].name) == name) return controls_[i];
    }
    return nullptr;
}

void Window::TrackPopupMenuAt(int x, int y) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (size_t i = 0; i < layout_.popupMenu.size(); ++i) {
        AppendMenuA(menu, MF_STRING, kFirstMenuCommand + i, layout_.popupMenu[i].caption);
    }
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y, 0, hwnd_, nullptr);
    DestroyMenu(menu);
}

Window* WindowFactory::Create(const WindowLayout& layout, HWND owner) {
    OpenWindows.push_back(std::unique_ptr<Window>(new Window(layout)));
    Window* window = OpenWindows.back().get();
    const int left = (GetSystemMetrics(SM_CXSCREEN) - layout.width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - layout.height) / 2;
    HWND hwnd = CreateWindowExA(0, kWindowClass, layout.caption, layout.style, left, top,
                                layout.width, layout.height, owner, nullptr, Instance(), window);
    if (!hwnd) {
        // WM_NCDESTROY may already have taken it out.
        auto at = std::find_if(OpenWindows.begin(), OpenWindows.end(),
                               [window](auto& open) { return open.get() == window; });
        if (at != OpenWindows.end()) OpenWindows.erase(at);
        return nullptr;
    }
    if (layout.topmost) {
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    HANDLE bigIcon = LoadImageA(Instance(), "DEFAULT_ICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                GetSystemMetrics(SM_CYICON), LR_SHARED);
    HANDLE smallIcon = LoadImageA(Instance(), "DEFAULT_ICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                  GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    CreateControls(*window);
    SetUpControls(*window, font);
    for (size_t i = 0; i < layout.controls.size(); ++i) {
        if (layout.controls[i].kind != ControlKind::Timer) ShowWindow(window->controls_[i], SW_SHOWNA);
    }
    if (layout.created) layout.created(*window);
    if (layout.visibleAtCreation && IsWindow(hwnd)) ShowWindow(hwnd, SW_SHOW);
    return IsWindow(hwnd) ? window : nullptr;
}

void WindowFactory::CreateControls(Window& window) {
    for (const ControlLayout& control : window.layout_.controls) {
        const char* windowClass = ControlClassName(control.kind);
        HWND hwnd = CreateWindowExA(control.exStyle, windowClass, control.caption,
                                    WS_CHILD | WS_CLIPSIBLINGS | control.style, control.x, control.y,
                                    control.width, control.height, window.hwnd_, nullptr, Instance(),
                                    nullptr);
        window.controls_.push_back(hwnd);
    }
}

void WindowFactory::SetUpControls(Window& window, HFONT font) {
    for (size_t i = 0; i < window.controls_.size(); ++i) {
        const ControlLayout& control = window.layout_.controls[i];
        HWND hwnd = window.controls_[i];
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        switch (control.kind) {
        case ControlKind::ListBox: {
            LRESULT height = SendMessageA(hwnd, LB_GETITEMHEIGHT, 0, 0);
            SendMessageA(hwnd, LB_SETITEMHEIGHT, 0, MAKELPARAM(height + 1, 0));
            SendMessageA(hwnd, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            break;
        }
        case ControlKind::TrackBar:
            SendMessageA(hwnd, TBM_SETRANGEMIN, FALSE, control.rangeMin);
            SendMessageA(hwnd, TBM_SETRANGEMAX, FALSE, control.rangeMax);
            SendMessageA(hwnd, TBM_SETPOS, TRUE, control.position);
            SendMessageA(hwnd, TBM_SETLINESIZE, 0, 1);
            SendMessageA(hwnd, TBM_SETPAGESIZE, 0, 1);
            break;
        case ControlKind::Label:
            SetLabelColours(hwnd, control.textColour, control.backColour);
            break;
        case ControlKind::PushButton:
        case ControlKind::Timer:
            break;
        }
    }
}

LRESULT CALLBACK WindowFactory::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        window->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!window) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_ERASEBKGND:
        PaintBackground(*window, reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_SETFONT:
        SetPropA(hwnd, "VellumarFont", reinterpret_cast<HANDLE>(wParam));
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(GetPropA(hwnd, "VellumarFont"));
    case WM_COMMAND:
        return OnCommand(*window, wParam, lParam);
    case WM_HSCROLL:
        OnScroll(*window, wParam, lParam);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) RememberFocus(*window);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_SETFOCUS:
        RestoreFocus(*window);
        return 0;
    case WM_CLOSE:
        OnClose(*window);
        return 0;
    case WM_DESTROY:
        if (window->layout_.destroying) window->layout_.destroying(*window);
        return 0;
    case WM_NCDESTROY:
        RemovePropA(hwnd, "VellumarFont");
        OnNcDestroy(*window);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void WindowFactory::PaintBackground(Window& window, HDC hdc) {
    const WindowLayout& layout = window.layout_;
    COLORREF colour = layout.backgroundSysColour >= 0 ? GetSysColor(layout.backgroundSysColour)
                                                      : layout.background;
    RECT client;
    GetClientRect(window.hwnd_, &client);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(hdc, &client, brush);
    DeleteObject(brush);
}

LRESULT WindowFactory::OnCommand(Window& window, WPARAM wParam, LPARAM lParam) {
    if (lParam == 0 && HIWORD(wParam) == 0) {  // a menu item
        size_t item = LOWORD(wParam) - kFirstMenuCommand;
        const auto& menu = window.layout_.popupMenu;
        if (item < menu.size() && menu[item].chosen) menu[item].chosen(window);
        return 0;
    }
    if (HIWORD(wParam) == BN_CLICKED) {
        for (size_t i = 0; i < window.controls_.size(); ++i) {
            const ControlLayout& control = window.layout_.controls[i];
            if (window.controls_[i] == reinterpret_cast<HWND>(lParam) && control.clicked) {
                control.clicked(window);
            }
        }
    }
    return 0;
}

void WindowFactory::OnScroll(Window& window, WPARAM wParam, LPARAM lParam) {
    for (size_t i = 0; i < window.controls_.size(); ++i) {
        const ControlLayout& control = window.layout_.controls[i];
        if (window.controls_[i] == reinterpret_cast<HWND>(lParam) && control.scrolled) {
            control.scrolled(window, LOWORD(wParam));
        }
    }
}

void WindowFactory::OnClose(Window& window) {
    for (HWND disabled : window.disabledForModal_) EnableWindow(disabled, TRUE);
    window.disabledForModal_.clear();
    DestroyWindow(window.hwnd_);
}

void WindowFactory::OnNcDestroy(Window& window) {
    auto at = std::find_if(OpenWindows.begin(), OpenWindows.end(),
                           [&window](auto& open) { return open.get() == &window; });
    SetWindowLongPtrA(window.hwnd_, GWLP_USERDATA, 0);
    if (at != OpenWindows.end()) OpenWindows.erase(at);
    if (OpenWindows.empty() && LoopStarted) PostQuitMessage(0);
}

void WindowFactory::DisableOthersFor(Window& modal) {
    for (auto& window : OpenWindows) {
        HWND hwnd = window->hwnd_;
        if (window.get() == &modal || GetParent(hwnd) || GetWindow(hwnd, GW_OWNER)) continue;
        if (IsWindowEnabled(hwnd)) {
            EnableWindow(hwnd, FALSE);
            modal.disabledForModal_.push_back(hwnd);
        }
    }
}

const ControlLayout* WindowFactory::ControlLayoutOf(HWND control, Window** owner) {
    for (auto& window : OpenWindows) {
        for (size_t i = 0; i < window->controls_.size(); ++i) {
            if (window->controls_[i] == control) {
                *owner = window.get();
                return &window->layout_.controls[i];
            }
        }
    }
    return nullptr;
}

void WindowFactory::MoveFocus(Window& window, int step) {
    const auto& order = window.layout_.tabOrder;
    const int count = static_cast<int>(order.size());
    if (count == 0) return;
    HWND focus = GetFocus();
    int at = step > 0 ? -1 : count;
    for (int i = 0; i < count; ++i) {
        if (window.Control(order[i]) == focus) at = i;
    }
    for (int tries = 0; tries < count; ++tries) {
        at = ((at + step) % count + count) % count;
        HWND next = window.Control(order[at]);
        if (next && IsWindowVisible(next) && IsWindowEnabled(next)) {
            SetFocus(next);
            return;
        }
    }
}

void WindowFactory::RememberFocus(Window& window) {
    HWND focus = GetFocus();
    if (focus && IsChild(window.hwnd_, focus)) window.lastFocus_ = focus;
}

// The control that had the focus when the window was last active, else the
// first of the tab order.
void WindowFactory::RestoreFocus(Window& window) {
    if (window.lastFocus_ && IsWindow(window.lastFocus_) && IsWindowEnabled(window.lastFocus_)) {
        SetFocus(window.lastFocus_);
    } else if (!window.layout_.tabOrder.empty()) {
        MoveFocus(window, 1);
    }
}

// Keys the window handles before the focused control sees them; only with
// exactly the modifiers named, and only while the window is enabled.
bool WindowFactory::HandleKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    Window* window = WindowOf(GetAncestor(msg.hwnd, GA_ROOT));
    if (!window || !window->layout_.keyboardNavigation || !IsWindowEnabled(window->hwnd_)) return false;
    const bool shift = Held(VK_SHIFT), ctrl = Held(VK_CONTROL), alt = Held(VK_MENU);
    if (ctrl || alt) return false;
    switch (msg.wParam) {
    case VK_ESCAPE:
        if (shift) return false;
        SendMessageA(window->hwnd_, WM_CLOSE, 0, 0);
        return true;
    case VK_TAB:
        MoveFocus(*window, shift ? -1 : 1);
        return true;
    case VK_RETURN:  // no default button
    case VK_F1:
        return !shift;
    }
    return false;
}

bool WindowFactory::PreDispatch(const MSG& msg) {
    if (HandleKey(msg)) return true;
    if (msg.message == WM_RBUTTONDOWN) {
        Window* owner = nullptr;
        const ControlLayout* control = ControlLayoutOf(msg.hwnd, &owner);
        if (control && control->rightButtonDown) control->rightButtonDown(*owner);
    }
    return false;
}

namespace {

void Dispatch(const MSG& msg) {
    if (WindowFactory::PreDispatch(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

}  // namespace

void StartFramework() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowFactory::Procedure;
    windowClass.hInstance = Instance();
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExA(&windowClass);
    windowClass.style = 0;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = kOwnerClass;
    RegisterClassExA(&windowClass);
    RegisterControlClasses();
    if (HiddenOwner) return;
    HiddenOwner = CreateWindowExA(WS_EX_TOOLWINDOW, kOwnerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, Instance(), nullptr);
}

void ShutDownFramework() {
    RunExitRoutine();
    if (HiddenOwner) DestroyWindow(HiddenOwner);
    HiddenOwner = nullptr;
}

Window* CreateFromLayout(const WindowLayout& layout, HWND owner) {
    return WindowFactory::Create(layout, owner);
}

Window* OpenWindow(const WindowLayout& layout) {
    for (auto& window : OpenWindows) {
        if (&window->Layout() == &layout) return window.get();
    }
    return nullptr;
}

void OpenModal(const WindowLayout& layout) {
    if (Window* open = OpenWindow(layout)) {
        if (IsIconic(open->Handle())) {
            ShowWindow(open->Handle(), SW_RESTORE);
        } else {
            SetActiveWindow(open->Handle());
        }
        return;
    }
    Window* modal = CreateFromLayout(layout, HiddenOwner);
    if (!modal) return;
    HWND hwnd = modal->Handle();
    WindowFactory::DisableOthersFor(*modal);
    MSG msg;
    while (IsWindow(hwnd)) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the outer loop
            return;
        }
        if (got < 0) return;
        Dispatch(msg);
    }
}

void RunMessageLoop() {
    LoopStarted = true;
    if (OpenWindows.empty()) return;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
}

void RaiseTick(HWND timerControl) {
    Window* owner = nullptr;
    const ControlLayout* control = WindowFactory::ControlLayoutOf(timerControl, &owner);
    if (control && control->tick) control->tick(*owner);
}
