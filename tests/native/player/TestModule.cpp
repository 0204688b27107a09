#include "tests/native/player/TestModule.h"

#include <gtest/gtest.h>

namespace xmtest {
namespace {

void U8(std::vector<uint8_t>& b, uint32_t v) { b.push_back(static_cast<uint8_t>(v)); }
void U16(std::vector<uint8_t>& b, uint32_t v) { U8(b, v & 0xFF), U8(b, v >> 8); }
void U32(std::vector<uint8_t>& b, uint32_t v) { U16(b, v & 0xFFFF), U16(b, v >> 16); }
void Text(std::vector<uint8_t>& b, const std::string& s, size_t length) {
    for (size_t i = 0; i < length; ++i) U8(b, i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
}

// Packs cells the way FT2 does: a mask byte unless all five fields are there.
std::vector<uint8_t> Packed(const TestPattern& p, int32_t channels) {
    std::vector<uint8_t> b;
    for (int32_t i = 0; i < p.rows * channels; ++i) {
        xm::Cell c = i < static_cast<int32_t>(p.cells.size()) ? p.cells[i] : xm::Cell{};
        uint8_t fields[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
        uint8_t mask = 0;
        for (int32_t f = 0; f < 5; ++f)
            if (fields[f]) mask |= 1 << f;
        if (mask == 0x1F) {
            b.insert(b.end(), fields, fields + 5);
            continue;
        }
        U8(b, 0x80 | mask);
        for (int32_t f = 0; f < 5; ++f)
            if (fields[f]) U8(b, fields[f]);
    }
    return b;
}

void PatternBytes(std::vector<uint8_t>& b, const TestModule& m, const TestPattern& p) {
    std::vector<uint8_t> data = Packed(p, m.channels);
    if (m.version == 0x0102) {
        U32(b, 8), U8(b, 0), U8(b, p.rows - 1), U16(b, static_cast<uint32_t>(data.size()));
    } else {
        U32(b, 9), U8(b, 0), U16(b, p.rows), U16(b, static_cast<uint32_t>(data.size()));
    }
    b.insert(b.end(), data.begin(), data.end());
}

void EnvelopeBytes(std::vector<uint8_t>& b, const TestEnvelope& e) {
    for (size_t i = 0; i < 12; ++i) {
        U16(b, i < e.points.size() ? e.points[i].first : 0);
        U16(b, i < e.points.size() ? e.points[i].second : 0);
    }
}

uint32_t SampleBytes(const TestSample& s) { return static_cast<uint32_t>(s.frames.size() * (s.eightBit ? 1 : 2)); }

void InstrumentHeader(std::vector<uint8_t>& b, const TestInstrument& ins) {
    U32(b, ins.samples.empty() ? 29 : 263);
    Text(b, "instrument", 22);
    U8(b, 0);
    U16(b, static_cast<uint32_t>(ins.samples.size()));
    if (ins.samples.empty()) return;
    U32(b, 40);
    for (size_t n = 0; n < 96; ++n) U8(b, n < ins.keymap.size() ? ins.keymap[n] : 0);
    EnvelopeBytes(b, ins.volumeEnvelope);
    EnvelopeBytes(b, ins.panningEnvelope);
    U8(b, static_cast<uint32_t>(ins.volumeEnvelope.points.size()));
    U8(b, static_cast<uint32_t>(ins.panningEnvelope.points.size()));
    for (const TestEnvelope* e : {&ins.volumeEnvelope, &ins.panningEnvelope}) U8(b, e->sustain), U8(b, e->loopStart), U8(b, e->loopEnd);
    U8(b, ins.volumeEnvelope.flags), U8(b, ins.panningEnvelope.flags);
    U8(b, ins.vibratoType), U8(b, ins.vibratoSweep), U8(b, ins.vibratoDepth), U8(b, ins.vibratoRate);
    U16(b, ins.fadeout);
    for (int32_t i = 0; i < 22; ++i) U8(b, 0);  // reserved
    for (const TestSample& s : ins.samples) {
        uint32_t unit = s.eightBit ? 1 : 2;
        U32(b, SampleBytes(s)), U32(b, s.loopStart * unit), U32(b, s.loopLength * unit);
        U8(b, s.volume), U8(b, static_cast<uint8_t>(s.finetune));
        U8(b, s.loopType | (s.eightBit ? 0 : 16)), U8(b, s.panning), U8(b, static_cast<uint8_t>(s.relativeNote));
        U8(b, 0);
        Text(b, "sample", 22);
    }
}

void SampleData(std::vector<uint8_t>& b, const TestInstrument& ins) {
    for (const TestSample& s : ins.samples) {
        int32_t old = 0;
        for (int16_t f : s.frames) {
            int32_t value = s.eightBit ? f >> 8 : f;
            if (s.eightBit) U8(b, static_cast<uint8_t>(value - old));
            else U16(b, static_cast<uint16_t>(value - old));
            old = value;
        }
    }
}

}  // namespace

void TestModule::Put(int32_t pattern, int32_t row, int32_t channel, xm::Cell cell) {
    TestPattern& p = patterns[pattern];
    p.cells.resize(static_cast<size_t>(p.rows) * channels);
    p.cells[static_cast<size_t>(row) * channels + channel] = cell;
}

std::vector<uint8_t> TestModule::Image() const {
    std::vector<uint8_t> b;
    Text(b, "Extended Module: ", 17);
    Text(b, title, 20);
    U8(b, 0x1A);
    Text(b, "test builder", 20);
    U16(b, version);
    U32(b, 276);
    U16(b, static_cast<uint32_t>(orders.size())), U16(b, restart), U16(b, channels);
    U16(b, static_cast<uint32_t>(patterns.size())), U16(b, static_cast<uint32_t>(instruments.size()));
    U16(b, linear ? 1 : 0), U16(b, speed), U16(b, tempo);
    for (size_t i = 0; i < 256; ++i) U8(b, i < orders.size() ? orders[i] : 0);
    if (version < 0x0104) {
        for (const TestInstrument& ins : instruments) InstrumentHeader(b, ins);
        for (const TestPattern& p : patterns) PatternBytes(b, *this, p);
        for (const TestInstrument& ins : instruments) SampleData(b, ins);
        return b;
    }
    for (const TestPattern& p : patterns) PatternBytes(b, *this, p);
    for (const TestInstrument& ins : instruments) {
        InstrumentHeader(b, ins);
        SampleData(b, ins);
    }
    return b;
}

std::vector<int16_t> SquareWave(int32_t frames, int32_t period) {
    std::vector<int16_t> wave(frames);
    for (int32_t i = 0; i < frames; ++i) wave[i] = (i % period) < period / 2 ? 32767 : -32767;
    return wave;
}

std::unique_ptr<const xm::Song> MustLoad(const std::vector<uint8_t>& image) {
    xm::LoadResult r = xm::LoadSong(image.data(), image.size());
    EXPECT_TRUE(r.song) << "load failed: " << r.error;
    return std::move(r.song);
}

}  // namespace xmtest
