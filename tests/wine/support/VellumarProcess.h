#pragma once
// Starts vellumar.exe from a test and finds its windows, as another
// program on the same desktop would.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Polls until the condition holds or the time runs out; true if it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = 5000);

std::string ClassNameOf(HWND hwnd);
std::string TextOf(HWND hwnd);                // WM_GETTEXT, CP936 bytes
RECT ChildPlace(HWND parent, HWND child);     // in the parent's client coordinates
std::vector<HWND> ChildrenOf(HWND parent);    // direct children, in Z order
// The process's visible top-level window with this caption and class, or null.
HWND TopLevelOf(DWORD processId, const char* caption, const char* windowClass = nullptr);

// Real input through the system queue (reaches whatever window has the focus).
void PressKey(WORD key, bool shift = false);
void ClickAt(int screenX, int screenY, bool right = false);
// The window with the keyboard focus in the thread that owns hwnd.
HWND FocusOf(HWND hwnd);

// Saves a picture of the window to build/screenshots/NAME.bmp.
bool SaveScreenshot(HWND hwnd, const std::string& name);

class VellumarProcess {
public:
    VellumarProcess() = default;
    ~VellumarProcess();  // ends the process if it still runs
    VellumarProcess(const VellumarProcess&) = delete;
    VellumarProcess& operator=(const VellumarProcess&) = delete;

    // Starts the program and waits until MainWindow is visible and active.
    bool Start();
    HWND MainWindow() const { return mainWindow_; }
    DWORD ProcessId() const { return info_.dwProcessId; }
    // MainWindow's child of this class whose top-left corner is at (x, y).
    HWND ControlAt(const char* windowClass, int x, int y) const;
    // Brings MainWindow to the front so that real input reaches it.
    void Activate() const;
    // Waits for the process to end; its exit code, or STILL_ACTIVE.
    DWORD WaitForExit(DWORD milliseconds = 5000);
    bool Running() const;

private:
    PROCESS_INFORMATION info_ = {};
    HWND mainWindow_ = nullptr;
};
