#pragma once
// FT2's note-to-period tables, vibrato waveforms and the period-to-pitch rule.

#include <cstdint>

namespace xm {

constexpr int32_t kPeriodTableSize = 1936;  // 121 notes x 16 finetune steps
constexpr int32_t kMaxPeriod = 32000 - 1;

// Period of table index (note * 16 + finetune / 8 + 16), clamped to the table.
int32_t NotePeriod(bool linear, int32_t index);
// Playback rate in Hz of a period; 0 for period 0.
double PeriodToHz(bool linear, int32_t period);
// Half a sine, 0..255, in 32 steps: vibrato and tremolo depth.
uint8_t VibratoSine(int32_t step);
// A full sine, -64..64, in 256 steps: the instrument's auto-vibrato.
int32_t AutoVibratoSine(int32_t step);

}  // namespace xm
