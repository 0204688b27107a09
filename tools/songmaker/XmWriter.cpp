#include "tools/songmaker/XmWriter.h"

#include <stdexcept>

namespace songmaker {
namespace {

constexpr uint32_t kHeaderSize = 276;        // from the header-size field to the end of the order table
constexpr uint32_t kPatternHeaderSize = 9;
constexpr uint32_t kInstrumentHeaderSize = 263;
constexpr uint32_t kSampleHeaderSize = 40;

class Out {
public:
    void U8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
    void U16(uint32_t v) { U8(v); U8(v >> 8); }
    void U32(uint32_t v) { U16(v); U16(v >> 16); }
    void Fixed(const std::string& text, size_t size, char pad) {
        if (text.size() > size) throw std::runtime_error("name too long: " + text);
        for (size_t i = 0; i < size; ++i) U8(i < text.size() ? text[i] : pad);
    }
    void Zeros(size_t count) { bytes.insert(bytes.end(), count, 0); }
    std::vector<uint8_t> bytes;
};

// XM packing: a byte with the top bit set says which of the five fields
// follow; a cell with all five is written plain.
void PackCell(const Cell& c, Out& out) {
    uint8_t mask = 0;
    if (c.note) mask |= 1;
    if (c.instrument) mask |= 2;
    if (c.volume) mask |= 4;
    if (c.effect) mask |= 8;
    if (c.param) mask |= 16;
    if (mask != 31) out.U8(0x80 | mask);
    if (mask & 1) out.U8(c.note);
    if (mask & 2) out.U8(c.instrument);
    if (mask & 4) out.U8(c.volume);
    if (mask & 8) out.U8(c.effect);
    if (mask & 16) out.U8(c.param);
}

void WritePattern(const Pattern& pattern, int32_t channels, Out& out) {
    if (pattern.cells.size() != static_cast<size_t>(pattern.rows * channels)) {
        throw std::runtime_error("pattern cells do not match rows x channels");
    }
    Out packed;
    for (const Cell& c : pattern.cells) PackCell(c, packed);
    if (packed.bytes.size() > 0xFFFF) throw std::runtime_error("pattern too large");
    out.U32(kPatternHeaderSize);
    out.U8(0);  // packing type
    out.U16(pattern.rows);
    out.U16(static_cast<uint32_t>(packed.bytes.size()));
    out.bytes.insert(out.bytes.end(), packed.bytes.begin(), packed.bytes.end());
}

void WriteEnvelopePoints(const Envelope& envelope, Out& out) {
    if (envelope.points.size() > 12) throw std::runtime_error("more than 12 envelope points");
    for (size_t i = 0; i < 12; ++i) {
        const bool used = i < envelope.points.size();
        out.U16(used ? envelope.points[i].tick : 0);
        out.U16(used ? envelope.points[i].value : 0);
    }
}

uint8_t EnvelopeType(const Envelope& envelope) {
    if (envelope.points.empty()) return 0;
    return 1 | (envelope.sustain >= 0 ? 2 : 0) | (envelope.loopStart >= 0 ? 4 : 0);
}

uint8_t PointOrZero(int32_t index) { return index < 0 ? 0 : static_cast<uint8_t>(index); }

void WriteInstrument(const Instrument& ins, Out& out) {
    const Sample& s = ins.sample;
    out.U32(kInstrumentHeaderSize);
    out.Fixed(ins.name, 22, 0);
    out.U8(0);  // type
    out.U16(1);  // one sample
    out.U32(kSampleHeaderSize);
    out.Zeros(96);  // every note plays sample 0
    WriteEnvelopePoints(ins.volumeEnvelope, out);
    WriteEnvelopePoints(ins.panningEnvelope, out);
    out.U8(static_cast<uint32_t>(ins.volumeEnvelope.points.size()));
    out.U8(static_cast<uint32_t>(ins.panningEnvelope.points.size()));
    for (const Envelope* e : {&ins.volumeEnvelope, &ins.panningEnvelope}) {
        out.U8(PointOrZero(e->sustain));
        out.U8(PointOrZero(e->loopStart));
        out.U8(PointOrZero(e->loopEnd));
    }
    out.U8(EnvelopeType(ins.volumeEnvelope));
    out.U8(EnvelopeType(ins.panningEnvelope));
    out.U8(ins.vibratoType);
    out.U8(ins.vibratoSweep);
    out.U8(ins.vibratoDepth);
    out.U8(ins.vibratoRate);
    out.U16(ins.fadeout);
    out.Zeros(22);  // reserved

    out.U32(static_cast<uint32_t>(s.data.size()));
    out.U32(static_cast<uint32_t>(s.loopStart));
    out.U32(static_cast<uint32_t>(s.loopLength));
    out.U8(s.volume);
    out.U8(static_cast<uint8_t>(s.finetune));
    out.U8(static_cast<uint8_t>(s.loop));  // 8-bit
    out.U8(s.panning);
    out.U8(static_cast<uint8_t>(s.relativeNote));
    out.U8(0);  // reserved
    out.Fixed(ins.name, 22, 0);

    // Sample data is stored as differences between neighbours.
    int8_t previous = 0;
    for (int8_t v : s.data) {
        out.U8(static_cast<uint8_t>(v - previous));
        previous = v;
    }
}

}  // namespace

std::vector<uint8_t> WriteXm(const XmModule& m) {
    if (m.orders.empty() || m.orders.size() > 256) throw std::runtime_error("song length out of range");
    for (uint8_t order : m.orders) {
        if (order >= m.patterns.size()) throw std::runtime_error("order names a missing pattern");
    }
    Out out;
    out.Fixed("Extended Module: ", 17, ' ');
    out.Fixed(m.name, 20, ' ');
    out.U8(0x1A);
    out.Fixed("songmaker", 20, ' ');
    out.U16(0x0104);
    out.U32(kHeaderSize);
    out.U16(static_cast<uint32_t>(m.orders.size()));
    out.U16(m.restart);
    out.U16(m.channels);
    out.U16(static_cast<uint32_t>(m.patterns.size()));
    out.U16(static_cast<uint32_t>(m.instruments.size()));
    out.U16(m.linearFrequencies ? 1 : 0);
    out.U16(m.tempo);
    out.U16(m.bpm);
    for (size_t i = 0; i < 256; ++i) out.U8(i < m.orders.size() ? m.orders[i] : 0);
    for (const Pattern& p : m.patterns) WritePattern(p, m.channels, out);
    for (const Instrument& ins : m.instruments) WriteInstrument(ins, out);
    return out.bytes;
}

int64_t XmSizeWithoutSampleData(const XmModule& module) {
    int64_t size = static_cast<int64_t>(WriteXm(module).size());
    for (const Instrument& ins : module.instruments) {
        size -= static_cast<int64_t>(ins.sample.data.size());
    }
    return size;
}

}  // namespace songmaker
