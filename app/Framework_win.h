#pragma once
// The user-interface framework: windows built from layouts held as data,
// the message loops, modal windows, the quit rule and the exit routine.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/Text.h"

class Window;
using WindowHandler = void (*)(Window& window);
using ScrollHandler = void (*)(Window& window, int notificationCode);

enum class ControlKind { PushButton, ListBox, TrackBar, Label, Timer };

struct ControlLayout {
    const char* name;  // layout name, e.g. "列表框1"
    ControlKind kind;
    int x, y, width, height;  // client coordinates of the window
    const char* caption;
    DWORD style;    // beyond WS_CHILD | WS_CLIPSIBLINGS
    DWORD exStyle;
    int rangeMin, rangeMax, position;    // track bar
    COLORREF textColour, backColour;     // label
    WindowHandler clicked;               // BN_CLICKED
    ScrollHandler scrolled;              // WM_HSCROLL from a track bar
    WindowHandler rightButtonDown;       // WM_RBUTTONDOWN, before the control sees it
    WindowHandler tick;                  // a timer control's period ran out
};

struct MenuItemLayout {
    const char* caption;
    WindowHandler chosen;
};

struct WindowLayout {
    const char* name;
    const char* caption;
    int width, height;  // outer size at creation; centred on the screen
    DWORD style;
    int backgroundSysColour;  // COLOR_... index, or -1 to use background
    COLORREF background;      // painted by the window itself
    bool visibleAtCreation;
    bool topmost;
    bool keyboardNavigation;  // Esc closes, Tab / Shift+Tab move, Enter and F1 do nothing
    std::vector<ControlLayout> controls;     // in creation order
    std::vector<const char*> tabOrder;       // control names
    std::vector<MenuItemLayout> popupMenu;   // the hidden menu's items
    WindowHandler created;
    WindowHandler destroying;  // WM_DESTROY
};

// A window made from a layout; lives from creation to WM_NCDESTROY.
class Window {
public:
    HWND Handle() const { return hwnd_; }
    const WindowLayout& Layout() const { return layout_; }
    // The control's window, or null for a name the layout does not have.
    HWND Control(const char* name) const;
    // Shows the layout's popup menu at (x, y) in screen coordinates.
    void TrackPopupMenuAt(int x, int y);

private:
    friend class WindowFactory;
    explicit Window(const WindowLayout& layout) : layout_(layout) {}
    const WindowLayout& layout_;
    HWND hwnd_ = nullptr;
    std::vector<HWND> controls_;
    std::vector<HWND> disabledForModal_;  // windows to enable again on WM_CLOSE
    HWND lastFocus_ = nullptr;            // the focused control when the window went inactive
};

// Registers the window classes and makes the hidden owner window.
void StartFramework();
// Runs the exit routine, then releases the framework's own state.
void ShutDownFramework();

// Creates the window, its controls, runs its created handler, then shows it
// when the layout says so. Null when the window cannot be created.
Window* CreateFromLayout(const WindowLayout& layout, HWND owner = nullptr);
// Opens a window owned by the hidden owner, disables the other open
// top-level windows and runs a nested loop until it has been destroyed.
void OpenModal(const WindowLayout& layout);
// The open window made from this layout, or null.
Window* OpenWindow(const WindowLayout& layout);

// Sets the loop-started flag and dispatches messages until WM_QUIT; returns
// at once when no window is open.
void RunMessageLoop();

// The timer control's period in milliseconds: a new positive period
// restarts the countdown, the same one leaves it running, 0 or less stops.
void SetTimerPeriod(HWND timerControl, int32_t milliseconds);
// Stores the label's caption and repaints it.
void SetLabelCaption(HWND label, const Text& caption);
