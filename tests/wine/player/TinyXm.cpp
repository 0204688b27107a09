#include "tests/wine/player/TinyXm.h"

#include <cstring>

namespace {

constexpr int32_t kRows = 16;
constexpr int32_t kChannels = 2;
constexpr int32_t kSampleLength = 32;
constexpr uint8_t kForwardLoop = 1;
constexpr uint8_t kPackedEmpty = 0x80;

class Writer {
public:
    void U8(uint32_t v) { bytes_.push_back(static_cast<uint8_t>(v)); }
    void U16(uint32_t v) { U8(v); U8(v >> 8); }
    void U32(uint32_t v) { U16(v); U16(v >> 16); }
    void Text(const char* text, size_t width) {
        size_t length = std::strlen(text);
        for (size_t i = 0; i < width; ++i) U8(i < length ? text[i] : 0);
    }
    void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    size_t Size() const { return bytes_.size(); }
    void PatchU16(size_t at, uint32_t v) {
        bytes_[at] = static_cast<uint8_t>(v);
        bytes_[at + 1] = static_cast<uint8_t>(v >> 8);
    }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

void Header(Writer& w) {
    w.Text("Extended Module: ", 17);
    w.Text("tiny test song", 20);
    w.U8(0x1A);
    w.Text("test builder", 20);
    w.U16(0x0104);
    w.U32(276);      // header size, counted from this field
    w.U16(1);        // song length in orders
    w.U16(0);        // restart position
    w.U16(kChannels);
    w.U16(1);        // patterns
    w.U16(1);        // instruments
    w.U16(1);        // linear frequency table
    w.U16(5);        // speed
    w.U16(125);      // BPM
    w.Zeros(256);    // order table: pattern 0 only
}

void Pattern(Writer& w) {
    w.U32(9);  // pattern header size
    w.U8(0);   // packing type
    w.U16(kRows);
    size_t sizeAt = w.Size();
    w.U16(0);
    size_t dataStart = w.Size();
    for (int32_t row = 0; row < kRows; ++row) {
        w.U8(49 + (row * 5) % 12);       // a different note each row
        w.U8(1);                         // instrument
        w.U8(0x10 + 64 - (row * 7) % 40);  // volume column: set volume
        w.U8(0);
        w.U8(0);
        if (row % 4 == 0) {
            w.U8(37 + row / 4 * 3);
            w.U8(1);
            w.U8(0);
            w.U8(0);
            w.U8(0);
        } else {
            w.U8(kPackedEmpty);
        }
    }
    w.PatchU16(sizeAt, static_cast<uint32_t>(w.Size() - dataStart));
}

void Instrument(Writer& w) {
    w.U32(263);  // instrument header size, counted from this field
    w.Text("saw", 22);
    w.U8(0);
    w.U16(1);    // samples
    w.U32(40);   // sample header size
    w.Zeros(96);      // every note plays sample 0
    w.Zeros(48 + 48);  // envelope points
    w.Zeros(2 + 6);   // point counts, sustain and loop points
    w.Zeros(2);       // envelopes off
    w.Zeros(4);       // no auto-vibrato
    w.U16(0);         // fadeout
    w.Zeros(22);
    w.U32(kSampleLength);
    w.U32(0);  // loop start
    w.U32(kSampleLength);
    w.U8(64);  // volume
    w.U8(0);   // finetune
    w.U8(kForwardLoop);
    w.U8(128);  // panning
    w.U8(0);    // relative note
    w.U8(0);
    w.Text("saw", 22);
    // 8-bit delta-coded saw from -64 upward in steps of 4.
    int32_t previous = 0;
    for (int32_t i = 0; i < kSampleLength; ++i) {
        int32_t value = -64 + 4 * i;
        w.U8(static_cast<uint32_t>(value - previous));
        previous = value;
    }
}

}  // namespace

std::vector<uint8_t> TinyXmSong() {
    Writer w;
    Header(w);
    Pattern(w);
    Instrument(w);
    return w.Take();
}
