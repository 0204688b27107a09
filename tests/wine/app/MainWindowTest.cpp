// MainWindow seen from another process, as a user or another program sees it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/wine/support/VellumarProcess.h"

namespace {

const DWORD kControlBits = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;
const DWORD kButtonBits = kControlBits | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;

struct ControlCase {
    const char* windowClass;
    int x, y, width, height;
    const char* caption;
    DWORD style;  // these bits at least
    DWORD exStyle;
    const char* what;
};
const ControlCase kControls[] = {
    {"Button", 264, 216, 80, 24, "关于程序", kButtonBits, 0, "按钮3"},
    {"Button", 148, 216, 80, 24, "帮助注意", kButtonBits, 0, "按钮2"},
    {"Button", 34, 216, 80, 24, "刷新列表", kButtonBits, 0, "按钮1"},
    {TRACKBAR_CLASSA, 8, 192, 360, 24, "", kControlBits | TBS_AUTOTICKS | TBS_NOTICKS, 0, "滑块条1"},
    {"ListBox", 8, 8, 360, 184, "", kControlBits | LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT,
     WS_EX_CLIENTEDGE, "列表框1"},
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.Start()) << "vellumar.exe did not show MainWindow"; }

    HWND Control(int index) const {
        const ControlCase& c = kControls[index];
        return app.ControlAt(c.windowClass, c.x, c.y);
    }
    HWND List() const { return Control(4); }
    HWND Slider() const { return Control(3); }
    // A visible top-level window of Vellumar other than MainWindow.
    HWND Popup(const char* caption, const char* windowClass) const {
        HWND found = nullptr;
        WaitUntil([&] { return (found = TopLevelOf(app.ProcessId(), caption, windowClass)) != nullptr; }, 3000);
        return found;
    }

    VellumarProcess app;
};

TEST_F(MainWindowTest, GeometryAndFrame) {
    HWND main = app.MainWindow();
    RECT outer, client;
    GetWindowRect(main, &outer);
    GetClientRect(main, &client);
    EXPECT_EQ(outer.right - outer.left, 382);
    EXPECT_EQ(client.bottom - client.top, 247);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 382) / 2) << "centred for 382 x 272";
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 272) / 2) << "not centred again for the new height";
    const LONG style = GetWindowLongA(main, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN), WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0) << "fixed frame, close box only";
    EXPECT_EQ(GetWindowLongA(main, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW), 0);
    EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr) << "its own taskbar button";
    EXPECT_EQ(GetClassLongA(main, GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS),
              CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
    EXPECT_EQ(GetClassLongPtrA(main, GCLP_HBRBACKGROUND), 0) << "the window paints its own background";
    EXPECT_TRUE(SaveScreenshot(main, "main-window"));
}

TEST_F(MainWindowTest, ControlsInPlace) {
    EXPECT_EQ(ChildrenOf(app.MainWindow()).size(), 5u);
    for (const ControlCase& c : kControls) {
        HWND control = app.ControlAt(c.windowClass, c.x, c.y);
        ASSERT_NE(control, nullptr) << c.what << " not found at its place";
        RECT place = ChildPlace(app.MainWindow(), control);
        EXPECT_EQ(place.right - place.left, c.width) << c.what;
        EXPECT_EQ(place.bottom - place.top, c.height) << c.what;
        EXPECT_EQ(TextOf(control), c.caption) << c.what;
        EXPECT_EQ(GetWindowLongA(control, GWL_STYLE) & c.style, static_cast<LONG>(c.style)) << c.what;
        EXPECT_EQ(GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, static_cast<LONG>(c.exStyle)) << c.what;
        EXPECT_TRUE(IsWindowEnabled(control)) << c.what;
    }
    EXPECT_EQ(GetWindowLongA(List(), GWL_STYLE) & (LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL), 0);
    EXPECT_EQ(SendMessageA(List(), LB_GETCURSEL, 0, 0), LB_ERR) << "nothing selected";
    EXPECT_EQ(GetWindowLongA(Slider(), GWL_STYLE) & (TBS_VERT | TBS_ENABLESELRANGE), 0);
    EXPECT_EQ(SendMessageA(Slider(), TBM_GETRANGEMIN, 0, 0), 1);
    EXPECT_EQ(SendMessageA(Slider(), TBM_GETRANGEMAX, 0, 0), 255);
    EXPECT_EQ(SendMessageA(Slider(), TBM_GETPOS, 0, 0), 1);
    EXPECT_EQ(SendMessageA(Slider(), TBM_GETLINESIZE, 0, 0), 1);
    EXPECT_EQ(SendMessageA(Slider(), TBM_GETPAGESIZE, 0, 0), 1);
}

TEST_F(MainWindowTest, EscClosesTheProgramWhicheverControlHasTheFocus) {
    for (int tabs = 0; tabs < 5; ++tabs) {
        if (tabs > 0) {
            app.~VellumarProcess();
            new (&app) VellumarProcess();
            ASSERT_TRUE(app.Start());
        }
        for (int i = 0; i < tabs; ++i) PressKey(VK_TAB);
        HWND focus = FocusOf(app.MainWindow());
        PressKey(VK_ESCAPE);
        EXPECT_EQ(app.WaitForExit(), 0u) << "Esc with the focus on " << ClassNameOf(focus) << " after " << tabs << " Tab";
    }
}

TEST_F(MainWindowTest, ModifiedEscDoesNotClose) {
    PressKey(VK_ESCAPE, true);
    EXPECT_TRUE(app.Running()) << "Shift+Esc";
    EXPECT_TRUE(IsWindowVisible(app.MainWindow()));
}

TEST_F(MainWindowTest, TabOrderBothWays) {
    const int forward[] = {4, 3, 2, 1, 0};  // 列表框1, 滑块条1, 按钮1, 按钮2, 按钮3
    ASSERT_EQ(FocusOf(app.MainWindow()), Control(4)) << "the list has the focus at first";
    for (int step = 1; step <= 5; ++step) {
        PressKey(VK_TAB);
        EXPECT_EQ(FocusOf(app.MainWindow()), Control(forward[step % 5])) << "Tab number " << step;
    }
    for (int step = 1; step <= 5; ++step) {
        PressKey(VK_TAB, true);
        EXPECT_EQ(FocusOf(app.MainWindow()), Control(forward[(10 - step) % 5])) << "Shift+Tab number " << step;
    }
}

TEST_F(MainWindowTest, EnterDoesNothingAndSpaceClicksTheHelpButton) {
    for (int i = 0; i < 3; ++i) PressKey(VK_TAB);  // to 按钮2
    ASSERT_EQ(FocusOf(app.MainWindow()), Control(1));
    PressKey(VK_RETURN);
    Sleep(500);
    EXPECT_EQ(TopLevelOf(app.ProcessId(), "帮助"), nullptr) << "Enter must not click";
    EXPECT_EQ(FocusOf(app.MainWindow()), Control(1)) << "Enter must not move the focus";
    PressKey(VK_F1);
    EXPECT_EQ(TopLevelOf(app.ProcessId(), "帮助"), nullptr) << "F1 does nothing";

    PressKey(VK_SPACE);
    HWND box = Popup("帮助", "#32770");
    ASSERT_NE(box, nullptr) << "Space clicks the focused button";
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr) << "the help box has no owner";
    EXPECT_FALSE(IsWindowEnabled(app.MainWindow())) << "task-modal";
    bool textFound = false;
    for (HWND child : ChildrenOf(box)) textFound = textFound || TextOf(child).size() == 228;
    EXPECT_TRUE(textFound) << "a 228-byte help text";
    SaveScreenshot(box, "help-box");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(app.MainWindow()) != FALSE; }));
    EXPECT_TRUE(app.Running());
}

TEST_F(MainWindowTest, HelpTextExactly) {
    PostMessageA(Control(1), BM_CLICK, 0, 0);
    HWND box = Popup("帮助", "#32770");
    ASSERT_NE(box, nullptr);
    std::string text;
    for (HWND child : ChildrenOf(box)) {
        if (TextOf(child).size() > text.size()) text = TextOf(child);
    }
    EXPECT_EQ(text,
              "帮助：\r\n首先先选择需要调整的窗口的名称，然后拉动滑\r\n块条，即可改变该窗口的透明度！并且支持一键\r\n"
              "半透明、一键还原！\r\n\r\n注意：\r\n请尽量不要将透明度拉到低！以免您看不见窗口\r\n"
              "，影响您正常的使用！在关闭、刷新窗口前，请\r\n先还原透明度！");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_F(MainWindowTest, RightClickMenuOpensAtTheCursorAndEscClosesOnlyIt) {
    RECT list;
    GetWindowRect(List(), &list);
    const int x = list.left + 100, y = list.top + 150;  // below any entry
    ClickAt(x, y, true);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu); }))
        << "no pop-up menu";
    RECT place;
    GetWindowRect(menu, &place);
    EXPECT_EQ(place.left, x);
    EXPECT_EQ(place.top, y);
    SaveScreenshot(app.MainWindow(), "main-window-menu");
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); })) << "Esc closes the menu";
    Sleep(300);
    EXPECT_TRUE(app.Running()) << "and only the menu";
    EXPECT_TRUE(IsWindowVisible(app.MainWindow()));
}

TEST_F(MainWindowTest, AboutWindowIsModalTopmostAndFreshEachTime) {
    HWND first = nullptr;
    for (int opening = 1; opening <= 2; ++opening) {
        PostMessageA(Control(0), BM_CLICK, 0, 0);
        HWND about = Popup("关于程序", "VellumarWindow");
        ASSERT_NE(about, nullptr) << "opening " << opening;
        EXPECT_NE(about, first) << "a fresh window at each opening";
        first = about;
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(app.MainWindow()); })) << "MainWindow disabled";
        RECT outer;
        GetWindowRect(about, &outer);
        EXPECT_EQ(outer.right - outer.left, 349);
        EXPECT_EQ(outer.bottom - outer.top, 103);
        EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 349) / 2);
        EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 103) / 2);
        EXPECT_NE(GetWindowLongA(about, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "topmost";
        EXPECT_EQ(GetWindowLongA(about, GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
        HWND owner = GetWindow(about, GW_OWNER);
        ASSERT_NE(owner, nullptr) << "owned, so no taskbar button of its own";
        EXPECT_NE(owner, app.MainWindow());
        EXPECT_NE(GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
        EXPECT_FALSE(IsWindowVisible(owner));
        EXPECT_EQ(TextOf(owner), "");
        RECT ownerPlace;
        GetWindowRect(owner, &ownerPlace);
        EXPECT_EQ(ownerPlace.right - ownerPlace.left, 0);
        EXPECT_EQ(ownerPlace.bottom - ownerPlace.top, 0);
        if (opening == 1) SaveScreenshot(about, "about-window");

        SetForegroundWindow(about);
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(IsWindow(about)) << "Esc does not close AboutWindow";
        PostMessageA(about, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(app.MainWindow()) != FALSE; })) << "enabled again";
    }
    PostMessageA(app.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
}

}  // namespace
