// Cost of a list refresh and of one slider notification on a desktop of
// 300 titled windows, each against the bare system call it rests on,
// measured in the same run. Prints medians per call and their ratios.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "opacity/OpacityControls_win.h"
#include "winlist/WindowList_win.h"

namespace {

const int kWindows = 300;

double MedianMicroseconds(int runs, const std::function<void(int)>& call) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QueryPerformanceCounter(&start);
        call(i);
        QueryPerformanceCounter(&end);
        times.push_back(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

HWND Create(const char* windowClass, const char* title, DWORD style, HWND parent = nullptr) {
    return CreateWindowExA(0, windowClass, title, style, 10, 10, 360, 120, parent, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

void Report(const char* what, double ours, const char* reference, double bare) {
    std::printf("%-28s %10.1f us   %-28s %10.1f us   ratio %6.2f\n", what, ours, reference, bare, ours / bare);
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VellumarBenchWindow";
    RegisterClassA(&wc);

    std::vector<HWND> windows;
    for (int i = 0; i < kWindows; ++i) {
        const std::string title = "测试窗口 " + std::to_string(i);
        windows.push_back(Create(wc.lpszClassName, title.c_str(), WS_POPUP | WS_BORDER | WS_VISIBLE));
    }
    HWND host = Create(wc.lpszClassName, "", WS_OVERLAPPEDWINDOW);
    HWND listBox = Create("LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, host);
    HWND slider = Create(TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE | TBS_NOTICKS, host);
    SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(1, 255));
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);

    const double refresh = MedianMicroseconds(31, [&](int) { RefreshWindowList(listBox); });
    int counted = 0;
    const double enumerate = MedianMicroseconds(31, [&](int) { EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&counted)); });
    const int entries = static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));

    HWND target = windows[kWindows / 2];
    const auto targetHandle = static_cast<int32_t>(reinterpret_cast<intptr_t>(target));
    for (int i = 0; i < entries; ++i) {
        if (static_cast<int32_t>(SendMessageA(listBox, LB_GETITEMDATA, i, 0)) == targetHandle) {
            SendMessageA(listBox, LB_SETCURSEL, i, 0);
        }
    }
    const double notification = MedianMicroseconds(501, [&](int i) {
        SendMessageA(slider, TBM_SETPOS, FALSE, 1 + i % 255);
        滑块条1_Scroll(slider, listBox, TB_THUMBTRACK);
    });
    const double layered = MedianMicroseconds(501, [&](int i) {
        SetLayeredWindowAttributes(target, 0, static_cast<BYTE>(i % 255), LWA_ALPHA);
    });

    std::printf("%d titled windows, %d list entries, median per call\n", kWindows, entries);
    Report("RefreshWindowList", refresh, "EnumWindows (bare)", enumerate);
    Report("slider notification", notification, "SetLayeredWindowAttributes", layered);
    for (HWND hwnd : windows) DestroyWindow(hwnd);
    DestroyWindow(host);
    return 0;
}
