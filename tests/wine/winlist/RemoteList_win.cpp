#include "tests/wine/winlist/RemoteList_win.h"

#include <commctrl.h>

bool WaitAnswering(const std::function<bool()>& condition, DWORD milliseconds) {
    return WaitUntil([&] {
        PumpMessages();
        return condition();
    }, milliseconds);
}

std::vector<ListEntry> RemoteListEntries(HWND listBox) {
    std::vector<ListEntry> entries;
    const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring wide(SendMessageW(listBox, LB_GETTEXTLEN, i, 0) + 1, L'\0');
        SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()));
        wide.resize(wcslen(wide.c_str()));
        std::string text(wide.size() * 2 + 1, '\0');
        const int bytes = WideCharToMultiByte(936, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(),
                                              static_cast<int>(text.size()), nullptr, nullptr);
        text.resize(bytes > 0 ? bytes : 0);
        entries.push_back({text, static_cast<int32_t>(SendMessageW(listBox, LB_GETITEMDATA, i, 0))});
    }
    return entries;
}

int RemoteEntryOf(HWND listBox, int32_t handle) {
    const LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (static_cast<int32_t>(SendMessageA(listBox, LB_GETITEMDATA, i, 0)) == handle) return static_cast<int>(i);
    }
    return -1;
}

MainWindowControls ControlsOf(const VellumarProcess& app) {
    return {app.ControlAt("ListBox", 8, 8), app.ControlAt(TRACKBAR_CLASSA, 8, 192), app.ControlAt("Button", 34, 216)};
}

bool RefreshAndSnapshot(const MainWindowControls& controls, std::vector<HWND>& snapshot) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        PumpMessages();
        snapshot = TopLevelWindows();
        // A refresh starts by clearing the list, which drops the selection.
        SendMessageA(controls.list, LB_SETCURSEL, 0, 0);
        PostMessageA(controls.refresh, BM_CLICK, 0, 0);
        if (!WaitAnswering([&] { return SendMessageA(controls.list, LB_GETCURSEL, 0, 0) == LB_ERR; })) return false;
        // The refill is one handler; once two reads apart agree it is over.
        std::vector<ListEntry> previous;
        const bool settled = WaitAnswering([&] {
            Sleep(200);
            PumpMessages();
            std::vector<ListEntry> now = RemoteListEntries(controls.list);
            const bool same = !now.empty() && now == previous;
            previous = std::move(now);
            return same;
        });
        if (settled && TopLevelWindows() == snapshot) return true;
    }
    return false;
}
