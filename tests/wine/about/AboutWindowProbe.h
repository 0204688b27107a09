#pragma once
// The About window of a running vellumar.exe as another process sees it:
// opening it through 按钮3, reading its label as it types, and what the
// process holds while it is open.

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "tests/wine/support/VellumarProcess.h"

// Milliseconds on the performance counter, from an arbitrary origin.
double NowMs();

// A caption the label showed, and when it first saw it.
struct SeenCaption {
    double at;  // ms after the window was first seen
    std::string caption;
};

struct CaptionLog {
    std::vector<SeenCaption> changes;  // the first sample, then each change
    double longestGap = 0;             // ms: the longest wait between two samples
};

class AboutWindowProbe {
public:
    explicit AboutWindowProbe(const VellumarProcess& app) : app_(app) {}

    // Clicks 按钮3 and waits until AboutWindow is shown; false if it was not.
    // The opening time is when the window was first seen, shown or not yet.
    bool Open();
    // Asks AboutWindow to close and waits until it is gone and MainWindow
    // takes input again; false if either did not happen.
    bool Close();

    HWND Window() const { return window_; }
    HWND Label() const { return label_; }
    double OpenedAt() const { return openedAt_; }
    // ms from the opening until the window was visible.
    double ShownAfter() const { return shownAfter_; }

    // The label read at the opening, then sampled about every millisecond
    // until `stop` captions have been seen or the time runs out (ms after
    // the opening).
    CaptionLog Record(size_t stop, double untilMs) const;
    // Waits until the label shows this caption; false when the time runs out.
    bool WaitForCaption(const std::string& caption, DWORD milliseconds) const;

private:
    const VellumarProcess& app_;
    HWND window_ = nullptr;
    HWND label_ = nullptr;
    double openedAt_ = 0;
    double shownAfter_ = 0;
    SeenCaption atOpening_;
};

// What another process can count of vellumar.exe.
std::set<DWORD> ThreadsOf(DWORD processId);
// GetGuiResources on the process: GR_GDIOBJECTS or GR_USEROBJECTS.
DWORD GuiObjectsOf(DWORD processId, DWORD kind);
// The process's windows, top-level (shown or hidden) and their descendants.
int WindowsOf(DWORD processId);
// The process's open handles; 0 when they cannot be counted.
DWORD HandlesOf(DWORD processId);
// Whether the thread's start routine lies in the process's own executable
// (rather than in a system library).
bool StartsInProgram(DWORD processId, DWORD threadId);

// User plus kernel time of a thread so far, in ms; negative when unreadable.
double ThreadCpuMs(DWORD threadId);
// The thread's priority (THREAD_PRIORITY_...), or THREAD_PRIORITY_ERROR_RETURN.
int ThreadPriorityOf(DWORD threadId);
