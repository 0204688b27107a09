#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <optional>

#include "opacity/OpacityControls_win.h"
#include "tests/wine/winlist/TestWindows_win.h"
#include "winlist/WindowList_win.h"

namespace {

const DWORD kShown = WS_POPUP | WS_BORDER | WS_VISIBLE;  // keeps exactly the extended style written
const DWORD kOldExStyle = WS_EX_CLIENTEDGE | WS_EX_TOOLWINDOW;
const BYTE kSentinelAlpha = 77;

DWORD ExStyle(HWND hwnd) {
    return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
}

// The constant alpha the window carries, or nothing when it has no layered
// attributes. Key and flags must be what the setter writes.
std::optional<int> LayeredAlpha(HWND hwnd) {
    COLORREF key = 0xFFFFFFFF;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags)) return std::nullopt;
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    EXPECT_EQ(key, 0u);
    return alpha;
}

struct SetterCase { std::optional<int32_t> alpha; int expect; const char* what; };
const SetterCase kSetterCases[] = {
    {std::nullopt, 255, "alpha left out"},
    {0, 0, "fully transparent"},
    {122, 122, "semi-transparent"},
    {254, 254, "the slider's left end"},
    {255, 255, "opaque"},
    {256, 255, "just above the range"},
    {1000, 255, "far above the range"},
    {-1, 255, "negative"},
};

TEST(SetWindowOpacity, LayersTheWindowAndReplacesItsExtendedStyle) {
    for (const auto& c : kSetterCases) {
        TestWindow target{"目标窗口", kShown, kOldExStyle};
        ASSERT_EQ(ExStyle(target.hwnd()) & kOldExStyle, kOldExStyle);
        SetWindowOpacity(target.handle(), c.alpha);
        EXPECT_EQ(ExStyle(target.hwnd()), static_cast<DWORD>(WS_EX_LAYERED)) << c.what;
        EXPECT_EQ(LayeredAlpha(target.hwnd()), c.expect) << c.what;
        EXPECT_TRUE(IsWindow(target.hwnd()) && (GetWindowLongA(target.hwnd(), GWL_STYLE) & WS_VISIBLE)) << c.what;
    }
}

TEST(SetWindowOpacity, CaptionedWindowLosesItsOwnExtendedBits) {
    TestWindow target{"有标题栏的窗口", WS_OVERLAPPEDWINDOW | WS_VISIBLE, kOldExStyle};
    SetWindowOpacity(target.handle(), 10);
    // The system puts WS_EX_WINDOWEDGE back on any captioned window.
    EXPECT_EQ(ExStyle(target.hwnd()) & ~static_cast<DWORD>(WS_EX_WINDOWEDGE), static_cast<DWORD>(WS_EX_LAYERED));
    EXPECT_EQ(LayeredAlpha(target.hwnd()), 10);
}

TEST(SetWindowOpacity, RepeatedCallIsNotSkipped) {
    TestWindow target{"目标窗口", kShown};
    SetWindowOpacity(target.handle(), 100);
    SetWindowLongA(target.hwnd(), GWL_EXSTYLE, WS_EX_TOOLWINDOW);  // drops the layered state behind its back
    ASSERT_EQ(LayeredAlpha(target.hwnd()), std::nullopt);
    SetWindowOpacity(target.handle(), 100);
    EXPECT_EQ(ExStyle(target.hwnd()), static_cast<DWORD>(WS_EX_LAYERED));
    EXPECT_EQ(LayeredAlpha(target.hwnd()), 100);
}

TEST(SetWindowOpacity, HandlesOfNoWindowChangeNothing) {
    TestWindow bystander{"旁观窗口", kShown, kOldExStyle};
    TestWindow closed{"已关闭", kShown, kOldExStyle};
    const int32_t closedHandle = closed.handle();
    closed.Close();
    for (int32_t handle : {-1, 0, closedHandle}) {
        SetWindowOpacity(handle, 0);
        EXPECT_EQ(ExStyle(bystander.hwnd()) & kOldExStyle, kOldExStyle) << "handle " << handle;
        EXPECT_EQ(LayeredAlpha(bystander.hwnd()), std::nullopt) << "handle " << handle;
    }
}

// A stand-in for MainWindow: its list box and its slider, WM_HSCROLL
// handed to the slider handler as MainWindow hands it.
class OpacityControls : public ::testing::Test {
protected:
    static LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_HSCROLL && Current && reinterpret_cast<HWND>(lParam) == Current->slider) {
            滑块条1_Scroll(Current->slider, Current->listBox, LOWORD(wParam));
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
        Current = this;
        HINSTANCE instance = GetModuleHandleA(nullptr);
        listBox = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", WS_CHILD | WS_VISIBLE | LBS_NOTIFY, 8, 8, 360, 120,
                                  host.hwnd(), nullptr, instance, nullptr);
        slider = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE | TBS_AUTOTICKS | TBS_NOTICKS, 8, 130,
                                 360, 24, host.hwnd(), nullptr, instance, nullptr);
        ASSERT_NE(listBox, nullptr);
        ASSERT_NE(slider, nullptr);
        SendMessageA(slider, TBM_SETRANGEMIN, FALSE, 1);
        SendMessageA(slider, TBM_SETRANGEMAX, FALSE, 255);
        SendMessageA(slider, TBM_SETPOS, TRUE, 1);
        SendMessageA(slider, TBM_SETLINESIZE, 0, 1);
        SendMessageA(slider, TBM_SETPAGESIZE, 0, 1);
        InsertListEntry(listBox, 0, "目标窗口", target.handle());
        InsertListEntry(listBox, 1, "另一个窗口", other.handle());
        InsertListEntry(listBox, 2, "无窗口", -1);
        InsertListEntry(listBox, 3, "零", 0);
    }
    void TearDown() override { Current = nullptr; }

    void Select(int32_t position) { SendMessageA(listBox, LB_SETCURSEL, position, 0); }
    int Position() { return static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0)); }
    // Marks the target so that a later read shows whether anything was
    // applied: a sentinel alpha, and a tool-window bit the setter would drop.
    void MarkTarget() {
        SetWindowLongA(target.hwnd(), GWL_EXSTYLE, WS_EX_LAYERED | WS_EX_TOOLWINDOW);
        SetLayeredWindowAttributes(target.hwnd(), 0, kSentinelAlpha, LWA_ALPHA);
    }
    void Key(WPARAM key) {
        SendMessageA(slider, WM_KEYDOWN, key, 1);
        SendMessageA(slider, WM_KEYUP, key, 0xC0000001);
    }

    static OpacityControls* Current;
    TestWindow target{"目标窗口", kShown, kOldExStyle};
    TestWindow other{"另一个窗口", kShown, kOldExStyle};
    TestWindow host{"滑块宿主", WS_OVERLAPPEDWINDOW, 0, HostProc};
    HWND listBox = nullptr;
    HWND slider = nullptr;
};
OpacityControls* OpacityControls::Current = nullptr;

TEST_F(OpacityControls, KeysMoveTheSliderAndTheAlphaFollows) {
    Select(0);
    const struct { WPARAM key; int position; const char* name; } steps[] = {
        {VK_END, 255, "End"},      {VK_HOME, 1, "Home"},     {VK_RIGHT, 2, "Right"},  {VK_DOWN, 3, "Down"},
        {VK_NEXT, 4, "PageDown"},  {VK_NEXT, 5, "PageDown"}, {VK_UP, 4, "Up"},        {VK_LEFT, 3, "Left"},
        {VK_PRIOR, 2, "PageUp"},   {VK_END, 255, "End"},     {VK_LEFT, 254, "Left"},  {VK_HOME, 1, "Home"},
    };
    for (const auto& s : steps) {
        MarkTarget();
        Key(s.key);
        EXPECT_EQ(Position(), s.position) << s.name;
        EXPECT_EQ(LayeredAlpha(target.hwnd()), 255 - s.position) << s.name;
        EXPECT_EQ(ExStyle(target.hwnd()), static_cast<DWORD>(WS_EX_LAYERED)) << s.name;
    }
    EXPECT_EQ(LayeredAlpha(other.hwnd()), std::nullopt) << "only the selected window changes";
}

TEST_F(OpacityControls, EveryScrollCodeButEndTrackApplies) {
    Select(0);
    SendMessageA(slider, TBM_SETPOS, TRUE, 100);  // moves the thumb without a notification
    MarkTarget();
    SendMessageA(host.hwnd(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(slider));
    EXPECT_EQ(LayeredAlpha(target.hwnd()), kSentinelAlpha) << "TB_ENDTRACK applies nothing";
    EXPECT_EQ(ExStyle(target.hwnd()), static_cast<DWORD>(WS_EX_LAYERED | WS_EX_TOOLWINDOW));
    for (WORD code : {TB_LINEUP, TB_LINEDOWN, TB_PAGEUP, TB_PAGEDOWN, TB_THUMBPOSITION, TB_THUMBTRACK, TB_TOP,
                      TB_BOTTOM}) {
        MarkTarget();
        // The high word's position is not used: the control's own position counts.
        SendMessageA(host.hwnd(), WM_HSCROLL, MAKEWPARAM(code, 7), reinterpret_cast<LPARAM>(slider));
        EXPECT_EQ(LayeredAlpha(target.hwnd()), 155) << "code " << code;
        EXPECT_EQ(ExStyle(target.hwnd()), static_cast<DWORD>(WS_EX_LAYERED)) << "code " << code;
    }
}

TEST_F(OpacityControls, PresetsApplyAndLeaveTheSliderAlone) {
    Select(0);
    SendMessageA(slider, TBM_SETPOS, TRUE, 50);
    半透明_Click(listBox);
    EXPECT_EQ(LayeredAlpha(target.hwnd()), 122);
    EXPECT_EQ(ExStyle(target.hwnd()), static_cast<DWORD>(WS_EX_LAYERED));
    EXPECT_EQ(Position(), 50);
    恢复_Click(listBox);
    EXPECT_EQ(LayeredAlpha(target.hwnd()), 255);
    EXPECT_EQ(ExStyle(target.hwnd()), static_cast<DWORD>(WS_EX_LAYERED)) << "restoring keeps the window layered";
    EXPECT_EQ(Position(), 50);
    Key(VK_RIGHT);
    EXPECT_EQ(LayeredAlpha(target.hwnd()), 204) << "the slider applies 255 - position again";
}

TEST_F(OpacityControls, SelectingAnotherEntryRetargetsTheNextMovement) {
    Select(0);
    Key(VK_END);
    ASSERT_EQ(LayeredAlpha(target.hwnd()), 0);
    Select(1);
    EXPECT_EQ(LayeredAlpha(other.hwnd()), std::nullopt) << "selecting changes no window";
    EXPECT_EQ(Position(), 255) << "selecting does not move the slider";
    Key(VK_LEFT);
    EXPECT_EQ(LayeredAlpha(other.hwnd()), 1);
    EXPECT_EQ(LayeredAlpha(target.hwnd()), 0) << "the previous window keeps its alpha";
}

TEST_F(OpacityControls, NoTargetChangesNothing) {
    TestWindow closed{"已关闭", kShown};
    InsertListEntry(listBox, 4, "已关闭", closed.handle());
    closed.Close();
    const struct { int32_t selection; const char* what; } cases[] = {
        {-1, "no selection"}, {2, "item value -1"}, {3, "item value 0"}, {4, "a closed window"},
    };
    for (const auto& c : cases) {
        Select(c.selection);
        ASSERT_EQ(SendMessageA(listBox, LB_GETCURSEL, 0, 0), c.selection);
        const int before = Position();
        Key(before == 255 ? VK_HOME : VK_END);
        EXPECT_NE(Position(), before) << c.what << ": the slider moves all the same";
        半透明_Click(listBox);
        恢复_Click(listBox);
        for (HWND hwnd : {target.hwnd(), other.hwnd()}) {
            EXPECT_EQ(LayeredAlpha(hwnd), std::nullopt) << c.what;
            EXPECT_EQ(ExStyle(hwnd) & kOldExStyle, kOldExStyle) << c.what;
        }
    }
}

}  // namespace
