// The similarity measure on synthetic signals whose answer is known.
#include "tests/native/corpus/SpectralSimilarity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>

namespace {

constexpr int32_t kRate = 48000;

// Decaying notes of a few harmonics, alternating left and right of centre.
StereoSignal Tune(double semitones, double seconds = 4.0) {
    StereoSignal s;
    size_t n = static_cast<size_t>(seconds * kRate);
    s.left.resize(n);
    s.right.resize(n);
    const int32_t notes[] = {0, 4, 7, 12, 7, 4, 2, 5};
    for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / kRate;
        int32_t note = static_cast<int32_t>(t / 0.25);
        double local = t - note * 0.25;
        double f = 220 * std::pow(2.0, (notes[note % 8] + semitones) / 12);
        double ph = 2 * M_PI * f * local;
        double v = (std::sin(ph) + 0.3 * std::sin(3 * ph)) * std::exp(-6 * local) * 0.3;
        double pan = note % 2 ? 0.3 : -0.3;
        s.left[i] = static_cast<float>(v * (1 - pan));
        s.right[i] = static_cast<float>(v * (1 + pan));
    }
    return s;
}

StereoSignal Map(const StereoSignal& s, const std::function<float(float, size_t)>& f) {
    StereoSignal out = s;
    for (size_t i = 0; i < s.Frames(); ++i) out.left[i] = f(s.left[i], i), out.right[i] = f(s.right[i], i);
    return out;
}

StereoSignal Silence(size_t frames) {
    StereoSignal s;
    s.left.assign(frames, 0.0f);
    s.right.assign(frames, 0.0f);
    return s;
}

TEST(SpectralSimilarity, IdenticalRendersScoreOne) {
    StereoSignal tune = Tune(0);
    Similarity s = CompareSpectra(tune, tune);
    ASSERT_TRUE(s.scored);
    EXPECT_NEAR(s.score, 1.0, 1e-12);
    EXPECT_EQ(s.gainDb, 0.0);
    EXPECT_EQ(s.frames, 1 + (static_cast<int32_t>(tune.Frames()) - 2048) / 1024);
}

TEST(SpectralSimilarity, OneFileWideLevelOffsetIsRemoved) {
    StereoSignal tune = Tune(0);
    Similarity s = CompareSpectra(tune, Map(tune, [](float v, size_t) { return v * 0.5f; }));
    EXPECT_NEAR(s.gainDb, -6.0206, 0.001);
    EXPECT_GT(s.score, 0.99999);
}

TEST(SpectralSimilarity, WrongPitchScoresClearlyLower) {
    StereoSignal tune = Tune(0);
    double semitone = CompareSpectra(tune, Tune(1)).score;
    double fifth = CompareSpectra(tune, Tune(7)).score;
    EXPECT_LT(semitone, 0.85);
    EXPECT_LT(fifth, 0.85);
}

TEST(SpectralSimilarity, MissingSoundScoresZeroWhereTheReferencePlays) {
    StereoSignal tune = Tune(0);
    size_t half = tune.Frames() / 2;
    Similarity halfMissing = CompareSpectra(tune, Map(tune, [half](float v, size_t i) { return i < half ? v : 0.0f; }));
    EXPECT_GT(halfMissing.score, 0.4);
    EXPECT_LT(halfMissing.score, 0.6);
    StereoSignal shorter = tune;
    shorter.left.resize(half);
    shorter.right.resize(half);
    EXPECT_NEAR(CompareSpectra(tune, shorter).score, halfMissing.score, 1e-9)
        << "a shorter render is read as silence past its end";
    EXPECT_EQ(CompareSpectra(tune, Silence(tune.Frames())).score, 0.0);
}

TEST(SpectralSimilarity, FramesWhereTheReferenceIsSilentAreNotScored) {
    StereoSignal tune = Tune(0);
    size_t half = tune.Frames() / 2;
    StereoSignal quietEnd = Map(tune, [half](float v, size_t i) { return i < half ? v : 0.0f; });
    StereoSignal noisyEnd = Map(tune, [half](float v, size_t i) {
        return i < half ? v : static_cast<float>(0.2 * std::sin(i * 0.37));
    });
    Similarity s = CompareSpectra(quietEnd, noisyEnd);
    EXPECT_GT(s.score, 0.99) << "only the frame across the change sees the noise";
    EXPECT_LT(s.frames, CompareSpectra(tune, tune).frames * 0.6);
    EXPECT_FALSE(CompareSpectra(Silence(kRate), tune).scored) << "a silent reference has nothing to score";
}

TEST(SpectralSimilarity, LeftAgainstRightSeesOnlyTheChannelsContent) {
    StereoSignal tune = Tune(0);
    StereoSignal same = tune;
    same.right = Map(tune, [](float v, size_t) { return v * 0.25f; }).left;  // same notes, quieter
    EXPECT_GT(CompareLeftWithRight(same).score, 0.99999);
    StereoSignal differ = tune;
    differ.right = Tune(5).left;
    EXPECT_LT(CompareLeftWithRight(differ).score, 0.85);
}

struct LevelCase { double amplitude, dc, expectDb; const char* what; };
const LevelCase kLevelCases[] = {
    {1.0, 0.0, -3.0103, "a full-scale sine is 3 dB below full scale"},
    {0.001, 0.5, -63.0103, "a large DC offset is not counted"},
    {0.0, 0.25, -INFINITY, "pure DC is silence"},
};

TEST(SpectralSimilarity, LevelWithoutDc) {
    for (const LevelCase& c : kLevelCases) {
        StereoSignal s = Map(Silence(kRate), [&c](float, size_t i) {
            return static_cast<float>(c.dc + c.amplitude * std::sin(2 * M_PI * 1000 * i / kRate));
        });
        double db = RmsDbfsWithoutDc(s);
        if (std::isinf(c.expectDb))
            EXPECT_TRUE(std::isinf(db) || db < -120) << c.what << ": " << db;
        else
            EXPECT_NEAR(db, c.expectDb, 0.01) << c.what;
    }
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Le(uint32_t v, int32_t bytes) {
    std::string s;
    for (int32_t i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

std::string Wav(int32_t channels, const std::string& samples, uint32_t dataSize) {
    std::string fmt = Le(1, 2) + Le(channels, 2) + Le(48000, 4) + Le(48000 * 2 * channels, 4) +
                      Le(2 * channels, 2) + Le(16, 2);
    return "RIFF" + Le(36 + samples.size(), 4) + "WAVE" + "fmt " + Le(16, 4) + fmt + "LIST" + Le(3, 4) +
           "abc" + std::string(1, '\0') + "data" + Le(dataSize, 4) + samples;
}

TEST(WavReader, ReadsPcmAndRejectsWhatItCannotUse) {
    std::string path = ::testing::TempDir() + "wav_reader_test.wav";
    std::string samples = Le(0x4000, 2) + Le(0xC000, 2) + Le(0x7FFF, 2) + Le(0x8000, 2);
    StereoSignal s;
    std::string error;

    WriteFile(path, Wav(2, samples, 8));
    ASSERT_TRUE(ReadWav(path, s, error)) << error;
    ASSERT_EQ(s.Frames(), 2u);
    EXPECT_EQ(s.left[0], 0.5f);
    EXPECT_EQ(s.right[0], -0.5f);
    EXPECT_EQ(s.left[1], 32767 / 32768.0f);
    EXPECT_EQ(s.right[1], -1.0f);

    WriteFile(path, Wav(1, samples, 1000));
    ASSERT_TRUE(ReadWav(path, s, error)) << "a data size past the end is cut to what is there";
    ASSERT_EQ(s.Frames(), 4u);
    EXPECT_EQ(s.left[1], -0.5f);
    EXPECT_EQ(s.right[1], -0.5f);

    WriteFile(path, "RIFF\x04\0\0\0WAVE");
    EXPECT_FALSE(ReadWav(path, s, error)) << "no fmt or data chunk";
    EXPECT_FALSE(ReadWav(path + ".absent", s, error));
    std::remove(path.c_str());
}

}  // namespace
