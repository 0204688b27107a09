// Fifty openings of AboutWindow, each starting the song and the typewriter
// and each closing stopping them, leave vellumar.exe holding what it held.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/wine/about/AboutWindowProbe.h"

namespace {

struct Holdings {
    size_t threads;
    int windows;
    DWORD handles, gdiObjects, userObjects;
};

Holdings HoldingsOf(DWORD processId) {
    return {ThreadsOf(processId).size(), WindowsOf(processId), HandlesOf(processId),
            GuiObjectsOf(processId, GR_GDIOBJECTS), GuiObjectsOf(processId, GR_USEROBJECTS)};
}

TEST(AboutWindowResources, FiftyOpeningsLeaveThreadsAndObjectsWhereTheyWere) {
    VellumarProcess app;
    AboutWindowProbe about(app);
    ASSERT_TRUE(app.Start()) << "vellumar.exe did not show MainWindow";
    // The first opening lets the system start what it keeps for the process (sound, fonts).
    ASSERT_TRUE(about.Open());
    ASSERT_TRUE(about.WaitForCaption("T_", 2000));
    ASSERT_TRUE(about.Close());
    Sleep(500);
    const Holdings before = HoldingsOf(app.ProcessId());

    for (int opening = 1; opening <= 50; ++opening) {
        ASSERT_TRUE(about.Open()) << "opening " << opening;
        // Some openings last until typing has begun, so the timer and the label have worked.
        if (opening % 5 == 0) {
            ASSERT_TRUE(about.WaitForCaption("T_", 2000)) << "opening " << opening;
        }
        ASSERT_TRUE(about.Close()) << "opening " << opening;
    }
    Holdings after;
    WaitUntil([&] {
        after = HoldingsOf(app.ProcessId());
        return after.threads <= before.threads;
    }, 3000);
    std::printf("threads %zu -> %zu, windows %d -> %d, handles %lu -> %lu, GDI objects %lu -> %lu, "
                "USER objects %lu -> %lu\n",
                before.threads, after.threads, before.windows, after.windows, before.handles, after.handles,
                before.gdiObjects, after.gdiObjects, before.userObjects, after.userObjects);
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_EQ(after.windows, before.windows);
    // A count the system does not keep reads as 0: it is reported, not compared.
    const DWORD Holdings::*counts[] = {&Holdings::handles, &Holdings::gdiObjects, &Holdings::userObjects};
    const char* names[] = {"handles", "GDI objects", "USER objects"};
    for (int i = 0; i < 3; ++i) {
        if (before.*counts[i] == 0) {
            std::printf("NOTICE: this system counts no %s of another process; not compared\n", names[i]);
        } else {
            EXPECT_EQ(after.*counts[i], before.*counts[i]) << names[i];
        }
    }

    PostMessageA(app.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u) << "exit code";
}

}  // namespace
