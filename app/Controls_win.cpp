#include "app/Controls_win.h"

#include <commctrl.h>

namespace {

const char kLabelClass[] = "VellumarLabel";
const char kTimerClass[] = "VellumarTimer";
const UINT_PTR kTimerId = 1;

// Label window bytes: text colour, back colour, font.
enum LabelSlot { kTextColour = 0, kBackColour = 1, kFont = 2, kLabelSlots = 3 };

LONG_PTR LabelSlotValue(HWND label, LabelSlot slot) {
    return GetWindowLongPtrA(label, slot * sizeof(LONG_PTR));
}

void PaintLabel(HWND label, HDC hdc) {
    RECT area;
    GetClientRect(label, &area);
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(LabelSlotValue(label, kBackColour)));
    FillRect(hdc, &area, brush);
    DeleteObject(brush);
    int length = GetWindowTextLengthA(label);
    if (length == 0) return;
    Text caption(length + 1, '\0');
    caption.resize(GetWindowTextA(label, caption.data(), length + 1));
    SetTextColor(hdc, static_cast<COLORREF>(LabelSlotValue(label, kTextColour)));
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ previous = SelectObject(hdc, reinterpret_cast<HFONT>(LabelSlotValue(label, kFont)));
    // No DT_NOPREFIX: an ampersand marks a mnemonic, as in any static text.
    DrawTextA(hdc, caption.c_str(), -1, &area, DT_NOCLIP | DT_LEFT | DT_WORDBREAK | DT_VCENTER);
    SelectObject(hdc, previous);
}

LRESULT CALLBACK LabelProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills the whole label
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC hdc = BeginPaint(hwnd, &paint);
        PaintLabel(hwnd, hdc);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_SETFONT:
        SetWindowLongPtrA(hwnd, kFont * sizeof(LONG_PTR), static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return LabelSlotValue(hwnd, kFont);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK TimerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kTimerId) RaiseTick(hwnd);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, kTimerId);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterClassNamed(const char* name, WNDPROC procedure, int extraBytes) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = extraBytes;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    RegisterClassExA(&windowClass);
}

}  // namespace

void RegisterControlClasses() {
    RegisterClassNamed(kLabelClass, LabelProcedure, kLabelSlots * sizeof(LONG_PTR));
    RegisterClassNamed(kTimerClass, TimerProcedure, sizeof(LONG_PTR));
}

const char* ControlClassName(ControlKind kind) {
    switch (kind) {
    case ControlKind::PushButton: return "BUTTON";
    case ControlKind::ListBox: return "LISTBOX";
    case ControlKind::TrackBar: return TRACKBAR_CLASSA;
    case ControlKind::Label: return kLabelClass;
    case ControlKind::Timer: return kTimerClass;
    }
    return "STATIC";
}

void SetLabelColours(HWND label, COLORREF text, COLORREF back) {
    SetWindowLongPtrA(label, kTextColour * sizeof(LONG_PTR), static_cast<LONG_PTR>(text));
    SetWindowLongPtrA(label, kBackColour * sizeof(LONG_PTR), static_cast<LONG_PTR>(back));
}

void SetLabelCaption(HWND label, const Text& caption) {
    SetWindowTextA(label, caption.c_str());
    InvalidateRect(label, nullptr, TRUE);
}

void SetTimerPeriod(HWND timerControl, int32_t milliseconds) {
    if (milliseconds < 0) milliseconds = 0;
    const LONG_PTR current = GetWindowLongPtrA(timerControl, 0);
    if (milliseconds == current) return;  // the running countdown goes on
    if (current > 0) KillTimer(timerControl, kTimerId);
    if (milliseconds > 0) SetTimer(timerControl, kTimerId, milliseconds, nullptr);
    SetWindowLongPtrA(timerControl, 0, milliseconds);
}
