// libFuzzer target: any byte image through LoadSong, then a few seconds of
// rendering, under ASan and UBSan. The render settings come from the image
// length so that every interpolation, ramping and looping mode gets inputs.
#include "platform/player/XmPlayer.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr int32_t kRate = 48000;
constexpr int32_t kSeconds = 3;
constexpr int32_t kBlock = 960;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    xm::LoadResult loaded = xm::LoadSong(data, size);
    if (!loaded.song) {
        if (loaded.error.empty()) __builtin_trap();  // a failed load must say why
        return 0;
    }
    xm::SongTitle(*loaded.song);
    int32_t channels = xm::SongChannels(*loaded.song);
    if (channels < 1 || channels > 32) __builtin_trap();

    static const xm::Interpolation kModes[] = {xm::Interpolation::Nearest, xm::Interpolation::Linear,
                                               xm::Interpolation::Cubic, xm::Interpolation::Sinc};
    xm::RenderSettings settings;
    settings.sampleRate = kRate;
    settings.interpolation = kModes[size % 4];
    settings.volumeRamp = (size / 4) % 2 == 0;
    settings.looping = (size / 8) % 2 == 0;
    settings.stopOnRevisit = !settings.looping;
    xm::Renderer renderer(*loaded.song, settings);
    int16_t block[2 * kBlock];
    for (int32_t done = 0; done < kSeconds * kRate && !renderer.Ended(); done += kBlock) {
        int32_t got = renderer.Render(block, kBlock);
        if (got < 0 || got > kBlock) __builtin_trap();
        if (got < kBlock && !renderer.Ended()) __builtin_trap();  // short only once the song has ended
    }
    return 0;
}
