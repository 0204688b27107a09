#include <gtest/gtest.h>

#include "platform/player/XmPlayer.h"
#include "tools/songmaker/Score.h"
#include "tools/songmaker/SongMaker.h"
#include "tools/songmaker/XmWriter.h"

namespace {

using songmaker::Cell;

// Two instruments, a few phrases and one pattern of 16 rows on 3 channels.
std::string SmallScore(const std::string& size = "0") {
    return "title Small\n"
           "song tempo=5 bpm=140 restart=1 channels=3 size=" + size + " fit=Hiss\n"
           "order 0 1 0\n"
           "instrument Beep\n"
           "  synth wave oct=1 shape=square\n"
           "  sample volume=40 pan=100 finetune=-8\n"
           "  volenv 0:64 10:32 40:16 sustain=1 loop=1-2\n"
           "  panenv 0:10 20:50\n"
           "  vibrato type=1 sweep=2 depth=3 rate=4\n"
           "  fadeout 700\n"
           "instrument Hiss\n"
           "  synth noise oct=1 length=1000 decay=0.02\n"
           "phrase up ins=Beep   # a comment\n"
           "  C-4 D#4/v20 .2 ==\n"
           "phrase low ins=Beep\n"
           "  C-4\n"
           "phrase hits ins=Hiss\n"
           "  C-4/A0F ./E91 .6\n"
           "pattern 0 rows=16\n"
           "  1 up*2 up+12@Hiss low-1\n"
           "  2 hits*2\n"
           "  3 echo 1 2 v08 pC0\n"
           "pattern 1 rows=8\n"
           "  2 hits\n";
}

struct CellCase { int32_t row, channel; Cell expect; const char* what; };
const CellCase kCellCases[] = {
    {0, 1, {49, 1, 0, 0, 0}, "C-4 with the phrase's instrument"},
    {1, 1, {52, 1, 0x30, 0, 0}, "D#4 with volume 20"},
    {2, 1, {}, "empty row"},
    {4, 1, {97, 0, 0, 0, 0}, "key off carries no instrument"},
    {5, 1, {49, 1, 0, 0, 0}, "repeated"},
    {10, 1, {49 + 12, 2, 0, 0, 0}, "transposed, instrument replaced"},
    {11, 1, {52 + 12, 2, 0x30, 0, 0}, "D#4 + 12 keeps its volume"},
    {15, 1, {48, 1, 0, 0, 0}, "transposed down"},
    {0, 2, {49, 2, 0, 0xA, 0x0F}, "effect A0F"},
    {1, 2, {0, 0, 0, 0xE, 0x91}, "effect without note"},
    {8, 2, {49, 2, 0, 0xA, 0x0F}, "second bar of hits"},
    {0, 3, {}, "echo starts after its delay"},
    {2, 3, {49, 1, 0x18, 8, 0xC0}, "echo of row 0: quieter, panned"},
    {6, 3, {97, 0, 0, 0, 0}, "echo of a key off"},
    {12, 3, {49 + 12, 2, 0x18, 8, 0xC0}, "echo of row 10"},
};

TEST(SongMakerScore, PhrasesBecomeCells) {
    songmaker::Score score = songmaker::ReadScore(SmallScore());
    const songmaker::XmModule& m = score.module;
    ASSERT_EQ(m.patterns.size(), 2u);
    for (const auto& c : kCellCases) {
        const Cell& got = m.patterns[0].cells[c.row * m.channels + c.channel - 1];
        EXPECT_EQ(got.note, c.expect.note) << c.what;
        EXPECT_EQ(got.instrument, c.expect.instrument) << c.what;
        EXPECT_EQ(got.volume, c.expect.volume) << c.what;
        EXPECT_EQ(got.effect, c.expect.effect) << c.what;
        EXPECT_EQ(got.param, c.expect.param) << c.what;
    }
    EXPECT_EQ(score.fit, 1);
}

// The written module read back by the player's loader shows every field the
// score set.
TEST(SongMakerWriter, ModuleLoadsBackUnchanged) {
    songmaker::Score score = songmaker::ReadScore(SmallScore());
    const songmaker::XmModule& m = score.module;
    for (size_t i = 0; i < m.instruments.size(); ++i) {
        songmaker::Sample s = songmaker::Synthesize(score.synths[i]);
        score.module.instruments[i].sample.data = s.data;
        score.module.instruments[i].sample.loop = s.loop;
        score.module.instruments[i].sample.loopStart = s.loopStart;
        score.module.instruments[i].sample.loopLength = s.loopLength;
        score.module.instruments[i].sample.relativeNote = s.relativeNote;
    }
    const std::vector<uint8_t> bytes = songmaker::WriteXm(m);
    xm::LoadResult loaded = xm::LoadSong(bytes.data(), bytes.size());
    ASSERT_TRUE(loaded.song) << loaded.error;
    const xm::Song& song = *loaded.song;
    EXPECT_EQ(song.title, "Small");
    EXPECT_EQ(song.channels, 3);
    EXPECT_EQ(song.length, 3);
    EXPECT_EQ(song.restart, 1);
    EXPECT_EQ(song.speed, 5);
    EXPECT_EQ(song.tempo, 140);
    EXPECT_FALSE(song.linearPeriods);
    ASSERT_EQ(song.patterns.size(), 2u);
    for (size_t p = 0; p < 2; ++p) {
        ASSERT_EQ(song.patterns[p].rows, m.patterns[p].rows);
        for (size_t i = 0; i < m.patterns[p].cells.size(); ++i) {
            const Cell& want = m.patterns[p].cells[i];
            const xm::Cell& got = song.patterns[p].cells.empty() ? xm::Cell{} : song.patterns[p].cells[i];
            EXPECT_TRUE(got.note == want.note && got.instrument == want.instrument && got.volume == want.volume &&
                        got.effect == want.effect && got.param == want.param)
                << "pattern " << p << " cell " << i;
        }
    }
    ASSERT_EQ(song.instruments.size(), 3u);
    const xm::Instrument& beep = song.instruments[1];
    EXPECT_EQ(beep.volumeEnvelope.points, 3);
    EXPECT_EQ(beep.volumeEnvelope.tick[2], 40);
    EXPECT_EQ(beep.volumeEnvelope.value[1], 32);
    EXPECT_EQ(beep.volumeEnvelope.sustain, 1);
    EXPECT_EQ(beep.volumeEnvelope.loopStart, 1);
    EXPECT_EQ(beep.volumeEnvelope.loopEnd, 2);
    EXPECT_EQ(beep.volumeEnvelope.flags, xm::kEnvelopeOn | xm::kEnvelopeSustain | xm::kEnvelopeLoop);
    EXPECT_EQ(beep.panningEnvelope.flags, xm::kEnvelopeOn);
    EXPECT_EQ(beep.panningEnvelope.value[1], 50);
    EXPECT_EQ(beep.vibratoType, 1);
    EXPECT_EQ(beep.vibratoSweep, 2);
    EXPECT_EQ(beep.vibratoDepth, 3);
    EXPECT_EQ(beep.vibratoRate, 4);
    EXPECT_EQ(beep.fadeout, 700);
    const xm::Sample& wave = beep.samples[0];
    EXPECT_EQ(wave.length, 64) << "one cycle of 32 << oct";
    EXPECT_EQ(wave.loop, xm::LoopType::Forward);
    EXPECT_EQ(wave.loopLength, 64);
    EXPECT_EQ(wave.relativeNote, 12);
    EXPECT_EQ(wave.volume, 40);
    EXPECT_EQ(wave.panning, 100);
    EXPECT_EQ(wave.finetune, -8);
    for (int32_t i = 0; i < wave.length; ++i) {
        EXPECT_EQ(wave.Frames()[i], m.instruments[0].sample.data[i] * 256) << "sample " << i;
    }
    const xm::Sample& hiss = song.instruments[2].samples[0];
    EXPECT_EQ(hiss.length, 1000);
    EXPECT_EQ(hiss.loop, xm::LoopType::None);
    EXPECT_EQ(song.instruments[2].volumeEnvelope.flags, 0);
}

TEST(SongMakerFit, FitInstrumentTakesUpTheDifference) {
    std::string error;
    try {
        songmaker::MakeSong(SmallScore("1"));
    } catch (const std::exception& e) {
        error = e.what();
    }
    ASSERT_NE(error.find("needs"), std::string::npos) << error;
    songmaker::Score score = songmaker::ReadScore(SmallScore());
    for (size_t i = 0; i < score.module.instruments.size(); ++i) {
        score.module.instruments[i].sample.data = songmaker::Synthesize(score.synths[i]).data;
    }
    const int64_t natural = static_cast<int64_t>(songmaker::WriteXm(score.module).size());
    for (int64_t extra : {0, 37, -300}) {
        const std::vector<uint8_t> bytes = songmaker::MakeSong(SmallScore(std::to_string(natural + extra)));
        ASSERT_EQ(static_cast<int64_t>(bytes.size()), natural + extra);
        xm::LoadResult loaded = xm::LoadSong(bytes.data(), bytes.size());
        ASSERT_TRUE(loaded.song) << loaded.error;
        EXPECT_EQ(loaded.song->instruments[2].samples[0].length, 1000 + extra) << "only Hiss changes";
        EXPECT_EQ(loaded.song->instruments[1].samples[0].length, 64);
    }
}

struct ErrorCase { std::string from, to, message; };
const ErrorCase kErrorCases[] = {
    {"low-1", "low-1 low", "runs past"},
    {"  1 up*2 up+12@Hiss low-1", "  1 up*2", "fills 10 rows"},
    {"  2 hits*2", "  2 hats*2", "no phrase hats"},
    {"up+12@Hiss", "up+12@Hum", "no instrument Hum"},
    {"decay=0.02", "decay=0.02 decey=1", "unknown parameter decey"},
    {"D#4/v20", "D#9/v20", "bad note"},
    {"D#4/v20", "D#4/v41", "volume above 40"},
    {"up+12@Hiss", "up+90@Hiss", "transposed out of range"},
    {"sustain=1 loop=1-2", "sustain=5", "out of range"},
    {"fit=Hiss", "fit=Beep", "needs 904 samples, its recipe gives 64"},
};

TEST(SongMakerScore, MistakesAreNamed) {
    for (const auto& c : kErrorCases) {
        std::string score = SmallScore("3000");
        const size_t at = score.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.from;
        score.replace(at, c.from.size(), c.to);
        std::string error;
        try {
            songmaker::MakeSong(score);
        } catch (const std::exception& e) {
            error = e.what();
        }
        EXPECT_NE(error.find(c.message), std::string::npos) << c.to << " gave: " << error;
    }
}

}  // namespace
