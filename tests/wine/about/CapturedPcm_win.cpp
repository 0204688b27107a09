#include "tests/wine/about/CapturedPcm.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "about/AboutSong.h"
#include "platform/player/XmPlayer.h"

namespace {

double Correlation(const Pcm& capture, const Pcm& reference, int32_t offset, int32_t frames) {
    double cross = 0, captureEnergy = 0, referenceEnergy = 0;
    const int16_t* c = capture.data() + 2 * static_cast<size_t>(offset);
    const int16_t* r = reference.data();
    for (int32_t i = 0; i < 2 * frames; ++i) {
        cross += double(c[i]) * r[i];
        captureEnergy += double(c[i]) * c[i];
        referenceEnergy += double(r[i]) * r[i];
    }
    const double scale = std::sqrt(captureEnergy * referenceEnergy);
    return scale > 0 ? cross / scale : 0;
}

}  // namespace

std::string CapturePath() {
    const char* path = std::getenv("VELLUMAR_ABOUT_CAPTURE");
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

Pcm RenderAboutSong(int32_t frames) {
    xm::LoadResult loaded = xm::LoadSong(AboutSong, static_cast<size_t>(AboutSongLength));
    if (!loaded.song) return {};
    xm::RenderSettings settings;
    settings.sampleRate = kRate;
    settings.looping = true;
    xm::Renderer renderer(*loaded.song, settings);
    Pcm pcm(2 * static_cast<size_t>(frames), 0);
    renderer.Render(pcm.data(), frames);
    return pcm;
}

SongMatch FindSongStart(const Pcm& capture, const Pcm& reference, int32_t maxOffset) {
    const int32_t probe = std::min(kRate / 2, Frames(reference));
    SongMatch best;
    double bestProbe = -2;
    for (int32_t offset = 0; offset <= maxOffset && offset + probe <= Frames(capture); ++offset) {
        const double score = Correlation(capture, reference, offset, probe);
        if (score > bestProbe) {
            bestProbe = score;
            best.offset = offset;
        }
    }
    if (best.offset < 0) return best;
    best.frames = std::min(Frames(reference), Frames(capture) - best.offset);
    best.correlation = Correlation(capture, reference, best.offset, best.frames);
    return best;
}
