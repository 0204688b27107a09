#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "about/AboutSong.h"
#include "platform/player/XmPlayer.h"
#include "tools/songmaker/SongMaker.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(AboutSong, CommittedModuleIsWhatTheScoreMakes) {
    const std::string score = ReadFile(VELLUMAR_SOURCE_DIR "/assets/AboutSong.score");
    const std::string committed = ReadFile(VELLUMAR_SOURCE_DIR "/assets/AboutSong.xm");
    ASSERT_FALSE(score.empty());
    const std::vector<uint8_t> made = songmaker::MakeSong(score);
    ASSERT_EQ(made.size(), committed.size());
    EXPECT_TRUE(std::equal(made.begin(), made.end(), committed.begin(),
                           [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); }))
        << "regenerate with: cmake --build <host tree> --target about_song";
    ASSERT_EQ(AboutSongLength, static_cast<int32_t>(committed.size()));
    EXPECT_EQ(0, std::memcmp(AboutSong, committed.data(), committed.size())) << "the embedded bytes are the asset";
}

TEST(AboutSong, EmbeddedSongHasItsShape) {
    ASSERT_EQ(AboutSongLength, 51355);
    const uint8_t* b = AboutSong;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b), 17), "Extended Module: ");
    EXPECT_EQ(b[58] | b[59] << 8, 0x0104) << "format version";
    EXPECT_EQ(b[60] | b[61] << 8 | b[62] << 16 | b[63] << 24, 276) << "header size";

    xm::LoadResult loaded = xm::LoadSong(AboutSong, AboutSongLength);
    ASSERT_TRUE(loaded.song) << loaded.error;
    const xm::Song& song = *loaded.song;
    EXPECT_EQ(song.channels, 10);
    EXPECT_EQ(song.patterns.size(), 15u);
    EXPECT_EQ(song.instruments.size(), 22u + 1) << "22 and the loader's silent stand-in";
    EXPECT_EQ(song.length, 19);
    EXPECT_EQ(song.restart, 3);
    EXPECT_EQ(song.speed, 6);
    EXPECT_EQ(song.tempo, 130);
    EXPECT_FALSE(song.linearPeriods) << "the Amiga frequency table";
    for (size_t i = 1; i < song.instruments.size(); ++i) {
        EXPECT_GT(song.instruments[i].samples[0].length, 0) << "instrument " << i << " has a sample";
    }
}

// One pass through the 19 orders of 64 rows at speed 6 and 130 BPM lasts
// 19 * 64 * 6 * 2.5 / 130 s; the song sounds all the way and never clips.
TEST(AboutSong, OnePassPlaysItsLengthAudibly) {
    xm::LoadResult loaded = xm::LoadSong(AboutSong, AboutSongLength);
    ASSERT_TRUE(loaded.song) << loaded.error;
    xm::RenderSettings settings;
    settings.looping = false;
    xm::Renderer renderer(*loaded.song, settings);
    const int32_t second = settings.sampleRate;
    std::vector<int16_t> block(2 * second);
    int64_t frames = 0;
    int32_t quietSeconds = 0, clipped = 0;
    while (!renderer.Ended()) {
        const int32_t got = renderer.Render(block.data(), second);
        double energy = 0;
        for (int32_t i = 0; i < 2 * got; ++i) {
            energy += static_cast<double>(block[i]) * block[i];
            clipped += block[i] == 32767 || block[i] == -32768;
        }
        if (got == second && std::sqrt(energy / (2 * got)) < 300) ++quietSeconds;  // about -40 dBFS
        frames += got;
        ASSERT_LT(frames, 200LL * second) << "the song does not end";
    }
    const double expected = 19.0 * 64 * 6 * 2.5 / 130;
    EXPECT_NEAR(static_cast<double>(frames) / second, expected, 0.5);
    EXPECT_EQ(quietSeconds, 0);
    EXPECT_EQ(clipped, 0);
}

}  // namespace
