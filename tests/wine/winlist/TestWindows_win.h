#pragma once
// Top-level windows a test makes for itself, and what EnumWindows sees.

#include <windows.h>

#include <string>
#include <vector>

// A window of a plain class with an ANSI title; destroyed with the object.
class TestWindow {
public:
    TestWindow(const char* title, DWORD style = WS_POPUP | WS_BORDER | WS_VISIBLE, DWORD exStyle = 0,
               WNDPROC proc = DefWindowProcA);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    int32_t handle() const { return static_cast<int32_t>(reinterpret_cast<intptr_t>(hwnd_)); }
    // Destroys the window now; its handle stays as the value of a gone window.
    void Close();

private:
    HWND hwnd_ = nullptr;
};

// Every top-level window, in EnumWindows order.
std::vector<HWND> TopLevelWindows();
// A snapshot taken right before and right after run, retried until both
// agree, so nothing opened or closed while run ran. False when they never did.
template <typename Run>
bool WithStableWindows(std::vector<HWND>& snapshot, Run run) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        snapshot = TopLevelWindows();
        run();
        if (TopLevelWindows() == snapshot) return true;
    }
    return false;
}

bool HasVisibleBit(HWND hwnd);
// The title read with GetWindowTextA into a large buffer.
std::string TitleOf(HWND hwnd);

// One entry of a list box: its text and its item value.
struct ListEntry {
    std::string text;
    int32_t value;
    bool operator==(const ListEntry&) const = default;
};
std::vector<ListEntry> ListEntries(HWND listBox);
// What a refresh shows for windows enumerated in this order: visible and
// titled ones in reverse order, without the last of them enumerated.
std::vector<ListEntry> ExpectedListing(const std::vector<HWND>& snapshot);

// Drains the thread's message queue.
void PumpMessages();
