// Loader: tiny images built here, their corrupted and truncated copies, and
// every file of the XM corpus.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/native/player/TestModule.h"

using namespace xmtest;

namespace {

// Two channels, two patterns, an instrument with a looped 16-bit sample and
// envelopes, an instrument without samples, and one with an 8-bit ping-pong sample.
TestModule RichModule(uint16_t version) {
    TestModule m;
    m.version = version;
    m.title = "rich song";
    m.speed = 4, m.tempo = 150, m.restart = 1;
    m.orders = {1, 0, 1};
    m.patterns = {TestPattern{16, {}}, TestPattern{3, {}}};
    m.Put(0, 2, 1, {49, 1, 0x40, 0x0C, 0x20});  // C-4, instrument 1, volume, C20: all five fields
    m.Put(1, 0, 0, {xm::kNoteOff, 0, 0, 0, 0});
    TestInstrument a;
    TestSample s;
    s.frames = {0, 1000, -1000, 32767, -32768, 5, 6, 7};
    s.loopStart = 2, s.loopLength = 4, s.loopType = 1;
    s.volume = 48, s.finetune = -16, s.panning = 200, s.relativeNote = -12;
    a.samples = {s};
    a.volumeEnvelope = {{{0, 64}, {10, 32}, {20, 0}}, 1, 0, 2, 7};
    a.fadeout = 512;
    a.vibratoType = 1, a.vibratoSweep = 2, a.vibratoDepth = 3, a.vibratoRate = 4;
    TestInstrument empty;
    TestInstrument c;
    TestSample e;
    e.eightBit = true;
    e.frames = {0, 256, 512, -512, 0, 256};
    e.loopStart = 1, e.loopLength = 3, e.loopType = 2;
    c.samples = {TestSample{}, e};
    c.keymap.assign(96, 1);
    m.instruments = {a, empty, c};
    return m;
}

void ExpectRichFields(const xm::Song& song) {
    EXPECT_EQ(song.title, "rich song");
    EXPECT_EQ(song.channels, 2);
    EXPECT_EQ(song.length, 3);
    EXPECT_EQ(song.restart, 1);
    EXPECT_EQ(song.speed, 4);
    EXPECT_EQ(song.tempo, 150);
    EXPECT_TRUE(song.linearPeriods);
    ASSERT_EQ(song.patterns.size(), 2u);
    EXPECT_EQ(song.patterns[0].rows, 16);
    EXPECT_EQ(song.patterns[1].rows, 3);
    const xm::Cell& c = song.patterns[0].cells.at(2 * 2 + 1);
    EXPECT_EQ(c.note, 49);
    EXPECT_EQ(c.instrument, 1);
    EXPECT_EQ(c.volume, 0x40);
    EXPECT_EQ(c.effect, 0x0C);
    EXPECT_EQ(c.param, 0x20);
    EXPECT_EQ(song.patterns[1].cells.at(0).note, xm::kNoteOff);
    ASSERT_EQ(song.instruments.size(), 4u);  // the stand-in, then three
    const xm::Sample& s = song.instruments[1].samples[0];
    EXPECT_EQ(s.length, 8);
    EXPECT_EQ(s.loop, xm::LoopType::Forward);
    EXPECT_EQ(s.loopStart, 2);
    EXPECT_EQ(s.loopLength, 4);
    EXPECT_EQ(s.volume, 48);
    EXPECT_EQ(s.finetune, -16);
    EXPECT_EQ(s.panning, 200);
    EXPECT_EQ(s.relativeNote, -12);
    EXPECT_EQ(s.Frames()[3], 32767);
    EXPECT_EQ(s.Frames()[4], -32768);
    EXPECT_EQ(s.Frames()[6], -1000) << "guard after the loop end repeats the loop start";
    const xm::Instrument& a = song.instruments[1];
    EXPECT_EQ(a.volumeEnvelope.points, 3);
    EXPECT_EQ(a.volumeEnvelope.tick[2], 20);
    EXPECT_EQ(a.volumeEnvelope.value[1], 32);
    EXPECT_EQ(a.volumeEnvelope.flags, 7);
    EXPECT_EQ(a.fadeout, 512);
    EXPECT_EQ(a.vibratoDepth, 3);
    EXPECT_EQ(a.vibratoRate, 4);
    EXPECT_EQ(song.instruments[2].samples[0].volume, 0) << "an instrument without samples plays silent";
    const xm::Sample& e = song.instruments[3].samples[1];
    EXPECT_EQ(song.instruments[3].keymap[40], 1);
    EXPECT_EQ(e.loop, xm::LoopType::PingPong);
    EXPECT_EQ(e.length, 6);
    EXPECT_EQ(e.Frames()[2], 512);
    EXPECT_EQ(e.Frames()[3], -512);
    EXPECT_EQ(e.Frames()[4], -512) << "ping-pong guard mirrors back from the loop end";
}

struct VersionCase { uint16_t version; const char* what; };
const VersionCase kVersions[] = {
    {0x0104, "1.04: patterns, then each instrument with its samples"},
    {0x0103, "1.03: instrument headers, patterns, then sample data"},
    {0x0102, "1.02: as 1.03 with one-byte pattern row counts"},
};

TEST(XmLoader, ReadsEveryFieldInEachVersion) {
    for (const VersionCase& v : kVersions) {
        SCOPED_TRACE(v.what);
        auto song = MustLoad(RichModule(v.version).Image());
        if (song) ExpectRichFields(*song);
    }
}

TEST(XmLoader, OrdersNamingMissingPatternsPlayBlank) {
    TestModule m;
    m.orders = {0, 5};
    auto song = MustLoad(m.Image());
    ASSERT_TRUE(song);
    ASSERT_GE(song->patterns.size(), 6u);
    EXPECT_EQ(song->patterns[5].rows, 64);
    EXPECT_TRUE(song->patterns[5].cells.empty());
}

struct CorruptCase {
    size_t offset;
    std::vector<uint8_t> bytes;
    const char* errorPart;  // nullptr: must still load
    const char* what;
};

TEST(XmLoader, CorruptedHeadersFailWithOneLineOrLoad) {
    const CorruptCase cases[] = {
        {0, {'X'}, "signature", "wrong signature"},
        {58, {0x05, 0x01}, "version", "version 1.05"},
        {68, {0, 0}, "channel count", "no channels"},
        {68, {33, 0}, "channel count", "33 channels"},
        {64, {0x01, 0x01}, "order list", "257 orders"},
        {70, {0x01, 0x01}, "patterns", "257 patterns"},
        {60, {0xFF, 0xFF, 0xFF, 0x7F}, "header size", "header size past the end"},
        {66, {200, 0}, nullptr, "restart past the song length still loads"},
        {76, {0, 0}, nullptr, "speed 0 still loads"},
    };
    const std::vector<uint8_t> good = RichModule(0x0104).Image();
    for (const CorruptCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> image = good;
        std::copy(c.bytes.begin(), c.bytes.end(), image.begin() + c.offset);
        xm::LoadResult r = xm::LoadSong(image.data(), image.size());
        if (c.errorPart == nullptr) {
            EXPECT_TRUE(r.song) << r.error;
            continue;
        }
        EXPECT_FALSE(r.song);
        EXPECT_NE(r.error.find(c.errorPart), std::string::npos) << r.error;
        EXPECT_EQ(r.error.find('\n'), std::string::npos);
    }
}

TEST(XmLoader, SampleCountAboveThirtyTwoFails) {
    TestModule m = RichModule(0x0104);
    std::vector<uint8_t> image = m.Image();
    // The first instrument header follows the two patterns; its sample count is at +27.
    size_t at = 60 + 276;
    for (int32_t p = 0; p < 2; ++p) at += 9 + (image[at + 7] | (image[at + 8] << 8));
    image[at + 27] = 40;
    xm::LoadResult r = xm::LoadSong(image.data(), image.size());
    EXPECT_FALSE(r.song);
    EXPECT_NE(r.error.find("40 samples"), std::string::npos) << r.error;
}

// Every prefix of a good image either loads or fails with a message; ASan
// catches any read past the prefix.
TEST(XmLoader, EveryTruncationLoadsOrFailsCleanly) {
    for (uint16_t version : {uint16_t{0x0104}, uint16_t{0x0102}}) {
        const std::vector<uint8_t> good = RichModule(version).Image();
        for (size_t length = 0; length < good.size(); ++length) {
            std::vector<uint8_t> cut(good.begin(), good.begin() + length);
            xm::LoadResult r = xm::LoadSong(cut.data(), cut.size());
            if (r.song) {
                EXPECT_EQ(r.song->channels, 2) << "length " << length;
                for (const xm::Instrument& ins : r.song->instruments)
                    for (const xm::Sample& s : ins.samples)
                        EXPECT_GE(static_cast<int64_t>(s.data.size()), s.length + 2 * xm::kSampleGuard);
            } else {
                EXPECT_FALSE(r.error.empty()) << "length " << length;
            }
        }
    }
    EXPECT_FALSE(xm::LoadSong(nullptr, 0).song);
}

TEST(XmLoader, SampleCutByTheEndOfTheFileIsShortened) {
    std::vector<uint8_t> image = RichModule(0x0104).Image();
    image.resize(image.size() - 4);  // the last sample loses 4 of its 6 bytes
    auto song = MustLoad(image);
    ASSERT_TRUE(song);
    const xm::Sample& e = song->instruments[3].samples[1];
    EXPECT_EQ(e.length, 2);
    EXPECT_LE(e.loopStart + e.loopLength, e.length);
}

TEST(XmLoader, LoadsEveryCorpusFile) {
    const std::filesystem::path dir = XM_CORPUS_DIR;
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "XM corpus not found at " << dir << "; skipped";
    int32_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".xm") continue;
        std::ifstream f(entry.path(), std::ios::binary);
        std::vector<uint8_t> image((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        xm::LoadResult r = xm::LoadSong(image.data(), image.size());
        EXPECT_TRUE(r.song) << entry.path().filename() << ": " << r.error;
        ++files;
    }
    EXPECT_GT(files, 0);
}

}  // namespace
