#include "winlist/WindowList_win.h"

#include <cstring>
#include <new>
#include <vector>

#include "platform/WindowHandle_win.h"
#include "winlist/HandleText.h"

namespace {

// Filled by one EnumerateVisibleWindows call; starts with room for 256
// handles and grows, so no window is ever dropped.
std::vector<int32_t> CollectedHandles;

BOOL CALLBACK CollectVisibleWindow(HWND hwnd, LPARAM) {
    if (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) {
        try {
            CollectedHandles.push_back(HandleOfWindow(hwnd));
        } catch (const std::bad_alloc&) {
            // Out of memory: the windows collected so far are the result.
        }
    }
    return TRUE;
}

}  // namespace

TextArray EnumerateVisibleWindows() {
    CollectedHandles.clear();
    CollectedHandles.reserve(256);
    EnumWindows(CollectVisibleWindow, 0);
    return HandleTexts(CollectedHandles);
}

Text GetWindowTitle(int32_t handle) {
    HWND hwnd = WindowFromHandle(handle);
    if (!IsWindow(hwnd)) return Text();
    const LRESULT length = SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return Text();
    Text buffer;
    try {
        buffer.resize(static_cast<size_t>(length) + 1);
    } catch (const std::exception&) {
        return Text();
    }
    buffer[0] = '\0';
    SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(buffer.size()), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(strnlen(buffer.data(), buffer.size()));
    return buffer;
}

void RefreshWindowList(HWND listBox) {
    ClearListBox(listBox);
    const TextArray handles = EnumerateVisibleWindows();
    for (int32_t i = 1; i <= handles.Count(); ++i) {
        const Text title = GetWindowTitle(TextToHandle(handles.At(i)));
        if (title.empty()) continue;
        InsertListEntry(listBox, 0, title, TextToHandle(handles.At(i)));
    }
    // The top entry is the last window enumerated, the lowest in Z order;
    // the list has never shown that one.
    DeleteListEntry(listBox, 0);
}

int32_t SelectedWindowHandle(HWND listBox) {
    return ListItemValue(listBox, ListSelection(listBox));
}
