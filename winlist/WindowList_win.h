#pragma once
// The visible top-level windows, their titles, and the list of them that
// MainWindow shows. Runs on the user-interface thread only.

#include <windows.h>

#include <cstdint>

#include "app/Text.h"
#include "platform/ListBox_win.h"

// Decimal texts of every top-level window whose style has WS_VISIBLE, in
// EnumWindows order (topmost first). Not re-entrant.
TextArray EnumerateVisibleWindows();
// The window's title in the ANSI code page; empty when the handle is no
// window, the window has no title, or no buffer could be had.
Text GetWindowTitle(int32_t handle);
// Refills the list: one entry per visible titled window, the newest insert
// on top, each carrying its handle as item value; no entry selected after.
void RefreshWindowList(HWND listBox);
// The item value of the selected entry; -1 when none is selected.
int32_t SelectedWindowHandle(HWND listBox);
