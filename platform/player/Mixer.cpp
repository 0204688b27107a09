#include "platform/player/Mixer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/player/PeriodTables.h"

namespace xm {
namespace {

constexpr int64_t kOne = int64_t{1} << 32;
constexpr int32_t kPhaseBits = 10;
constexpr int32_t kPhases = 1 << kPhaseBits;
constexpr int32_t kSincTaps = 8;
// Output level: matched to openmpt123's on whole songs (within 0.1 dB).
constexpr float kMasterGain = 0.264f / 65536.0f;

// Vectors of one SSE register (GCC and Clang vector extensions): a kernel
// row's taps, two stereo frames, widened sample frames.
using Float4 = float __attribute__((vector_size(16)));
using Int4 = int32_t __attribute__((vector_size(16)));
using UInt4 = uint32_t __attribute__((vector_size(16)));
using Long2 = int64_t __attribute__((vector_size(16)));
using Short8 = int16_t __attribute__((vector_size(16)));

struct Kernels {
    std::array<Float4, kPhases> cubic{};                 // taps at -1..+2
    std::array<std::array<Float4, 2>, kPhases> sinc{};   // taps at -3..+4
    Kernels() {
        for (int32_t p = 0; p < kPhases; ++p) {
            double t = static_cast<double>(p) / kPhases, t2 = t * t, t3 = t2 * t;
            cubic[p] = Float4{static_cast<float>((-t3 + 2 * t2 - t) / 2), static_cast<float>((3 * t3 - 5 * t2 + 2) / 2),
                              static_cast<float>((-3 * t3 + 4 * t2 + t) / 2), static_cast<float>((t3 - t2) / 2)};
            double sum = 0;
            std::array<double, kSincTaps> taps{};
            for (int32_t k = 0; k < kSincTaps; ++k) {
                double x = (k - 3) - t;  // taps at -3..+4 around the position
                double sinc = std::abs(x) < 1e-9 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
                double w = x / 4.0;  // Blackman window over -4..4
                double window = std::abs(w) >= 1 ? 0 : 0.42 + 0.5 * std::cos(std::numbers::pi * w) + 0.08 * std::cos(2 * std::numbers::pi * w);
                taps[k] = sinc * window;
                sum += taps[k];
            }
            for (int32_t k = 0; k < kSincTaps; ++k) sinc[p][k / 4][k % 4] = static_cast<float>(taps[k] / sum);
        }
    }
};

const Kernels& KernelsOnce() {
    static const Kernels kernels;
    return kernels;
}

// End of the played part of a sample: the loop end when it loops.
int32_t PlayedLength(const Sample& s) { return s.loop == LoopType::None ? s.length : s.loopStart + s.loopLength; }

// Frames as floats: the low four of eight, or the high four. Each 16-bit
// frame goes to the top of a 32-bit lane and is shifted down with its sign,
// which SSE2 does in two instructions.
Float4 Widen(Short8 frames, bool high) {
    Short8 lanes = high ? __builtin_shufflevector(frames, frames, 4, 4, 5, 5, 6, 6, 7, 7)
                        : __builtin_shufflevector(frames, frames, 0, 0, 1, 1, 2, 2, 3, 3);
    return __builtin_convertvector(std::bit_cast<Int4>(lanes) >> 16, Float4);
}

// Four frames from p on: one 64-bit load (building the vector in memory
// instead would stall the load behind two stores).
Float4 LoadFour(const int16_t* p) {
    int64_t four;
    std::memcpy(&four, p, sizeof four);
    return Widen(std::bit_cast<Short8>(Long2{four, 0}), false);
}

// Taps times the frames around a position, still to be summed (cubic, sinc).
template <Interpolation kind>
Float4 Products(const int16_t* f, int64_t position, const Kernels& k) {
    const int16_t* p = f + (position >> 32);
    uint32_t phase = static_cast<uint32_t>(position) >> (32 - kPhaseBits);
    if constexpr (kind == Interpolation::Cubic) {
        return LoadFour(p - 1) * k.cubic[phase];
    } else {
        Short8 frames;
        std::memcpy(&frames, p - 3, sizeof frames);
        return Widen(frames, false) * k.sinc[phase][0] + Widen(frames, true) * k.sinc[phase][1];
    }
}

// The sample value at a position.
template <Interpolation kind>
float Read(const int16_t* f, int64_t position, const Kernels& k) {
    const int16_t* p = f + (position >> 32);
    uint32_t fraction = static_cast<uint32_t>(position);
    if constexpr (kind == Interpolation::Nearest) {
        return p[0];
    } else if constexpr (kind == Interpolation::Linear) {
        return p[0] + (p[1] - p[0]) * (static_cast<int32_t>(fraction >> 1) * (1.0f / 2147483648.0f));
    } else {
        Float4 x = Products<kind>(f, position, k);
        Float4 halves = x + __builtin_shufflevector(x, x, 2, 3, 0, 1);
        return halves[0] + halves[1];
    }
}

// The fractions of two positions a step apart, each twice, as unsigned
// 0.32 lanes; adding the low half of two steps moves them on, since the low
// half of a 32.32 position wraps as its fraction does.
UInt4 FractionPairs(int64_t position, int64_t step) {
    uint32_t a = static_cast<uint32_t>(position), b = static_cast<uint32_t>(position + step);
    return UInt4{a, a, b, b};
}

// The values at two positions a step apart, each twice: {a, a, b, b}, to
// meet the gains of two stereo frames in one multiply. fractions: the
// positions' FractionPairs (linear only).
template <Interpolation kind>
Float4 ReadTwo(const int16_t* f, int64_t position, int64_t step, UInt4 fractions, const Kernels& k) {
    const int64_t next = position + step;
    if constexpr (kind == Interpolation::Nearest) {
        float a = f[position >> 32], b = f[next >> 32];
        return Float4{a, a, b, b};
    } else if constexpr (kind == Interpolation::Linear) {  // Read's arithmetic, lane by lane
        int32_t pairA, pairB;  // the two frames each position lies between
        std::memcpy(&pairA, f + (position >> 32), sizeof pairA);
        std::memcpy(&pairB, f + (next >> 32), sizeof pairB);
        Float4 x = Widen(std::bit_cast<Short8>(Int4{pairA, pairB, 0, 0}), false);
        Float4 from = __builtin_shufflevector(x, x, 0, 0, 2, 2);
        Float4 to = __builtin_shufflevector(x, x, 1, 1, 3, 3);
        Float4 t = __builtin_convertvector(std::bit_cast<Int4>(fractions >> 1), Float4) * (1.0f / 2147483648.0f);
        return from + (to - from) * t;
    } else {  // both sums at once, in the same order as Read's
        Float4 x = Products<kind>(f, position, k), y = Products<kind>(f, next, k);
        Float4 pairs = __builtin_shufflevector(x, y, 0, 1, 4, 5) + __builtin_shufflevector(x, y, 2, 3, 6, 7);
        return pairs + __builtin_shufflevector(pairs, pairs, 1, 0, 3, 2);
    }
}

// Moves past the end of the played part: loops, bounces or stops.
bool WrapPosition(Voice& v) {
    const Sample& s = *v.sample;
    int64_t end = int64_t{PlayedLength(s)} << 32;
    int64_t start = int64_t{s.loopStart} << 32, length = int64_t{s.loopLength} << 32;
    if (s.loop == LoopType::None) return v.position < end;
    if (s.loop == LoopType::Forward) {
        if (v.position >= end) v.position = start + (v.position - start) % length;
        return true;
    }
    for (int32_t bounces = 0; bounces < 4; ++bounces) {  // ping-pong: mirror at either end
        if (!v.backwards && v.position >= end) {
            v.position = 2 * end - 1 - v.position;
            v.backwards = true;
        } else if (v.backwards && v.position < start) {
            v.position = 2 * start - 1 - v.position;
            v.backwards = false;
        } else {
            break;
        }
    }
    v.position = std::clamp(v.position, start, end - 1);
    return true;
}

// Advances a voice that cannot be heard without reading its sample.
void SkipVoice(Voice& v, int32_t frames) {
    const Sample& s = *v.sample;
    int64_t end = int64_t{PlayedLength(s)} << 32;
    int64_t start = int64_t{s.loopStart} << 32, length = int64_t{s.loopLength} << 32;
    int64_t delta = v.step * frames;
    if (!v.backwards && v.position + delta < end) {
        v.position += delta;
        return;
    }
    if (s.loop == LoopType::None) {
        v.sample = nullptr;
    } else if (s.loop == LoopType::Forward) {
        v.position = start + (v.position + delta - start) % length;
    } else {  // ping-pong: unfold one forward and one backward pass into 0..2L
        int64_t unfolded = v.backwards ? length + (end - 1 - v.position) : v.position - start;
        unfolded = (unfolded + delta) % (2 * length);
        v.backwards = unfolded >= length;
        v.position = v.backwards ? end - 1 - (unfolded - length) : start + unfolded;
    }
}

// Mixes count frames in which the position stays inside the played part,
// two at a time.
template <Interpolation kind, bool ramping>
void MixRun(Voice& v, const int16_t* f, float* mix, int32_t count, const Kernels& k) {
    int64_t position = v.position;
    const int64_t step = v.backwards ? -v.step : v.step;
    const float leftStep = ramping ? v.leftStep : 0.0f, rightStep = ramping ? v.rightStep : 0.0f;
    // Gains of this frame and the next: L, R, L, R.
    Float4 gains{v.left, v.right, v.left + leftStep, v.right + rightStep};
    const Float4 gainsStep{2 * leftStep, 2 * rightStep, 2 * leftStep, 2 * rightStep};
    UInt4 fractions = FractionPairs(position, step);
    const UInt4 fractionsStep = FractionPairs(2 * step, 0);
    int32_t n = 0;
    for (; n + 1 < count; n += 2) {
        Float4 sum;
        std::memcpy(&sum, mix + 2 * n, sizeof sum);
        sum += ReadTwo<kind>(f, position, step, fractions, k) * gains;
        std::memcpy(mix + 2 * n, &sum, sizeof sum);
        position += 2 * step;
        fractions += fractionsStep;
        if constexpr (ramping) gains += gainsStep;
    }
    if (n < count) {  // an odd last frame
        float s = Read<kind>(f, position, k);
        mix[2 * n] += s * gains[0];
        mix[2 * n + 1] += s * gains[1];
        position += step;
        gains = __builtin_shufflevector(gains, gains, 2, 3, 2, 3);
    }
    v.position = position;
    v.left = gains[0], v.right = gains[1];
}

// Frames the voice can play before it leaves the played part.
int64_t FramesInside(const Voice& v, int64_t start, int64_t end) {
    if (v.step == 0) return INT64_MAX;
    if (v.backwards) return (v.position - start) / v.step + 1;
    return (end - v.position + v.step - 1) / v.step;
}

template <Interpolation kind>
void MixVoice(Voice& v, float* mix, int32_t frames) {
    const Kernels& k = KernelsOnce();
    const int16_t* f = v.sample->Frames();
    const int64_t end = int64_t{PlayedLength(*v.sample)} << 32;
    const int64_t start = int64_t{v.sample->loopStart} << 32;
    for (int32_t done = 0; done < frames;) {
        int64_t count = std::min<int64_t>(frames - done, FramesInside(v, start, end));
        if (v.rampLeft > 0) {
            count = std::min<int64_t>(count, v.rampLeft);
            MixRun<kind, true>(v, f, mix + 2 * done, static_cast<int32_t>(count), k);
            v.rampLeft -= static_cast<int32_t>(count);
            if (v.rampLeft == 0) v.left = v.leftTarget, v.right = v.rightTarget;
        } else {
            MixRun<kind, false>(v, f, mix + 2 * done, static_cast<int32_t>(count), k);
        }
        done += static_cast<int32_t>(count);
        if ((v.backwards ? v.position < start : v.position >= end) && !WrapPosition(v)) {
            v.sample = nullptr;
            return;
        }
    }
}

}  // namespace

Mixer::Mixer(int32_t channels, int32_t sampleRate, Interpolation interpolation, bool volumeRamp)
    : sampleRate_(sampleRate), interpolation_(interpolation), volumeRamp_(volumeRamp),
      quickRampFrames_(std::max(1, sampleRate / 200)), voices_(2 * channels) {
    KernelsOnce();
}

void Mixer::SetGains(Voice& v, float left, float right, int32_t rampFrames) {
    v.leftTarget = left, v.rightTarget = right;
    if (!volumeRamp_ || rampFrames <= 0 || (left == v.left && right == v.right)) {
        v.left = left, v.right = right, v.rampLeft = 0;
        return;
    }
    v.rampLeft = rampFrames;
    v.leftStep = (left - v.left) / rampFrames;
    v.rightStep = (right - v.right) / rampFrames;
}

void Mixer::Update(int32_t index, Channel& ch, bool linearPeriods, int32_t tickFrames) {
    Voice& v = voices_[index];
    if (ch.trigger) {
        if (volumeRamp_ && v.sample && (v.left != 0 || v.right != 0)) {
            Voice& fade = voices_[voices_.size() / 2 + index];
            fade = v;
            SetGains(fade, 0, 0, quickRampFrames_);
        }
        const Sample* s = ch.sample;
        bool playable = s && s->length > 0 && ch.sampleStart < PlayedLength(*s);
        v.sample = playable ? s : nullptr;  // an offset past the end stops the voice
        v.position = int64_t{ch.sampleStart} << 32;
        v.backwards = false;
        if (volumeRamp_) v.left = v.right = 0;
        ch.trigger = false;
    }
    v.step = static_cast<int64_t>(PeriodToHz(linearPeriods, ch.finalPeriod) / sampleRate_ * static_cast<double>(kOne));
    // FT2's pan law: the square root of the panning share on each side.
    float volume = ch.finalVolume * kMasterGain;
    float left = volume * std::sqrt((256 - ch.finalPanning) / 256.0f);
    float right = volume * std::sqrt(ch.finalPanning / 256.0f);
    SetGains(v, left, right, ch.quickRamp ? quickRampFrames_ : tickFrames);
    ch.quickRamp = false;
}

void Mixer::Mix(int16_t* out, int32_t frames) {
    frames = std::min(frames, kMaxFrames);
    std::fill(mix_.begin(), mix_.begin() + 2 * frames, 0.0f);
    for (Voice& v : voices_) {
        if (!v.sample) continue;
        if (v.left == 0 && v.right == 0 && v.rampLeft == 0) {
            SkipVoice(v, frames);
            continue;
        }
        switch (interpolation_) {
        case Interpolation::Nearest: MixVoice<Interpolation::Nearest>(v, mix_.data(), frames); break;
        case Interpolation::Linear: MixVoice<Interpolation::Linear>(v, mix_.data(), frames); break;
        case Interpolation::Cubic: MixVoice<Interpolation::Cubic>(v, mix_.data(), frames); break;
        case Interpolation::Sinc: MixVoice<Interpolation::Sinc>(v, mix_.data(), frames); break;
        }
    }
    for (int32_t i = 0; i < 2 * frames; ++i) {  // round half away from zero, saturate; branch-free, so it vectorises
        float v = mix_[i] + std::copysign(0.5f, mix_[i]);
        out[i] = static_cast<int16_t>(static_cast<int32_t>(std::clamp(v, -32768.0f, 32767.0f)));
    }
}

}  // namespace xm
