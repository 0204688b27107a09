#pragma once
// Reading and driving MainWindow's list from the test process.

#include <windows.h>

#include <functional>
#include <vector>

#include "tests/wine/support/VellumarProcess.h"
#include "tests/wine/winlist/TestWindows_win.h"

// Polls while answering the messages Vellumar sends to the test's own
// windows (titles, style changes), so it never waits on us.
bool WaitAnswering(const std::function<bool()>& condition, DWORD milliseconds = 5000);

// Entries of another process's list box: read as UTF-16 (an ANSI read
// across processes comes back unconverted) and turned into CP936.
std::vector<ListEntry> RemoteListEntries(HWND listBox);
// Position of the entry whose item value is the handle, or -1.
int RemoteEntryOf(HWND listBox, int32_t handle);

struct MainWindowControls {
    HWND list, slider, refresh;
};
MainWindowControls ControlsOf(const VellumarProcess& app);

// Clicks "刷新列表" and waits until the refill is over; the EnumWindows
// snapshot, taken before and checked after, is what it listed. False when
// the desktop kept changing or the refill never finished.
bool RefreshAndSnapshot(const MainWindowControls& controls, std::vector<HWND>& snapshot);
