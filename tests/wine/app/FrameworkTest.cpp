// The framework and StartProgram inside the test's own process, where the
// fonts, icons and program-wide state can be read directly.
#include <windows.h>

#include <cstring>

#include <gtest/gtest.h>

#include "about/AboutWindowLayout_win.h"
#include "app/ExitRoutine.h"
#include "app/Framework_win.h"
#include "app/MainWindow_win.h"
#include "app/ProgramState.h"
#include "app/StartProgram_win.h"
#include "tests/wine/support/VellumarProcess.h"

namespace {

const char kFatalChild[] = "--fatal-child";
const char kMarker[] = "exit-routine-ran.txt";

HFONT GuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

HFONT FontOf(HWND hwnd) { return reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)); }

// The item height a list box gets from DEFAULT_GUI_FONT alone.
LRESULT PlainItemHeight() {
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_NOINTEGRALHEIGHT, 0, 0, 100, 100, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
    LRESULT height = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    DestroyWindow(list);
    return height;
}

TEST(Framework, FontsIconsAndListItemHeight) {
    StartFramework();
    for (const WindowLayout* layout : {&MainWindowLayout(), &AboutWindowLayout()}) {
        Window* window = CreateFromLayout(*layout);
        ASSERT_NE(window, nullptr) << layout->name;
        HWND hwnd = window->Handle();
        EXPECT_EQ(FontOf(hwnd), GuiFont()) << layout->name;
        EXPECT_NE(SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0), 0) << layout->name << " large icon";
        EXPECT_NE(SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0), 0) << layout->name << " small icon";
        for (const ControlLayout& control : layout->controls) {
            if (control.kind == ControlKind::Timer) {
                EXPECT_FALSE(IsWindowVisible(window->Control(control.name))) << "the timer is never visible";
                continue;
            }
            // A track bar draws no text and keeps no font: WM_GETFONT gives null.
            if (control.kind != ControlKind::TrackBar) {
                EXPECT_EQ(FontOf(window->Control(control.name)), GuiFont()) << control.name;
            }
            EXPECT_TRUE(IsWindowVisible(window->Control(control.name))) << control.name;
        }
        if (layout == &MainWindowLayout()) {
            EXPECT_EQ(SendMessageA(window->Control("列表框1"), LB_GETITEMHEIGHT, 0, 0), PlainItemHeight() + 1);
            EXPECT_TRUE(IsWindowVisible(hwnd)) << "its created handler shows it";
        }
        DestroyWindow(hwnd);
    }
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int ThreadWindowCount() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

void OpenAndCloseAbout() {
    Window* about = CreateFromLayout(AboutWindowLayout());
    ASSERT_NE(about, nullptr);
    DestroyWindow(about->Handle());
}

TEST(AboutWindow, EachOpeningReplacesTheLinesAndLeavesNoWindowBehind) {
    StartFramework();
    OpenAndCloseAbout();
    const int windows = ThreadWindowCount();
    for (int i = 0; i < 50; ++i) {
        CreditLines = TextArray({"replaced"});
        OpenAndCloseAbout();
        EXPECT_EQ(CreditLines.Count(), 3) << "opening " << i << " keeps its own lines";
    }
    EXPECT_EQ(ThreadWindowCount(), windows);
}

void CALLBACK CloseMainWindowSoon(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    CreditLines = TextArray({"a", "b", "c"});
    PostMessageA(FindWindowA("VellumarWindow", "Vellumar"), WM_CLOSE, 0, 0);
}

TEST(StartProgram, ReturnsZeroAndReleasesTheGlobalsOnceAtTermination) {
    SetTimer(nullptr, 0, 300, CloseMainWindowSoon);
    EXPECT_EQ(StartProgram(), 0);
    EXPECT_EQ(CreditLines.Count(), 3) << "the loop has ended, termination has not begun";
    EXPECT_EQ(FindWindowA("VellumarWindow", "Vellumar"), nullptr);
    ShutDownFramework();
    EXPECT_EQ(CreditLines.Count(), 0) << "ReleaseGlobals ran at termination";
    CreditLines = TextArray({"left"});
    ShutDownFramework();
    EXPECT_EQ(CreditLines.Count(), 1) << "and only once";
}

void WriteMarker() {
    HANDLE file = CreateFileA(kMarker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
}

// The fatal path in a child of this test: an out-of-bounds element.
int RunFatalChild() {
    StartFramework();
    RegisterExitRoutine(WriteMarker);
    (void)TextArray().At(1);
    RunExitRoutine();
    return 0;
}

TEST(FatalError, ShowsAnUnownedErrorBoxThenExitsWithMinusOneWithoutTheExitRoutine) {
    DeleteFileA(kMarker);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string commandLine = std::string("\"") + self + "\" " + kFatalChild;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &child));
    HWND box = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (box = TopLevelOf(child.dwProcessId, "Vellumar", "#32770")) != nullptr; }))
        << "no error box";
    if (box) {
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
        bool named = false;
        for (HWND part : ChildrenOf(box)) named = named || TextOf(part).find("TextArray index 1") != std::string::npos;
        EXPECT_TRUE(named) << "the box says what went wrong";
        EXPECT_EQ(WaitForSingleObject(child.hProcess, 300), static_cast<DWORD>(WAIT_TIMEOUT))
            << "the process waits for the box";
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    EXPECT_EQ(WaitForSingleObject(child.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    EXPECT_EQ(code, static_cast<DWORD>(-1));
    EXPECT_EQ(GetFileAttributesA(kMarker), INVALID_FILE_ATTRIBUTES) << "the exit routine must not run";
    if (code == STILL_ACTIVE) TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], kFatalChild) == 0) return RunFatalChild();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
