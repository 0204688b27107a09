#include "tests/wine/support/PcmCapture.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/player/XmPlayer.h"

namespace {

constexpr int32_t kBlockFrames = 2400;

// Over frames [from, from + frames) of the reference; 1 when both are silent.
double Correlation(const Pcm& capture, const Pcm& reference, int32_t offset, int32_t frames, int32_t from = 0) {
    double cross = 0, captureEnergy = 0, referenceEnergy = 0;
    const int16_t* c = capture.data() + 2 * (offset + from);
    const int16_t* r = reference.data() + 2 * from;
    for (int32_t i = 0; i < 2 * frames; ++i) {
        cross += double(c[i]) * r[i];
        captureEnergy += double(c[i]) * c[i];
        referenceEnergy += double(r[i]) * r[i];
    }
    if (captureEnergy == 0 && referenceEnergy == 0) return 1;
    double scale = std::sqrt(captureEnergy * referenceEnergy);
    return scale > 0 ? cross / scale : 0;
}

}  // namespace

Pcm RenderReference(const std::vector<uint8_t>& image, int32_t frames, bool looping) {
    xm::LoadResult loaded = xm::LoadSong(image.data(), image.size());
    if (!loaded.song) return {};
    xm::RenderSettings settings;
    settings.looping = looping;
    xm::Renderer renderer(*loaded.song, settings);
    Pcm pcm(2 * static_cast<size_t>(frames), 0);
    renderer.Render(pcm.data(), frames);
    return pcm;
}

std::string CapturePath() {
    const char* path = std::getenv("VELLUMAR_CAPTURE");
    return path ? std::string("Z:") + path : std::string();
}

int64_t CaptureBytes() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(CapturePath().c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

Pcm ReadCapture() {
    Pcm pcm;
    std::FILE* file = std::fopen(CapturePath().c_str(), "rb");
    if (!file) return pcm;
    int16_t block[4096];
    for (size_t got; (got = std::fread(block, sizeof block[0], 4096, file)) > 0;) {
        pcm.insert(pcm.end(), block, block + got);
    }
    std::fclose(file);
    pcm.resize(pcm.size() & ~size_t(1));
    return pcm;
}

PcmMatch FindReference(const Pcm& capture, const Pcm& reference, int32_t maxOffset) {
    constexpr int32_t kProbeFrames = 24000;
    PcmMatch best;
    int32_t probe = std::min(kProbeFrames, Frames(reference));
    double bestProbe = -2;
    for (int32_t offset = 0; offset <= maxOffset && offset + probe <= Frames(capture); ++offset) {
        double score = Correlation(capture, reference, offset, probe);
        if (score > bestProbe) {
            bestProbe = score;
            best.offset = offset;
        }
    }
    if (best.offset < 0) return best;
    best.frames = std::min(Frames(reference), Frames(capture) - best.offset);
    best.correlation = Correlation(capture, reference, best.offset, best.frames);
    best.worstBlock = 1;
    for (int32_t from = 0; from + kBlockFrames <= best.frames; from += kBlockFrames) {
        double score = Correlation(capture, reference, best.offset, kBlockFrames, from);
        if (score < best.worstBlock) {
            best.worstBlock = score;
            best.worstBlockAt = from;
        }
    }
    return best;
}

double Rms(const Pcm& pcm, int32_t from, int32_t to) {
    from = std::max(from, 0);
    to = std::min(to, Frames(pcm));
    if (to <= from) return 0;
    double sum = 0;
    for (int32_t i = 2 * from; i < 2 * to; ++i) sum += double(pcm[i]) * pcm[i];
    return std::sqrt(sum / (2.0 * (to - from)));
}
