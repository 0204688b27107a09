#include "tests/wine/winlist/TestWindows_win.h"

#include <algorithm>
#include <map>

namespace {

const char* ClassFor(WNDPROC proc) {
    static std::map<WNDPROC, std::string> names;
    auto found = names.find(proc);
    if (found != names.end()) return found->second.c_str();
    std::string name = "VellumarTestWindow" + std::to_string(names.size());
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name.c_str();
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&wc);
    return names.emplace(proc, name).first->second.c_str();
}

BOOL CALLBACK AddWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

}  // namespace

TestWindow::TestWindow(const char* title, DWORD style, DWORD exStyle, WNDPROC proc) {
    hwnd_ = CreateWindowExA(exStyle, ClassFor(proc), title, style, 40, 40, 160, 90, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
}

TestWindow::~TestWindow() {
    Close();
}

void TestWindow::Close() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool HasVisibleBit(HWND hwnd) {
    return (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string TitleOf(HWND hwnd) {
    std::string title(8192, '\0');
    const int length = GetWindowTextA(hwnd, title.data(), static_cast<int>(title.size()));
    title.resize(length > 0 ? length : 0);
    return title;
}

std::vector<ListEntry> ListEntries(HWND listBox) {
    std::vector<ListEntry> entries;
    const LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::string text(SendMessageA(listBox, LB_GETTEXTLEN, i, 0) + 1, '\0');
        SendMessageA(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(text.size() - 1);
        const auto value = static_cast<int32_t>(SendMessageA(listBox, LB_GETITEMDATA, i, 0));
        entries.push_back({text, value});
    }
    return entries;
}

std::vector<ListEntry> ExpectedListing(const std::vector<HWND>& snapshot) {
    std::vector<ListEntry> entries;
    for (HWND hwnd : snapshot) {
        if (!HasVisibleBit(hwnd)) continue;
        const std::string title = TitleOf(hwnd);
        if (title.empty()) continue;
        entries.push_back({title, static_cast<int32_t>(reinterpret_cast<intptr_t>(hwnd))});
    }
    if (!entries.empty()) entries.pop_back();
    std::reverse(entries.begin(), entries.end());
    return entries;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
