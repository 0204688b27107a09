#pragma once
// Opacity of other windows, and the slider and preset handlers of MainWindow
// that drive it. Each handler reads the list's selection when it runs.

#include <windows.h>

#include <cstdint>
#include <optional>

// Makes the window layered with one constant alpha (left out or outside
// 0..255: 255). Its extended style becomes WS_EX_LAYERED alone. Silent on
// any failure; outside the NT family it changes nothing.
void SetWindowOpacity(int32_t handle, std::optional<int32_t> alpha = std::nullopt);

// WM_HSCROLL from 滑块条1 with the code from LOWORD(wParam): every code but
// TB_ENDTRACK applies 255 - position to the selected window of listBox.
void 滑块条1_Scroll(HWND slider, HWND listBox, int notificationCode);
// The pop-up menu presets: alpha 122 and 255 on the selected window.
void 半透明_Click(HWND listBox);
void 恢复_Click(HWND listBox);
