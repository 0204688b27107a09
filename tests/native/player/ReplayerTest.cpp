// Replayer: per-tick traces of one channel on tiny modules, compared with
// tables worked out from FT2's rules; and whole-song order sequences.

#include <gtest/gtest.h>

#include <sstream>

#include "platform/player/PlayedRows.h"
#include "platform/player/Replayer.h"
#include "tests/native/player/TestModule.h"

using namespace xmtest;
using xm::Cell;

namespace {

constexpr uint8_t C4 = 49, D4 = 51;  // note numbers: C-4 is 4 * 12 + 1
constexpr int32_t kPeriodC4 = 4608;  // linear: 7680 - note * 64
constexpr int32_t kSemitone = 64;

struct Tick { int32_t row, tick, period, volume, panning; };

bool operator==(const Tick& a, const Tick& b) {
    return a.row == b.row && a.tick == b.tick && a.period == b.period && a.volume == b.volume && a.panning == b.panning;
}

std::string Show(const std::vector<Tick>& ticks) {
    std::ostringstream s;
    for (const Tick& t : ticks)
        s << "\n  row " << t.row << " tick " << t.tick << " period " << t.period << " volume " << t.volume << " pan "
          << t.panning;
    return s.str();
}

TestInstrument LoopedInstrument() {
    TestInstrument ins;
    TestSample s;
    s.frames = SquareWave(64, 16);
    s.loopStart = 0, s.loopLength = 64, s.loopType = 1;
    ins.samples = {s};
    return ins;
}

// One channel, speed 3, instrument 1 looping; rows as given.
TestModule OneChannel(const std::vector<Cell>& rows) {
    TestModule m;
    m.channels = 1;
    m.speed = 3;
    m.patterns = {TestPattern{static_cast<int32_t>(rows.size()), rows}};
    m.instruments = {LoopedInstrument()};
    return m;
}

// Runs the song for ticks, recording channel 0 after each tick.
std::vector<Tick> Trace(const TestModule& m, int32_t ticks) {
    auto song = MustLoad(m.Image());
    std::vector<Tick> trace;
    if (!song) return trace;
    xm::Replayer r(*song, true, false);
    for (int32_t i = 0; i < ticks && r.Tick(); ++i) {
        const xm::Channel& ch = r.ChannelAt(0);
        trace.push_back({r.Position().row, r.Position().tick, ch.finalPeriod, ch.volume, ch.finalPanning});
    }
    return trace;
}

struct TraceCase {
    const char* what;
    std::vector<Cell> rows;
    std::vector<Tick> expect;
};

const int32_t P = kPeriodC4;
const TraceCase kTraceCases[] = {
    {"A0x slides down on ticks 1 and 2; A00 reuses the memory",
     {{C4, 1, 0, 0xA, 0x02}, {0, 0, 0, 0xA, 0x00}},
     {{0, 0, P, 64, 128}, {0, 1, P, 62, 128}, {0, 2, P, 60, 128}, {1, 0, P, 60, 128}, {1, 1, P, 58, 128}, {1, 2, P, 56, 128}}},
    {"volume column sets 0x20, then slides up 3 per tick (7x)",
     {{C4, 1, 0x30, 0, 0}, {0, 0, 0x73, 0, 0}},
     {{0, 0, P, 32, 128}, {0, 1, P, 32, 128}, {0, 2, P, 32, 128}, {1, 0, P, 32, 128}, {1, 1, P, 35, 128}, {1, 2, P, 38, 128}}},
    {"1xx slides the period up by 4x per tick; 100 keeps it",
     {{C4, 1, 0, 0x1, 0x02}, {0, 0, 0, 0x1, 0x00}},
     {{0, 0, P, 64, 128}, {0, 1, P - 8, 64, 128}, {0, 2, P - 16, 64, 128}, {1, 0, P - 16, 64, 128}, {1, 1, P - 24, 64, 128}, {1, 2, P - 32, 64, 128}}},
    {"E1x and X1x slide once on the first tick, by 4x and by x",
     {{C4, 1, 0, 0xE, 0x13}, {0, 0, 0, 0x21, 0x15}},
     {{0, 0, P - 12, 64, 128}, {0, 1, P - 12, 64, 128}, {0, 2, P - 12, 64, 128}, {1, 0, P - 17, 64, 128}, {1, 1, P - 17, 64, 128}, {1, 2, P - 17, 64, 128}}},
    {"3xx glides to the new note without retriggering and stops on it",
     {{C4, 1, 0, 0, 0}, {D4, 0, 0, 0x3, 0x10}},
     {{0, 0, P, 64, 128}, {0, 1, P, 64, 128}, {0, 2, P, 64, 128}, {1, 0, P, 64, 128}, {1, 1, P - 64, 64, 128}, {1, 2, P - 2 * kSemitone, 64, 128}}},
    {"arpeggio follows FT2's ticks-left order: tick 1 plays y, tick 2 plays x",
     {{C4, 1, 0, 0x0, 0x47}},
     {{0, 0, P, 64, 128}, {0, 1, P - 7 * kSemitone, 64, 128}, {0, 2, P - 4 * kSemitone, 64, 128}}},
    {"4xy vibrato: sine depth 8, speed 16; position advances after use",
     {{C4, 1, 0, 0x4, 0x48}},
     {{0, 0, P, 64, 128}, {0, 1, P, 64, 128}, {0, 2, P + 24, 64, 128}}},
    {"8xx and volume-column panning (x 16)",
     {{C4, 1, 0, 0x8, 0x40}, {0, 0, 0xCF, 0, 0}},
     {{0, 0, P, 64, 0x40}, {0, 1, P, 64, 0x40}, {0, 2, P, 64, 0x40}, {1, 0, P, 64, 0xF0}, {1, 1, P, 64, 0xF0}, {1, 2, P, 64, 0xF0}}},
    {"note-off without a volume envelope cuts the volume",
     {{C4, 1, 0, 0, 0}, {xm::kNoteOff, 0, 0, 0, 0}},
     {{0, 0, P, 64, 128}, {0, 1, P, 64, 128}, {0, 2, P, 64, 128}, {1, 0, P, 0, 128}, {1, 1, P, 0, 128}, {1, 2, P, 0, 128}}},
    {"K02 keys off on tick 2",
     {{C4, 1, 0, 0x14, 0x02}},
     {{0, 0, P, 64, 128}, {0, 1, P, 64, 128}, {0, 2, P, 0, 128}}},
    {"EC1 cuts on tick 1",
     {{C4, 1, 0, 0xE, 0xC1}},
     {{0, 0, P, 64, 128}, {0, 1, P, 0, 128}, {0, 2, P, 0, 128}}},
    {"ED2 delays the note to tick 2, with the volume column",
     {{C4, 1, 0, 0, 0}, {D4, 1, 0x20, 0xE, 0xD2}},
     {{0, 0, P, 64, 128}, {0, 1, P, 64, 128}, {0, 2, P, 64, 128}, {1, 0, P, 64, 128}, {1, 1, P, 64, 128}, {1, 2, P - 2 * kSemitone, 16, 128}}},
    {"T01 tremor: on for one tick, off for two",
     {{C4, 1, 0, 0x1D, 0x01}, {0, 0, 0, 0x1D, 0x00}},
     {{0, 0, P, 64, 128}, {0, 1, P, 64, 128}, {0, 2, P, 0, 128}, {1, 0, P, 0, 128}, {1, 1, P, 0, 128}, {1, 2, P, 64, 128}}},
    {"P0x slides the panning left per tick, memory kept",
     {{C4, 1, 0, 0x19, 0x04}, {0, 0, 0, 0x19, 0x00}},
     {{0, 0, P, 64, 128}, {0, 1, P, 64, 124}, {0, 2, P, 64, 120}, {1, 0, P, 64, 120}, {1, 1, P, 64, 116}, {1, 2, P, 64, 112}}},
};

TEST(Replayer, EffectTraces) {
    for (const TraceCase& c : kTraceCases) {
        SCOPED_TRACE(c.what);
        std::vector<Tick> got = Trace(OneChannel(c.rows), static_cast<int32_t>(c.expect.size()));
        EXPECT_EQ(got, c.expect) << "expected" << Show(c.expect) << "\ngot" << Show(got);
    }
}

TEST(Replayer, VolumeEnvelopeAndFadeout) {
    TestModule m = OneChannel({{C4, 1, 0, 0, 0}, {xm::kNoteOff, 0, 0, 0, 0}, {}});
    m.instruments[0].volumeEnvelope = {{{0, 64}, {2, 32}}, 1, 0, 0, xm::kEnvelopeOn | xm::kEnvelopeSustain};
    m.instruments[0].fadeout = 8192;
    auto song = MustLoad(m.Image());
    ASSERT_TRUE(song);
    xm::Replayer r(*song, true, false);
    // Envelope 64 -> 48 -> 32, held at the sustain point; after the key-off
    // the fadeout takes a quarter per tick.
    const int32_t expect[] = {65535, 49152, 32768, 24576, 16384, 8192, 0};
    for (int32_t want : expect) {
        ASSERT_TRUE(r.Tick());
        EXPECT_EQ(r.ChannelAt(0).finalVolume, want) << "row " << r.Position().row << " tick " << r.Position().tick;
    }
}

// FT2 clamps a released envelope's position back to its point only for the
// volume envelope (and for a panning envelope that is off). A panning
// envelope held at its sustain point has already stepped past it, so a later
// key-off never moves it again; a key-off on the very tick the sustain point
// is reached still lets it run on.
TEST(Replayer, PanningSustainIsReleasedOnlyOnTheTickItIsReached) {
    struct Case { const char* what; Cell keyOffRow; std::vector<Tick> expect; };
    // Panning envelope 32 -> 0 at tick 3 (sustain) -> 48 at tick 5.
    const Case cases[] = {
        {"note-off on the sustain tick: the envelope goes on to its end",
         {xm::kNoteOff, 0, 0, 0, 0},
         {{0, 0, P, 64, 128}, {0, 1, P, 64, 85}, {0, 2, P, 64, 42}, {1, 0, P, 64, 0}, {1, 1, P, 64, 96},
          {1, 2, P, 64, 192}, {2, 0, P, 64, 192}, {2, 1, P, 64, 192}}},
        {"K01, a tick after the sustain point: held there for good",
         {0, 0, 0, 0x14, 0x01},
         {{0, 0, P, 64, 128}, {0, 1, P, 64, 85}, {0, 2, P, 64, 42}, {1, 0, P, 64, 0}, {1, 1, P, 64, 0},
          {1, 2, P, 64, 0}, {2, 0, P, 64, 0}, {2, 1, P, 64, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestModule m = OneChannel({{C4, 1, 0, 0, 0}, c.keyOffRow, {}});
        // A volume envelope keeps the key-off from cutting the volume.
        m.instruments[0].volumeEnvelope = {{{0, 64}}, 0, 0, 0, xm::kEnvelopeOn};
        m.instruments[0].panningEnvelope = {{{0, 32}, {3, 0}, {5, 48}}, 1, 0, 0, xm::kEnvelopeOn | xm::kEnvelopeSustain};
        std::vector<Tick> got = Trace(m, static_cast<int32_t>(c.expect.size()));
        EXPECT_EQ(got, c.expect) << "expected" << Show(c.expect) << "\ngot" << Show(got);
    }
}

// FT2 looks periods up in 16 finetune steps per semitone: the lowest three
// bits of a sample's finetune are dropped, rounding down. A 44.1 kHz sample
// (relative note 29, finetune -28) therefore plays about 3 cents flat.
TEST(Replayer, FinetuneKeepsSixteenStepsPerSemitone) {
    const std::pair<int8_t, int32_t> cases[] = {
        {0, P}, {7, P}, {8, P - 4}, {-1, P + 4}, {-28, P + 16}, {-32, P + 16}, {100, P - 48}, {-128, P + 64},
    };
    for (const auto& [finetune, period] : cases) {
        TestModule m = OneChannel({{C4, 1, 0, 0, 0}});
        m.instruments[0].samples[0].finetune = finetune;
        std::vector<Tick> got = Trace(m, 1);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].period, period) << "finetune " << int{finetune};
    }
}

TEST(Replayer, GlobalVolumeScalesEveryChannel) {
    TestModule m = OneChannel({{C4, 1, 0, 0x10, 0x20}});
    auto song = MustLoad(m.Image());
    ASSERT_TRUE(song);
    xm::Replayer r(*song, true, false);
    r.Tick();
    EXPECT_EQ(r.GlobalVolume(), 32);
    EXPECT_EQ(r.ChannelAt(0).finalVolume, 32768);
}

TEST(Replayer, AmigaPeriodsAndFinetune) {
    TestModule m = OneChannel({{C4, 1, 0, 0, 0}, {C4, 1, 0, 0xE, 0x58}});
    m.linear = false;
    m.instruments[0].samples[0].finetune = -128;
    auto song = MustLoad(m.Image());
    ASSERT_TRUE(song);
    xm::Replayer r(*song, true, false);
    r.Tick();
    EXPECT_NEAR(r.ChannelAt(0).finalPeriod, 1712 * 1.0595, 3) << "C-4 a semitone flat";
    for (int32_t i = 0; i < 3; ++i) r.Tick();
    EXPECT_EQ(r.ChannelAt(0).finalPeriod, 1712) << "E58 sets finetune 0: Amiga C-4";
}

// The (order, row) of each row's first tick, until the song ends or limit rows.
std::vector<std::pair<int32_t, int32_t>> Rows(const TestModule& m, bool looping, bool stopOnRevisit, int32_t limit) {
    auto song = MustLoad(m.Image());
    std::vector<std::pair<int32_t, int32_t>> rows;
    if (!song) return rows;
    xm::Replayer r(*song, looping, stopOnRevisit);
    while (static_cast<int32_t>(rows.size()) < limit && r.Tick())
        if (r.Position().tick == 0) rows.push_back({r.Position().order, r.Position().row});
    return rows;
}

// Orders 0, 1, 2 of two-row patterns, speed 1.
TestModule ThreeOrders(uint16_t restart) {
    TestModule m;
    m.channels = 1;
    m.speed = 1;
    m.orders = {0, 1, 2};
    m.restart = restart;
    m.patterns = {TestPattern{2, {}}, TestPattern{2, {}}, TestPattern{2, {}}};
    return m;
}

using Rowlist = std::vector<std::pair<int32_t, int32_t>>;

TEST(Replayer, OrderSequenceLoopsAtTheRestartPosition) {
    EXPECT_EQ(Rows(ThreeOrders(1), true, false, 9),
              (Rowlist{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {1, 0}, {1, 1}, {2, 0}}));
    EXPECT_EQ(Rows(ThreeOrders(3), true, false, 8),
              (Rowlist{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {0, 0}, {0, 1}}))
        << "a restart position past the end plays the first order";
}

TEST(Replayer, StopsAtTheEndOrOnRevisit) {
    const Rowlist once = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}};
    EXPECT_EQ(Rows(ThreeOrders(1), false, false, 100), once) << "not looping stops at the end";
    EXPECT_EQ(Rows(ThreeOrders(1), true, true, 100), once) << "one pass stops where the restart loop begins";
}

TEST(Replayer, JumpsBreaksAndPatternLoops) {
    TestModule m = ThreeOrders(0);
    m.patterns[0] = TestPattern{4, {}};
    m.Put(0, 1, 0, {0, 0, 0, 0xE, 0x60});  // loop start
    m.Put(0, 2, 0, {0, 0, 0, 0xE, 0x61});  // play rows 1-2 once more
    m.Put(0, 3, 0, {0, 0, 0, 0xB, 0x02});  // jump to order 2
    m.Put(2, 0, 0, {0, 0, 0, 0xD, 0x01});  // break to row 1 of the next order
    EXPECT_EQ(Rows(m, true, true, 100), (Rowlist{{0, 0}, {0, 1}, {0, 2}, {0, 1}, {0, 2}, {0, 3}, {2, 0}}))
        << "a pattern loop is not a revisit; the break back into order 0 row 1 is";
    EXPECT_EQ(Rows(m, true, false, 10).back(), (std::pair<int32_t, int32_t>{0, 1})) << "looping goes on there";
}

// A row reached again counts as a revisit only in the same pattern-loop
// state: FT2 keeps each channel's loop count across patterns and the song's
// restart, and a loop jump leaves its row for the next pattern to start at.
TEST(Replayer, OnePassStopsOnlyWhereTheReplayWouldBeTheSame) {
    constexpr Cell kLoopStart{0, 0, 0, 0xE, 0x60}, kLoopOnce{0, 0, 0, 0xE, 0x61}, kLoopTwice{0, 0, 0, 0xE, 0x62};
    struct Case {
        const char* what;
        TestModule module;
        Rowlist onePass;
    };
    std::vector<Case> cases;
    {
        // Order 0 sets the loop start and breaks into order 1, whose E62 jumps
        // back to row 2 there; its count survives the restart into order 0.
        TestModule m = ThreeOrders(0);
        m.orders = {0, 1};
        m.patterns = {TestPattern{4, {}}, TestPattern{4, {}}};
        m.Put(0, 2, 0, kLoopStart);
        m.Put(0, 3, 0, {0, 0, 0, 0xD, 0x00});
        m.Put(1, 1, 0, kLoopTwice);
        cases.push_back({"loop count kept across the restart", m,
                         {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}, {1, 3},   // count 2 set
                          {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}, {1, 3},                   // count 1
                          {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}, {1, 3}}});                // count 0
    }
    {
        // B00 + D03 skips to row 3; order 1 breaks back to row 1, where a
        // loop runs and leaves row 1 as the start of the next pattern.
        TestModule m = ThreeOrders(0);
        m.channels = 2;
        m.orders = {0, 1};
        m.patterns = {TestPattern{4, {}}, TestPattern{4, {}}};
        m.Put(0, 0, 0, {0, 0, 0, 0xB, 0x00});
        m.Put(0, 0, 1, {0, 0, 0, 0xD, 0x03});
        m.Put(0, 1, 0, kLoopStart);
        m.Put(0, 2, 0, kLoopOnce);
        m.Put(1, 0, 0, {0, 0, 0, 0xD, 0x01});
        cases.push_back({"break row left by a loop", m,
                         {{0, 0}, {0, 3}, {1, 0}, {0, 1}, {0, 2}, {0, 1}, {0, 2},
                          {0, 3}, {1, 1}, {1, 2}, {1, 3}}});  // row 3 again, now leading to order 1 row 1
    }
    for (const Case& c : cases) {
        EXPECT_EQ(Rows(c.module, true, true, 100), c.onePass) << c.what;
        Rowlist looping = Rows(c.module, true, false, static_cast<int32_t>(c.onePass.size()) + 1);
        EXPECT_EQ(looping.back(), (std::pair<int32_t, int32_t>{0, 0})) << c.what << ": the stop is where the song starts over";
    }
}

TEST(PlayedRows, RemembersEachStateAndBoundsTheLoopingOnes) {
    xm::PlayedRows played;
    xm::RowState plain;
    plain.order = 2, plain.row = 5;
    EXPECT_FALSE(played.Visit(plain));
    EXPECT_TRUE(played.Visit(plain));
    xm::RowState looping = plain;
    looping.SetLoopCount(31, 1);
    EXPECT_FALSE(played.Visit(looping)) << "same row, a loop counting on the last channel";
    EXPECT_TRUE(played.Visit(looping));
    looping.SetLoopCount(31, 2);
    EXPECT_FALSE(played.Visit(looping));
    // Looping states go in a fixed table that holds thousands; once it is
    // full the pass ends instead of allocating during rendering.
    int32_t stored = 0;
    for (int32_t i = 0; i < 256 * 256; ++i) {
        xm::RowState next;
        next.order = static_cast<uint8_t>(i / 256), next.row = static_cast<uint8_t>(i % 256);
        next.SetLoopCount(0, 1);
        if (played.Visit(next)) break;
        ++stored;
    }
    EXPECT_GT(stored, 10000);
    EXPECT_LT(stored, 256 * 256);
}

TEST(Replayer, PatternDelayRepeatsTheRow) {
    TestModule m = ThreeOrders(0);
    m.speed = 2;
    m.Put(0, 0, 0, {0, 0, 0, 0xE, 0xE1});
    auto song = MustLoad(m.Image());
    ASSERT_TRUE(song);
    xm::Replayer r(*song, true, false);
    std::vector<int32_t> rows;
    for (int32_t i = 0; i < 6; ++i) r.Tick(), rows.push_back(r.Position().row);
    EXPECT_EQ(rows, (std::vector<int32_t>{0, 0, 0, 0, 1, 1}));
}

TEST(Replayer, SpeedAndTempoEffects) {
    TestModule m = OneChannel({{0, 0, 0, 0xF, 0x02}, {0, 0, 0, 0xF, 0x96}});
    auto song = MustLoad(m.Image());
    ASSERT_TRUE(song);
    xm::Replayer r(*song, true, false);
    std::vector<int32_t> rows;
    for (int32_t i = 0; i < 3; ++i) r.Tick(), rows.push_back(r.Position().row);
    EXPECT_EQ(rows, (std::vector<int32_t>{0, 0, 1})) << "F02: two ticks per row";
    EXPECT_EQ(r.Tempo(), 150);
}

}  // namespace
