#pragma once
// The read-only song model the loader builds and the replayer plays: orders,
// patterns, instruments with envelopes and auto-vibrato, 16-bit samples.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace xm {

constexpr int32_t kMaxChannels = 32;
constexpr int32_t kMaxOrders = 256;
constexpr int32_t kMaxPatterns = 256;
constexpr int32_t kMaxRows = 256;
constexpr int32_t kDefaultRows = 64;
constexpr int32_t kMaxInstruments = 128;
constexpr int32_t kSamplesPerInstrument = 16;
constexpr int32_t kEnvelopePoints = 12;
constexpr int32_t kKeymapNotes = 96;
constexpr uint8_t kNoteOff = 97;
// Interpolation reads a few samples either side of the position.
constexpr int32_t kSampleGuard = 8;

struct Cell {
    uint8_t note = 0;        // 1..96, kNoteOff, 0 = none
    uint8_t instrument = 0;  // 1..128, 0 = none
    uint8_t volume = 0;      // volume column byte
    uint8_t effect = 0;      // 0..35 (0-9, A-Z)
    uint8_t param = 0;
};

struct Pattern {
    int32_t rows = kDefaultRows;
    std::vector<Cell> cells;  // rows * channels, row-major; empty = all blank
};

enum EnvelopeFlags : uint8_t { kEnvelopeOn = 1, kEnvelopeSustain = 2, kEnvelopeLoop = 4 };

struct Envelope {
    std::array<uint16_t, kEnvelopePoints> tick{};  // x: ticks from the start
    std::array<uint8_t, kEnvelopePoints> value{};  // y: 0..64
    int32_t points = 0;                            // 0..12
    int32_t sustain = 0, loopStart = 0, loopEnd = 0;  // point indexes 0..11
    uint8_t flags = 0;                                // EnvelopeFlags
};

enum class LoopType : uint8_t { None, Forward, PingPong };

struct Sample {
    // Sample i is at data[kSampleGuard + i]; the guard past the loop end
    // repeats the loop so interpolation can read ahead without checks.
    std::vector<int16_t> data = std::vector<int16_t>(2 * kSampleGuard, 0);
    int32_t length = 0;  // in samples
    int32_t loopStart = 0, loopLength = 0;
    LoopType loop = LoopType::None;
    uint8_t volume = 64;  // 0..64
    int8_t finetune = 0;  // -128..127 (1/128 semitone)
    uint8_t panning = 128;
    int8_t relativeNote = 0;
    const int16_t* Frames() const { return data.data() + kSampleGuard; }
};

struct Instrument {
    std::array<uint8_t, kKeymapNotes> keymap{};  // note - 1 -> sample slot
    Envelope volumeEnvelope, panningEnvelope;
    uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
    uint16_t fadeout = 0;
    std::array<Sample, kSamplesPerInstrument> samples{};
};

struct Song {
    std::string title;
    int32_t channels = 0;   // 1..32
    int32_t length = 1;     // orders played, 1..256
    int32_t restart = 0;    // order to go on at after the last
    bool linearPeriods = true;
    int32_t speed = 6;      // ticks per row
    int32_t tempo = 125;    // BPM
    std::array<uint8_t, kMaxOrders> orders{};
    std::vector<Pattern> patterns;  // covers every pattern an order names
    // Index 0 is the silent stand-in FT2 plays for a missing instrument.
    std::vector<Instrument> instruments;
};

}  // namespace xm
