#pragma once
// Tiny XM images built in memory for the player tests.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/player/XmPlayer.h"

namespace xmtest {

struct TestSample {
    std::vector<int16_t> frames;  // stored as 16-bit unless eightBit
    bool eightBit = false;
    uint32_t loopStart = 0, loopLength = 0;  // in frames
    uint8_t loopType = 0;                    // 1 forward, 2 ping-pong
    uint8_t volume = 64, panning = 128;
    int8_t finetune = 0, relativeNote = 0;
};

struct TestEnvelope {
    std::vector<std::pair<uint16_t, uint16_t>> points;  // (tick, value)
    uint8_t sustain = 0, loopStart = 0, loopEnd = 0, flags = 0;
};

struct TestInstrument {
    std::vector<TestSample> samples;
    std::vector<uint8_t> keymap;  // empty: every note plays sample 0
    TestEnvelope volumeEnvelope, panningEnvelope;
    uint16_t fadeout = 0;
    uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
};

struct TestPattern {
    int32_t rows = 64;
    std::vector<xm::Cell> cells;  // rows * channels; empty: blank
};

struct TestModule {
    std::string title = "test";
    uint16_t version = 0x0104;
    int32_t channels = 2;
    uint16_t speed = 6, tempo = 125, restart = 0;
    bool linear = true;
    std::vector<uint8_t> orders = {0};
    std::vector<TestPattern> patterns = {TestPattern{}};
    std::vector<TestInstrument> instruments;

    // Sets one cell of a pattern, growing the pattern's cells as needed.
    void Put(int32_t pattern, int32_t row, int32_t channel, xm::Cell cell);
    std::vector<uint8_t> Image() const;  // the XM file
};

// A square wave of the given length, full scale.
std::vector<int16_t> SquareWave(int32_t frames, int32_t period);
// Loads an image that must load; fails the test otherwise.
std::unique_ptr<const xm::Song> MustLoad(const std::vector<uint8_t>& image);

}  // namespace xmtest
