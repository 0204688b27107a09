// Runs with ALSA's default device writing what it plays to a raw file (see
// this folder's CMakeLists.txt), so the PCM the player sends can be checked.
// Nothing paces that device: Wine hands it PCM several times faster than
// real time, so a wait captures at least as much audio as it lasts.

#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>

#include "about/AboutSong.h"
#include "platform/player/ModulePlayer_win.h"
#include "tests/wine/player/OffThreadAllocations.h"
#include "tests/wine/support/PcmCapture.h"
#include "tests/wine/player/ProcessProbe.h"
#include "tests/wine/player/TinyXm.h"

namespace {

constexpr int32_t kRate = 48000;
constexpr int32_t kSongFrames = 16 * 5 * kRate / 50;  // 16 rows of 5 ticks at 125 BPM
// Wine ends a stream that is reset with a period of its own.
constexpr int32_t kResetTail = kRate / 10;
constexpr int32_t kMaxStartOffset = kRate / 10;
constexpr double kSameSignal = 0.999;

int32_t Length(const std::vector<uint8_t>& image) { return static_cast<int32_t>(image.size()); }

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (to.QuadPart - from.QuadPart) * 1000.0 / frequency.QuadPart;
}

class PlayerWithCapture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(CapturePath().empty()) << "VELLUMAR_CAPTURE names no file (run through ctest)";
        ASSERT_GT(waveOutGetNumDevs(), 0u) << "no wave output device: is HOME's .asoundrc read?";
        RepeatUntilThreadsSettle([this] {
            PlayModule(song_.data(), Length(song_), true);
            StopModule();
        }, 5);
    }
    void TearDown() override { StopModule(); }

    // Plays for the given time, stops, and returns what reached the device.
    Pcm PlayAndCapture(bool looping, DWORD milliseconds) {
        EXPECT_TRUE(PlayModule(song_.data(), Length(song_), looping));
        Sleep(milliseconds);
        StopModule();
        return ReadCapture();
    }

    void ExpectEngineRender(Pcm capture, bool looping, int32_t minFrames, const char* what) {
        capture.resize(2 * std::max(Frames(capture) - kResetTail, 0));
        Pcm reference = RenderReference(song_, Frames(capture), looping);
        ASSERT_FALSE(reference.empty()) << "the engine cannot load the test song";
        PcmMatch match = FindReference(capture, reference, kMaxStartOffset);
        EXPECT_GE(match.offset, 0) << what << ": the song's start is not in the first 100 ms";
        EXPECT_GE(match.correlation, kSameSignal) << what << " at offset " << match.offset;
        EXPECT_GE(match.worstBlock, kSameSignal) << what << ": differs at frame " << match.worstBlockAt;
        EXPECT_GE(match.frames, minFrames) << what << ": the capture ends early";
        std::printf("%s: offset %d frames, %d frames compared, correlation %.6f, worst 50 ms %.6f\n", what,
                    match.offset, match.frames, match.correlation, match.worstBlock);
    }

    std::vector<uint8_t> song_ = TinyXmSong();
};

struct LoopCase { bool looping; const char* what; };
const LoopCase kLoopCases[] = {
    {true, "looping: goes on at the restart position"},
    {false, "not looping: falls silent at the end"},
};

TEST_F(PlayerWithCapture, DeviceGetsWhatTheEngineRenders) {
    for (const auto& c : kLoopCases) {
        Pcm capture = PlayAndCapture(c.looping, 2600);
        ExpectEngineRender(capture, c.looping, kSongFrames + kRate / 2, c.what);
        double tail = Rms(capture, kSongFrames + kMaxStartOffset, Frames(capture));
        if (c.looping) {
            EXPECT_GT(tail, 100) << c.what;
        } else {
            EXPECT_EQ(tail, 0) << c.what;
        }
    }
}

TEST_F(PlayerWithCapture, StartingAgainRestartsTheSong) {
    std::set<DWORD> before = ThreadIds();
    ASSERT_TRUE(PlayModule(song_.data(), Length(song_), true));
    Sleep(600);
    ASSERT_TRUE(PlayModule(song_.data(), Length(song_), true));
    Sleep(1000);
    std::set<DWORD> mixing = ThreadsOfThisProgram(NewThreads(before, ThreadIds()));
    StopModule();
    // Each opening starts the capture file afresh: it holds the second start only.
    ExpectEngineRender(ReadCapture(), true, kRate * 9 / 10, "after starting again");
    EXPECT_EQ(mixing.size(), 1u) << "mixing threads after starting again";
}

TEST_F(PlayerWithCapture, NonPositiveLengthLeavesTheSongPlaying) {
    ASSERT_TRUE(PlayModule(song_.data(), Length(song_), true));
    Sleep(400);
    EXPECT_FALSE(PlayModule(song_.data(), 0, true));
    EXPECT_FALSE(PlayModule(song_.data(), -1, true));
    Sleep(800);
    StopModule();
    ExpectEngineRender(ReadCapture(), true, kRate * 11 / 10, "played on through the refusals");
}

struct BadImageCase { std::vector<uint8_t> image; const char* what; };

TEST_F(PlayerWithCapture, UnreadableModuleStopsTheSongAndHoldsNothing) {
    std::vector<uint8_t> wrongSignature = song_;
    wrongSignature[0] = 'X';
    const BadImageCase cases[] = {
        {std::vector<uint8_t>(song_.begin(), song_.begin() + 40), "cut inside the header"},
        {wrongSignature, "not an extended module"},
        {std::vector<uint8_t>(500, 0xA5), "noise"},
    };
    std::set<DWORD> threadsBefore = ThreadIds();
    DWORD handlesBefore = HandleCount();
    for (const auto& c : cases) {
        ASSERT_TRUE(PlayModule(song_.data(), Length(song_), true));
        EXPECT_FALSE(PlayModule(c.image.data(), Length(c.image), true)) << c.what;
        EXPECT_EQ(ThreadsOfThisProgram(NewThreads(threadsBefore, ThreadIds())).size(), 0u)
            << c.what << ": the song's thread is left";
        EXPECT_TRUE(ThreadCountReturnsTo(threadsBefore.size(), 1000)) << c.what << ": threads are left";
        EXPECT_EQ(HandleCount(), handlesBefore) << c.what << ": handles are left";
    }
}

// The About window's song, for a figure of the mixing thread's load.
TEST_F(PlayerWithCapture, OneMixingThreadAtTimeCriticalPriority) {
    std::set<DWORD> before = ThreadIds();
    ASSERT_TRUE(PlayModule(AboutSong, AboutSongLength, true));
    Sleep(200);
    std::set<DWORD> mixing = ThreadsOfThisProgram(NewThreads(before, ThreadIds()));
    ASSERT_EQ(mixing.size(), 1u) << "threads the player started";
    DWORD id = *mixing.begin();
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, id);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_TIME_CRITICAL);
    CloseHandle(thread);
    Sleep(5000);
    double cpu = ThreadCpuSeconds(id);
    StopModule();
    // The file device takes PCM faster than it would play, so the load is
    // figured per second of audio delivered rather than per second waited.
    double audioSeconds = Frames(ReadCapture()) / double(kRate);
    std::printf("mixing thread: %.3f s of CPU for %.1f s of the About song: %.2f%% of one core in real time\n",
                cpu, audioSeconds, 100 * cpu / audioSeconds);
}

TEST_F(PlayerWithCapture, MixingThreadAllocatesNothing) {
    int64_t before = OffThreadAllocations();
    ASSERT_TRUE(PlayModule(AboutSong, AboutSongLength, true));
    Sleep(1000);
    StopModule();
    EXPECT_EQ(OffThreadAllocations() - before, 0);
}

TEST_F(PlayerWithCapture, StopReturnsWithinAFewMilliseconds) {
    double slowest = 0, total = 0;
    constexpr int kStops = 10;
    for (int i = 0; i < kStops; ++i) {
        ASSERT_TRUE(PlayModule(song_.data(), Length(song_), true));
        Sleep(150 + 20 * i);
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        StopModule();
        QueryPerformanceCounter(&after);
        double ms = Milliseconds(before, after);
        slowest = std::max(slowest, ms);
        total += ms;
    }
    std::printf("StopModule: mean %.2f ms, slowest %.2f ms over %d stops\n", total / kStops, slowest, kStops);
    EXPECT_LT(slowest, 100.0);
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    StopModule();
    QueryPerformanceCounter(&after);
    EXPECT_LT(Milliseconds(before, after), 1.0) << "nothing plays: nothing to wait for";
}

TEST_F(PlayerWithCapture, HundredPlayStopCyclesLeaveThreadsAndHandles) {
    size_t threadsBefore = ThreadIds().size();
    DWORD handlesBefore = HandleCount();
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(PlayModule(song_.data(), Length(song_), i % 2 == 0)) << "cycle " << i;
        if (i % 10 == 0) Sleep(50);  // some cycles let the thread fill buffers first
        StopModule();
    }
    EXPECT_TRUE(ThreadCountReturnsTo(threadsBefore, 1000)) << ThreadIds().size() << " threads, not " << threadsBefore;
    EXPECT_EQ(HandleCount(), handlesBefore);
}

}  // namespace
