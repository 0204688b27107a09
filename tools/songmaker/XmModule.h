#pragma once
// The module as the writer sees it: FastTracker 2 XM fields, one 8-bit
// sample per instrument.

#include <cstdint>
#include <string>
#include <vector>

namespace songmaker {

constexpr uint8_t kKeyOff = 97;  // note value of a key-off

struct Cell {
    uint8_t note = 0;        // 1..96 (C-0..B-7), kKeyOff, 0 none
    uint8_t instrument = 0;  // 1-based, 0 none
    uint8_t volume = 0;      // volume column byte: 0x10..0x50 set volume, 0 none
    uint8_t effect = 0;      // 0..35
    uint8_t param = 0;
};

struct Pattern {
    int32_t rows = 64;
    std::vector<Cell> cells;  // rows x channels, row by row
};

struct Envelope {
    struct Point { uint16_t tick; uint16_t value; };  // value 0..64
    std::vector<Point> points;  // at most 12; none means off
    int32_t sustain = -1;       // point index, -1 none
    int32_t loopStart = -1, loopEnd = -1;
};

enum class Loop : uint8_t { kNone = 0, kForward = 1, kPingPong = 2 };

struct Sample {
    std::vector<int8_t> data;
    int32_t loopStart = 0, loopLength = 0;  // in samples
    Loop loop = Loop::kNone;
    uint8_t volume = 64;       // 0..64
    int8_t finetune = 0;       // -128..127
    uint8_t panning = 128;     // 0..255
    int8_t relativeNote = 0;   // semitones
};

struct Instrument {
    std::string name;
    Sample sample;
    Envelope volumeEnvelope, panningEnvelope;
    uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
    uint16_t fadeout = 0;
};

struct XmModule {
    std::string name;
    int32_t channels = 8;
    int32_t restart = 0;
    int32_t tempo = 6;   // ticks per row
    int32_t bpm = 125;
    bool linearFrequencies = false;  // false: the Amiga table
    std::vector<uint8_t> orders;
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
};

}  // namespace songmaker
