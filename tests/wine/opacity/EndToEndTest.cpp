#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <optional>

#include "tests/wine/winlist/RemoteList_win.h"

namespace {

const DWORD kShown = WS_POPUP | WS_BORDER | WS_VISIBLE;  // keeps exactly the extended style written
const BYTE kSentinelAlpha = 77;

std::optional<int> LayeredAlpha(HWND hwnd) {
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags) || flags != LWA_ALPHA) return std::nullopt;
    return alpha;
}

DWORD ExStyle(HWND hwnd) {
    return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
}

// Vellumar with a window of ours listed and selected.
class OpacityEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.Start()) << "vellumar.exe did not show MainWindow";
        SetWindowPos(lowest.hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        PumpMessages();
        controls = ControlsOf(app);
        ASSERT_TRUE(controls.list && controls.slider && controls.refresh);
        std::vector<HWND> snapshot;
        ASSERT_TRUE(RefreshAndSnapshot(controls, snapshot));
        SelectWindow(target.handle());
    }

    void SelectWindow(int32_t handle) {
        const int entry = RemoteEntryOf(controls.list, handle);
        ASSERT_GE(entry, 0) << "window " << handle << " not listed";
        SendMessageA(controls.list, LB_SETCURSEL, entry, 0);
    }
    int Position() { return static_cast<int>(SendMessageA(controls.slider, TBM_GETPOS, 0, 0)); }
    void MarkTarget() {
        SetWindowLongA(target.hwnd(), GWL_EXSTYLE, WS_EX_LAYERED | WS_EX_TOOLWINDOW);
        SetLayeredWindowAttributes(target.hwnd(), 0, kSentinelAlpha, LWA_ALPHA);
    }
    void PostKey(WPARAM key) {
        PostMessageA(controls.slider, WM_KEYDOWN, key, 1);
        PostMessageA(controls.slider, WM_KEYUP, key, 0xC0000001);
    }
    bool TargetAlphaBecomes(int alpha) {
        return WaitAnswering([&] { return LayeredAlpha(target.hwnd()) == alpha; }, 3000);
    }

    VellumarProcess app;
    TestWindow lowest{"最底下的窗口", kShown};
    TestWindow target{"端到端目标", kShown, WS_EX_CLIENTEDGE | WS_EX_TOOLWINDOW};
    MainWindowControls controls{};
};

TEST_F(OpacityEndToEnd, SliderKeysGiveTheAlphaAtEachStep) {
    EXPECT_EQ(Position(), 1) << "the slider starts at its left end";
    EXPECT_EQ(LayeredAlpha(target.hwnd()), std::nullopt) << "nothing changed before the slider moved";
    const struct { WPARAM key; int position; const char* name; } steps[] = {
        {VK_END, 255, "End"},     {VK_HOME, 1, "Home"},     {VK_RIGHT, 2, "Right"}, {VK_DOWN, 3, "Down"},
        {VK_NEXT, 4, "PageDown"}, {VK_PRIOR, 3, "PageUp"},  {VK_UP, 2, "Up"},       {VK_LEFT, 1, "Left"},
        {VK_END, 255, "End"},     {VK_LEFT, 254, "Left"},
    };
    for (const auto& s : steps) {
        MarkTarget();
        PostKey(s.key);
        EXPECT_TRUE(TargetAlphaBecomes(255 - s.position)) << s.name << ": alpha " << LayeredAlpha(target.hwnd()).value_or(-1);
        EXPECT_EQ(Position(), s.position) << s.name;
        EXPECT_EQ(ExStyle(target.hwnd()), static_cast<DWORD>(WS_EX_LAYERED)) << s.name;
    }
}

TEST_F(OpacityEndToEnd, DraggingTheThumbFollowsEveryStep) {
    // The thumb's place, from a twin of the slider in this process.
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    TestWindow twinHost{"", WS_POPUP};
    HWND twin = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | TBS_AUTOTICKS | TBS_NOTICKS, 0, 0, 360, 24,
                                twinHost.hwnd(), nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(twin, TBM_SETRANGE, FALSE, MAKELPARAM(1, 255));
    SendMessageA(twin, TBM_SETPOS, TRUE, 1);
    RECT thumb, channel;
    SendMessageA(twin, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    SendMessageA(twin, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    POINT origin{0, 0};
    ClientToScreen(controls.slider, &origin);
    const int y = origin.y + (thumb.top + thumb.bottom) / 2;
    const int startX = origin.x + (thumb.left + thumb.right) / 2;

    app.Activate();
    SetCursorPos(startX, y);
    INPUT press{};
    press.type = INPUT_MOUSE;
    press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &press, sizeof press);
    int last = Position();
    int steps = 0;
    for (int x = startX; x <= origin.x + channel.right + 20; x += 23) {
        SetCursorPos(x, y);
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dwFlags = MOUSEEVENTF_MOVE;  // zero offset: reports the warped place
        SendInput(1, &move, sizeof move);
        WaitAnswering([&] { return Position() != last; }, 1000);
        const int now = Position();
        if (now == last) continue;
        ++steps;
        last = now;
        EXPECT_TRUE(TargetAlphaBecomes(255 - now)) << "while dragging at position " << now;
    }
    INPUT release{};
    release.type = INPUT_MOUSE;
    release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &release, sizeof release);
    EXPECT_GE(steps, 5) << "the thumb did not follow the mouse";
    EXPECT_TRUE(WaitAnswering([&] { return Position() == 255; }, 2000)) << "ends at the right end";
    EXPECT_TRUE(TargetAlphaBecomes(0)) << "the right end is fully transparent";
    EXPECT_EQ(ExStyle(target.hwnd()), static_cast<DWORD>(WS_EX_LAYERED));
}

TEST_F(OpacityEndToEnd, NoTargetChangesNothing) {
    TestWindow closing{"将关闭的窗口", kShown};
    SetWindowPos(lowest.hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PumpMessages();
    std::vector<HWND> snapshot;
    ASSERT_TRUE(RefreshAndSnapshot(controls, snapshot));
    const int closingEntry = RemoteEntryOf(controls.list, closing.handle());
    ASSERT_GE(closingEntry, 0);
    closing.Close();
    const int targetEntry = RemoteEntryOf(controls.list, target.handle());
    ASSERT_GE(targetEntry, 0);
    const struct { int entry; LPARAM itemValue; const char* what; } cases[] = {
        {-1, 0, "no selection"},
        {closingEntry, 0, "a closed window's entry"},
        {targetEntry, -1, "item value -1"},
        {targetEntry, 0, "item value 0"},
    };
    for (const auto& c : cases) {
        if (c.entry == targetEntry) SendMessageA(controls.list, LB_SETITEMDATA, c.entry, c.itemValue);
        SendMessageA(controls.list, LB_SETCURSEL, c.entry, 0);
        const int before = Position();
        PostKey(before == 255 ? VK_HOME : VK_END);
        EXPECT_TRUE(WaitAnswering([&] { return Position() != before; }, 2000)) << c.what << ": the slider moves";
        WaitAnswering([] { return false; }, 200);
        EXPECT_EQ(LayeredAlpha(target.hwnd()), std::nullopt) << c.what;
        EXPECT_EQ(ExStyle(target.hwnd()) & WS_EX_TOOLWINDOW, static_cast<DWORD>(WS_EX_TOOLWINDOW)) << c.what;
        EXPECT_EQ(LayeredAlpha(app.MainWindow()), std::nullopt) << c.what;
    }
}

// Right-click in the list, then choose the menu item from the keyboard.
void ChooseFromMenu(const VellumarProcess& app, HWND list, int item) {
    app.Activate();
    RECT place;
    GetWindowRect(list, &place);
    ClickAt((place.left + place.right) / 2, place.bottom - 10, true);
    for (int i = 0; i < item; ++i) PressKey(VK_DOWN);
    PressKey(VK_RETURN);
}

TEST_F(OpacityEndToEnd, MenuPresetsApplyAndLeaveTheSliderAlone) {
    PostKey(VK_RIGHT);
    PostKey(VK_RIGHT);
    ASSERT_TRUE(TargetAlphaBecomes(252));
    ChooseFromMenu(app, controls.list, 1);
    EXPECT_TRUE(TargetAlphaBecomes(122)) << "半透明";
    EXPECT_EQ(Position(), 3);
    ChooseFromMenu(app, controls.list, 2);
    EXPECT_TRUE(TargetAlphaBecomes(255)) << "恢复";
    EXPECT_EQ(Position(), 3);
    EXPECT_EQ(ExStyle(target.hwnd()), static_cast<DWORD>(WS_EX_LAYERED));
    PostKey(VK_RIGHT);
    EXPECT_TRUE(TargetAlphaBecomes(251)) << "the slider applies 255 - position again";
}

TEST_F(OpacityEndToEnd, SelectingVellumarMakesItselfTransparent) {
    SelectWindow(static_cast<int32_t>(reinterpret_cast<intptr_t>(app.MainWindow())));
    PostKey(VK_END);
    EXPECT_TRUE(WaitAnswering([&] { return LayeredAlpha(app.MainWindow()) == 0; }, 3000));
    EXPECT_EQ(ExStyle(app.MainWindow()) & ~static_cast<DWORD>(WS_EX_WINDOWEDGE), static_cast<DWORD>(WS_EX_LAYERED));
    EXPECT_EQ(LayeredAlpha(target.hwnd()), std::nullopt);
}

}  // namespace
