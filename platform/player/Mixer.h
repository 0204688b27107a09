#pragma once
// Voices -> 16-bit stereo. Each channel has a voice, and a second one that
// fades out the previous note when a new one starts (volume ramping).

#include <array>
#include <cstdint>
#include <vector>

#include "platform/player/Replayer.h"
#include "platform/player/XmPlayer.h"

namespace xm {

struct Voice {
    const Sample* sample = nullptr;  // null: silent
    int64_t position = 0;            // 32.32 fixed, in frames
    int64_t step = 0;                // 32.32 fixed, frames per output frame
    bool backwards = false;          // in a ping-pong loop
    float left = 0, right = 0;       // current gains
    float leftStep = 0, rightStep = 0;
    int32_t rampLeft = 0;            // frames until the gains reach their target
    float leftTarget = 0, rightTarget = 0;
};

class Mixer {
public:
    Mixer(int32_t channels, int32_t sampleRate, Interpolation interpolation, bool volumeRamp);
    // Takes a channel's state after a tick that lasts tickFrames; clears its trigger.
    void Update(int32_t index, Channel& ch, bool linearPeriods, int32_t tickFrames);
    // Mixes frames (at most kMaxFrames) of every voice into out, interleaved L, R.
    void Mix(int16_t* out, int32_t frames);
    const Voice& VoiceAt(int32_t i) const { return voices_[i]; }

    static constexpr int32_t kMaxFrames = 1024;

private:
    void SetGains(Voice& v, float left, float right, int32_t rampFrames);

    int32_t sampleRate_;
    Interpolation interpolation_;
    bool volumeRamp_;
    int32_t quickRampFrames_;  // FT2's 5 ms
    std::vector<Voice> voices_;  // channels, then their fade-out voices
    std::array<float, 2 * kMaxFrames> mix_{};
};

}  // namespace xm
