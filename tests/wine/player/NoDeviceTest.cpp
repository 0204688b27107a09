// Runs with no sound device: ALSA finds no default card in the session's HOME.

#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <climits>

#include "platform/player/ModulePlayer_win.h"
#include "tests/wine/player/ProcessProbe.h"
#include "tests/wine/player/TinyXm.h"

namespace {

class PlayerWithoutDevice : public testing::Test {
protected:
    void SetUp() override {
        if (waveOutGetNumDevs() != 0) GTEST_SKIP() << "this session has a wave output device";
        RepeatUntilThreadsSettle([this] { PlayModule(song.data(), static_cast<int32_t>(song.size()), true); }, 5);
    }

    std::vector<uint8_t> song = TinyXmSong();
};

TEST_F(PlayerWithoutDevice, PlayModuleFailsQuietlyAndHoldsNothing) {
    for (bool looping : {true, false}) {
        std::set<DWORD> threadsBefore = ThreadIds();
        int32_t windowsBefore = VisibleWindowCount();
        EXPECT_FALSE(PlayModule(song.data(), static_cast<int32_t>(song.size()), looping)) << "looping " << looping;
        EXPECT_EQ(ThreadsOfThisProgram(NewThreads(threadsBefore, ThreadIds())).size(), 0u)
            << "the player's thread outlived the failure";
        EXPECT_EQ(VisibleWindowCount(), windowsBefore) << "the failure showed a window";
        StopModule();  // nothing plays: nothing to do
    }
}

TEST_F(PlayerWithoutDevice, RepeatedFailuresLeakNoHandles) {
    DWORD handlesBefore = HandleCount();
    for (int i = 0; i < 20; ++i) EXPECT_FALSE(PlayModule(song.data(), static_cast<int32_t>(song.size()), true));
    EXPECT_EQ(HandleCount(), handlesBefore);
}

struct LengthCase { int32_t length; const char* what; };
const LengthCase kNonPositiveLengths[] = {
    {0, "zero"},
    {-1, "minus one"},
    {INT_MIN, "the most negative length"},
};

TEST_F(PlayerWithoutDevice, NonPositiveLengthIsRefused) {
    for (const auto& c : kNonPositiveLengths) {
        EXPECT_FALSE(PlayModule(song.data(), c.length, true)) << c.what;
        EXPECT_FALSE(PlayModule(nullptr, c.length, true)) << c.what << ", no image";
    }
}

}  // namespace
