// AboutWindow's credits as another process reads them off the label while
// the window is open, against the typewriter's own steps on a simulated
// clock. Runs with and without a sound device (see CMakeLists.txt).
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "TestPaths.h"
#include "about/CreditsText.h"
#include "tests/native/about/CreditsClock.h"
#include "tests/wine/about/AboutWindowProbe.h"
#include "tests/wine/support/PcmCapture.h"

namespace {

// The captions the typewriter sets from the opening through one whole round
// of the lines and the first `again` steps of line 1 after it.
std::vector<Shown> OneRoundAndThen(size_t again) {
    CreditsRun run;
    run.Open(CreditsText);
    run.RunUntil(60000);
    const std::vector<Shown>& shown = run.label.shown;
    auto restart = std::find_if(shown.begin() + 1, shown.end(),
                                [&](const Shown& s) { return s.caption == shown.front().caption; });
    const size_t end = std::min<size_t>(shown.size(), (restart - shown.begin()) + again);
    return std::vector<Shown>(shown.begin(), shown.begin() + end);
}

// A step may come late (a busy machine delays window timers), and the one
// after it early by as much: a late tick is not made up for, the next one
// falls due on the timer's own schedule. The first step is timed from the
// window's creation, which is before the created handler starts the song
// and then the timer.
bool OnTime(size_t step, double seen, double expected, double lateBefore) {
    const double late = step == 0 ? 250 : 120 + expected / 20;
    return seen >= expected - 40 - lateBefore && seen <= expected + late;
}

// Compares the label's changes with the expected captions: first the empty
// label, then each caption in order and content, each step timed from the
// one before (the first from the opening).
void ExpectTyping(const CaptionLog& log, const std::vector<Shown>& expected, const char* what) {
    ASSERT_FALSE(log.changes.empty()) << what;
    EXPECT_EQ(log.changes.front().caption, "") << what << ": the label is empty right after opening";
    ASSERT_EQ(log.changes.size(), expected.size() + 1)
        << what << ": changes seen (the sampler's longest gap was " << log.longestGap << " ms)";
    int offTime = 0;
    double slowest = 0, lateBefore = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        const SeenCaption& seen = log.changes[i + 1];
        ASSERT_EQ(seen.caption, expected[i].caption) << what << ": step " << i + 1 << " at " << seen.at << " ms";
        const double step = seen.at - (i ? log.changes[i].at : 0);
        const double expectedStep = double(expected[i].at - (i ? expected[i - 1].at : 0));
        if (!OnTime(i, step, expectedStep, lateBefore)) {
            ++offTime;
            ADD_FAILURE() << what << ": step " << i + 1 << " came " << step << " ms after the one before, expected "
                          << expectedStep;
        }
        slowest = std::max(slowest, step - expectedStep);
        lateBefore = std::max(0.0, step - expectedStep);
    }
    const double total = log.changes.back().at, expectedTotal = double(expected.back().at);
    std::printf("%s: label read %.1f ms after the opening; %zu captions in order; last at %.0f ms "
                "(typewriter: %.0f ms, %+.2f %%); worst step %+.0f ms; sampler's longest gap %.1f ms\n",
                what, log.changes.front().at, expected.size(), total, expectedTotal,
                100 * (total - expectedTotal) / expectedTotal, slowest, log.longestGap);
    EXPECT_EQ(offTime, 0) << what << ": steps off time";
}

class AboutTypingTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The test runs in the same HOME as the program, so it sees the same devices.
        if (CapturePath().empty()) {
            ASSERT_EQ(waveOutGetNumDevs(), 0u) << "a sound device where the session should have none";
        } else {
            ASSERT_GT(waveOutGetNumDevs(), 0u) << "no wave device: is HOME's .asoundrc read?";
        }
        ASSERT_TRUE(app.Start()) << "vellumar.exe did not show MainWindow";
        // The process's first opening also pays for starting the sound
        // system and the label's font; the openings under test come after.
        ASSERT_TRUE(about.Open());
        ASSERT_TRUE(about.WaitForCaption(LeftPart(CreditsText, 1) + "_", 3000));
        std::printf("cold opening: shown %.1f ms and first caption seen %.1f ms after creation\n",
                    about.ShownAfter(), NowMs() - about.OpenedAt());
        ASSERT_TRUE(about.Close());
    }

    VellumarProcess app;
    AboutWindowProbe about{app};
};

TEST_F(AboutTypingTest, TypesTheCreditsInOrderAndTimeAndAfreshAtEachOpening) {
    const std::vector<Shown> round = OneRoundAndThen(3);
    ASSERT_TRUE(about.Open());
    EXPECT_NE(GetWindowLongA(about.Window(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "AboutWindow is topmost";
    std::printf("an opening: shown %.1f ms after it was created\n", about.ShownAfter());
    ExpectTyping(about.Record(round.size() + 1, round.back().at + 2000.0), round, "an opening");
    const int64_t played = CaptureBytes();
    ASSERT_TRUE(about.Close());
    if (!CapturePath().empty()) {
        EXPECT_GT(played, 0) << "the song played while the credits were typed";
    }

    // Closed in the middle of line 1's second round: the next opening starts over.
    const std::vector<Shown> start(round.begin(), round.begin() + 10);
    ASSERT_TRUE(about.Open());
    EXPECT_NE(GetWindowLongA(about.Window(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "topmost again";
    ExpectTyping(about.Record(start.size() + 1, start.back().at + 2000.0), start, "the next opening");
    ASSERT_TRUE(about.Close());

    PostMessageA(app.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
}

// The window as a picture: the label's pixels are green on black, and the
// line on it (line 1, with Chinese characters) leaves a fair number lit.
TEST_F(AboutTypingTest, ScreenshotShowsGreenTextOnBlack) {
    const Text line1 = SplitAtBar(CreditsText).At(1);
    ASSERT_TRUE(about.Open());
    ASSERT_TRUE(about.WaitForCaption(line1 + "_", 8000)) << "line 1 was not typed to its end";
    const std::string name = CapturePath().empty() ? "about-window-typing" : "about-window-typing-sound";
    ASSERT_TRUE(SaveScreenshot(about.Window(), name));

    std::ifstream file(std::string(VELLUMAR_SCREENSHOTS) + "\\" + name + ".bmp", std::ios::binary);
    const std::vector<unsigned char> bmp{std::istreambuf_iterator<char>(file), {}};
    ASSERT_GT(bmp.size(), 54u);
    auto u32 = [&](size_t at) { return bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | bmp[at + 3] << 24; };
    const int width = u32(18), height = u32(22), rowBytes = (width * 3 + 3) / 4 * 4;
    const size_t pixels = u32(10);
    ASSERT_EQ(bmp.size(), pixels + size_t(rowBytes) * height);

    RECT window, label;
    GetWindowRect(about.Window(), &window);
    GetWindowRect(about.Label(), &label);
    int lit = 0, black = 0, otherColour = 0;
    for (int y = label.top - window.top; y < label.bottom - window.top; ++y) {
        for (int x = label.left - window.left; x < label.right - window.left; ++x) {
            const unsigned char* p = &bmp[pixels + size_t(height - 1 - y) * rowBytes + 3 * x];  // B, G, R
            if (p[0] > 16 || p[2] > 16) ++otherColour;
            else if (p[1] >= 128) ++lit;
            else if (p[1] < 16) ++black;
        }
    }
    const int area = (label.right - label.left) * (label.bottom - label.top);
    std::printf("label %ld x %ld: %d green, %d black, %d of another colour\n", label.right - label.left,
                label.bottom - label.top, lit, black, otherColour);
    EXPECT_EQ(otherColour, 0) << "only green on black";
    EXPECT_GT(lit, 300) << "the line's text is drawn";
    EXPECT_GT(black, area / 2) << "on a black ground";
    ASSERT_TRUE(about.Close());
}

}  // namespace
