#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "tests/wine/winlist/TestWindows_win.h"
#include "winlist/HandleText.h"
#include "winlist/WindowList_win.h"

namespace {

const DWORD kShown = WS_POPUP | WS_BORDER | WS_VISIBLE;

// A hidden host with the list box, and the kinds of windows a desktop holds.
class WindowList : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(host.hwnd(), nullptr);
        listBox = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY,
                                  0, 0, 200, 300, host.hwnd(), nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(listBox, nullptr);
    }

    TestWindow host{"列表宿主", WS_OVERLAPPEDWINDOW};  // hidden: never listed itself
    HWND listBox = nullptr;
};

class WindowListOnDesktop : public WindowList {
protected:
    // Created first, so lowest in Z order of ours: the entry a refresh drops
    // is never one of those looked for below.
    TestWindow bottom{"最底下的窗口", kShown};
    TestWindow chinese{"透明度测试窗口", WS_OVERLAPPEDWINDOW | WS_VISIBLE};
    TestWindow blanks{"   ", kShown};
    TestWindow untitled{"", kShown};
    TestWindow hidden{"隐藏的窗口", WS_POPUP | WS_BORDER};
    TestWindow twinA{"同名窗口", kShown};
    TestWindow twinB{"同名窗口", kShown};
    TestWindow tool{"工具窗口", kShown, WS_EX_CLIENTEDGE | WS_EX_TOOLWINDOW};
};

bool Listed(const std::vector<ListEntry>& entries, const TestWindow& window) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const ListEntry& e) { return e.value == window.handle(); });
}

TEST_F(WindowListOnDesktop, EnumerationIsTheVisibleBitFilterInEnumWindowsOrder) {
    std::vector<HWND> snapshot;
    TextArray texts;
    ASSERT_TRUE(WithStableWindows(snapshot, [&] { texts = EnumerateVisibleWindows(); }));
    std::vector<Text> expect;
    for (HWND hwnd : snapshot) {
        if (HasVisibleBit(hwnd)) expect.push_back(HandleToText(static_cast<int32_t>(reinterpret_cast<intptr_t>(hwnd))));
    }
    std::vector<Text> got;
    for (int32_t i = 1; i <= texts.Count(); ++i) got.push_back(texts.At(i));
    EXPECT_EQ(got, expect);
    for (const TestWindow* w : {&chinese, &blanks, &untitled, &tool}) {
        EXPECT_NE(std::find(got.begin(), got.end(), HandleToText(w->handle())), got.end())
            << "visible window " << w->handle() << " missing";
    }
    EXPECT_EQ(std::find(got.begin(), got.end(), HandleToText(hidden.handle())), got.end());
    EXPECT_EQ(std::find(got.begin(), got.end(), HandleToText(host.handle())), got.end());
}

TEST_F(WindowListOnDesktop, TitlesAsTheWindowsReportThem) {
    TestWindow closed{"已关闭", kShown};
    const int32_t closedHandle = closed.handle();
    closed.Close();
    const struct { int32_t handle; const char* expect; const char* what; } cases[] = {
        {chinese.handle(), "\xCD\xB8\xC3\xF7\xB6\xC8\xB2\xE2\xCA\xD4\xB4\xB0\xBF\xDA", "CP936, two bytes a character"},
        {blanks.handle(), "   ", "blanks kept, untrimmed"},
        {untitled.handle(), "", "an empty caption"},
        {hidden.handle(), "隐藏的窗口", "visibility plays no part"},
        {closedHandle, "", "a closed window"},
        {0, "", "handle 0"},
        {-1, "", "handle -1"},
    };
    for (const auto& c : cases) EXPECT_EQ(GetWindowTitle(c.handle), c.expect) << c.what;

    const std::string longTitle(5000, 'x');
    TestWindow lengthy{longTitle.c_str(), WS_POPUP};
    EXPECT_EQ(GetWindowTitle(lengthy.handle()), longTitle);
}

// A window whose WM_GETTEXTLENGTH answers ReportedLength whatever its title,
// as a title that changes between the two messages would.
LRESULT ReportedLength = 0;
LRESULT CALLBACK MisreportingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETTEXTLENGTH) return ReportedLength;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(WindowTitle, BufferHoldsWhatTheLengthPromised) {
    TestWindow window{"abcdef", WS_POPUP, 0, MisreportingProc};
    const struct { LRESULT reported; const char* expect; const char* what; } cases[] = {
        {3, "abc", "a title that grew is cut to the bytes the buffer holds"},
        {1, "a", "one byte"},
        {40, "abcdef", "a title that shrank is what the second message gave"},
        {0, "", "length 0 asks no further"},
        {-5, "", "a negative length asks no further"},
    };
    for (const auto& c : cases) {
        ReportedLength = c.reported;
        EXPECT_EQ(GetWindowTitle(window.handle()), c.expect) << c.what;
    }
}

LRESULT CALLBACK SilentTextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETTEXTLENGTH) return 10;
    if (msg == WM_GETTEXT) return 0;  // copies nothing
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(WindowTitle, NothingCopiedIsEmpty) {
    TestWindow window{"title", WS_POPUP, 0, SilentTextProc};
    EXPECT_EQ(GetWindowTitle(window.handle()), "") << "the buffer's first byte must be 0 before the request";
}

TEST_F(WindowListOnDesktop, RefreshListsTheRuleAppliedToTheDesktop) {
    InsertListEntry(listBox, 0, "old", 1);
    SendMessageA(listBox, LB_SETCURSEL, 0, 0);
    std::vector<HWND> snapshot;
    ASSERT_TRUE(WithStableWindows(snapshot, [&] { RefreshWindowList(listBox); }));
    const std::vector<ListEntry> entries = ListEntries(listBox);
    EXPECT_EQ(entries, ExpectedListing(snapshot));

    EXPECT_TRUE(Listed(entries, chinese));
    EXPECT_TRUE(Listed(entries, blanks)) << "a title of blanks is a title";
    EXPECT_TRUE(Listed(entries, tool)) << "tool windows count as visible";
    EXPECT_TRUE(Listed(entries, twinA) && Listed(entries, twinB)) << "duplicates are both kept";
    EXPECT_FALSE(Listed(entries, untitled));
    EXPECT_FALSE(Listed(entries, hidden));
    EXPECT_FALSE(std::any_of(entries.begin(), entries.end(), [](const ListEntry& e) { return e.text == "old"; }));
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [](const ListEntry& e) { return e.text == "   "; }), 1);
    EXPECT_EQ(SendMessageA(listBox, LB_GETCURSEL, 0, 0), LB_ERR) << "no selection after a refresh";
    EXPECT_EQ(SelectedWindowHandle(listBox), -1);
}

// With only our windows on the desktop the exact listing can be written out.
class WindowListAlone : public WindowList {
protected:
    bool OnlyOurs(const std::vector<HWND>& windows) {
        for (HWND hwnd : TopLevelWindows()) {
            if (!HasVisibleBit(hwnd) || TitleOf(hwnd).empty()) continue;
            if (std::find(windows.begin(), windows.end(), hwnd) == windows.end()) return false;
        }
        return true;
    }
};

TEST_F(WindowListAlone, ExactListings) {
    for (int count = 0; count <= 3; ++count) {
        // Created C, B, A: each new window goes on top, so A is topmost.
        std::vector<std::unique_ptr<TestWindow>> made;
        const char* names[] = {"C", "B", "A"};
        for (int i = 3 - count; i < 3; ++i) made.push_back(std::make_unique<TestWindow>(names[i], kShown));
        std::vector<HWND> ours;
        for (auto& w : made) ours.push_back(w->hwnd());
        if (!OnlyOurs(ours)) GTEST_SKIP() << "other titled windows are visible on this desktop";
        RefreshWindowList(listBox);
        std::vector<std::string> texts;
        for (const ListEntry& e : ListEntries(listBox)) texts.push_back(e.text);
        const std::vector<std::vector<std::string>> expect = {{}, {}, {"A"}, {"B", "A"}};
        EXPECT_EQ(texts, expect[count]) << count << " titled windows";
    }
}

TEST_F(WindowList, MoreThan256VisibleWindowsAreAllKept) {
    std::vector<std::unique_ptr<TestWindow>> many;
    for (int i = 0; i < 300; ++i) {
        many.push_back(std::make_unique<TestWindow>(("窗口" + std::to_string(i)).c_str(), kShown));
        ASSERT_NE(many.back()->hwnd(), nullptr);
    }
    std::vector<HWND> snapshot;
    TextArray texts;
    ASSERT_TRUE(WithStableWindows(snapshot, [&] { texts = EnumerateVisibleWindows(); }));
    const auto visible = std::count_if(snapshot.begin(), snapshot.end(), HasVisibleBit);
    ASSERT_GE(visible, 300);
    EXPECT_EQ(texts.Count(), visible);
    ASSERT_TRUE(WithStableWindows(snapshot, [&] { RefreshWindowList(listBox); }));
    EXPECT_EQ(ListEntries(listBox), ExpectedListing(snapshot));
}

TEST_F(WindowList, ListBoxOperations) {
    EXPECT_EQ(InsertListEntry(listBox, -1, "x", 5), -1) << "negative position";
    EXPECT_EQ(InsertListEntry(listBox, 3, "x", 5), -1) << "past the end";
    EXPECT_EQ(SendMessageA(listBox, LB_GETCOUNT, 0, 0), 0);
    EXPECT_FALSE(DeleteListEntry(listBox, 0)) << "nothing to delete";

    EXPECT_EQ(InsertListEntry(listBox, 0, "first", -2147483647 - 1), 0);
    EXPECT_EQ(InsertListEntry(listBox, 0, "second", 77), 0);
    EXPECT_EQ(InsertListEntry(listBox, 2, "third"), 2);
    const std::vector<ListEntry> expect = {{"second", 77}, {"first", -2147483647 - 1}, {"third", 0}};
    EXPECT_EQ(ListEntries(listBox), expect);

    const struct { int32_t position; int32_t expect; } values[] = {
        {0, 77}, {1, -2147483647 - 1}, {2, 0}, {3, -1}, {10, -1}, {-1, -1},
    };
    for (const auto& v : values) EXPECT_EQ(ListItemValue(listBox, v.position), v.expect) << "position " << v.position;

    EXPECT_EQ(ListSelection(listBox), -1);
    EXPECT_EQ(SelectedWindowHandle(listBox), -1);
    SendMessageA(listBox, LB_SETCURSEL, 1, 0);
    EXPECT_EQ(ListSelection(listBox), 1);
    EXPECT_EQ(SelectedWindowHandle(listBox), -2147483647 - 1) << "negative handles survive the item value";

    EXPECT_TRUE(DeleteListEntry(listBox, 0));
    EXPECT_FALSE(DeleteListEntry(listBox, 2));
    ClearListBox(listBox);
    EXPECT_EQ(SendMessageA(listBox, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(ListSelection(listBox), -1);
}

}  // namespace
