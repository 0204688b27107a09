// AboutSong as the sound device receives it from vellumar.exe: ALSA's
// default device writes the PCM to a raw file (see CMakeLists.txt), which
// the test compares with the engine's own render in this process.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "about/AboutSong.h"
#include "tests/wine/about/AboutWindowProbe.h"
#include "tests/wine/support/PcmCapture.h"

namespace {

constexpr int32_t kMaxStartOffset = kRate / 4;

std::vector<uint8_t> AboutSongImage() { return {AboutSong, AboutSong + AboutSongLength}; }
constexpr double kSameSignal = 0.99;

class AboutSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(CapturePath().empty()) << "VELLUMAR_CAPTURE names no file (run through ctest)";
        ASSERT_GT(waveOutGetNumDevs(), 0u) << "no wave device: is HOME's .asoundrc read?";
        ASSERT_TRUE(app.Start()) << "vellumar.exe did not show MainWindow";
    }

    // Opens AboutWindow, lets it play, and returns what reached the device
    // while it was open.
    Pcm PlayFor(DWORD milliseconds) {
        EXPECT_TRUE(about.Open());
        Sleep(milliseconds);
        return ReadCapture();
    }

    void ExpectSongFromItsBeginning(const Pcm& capture, int32_t minFrames, const char* what) {
        const Pcm reference = RenderReference(AboutSongImage(), Frames(capture), true);
        ASSERT_FALSE(reference.empty()) << "the engine cannot load AboutSong";
        const PcmMatch match = FindReference(capture, reference, kMaxStartOffset);
        std::printf("%s: %d frames captured, song starts at frame %d, %d frames compared, correlation %.6f\n", what,
                    Frames(capture), match.offset, match.frames, match.correlation);
        EXPECT_GE(match.offset, 0) << what << ": the song's start is not in the first 250 ms";
        EXPECT_GE(match.correlation, kSameSignal) << what << " at offset " << match.offset;
        EXPECT_GE(match.frames, minFrames) << what << ": too little to compare";
    }

    VellumarProcess app;
    AboutWindowProbe about{app};
};

// ALSA's null device takes whatever it is given at once, so the file grows
// faster than the song plays: the test compares content, not pace.
TEST_F(AboutSoundTest, PlaysAboutSongFromItsBeginningAndStopsOnClosing) {
    const Pcm capture = PlayFor(4000);
    const double openFor = NowMs() - about.OpenedAt();
    ExpectSongFromItsBeginning(capture, 3 * kRate, "while open");
    std::printf("%.3f s of sound reached the file in %.3f s open\n", double(Frames(capture)) / kRate, openFor / 1000);

    const int64_t bytesBeforeClose = CaptureBytes();
    Sleep(100);
    int64_t bytes = CaptureBytes();
    EXPECT_GT(bytes, bytesBeforeClose) << "still playing when the window is closed";
    HWND window = about.Window();
    const double closedAt = NowMs();
    PostMessageA(window, WM_CLOSE, 0, 0);
    double lastGrowth = closedAt, gone = -1;
    while (NowMs() - closedAt < 1500) {
        const int64_t now = CaptureBytes();
        if (now != bytes) {
            bytes = now;
            lastGrowth = NowMs();
        }
        if (gone < 0 && !IsWindow(window)) gone = NowMs() - closedAt;
        Sleep(1);
    }
    ASSERT_TRUE(about.Close());
    const double latency = lastGrowth - closedAt;
    std::printf("output stopped %.1f ms after WM_CLOSE was posted; window gone after %.1f ms (%lld bytes in all)\n",
                latency, gone, static_cast<long long>(bytes));
    EXPECT_LT(latency, 100) << "closing stops the song at once";
}

TEST_F(AboutSoundTest, ReopeningStartsTheSongAgainFromItsBeginning) {
    PlayFor(2500);
    ASSERT_TRUE(about.Close());
    const int64_t firstOpening = CaptureBytes();
    // The file device starts its file afresh whenever the program opens the
    // device, so the capture holds the second opening alone: a song that
    // went on from where it was would not match the render from its start.
    const Pcm capture = PlayFor(2500);
    ASSERT_TRUE(about.Close());
    EXPECT_GT(firstOpening, 0) << "the first opening played";
    ExpectSongFromItsBeginning(capture, 2 * kRate, "second opening");
}

// The player's own thread (the one new thread that starts in vellumar.exe
// rather than in a system library) appears with the window, at
// time-critical priority, and ends when the window closes.
TEST_F(AboutSoundTest, MixingThreadLivesWhileTheWindowIsOpen) {
    const std::set<DWORD> before = ThreadsOf(app.ProcessId());
    ASSERT_TRUE(about.Open());
    Sleep(500);
    std::vector<DWORD> own;
    for (DWORD thread : ThreadsOf(app.ProcessId())) {
        if (before.count(thread)) continue;
        const bool inProgram = StartsInProgram(app.ProcessId(), thread);
        std::printf("new thread %lu: priority %d, starts in %s\n", thread, ThreadPriorityOf(thread),
                    inProgram ? "vellumar.exe" : "a system library");
        if (inProgram) own.push_back(thread);
    }
    ASSERT_EQ(own.size(), 1u) << "one thread of the program's own while the song plays";
    const DWORD mixing = own.front();
    EXPECT_EQ(ThreadPriorityOf(mixing), THREAD_PRIORITY_TIME_CRITICAL);

    const double cpuStart = ThreadCpuMs(mixing), wallStart = NowMs();
    const int64_t bytesStart = CaptureBytes();
    Sleep(5000);
    const double cpu = ThreadCpuMs(mixing) - cpuStart, wall = NowMs() - wallStart;
    const double sound = double(CaptureBytes() - bytesStart) / (kRate * kBytesPerFrame);
    ASSERT_GE(cpuStart, 0) << "the thread's times cannot be read";
    std::printf("mixing thread: %.1f ms of CPU in %.0f ms (%.2f %% of one core) while %.2f s of sound were "
                "written: %.2f ms of CPU per second of sound\n",
                cpu, wall, 100 * cpu / wall, sound, sound > 0 ? cpu / sound : 0);
    EXPECT_GT(cpu, 0) << "the thread renders the song";

    ASSERT_TRUE(about.Close());
    EXPECT_FALSE(ThreadsOf(app.ProcessId()).count(mixing)) << "the mixing thread has ended once the window is gone";
}

}  // namespace
