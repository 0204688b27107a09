// Mixer on a synthetic sample, and the renderer's tick timing.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/player/Mixer.h"
#include "tests/native/player/TestModule.h"

using namespace xmtest;

namespace {

constexpr int32_t kRate = 48000;
constexpr int32_t kTickFrames = 960;  // 125 BPM

// One instrument whose sample is 64 frames of a constant level.
std::unique_ptr<const xm::Song> DcSong(uint8_t loopType, int16_t level = 16384) {
    TestModule m;
    TestSample s;
    s.frames.assign(64, level);
    s.loopType = loopType;
    s.loopLength = loopType ? 64 : 0;
    TestInstrument ins;
    ins.samples = {s};
    m.instruments = {ins};
    return MustLoad(m.Image());
}

xm::Channel Playing(const xm::Song& song, int32_t volume, int32_t panning) {
    xm::Channel ch;
    ch.sample = &song.instruments[1].samples[0];
    ch.trigger = true;
    ch.quickRamp = true;  // as the replayer marks every new note
    ch.finalPeriod = 4608;  // 8363 Hz: about 0.17 sample frames per output frame
    ch.finalVolume = volume;
    ch.finalPanning = panning;
    return ch;
}

std::vector<int16_t> Mix(xm::Mixer& mixer, int32_t frames) {
    std::vector<int16_t> out(2 * frames);
    for (int32_t at = 0; at < frames; at += xm::Mixer::kMaxFrames)
        mixer.Mix(out.data() + 2 * at, std::min(frames - at, xm::Mixer::kMaxFrames));
    return out;
}

TEST(Mixer, CentrePanningUsesTheSquareRootLaw) {
    auto song = DcSong(1);
    ASSERT_TRUE(song);
    xm::Mixer mixer(1, kRate, xm::Interpolation::Linear, false);
    xm::Channel ch = Playing(*song, 65535, 128);
    mixer.Update(0, ch, true, kTickFrames);
    std::vector<int16_t> out = Mix(mixer, 100);
    const double full = 16384.0 * 65535 * 0.264 / 65536;  // level x volume x master gain
    EXPECT_NEAR(out[100], full * std::sqrt(0.5), 1);
    EXPECT_NEAR(out[101], full * std::sqrt(0.5), 1);
    EXPECT_FALSE(ch.trigger) << "the mixer takes the trigger";
}

TEST(Mixer, HardPanningSilencesTheOtherSide) {
    auto song = DcSong(1);
    ASSERT_TRUE(song);
    xm::Mixer mixer(1, kRate, xm::Interpolation::Nearest, false);
    xm::Channel ch = Playing(*song, 65535, 0);
    mixer.Update(0, ch, true, kTickFrames);
    std::vector<int16_t> out = Mix(mixer, 10);
    EXPECT_GT(out[0], 4000);
    EXPECT_EQ(out[1], 0);
}

TEST(Mixer, UnloopedSampleStopsAtItsEndLoopedOneGoesOn) {
    auto once = DcSong(0), looped = DcSong(1), bouncing = DcSong(2);
    ASSERT_TRUE(once && looped && bouncing);
    const int32_t frames = 2000;  // 64 frames last about 367 output frames
    for (const auto* song : {&once, &looped, &bouncing}) {
        xm::Mixer mixer(1, kRate, xm::Interpolation::Cubic, false);
        xm::Channel ch = Playing(**song, 65535, 128);
        mixer.Update(0, ch, true, kTickFrames);
        std::vector<int16_t> out = Mix(mixer, frames);
        bool loops = song != &once;
        EXPECT_GT(out[2 * 300], 2500);
        EXPECT_EQ(out[2 * 400] != 0, loops) << "frame 400, loop type " << (song - &once);
        EXPECT_EQ(out[2 * (frames - 1)] != 0, loops);
    }
}

TEST(Mixer, OffsetPastTheEndStopsTheVoice) {
    auto song = DcSong(0);
    ASSERT_TRUE(song);
    xm::Mixer mixer(1, kRate, xm::Interpolation::Linear, false);
    xm::Channel ch = Playing(*song, 65535, 128);
    ch.sampleStart = 64;
    mixer.Update(0, ch, true, kTickFrames);
    EXPECT_EQ(mixer.VoiceAt(0).sample, nullptr);
}

TEST(Mixer, VolumeRampsOverTheTickOrFiveMilliseconds) {
    auto song = DcSong(1);
    ASSERT_TRUE(song);
    xm::Mixer ramped(1, kRate, xm::Interpolation::Linear, true);
    xm::Channel ch = Playing(*song, 65535, 128);
    ramped.Update(0, ch, true, kTickFrames);  // a new note ramps in over 240 frames
    std::vector<int16_t> out = Mix(ramped, kTickFrames);
    const double full = 16384.0 * 65535 * 0.264 / 65536 * std::sqrt(0.5);
    EXPECT_NEAR(out[0], 0, 100);
    EXPECT_NEAR(out[2 * 120], full / 2, 100);
    EXPECT_NEAR(out[2 * 300], full, 2);
    ch.finalVolume = 0;  // an ordinary change ramps over the whole tick
    ramped.Update(0, ch, true, kTickFrames);
    out = Mix(ramped, kTickFrames);
    EXPECT_NEAR(out[2 * 480], full / 2, 100);
    EXPECT_NEAR(out[2 * 959], 0, 100);
}

TEST(Mixer, LoudMixSaturatesInsteadOfWrapping) {
    auto song = DcSong(1, 32767);
    ASSERT_TRUE(song);
    xm::Mixer mixer(16, kRate, xm::Interpolation::Nearest, false);
    for (int32_t i = 0; i < 16; ++i) {
        xm::Channel ch = Playing(*song, 65535, 128);
        mixer.Update(i, ch, true, kTickFrames);
    }
    std::vector<int16_t> out = Mix(mixer, 10);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], 32767);
}

// One instrument whose sample rises by 64 a frame: every interpolation but
// nearest should land on the line between frames.
std::unique_ptr<const xm::Song> RampSong(uint8_t loopType) {
    TestModule m;
    TestSample s;
    for (int32_t i = 0; i < 256; ++i) s.frames.push_back(static_cast<int16_t>(64 * i));
    s.loopType = loopType;
    s.loopStart = 100, s.loopLength = loopType ? 150 : 0;
    TestInstrument ins;
    ins.samples = {s};
    m.instruments = {ins};
    return MustLoad(m.Image());
}

TEST(Mixer, InterpolationsFollowAStraightLine) {
    auto song = RampSong(0);
    ASSERT_TRUE(song);
    const double gain = 65535 * 0.264 / 65536;  // hard left: the whole volume on the left
    for (auto kind : {xm::Interpolation::Nearest, xm::Interpolation::Linear, xm::Interpolation::Cubic,
                      xm::Interpolation::Sinc}) {
        xm::Mixer mixer(1, kRate, kind, false);
        xm::Channel ch = Playing(*song, 65535, 0);
        ch.finalPeriod = 4608 - 768 * 2;  // 4 x 8363 Hz: about 0.7 frames a step, every fraction visited
        mixer.Update(0, ch, true, kTickFrames);
        const double step = static_cast<double>(mixer.VoiceAt(0).step) / 4294967296.0;
        std::vector<int16_t> out = Mix(mixer, 301);
        for (int32_t n = 8; n < 301; ++n) {  // clear of the sample's start, where the kernels read zeros
            double position = n * step;
            double expected = 64 * (kind == xm::Interpolation::Nearest ? std::floor(position) : position) * gain;
            ASSERT_NEAR(out[2 * n], expected, 2) << "interpolation " << static_cast<int>(kind) << ", frame " << n;
            ASSERT_EQ(out[2 * n + 1], 0);
        }
    }
}

// Four ticks of one voice whose volume, panning and pitch change every tick,
// mixed in calls of the given sizes (cycled; 0: whole ticks).
std::vector<int16_t> FourTicks(const xm::Song& song, xm::Interpolation kind, const std::vector<int32_t>& calls) {
    xm::Mixer mixer(1, kRate, kind, true);
    std::vector<int16_t> out;
    size_t call = 0;
    for (int32_t tick = 0; tick < 4; ++tick) {
        xm::Channel ch = Playing(song, 65535 - 15000 * tick, 40 + 50 * tick);
        ch.trigger = tick == 0;
        ch.quickRamp = tick == 0;
        ch.finalPeriod = 4608 - 768 * 3 - 100 * tick;  // about 1.4 frames a step, and more each tick
        mixer.Update(0, ch, true, kTickFrames);
        for (int32_t left = kTickFrames; left > 0;) {
            int32_t n = std::min(left, calls[call++ % calls.size()]);
            if (n == 0) n = left;
            std::vector<int16_t> piece = Mix(mixer, n);
            out.insert(out.end(), piece.begin(), piece.end());
            left -= n;
        }
    }
    return out;
}

// The mixer runs two frames at a time and carries gains and positions from
// call to call: calls of odd and tiny sizes give what whole ticks give.
TEST(Mixer, CallSizesDoNotChangeTheMix) {
    const std::vector<int32_t> calls = {1, 7, 2, 333, 1, 616, 5, 3, 1, 1023};
    for (uint8_t loopType : {0, 1, 2}) {
        auto song = RampSong(loopType);
        ASSERT_TRUE(song);
        for (auto kind : {xm::Interpolation::Nearest, xm::Interpolation::Linear, xm::Interpolation::Cubic,
                          xm::Interpolation::Sinc}) {
            std::vector<int16_t> whole = FourTicks(*song, kind, {0}), pieces = FourTicks(*song, kind, calls);
            ASSERT_EQ(whole.size(), pieces.size());
            for (size_t i = 0; i < whole.size(); ++i)
                ASSERT_NEAR(whole[i], pieces[i], 1) << "loop type " << int{loopType} << ", interpolation "
                                                    << static_cast<int>(kind) << ", sample " << i;
        }
    }
}

// A one-row song at speed 1: one tick, then the end.
TEST(Renderer, RendersWholeTicksThenEnds) {
    struct Case { uint16_t tempo; int32_t rows; int32_t frames; };
    const Case cases[] = {
        {125, 1, 960},
        {150, 1, 800},
        {127, 127, 127 * 944},  // 944.88 frames a tick: FT2 drops the fraction
    };
    for (const Case& c : cases) {
        TestModule m;
        m.speed = 1, m.tempo = c.tempo;
        m.patterns = {TestPattern{c.rows, {}}};
        auto song = MustLoad(m.Image());
        ASSERT_TRUE(song);
        xm::RenderSettings settings;
        settings.looping = false;
        xm::Renderer renderer(*song, settings);
        std::vector<int16_t> out(2 * 200000);
        int32_t got = renderer.Render(out.data(), 200000);
        EXPECT_EQ(got, c.frames) << "tempo " << c.tempo;
        EXPECT_TRUE(renderer.Ended());
        EXPECT_EQ(renderer.Render(out.data(), 100), 0);
    }
}

}  // namespace
