#include "platform/player/PeriodTables.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace xm {
namespace {

struct Tables {
    std::array<uint16_t, kPeriodTableSize> amiga{};
    std::array<uint8_t, 32> vibrato{};
    std::array<int8_t, 256> autoVibrato{};
    Tables() {
        // Octave 0 holds 16 x the Amiga period in 192 finetune steps from
        // B-(-1) up; each octave above halves it, as FT2's table does.
        for (int32_t i = 0; i < kPeriodTableSize; ++i) {
            int32_t step = i % 192, octave = i / 192;
            int32_t base = 16 * static_cast<int32_t>(std::lround(1712.0 * std::exp2((16 - step) / 192.0)));
            amiga[i] = static_cast<uint16_t>(base >> octave);
        }
        for (int32_t i = 0; i < 32; ++i) vibrato[i] = static_cast<uint8_t>(std::floor(255.0 * std::sin(std::numbers::pi * i / 32.0)));
        for (int32_t i = 0; i < 256; ++i)
            autoVibrato[i] = static_cast<int8_t>(std::lround(-64.0 * std::sin(2.0 * std::numbers::pi * i / 256.0)));
    }
};

const Tables& TablesOnce() {
    static const Tables tables;
    return tables;
}

}  // namespace

int32_t NotePeriod(bool linear, int32_t index) {
    index = std::clamp(index, 0, kPeriodTableSize - 1);
    return linear ? 7744 - 4 * index : TablesOnce().amiga[index];
}

double PeriodToHz(bool linear, int32_t period) {
    if (period <= 0) return 0.0;
    if (linear) return 8363.0 * std::exp2((4608 - period) / 768.0);
    return 8363.0 * 1712.0 / period;
}

uint8_t VibratoSine(int32_t step) { return TablesOnce().vibrato[step & 31]; }
int32_t AutoVibratoSine(int32_t step) { return TablesOnce().autoVibrato[step & 255]; }

}  // namespace xm
