// Renderer: mixes up to the next tick boundary, runs a tick, repeats.

#include "platform/player/XmPlayer.h"

#include <algorithm>

#include "platform/player/Mixer.h"
#include "platform/player/Replayer.h"

namespace xm {

struct Renderer::State {
    State(const Song& song, const RenderSettings& s)
        : sampleRate(std::clamp(s.sampleRate, 8000, 192000)), replayer(song, s.looping, s.stopOnRevisit),
          mixer(song.channels, sampleRate, s.interpolation, s.volumeRamp) {}

    // A tick lasts 2.5 / tempo seconds, in whole frames as FT2 counts them
    // (FT2 drops the fraction; so do the reference players, and durations match).
    int32_t NextTickFrames() const { return static_cast<int32_t>(int64_t{sampleRate} * 5 / (2 * replayer.Tempo())); }

    bool RunTick() {
        if (!replayer.Tick()) return false;
        int32_t frames = NextTickFrames();
        for (int32_t i = 0; i < replayer.ChannelCount(); ++i)
            mixer.Update(i, replayer.ChannelAt(i), replayer.LinearPeriods(), frames);
        framesLeft = frames;
        return true;
    }

    int32_t sampleRate;
    Replayer replayer;
    Mixer mixer;
    int32_t framesLeft = 0;
    bool ended = false;
};

Renderer::Renderer(const Song& song, const RenderSettings& settings)
    : state_(std::make_unique<State>(song, settings)) {}

Renderer::~Renderer() = default;

int32_t Renderer::Render(int16_t* out, int32_t frames) {
    State& s = *state_;
    int32_t written = 0;
    while (written < frames && !s.ended) {
        if (s.framesLeft == 0 && !s.RunTick()) {
            s.ended = true;
            break;
        }
        int32_t n = std::min({frames - written, s.framesLeft, Mixer::kMaxFrames});
        s.mixer.Mix(out + 2 * written, n);
        written += n;
        s.framesLeft -= n;
    }
    return written;
}

bool Renderer::Ended() const { return state_->ended; }

}  // namespace xm
