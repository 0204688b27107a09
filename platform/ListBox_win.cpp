#include "platform/ListBox_win.h"

void ClearListBox(HWND listBox) {
    SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
}

int32_t InsertListEntry(HWND listBox, int32_t position, const Text& text, int32_t itemValue) {
    if (position < 0) return -1;
    const LRESULT at = SendMessageA(listBox, LB_INSERTSTRING, static_cast<WPARAM>(position),
                                    reinterpret_cast<LPARAM>(text.c_str()));
    if (at < 0) return -1;
    SendMessageA(listBox, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(itemValue));
    return static_cast<int32_t>(at);
}

bool DeleteListEntry(HWND listBox, int32_t position) {
    return SendMessageA(listBox, LB_DELETESTRING, static_cast<WPARAM>(position), 0) != LB_ERR;
}

int32_t ListItemValue(HWND listBox, int32_t position) {
    if (position < 0) return -1;
    if (position >= SendMessageA(listBox, LB_GETCOUNT, 0, 0)) return -1;
    return static_cast<int32_t>(SendMessageA(listBox, LB_GETITEMDATA, static_cast<WPARAM>(position), 0));
}

int32_t ListSelection(HWND listBox) {
    return static_cast<int32_t>(SendMessageA(listBox, LB_GETCURSEL, 0, 0));
}
