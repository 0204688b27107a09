#include <gtest/gtest.h>

#include <algorithm>

#include "tests/wine/winlist/RemoteList_win.h"

namespace {

const DWORD kShown = WS_POPUP | WS_BORDER | WS_VISIBLE;

TEST(WindowListEndToEnd, RefreshListsTheDesktopAndVellumarItself) {
    VellumarProcess app;
    ASSERT_TRUE(app.Start()) << "vellumar.exe did not show MainWindow";
    // Below everything, so that the entry a refresh drops is this one.
    TestWindow lowest{"最底下的窗口", kShown};
    SetWindowPos(lowest.hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PumpMessages();
    const MainWindowControls controls = ControlsOf(app);
    ASSERT_TRUE(controls.list && controls.refresh);

    TestWindow chinese{"透明度测试窗口", kShown};
    TestWindow blanks{"  ", kShown};
    TestWindow untitled{"", kShown};
    TestWindow hidden{"隐藏的窗口", WS_POPUP | WS_BORDER};
    TestWindow twinA{"同名窗口", kShown};
    TestWindow twinB{"同名窗口", kShown};
    std::vector<HWND> snapshot;
    ASSERT_TRUE(RefreshAndSnapshot(controls, snapshot));
    const std::vector<ListEntry> entries = RemoteListEntries(controls.list);
    EXPECT_EQ(entries, ExpectedListing(snapshot));

    const auto listed = [&](HWND hwnd) {
        const auto handle = static_cast<int32_t>(reinterpret_cast<intptr_t>(hwnd));
        return std::any_of(entries.begin(), entries.end(), [&](const ListEntry& e) { return e.value == handle; });
    };
    EXPECT_TRUE(listed(app.MainWindow())) << "Vellumar lists itself";
    for (const TestWindow* w : {&chinese, &blanks, &twinA, &twinB}) EXPECT_TRUE(listed(w->hwnd()));
    EXPECT_FALSE(listed(untitled.hwnd()));
    EXPECT_FALSE(listed(hidden.hwnd()));
    EXPECT_EQ(SendMessageA(controls.list, LB_GETCURSEL, 0, 0), LB_ERR) << "no selection after a refresh";
}

}  // namespace
