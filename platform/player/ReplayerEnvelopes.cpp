// Fadeout, volume and panning envelopes, auto-vibrato: the end of every tick.

#include <algorithm>

#include "platform/player/PeriodTables.h"
#include "platform/player/Replayer.h"

namespace xm {
namespace {

constexpr int32_t kEnvelopeMax = 64 * 256;  // 8.8 fixed

int32_t PointTick(const Envelope& e, int32_t i) { return e.tick[std::clamp(i, 0, kEnvelopePoints - 1)]; }
int32_t PointValue(const Envelope& e, int32_t i) { return e.value[std::clamp(i, 0, kEnvelopePoints - 1)]; }

// Steps an envelope by one tick; returns its value 0..64*256.
int32_t StepEnvelope(const Envelope& e, Channel::EnvelopeState& s, bool sustained) {
    bool interpolated = false;
    int32_t value = 0;
    int32_t point = s.point;
    s.tick = (s.tick + 1) & 0xFFFF;
    if (s.tick == PointTick(e, point)) {
        s.value = PointValue(e, point) << 8;
        if ((e.flags & kEnvelopeLoop) && point == e.loopEnd &&
            (!(e.flags & kEnvelopeSustain) || point != e.sustain || sustained)) {
            point = e.loopStart;
            s.tick = PointTick(e, point);
            s.value = PointValue(e, point) << 8;
        }
        ++point;
        if (point < e.points) {
            if ((e.flags & kEnvelopeSustain) && sustained && point - 1 == e.sustain) {
                s.delta = 0;  // hold at the sustain point
            } else {
                s.point = point;
                s.delta = 0;
                int32_t span = PointTick(e, point) - PointTick(e, point - 1);
                if (span > 0) {
                    s.delta = ((PointValue(e, point) - PointValue(e, point - 1)) << 8) / span;
                    value = s.value;
                    interpolated = true;
                }
            }
        } else {
            s.delta = 0;
        }
    }
    if (!interpolated) {
        s.value += s.delta;
        value = s.value;
        if (value > kEnvelopeMax || value < 0) {
            value = std::clamp(value, 0, kEnvelopeMax);
            s.delta = 0;
        }
    }
    return value;
}

// Lxx on one envelope: position it at tick, interpolating inside a segment.
void PlaceEnvelope(const Envelope& e, Channel::EnvelopeState& s, int32_t tick) {
    s.tick = (tick - 1) & 0xFFFF;
    int32_t point = 0;
    bool atPoint = true;
    int32_t left = tick;
    if (e.points > 1) {
        ++point;
        for (int32_t i = 0; i < e.points - 1; ++i, ++point) {
            if (left >= PointTick(e, point)) continue;
            --point;
            left -= PointTick(e, point);
            if (left == 0) {
                atPoint = false;
                break;
            }
            int32_t span = PointTick(e, point + 1) - PointTick(e, point);
            if (span <= 0) break;
            s.delta = static_cast<int16_t>((PointValue(e, point + 1) - PointValue(e, point)) << 8) / span;
            s.value = s.delta * (left - 1) + (PointValue(e, point) << 8);
            ++point;
            atPoint = false;
            break;
        }
        if (atPoint) --point;
    }
    if (atPoint) {
        s.delta = 0;
        s.value = PointValue(e, point) << 8;
    }
    s.point = std::clamp(point, 0, std::max(0, e.points - 1));
}

int32_t AutoVibratoWave(int32_t type, int32_t position) {
    switch (type) {
    case 1: return position > 127 ? 64 : -64;                      // square
    case 2: return (((position >> 1) + 64) & 127) - 64;            // ramp up
    case 3: return (((0 - (position >> 1)) + 64) & 127) - 64;      // ramp down
    default: return AutoVibratoSine(position);
    }
}

}  // namespace

void Replayer::SetEnvelopePosition(Channel& ch) {
    const Instrument& ins = *ch.instrument;
    if (ins.volumeEnvelope.flags & kEnvelopeOn) PlaceEnvelope(ins.volumeEnvelope, ch.volumeEnvelope, ch.param);
    // FT2 checks the volume envelope's sustain flag for the panning envelope.
    if (ins.volumeEnvelope.flags & kEnvelopeSustain) PlaceEnvelope(ins.panningEnvelope, ch.panningEnvelope, ch.param);
}

void Replayer::UpdateEnvelopesAndVibrato(Channel& ch) {
    const Instrument& ins = *ch.instrument;
    if (!ch.sustained) {
        if (ch.fadeoutVolume >= ch.fadeoutSpeed) {
            ch.fadeoutVolume -= ch.fadeoutSpeed;
        } else {
            ch.fadeoutVolume = 0;
            ch.fadeoutSpeed = 0;
        }
    }
    int64_t volume = int64_t{globalVolume_} * ch.volume * ch.fadeoutVolume;  // 0..2^27
    if (ins.volumeEnvelope.flags & kEnvelopeOn) {
        int64_t envelope = StepEnvelope(ins.volumeEnvelope, ch.volumeEnvelope, ch.sustained);
        volume = (volume * (envelope << 7)) >> 32;
    } else {
        volume >>= 11;
    }
    ch.finalVolume = static_cast<int32_t>(std::min<int64_t>(volume, 65535));

    if (ins.panningEnvelope.flags & kEnvelopeOn) {
        int32_t envelope = StepEnvelope(ins.panningEnvelope, ch.panningEnvelope, ch.sustained) - 32 * 256;
        int32_t room = 128 - std::abs(ch.panning - 128);
        ch.finalPanning = std::clamp(ch.panning + ((envelope * room) >> 13), 0, 255);
    } else {
        ch.finalPanning = ch.panning;
    }

    if (ins.vibratoDepth == 0) {
        ch.finalPeriod = ch.period;
        return;
    }
    int32_t depth = ch.autoVibratoDepth;
    if (ch.autoVibratoSweep > 0) {
        // While the key is held the depth sweeps up; once released FT2 uses the sweep step itself.
        depth = ch.autoVibratoSweep;
        if (ch.sustained) {
            depth += ch.autoVibratoDepth;
            if ((depth >> 8) > ins.vibratoDepth) {
                depth = ins.vibratoDepth << 8;
                ch.autoVibratoSweep = 0;
            }
            ch.autoVibratoDepth = depth;
        }
    }
    ch.autoVibratoPosition = (ch.autoVibratoPosition + ins.vibratoRate) & 0xFF;
    int32_t wave = AutoVibratoWave(ins.vibratoType, ch.autoVibratoPosition) * 4;
    int32_t period = ch.period + static_cast<int16_t>((wave * static_cast<int16_t>(depth)) >> 16);
    ch.finalPeriod = (period < 0 || period > kMaxPeriod) ? 0 : period;
}

}  // namespace xm
