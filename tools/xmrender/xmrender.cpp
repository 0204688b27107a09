// xmrender [--interp nearest|linear|cubic|sinc] [--no-ramp] [--seconds S] IN.xm OUT.wav
// Renders one pass of a module to a 48 kHz 16-bit stereo WAV file.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/player/XmPlayer.h"
#include "tools/xmrender/WaveFile.h"

namespace {

constexpr int32_t kSampleRate = 48000;
constexpr int32_t kExitUsage = 1, kExitBadModule = 2, kExitWriteFailed = 3;

struct Options {
    xm::RenderSettings settings;
    double seconds = 0;  // 0: no limit
    std::string in, out;
};

bool ParseInterpolation(const std::string& name, xm::Interpolation& to) {
    if (name == "nearest") to = xm::Interpolation::Nearest;
    else if (name == "linear") to = xm::Interpolation::Linear;
    else if (name == "cubic") to = xm::Interpolation::Cubic;
    else if (name == "sinc") to = xm::Interpolation::Sinc;
    else return false;
    return true;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--interp" && i + 1 < argc) {
            if (!ParseInterpolation(argv[++i], o.settings.interpolation)) return false;
        } else if (a == "--no-ramp") {
            o.settings.volumeRamp = false;
        } else if (a == "--seconds" && i + 1 < argc) {
            o.seconds = std::atof(argv[++i]);
            if (o.seconds <= 0) return false;
        } else if (!a.empty() && a[0] == '-') {
            return false;
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) return false;
    o.in = files[0], o.out = files[1];
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: xmrender [--interp nearest|linear|cubic|sinc] [--no-ramp] [--seconds S] IN.xm OUT.wav\n");
        return kExitUsage;
    }
    std::ifstream file(o.in, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "%s: cannot open the file\n", o.in.c_str());
        return kExitBadModule;
    }
    std::vector<uint8_t> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    xm::LoadResult loaded = xm::LoadSong(image.data(), image.size());
    if (!loaded.song) {
        std::fprintf(stderr, "%s: %s\n", o.in.c_str(), loaded.error.c_str());
        return kExitBadModule;
    }
    o.settings.sampleRate = kSampleRate;
    // One pass as FT2 plays it: on through the restart position, which can
    // replay rows with pattern loops still counting, until a row would replay
    // exactly as before.
    o.settings.looping = true;
    o.settings.stopOnRevisit = true;
    xm::Renderer renderer(*loaded.song, o.settings);
    const int64_t limit = o.seconds > 0 ? static_cast<int64_t>(o.seconds * kSampleRate) : INT64_MAX;
    std::vector<int16_t> samples;
    std::vector<int16_t> block(2 * 4096);
    int64_t frames = 0;
    while (frames < limit && !renderer.Ended()) {
        int32_t want = static_cast<int32_t>(std::min<int64_t>(4096, limit - frames));
        int32_t got = renderer.Render(block.data(), want);
        samples.insert(samples.end(), block.begin(), block.begin() + 2 * got);
        frames += got;
    }
    if (!WriteWave(o.out, samples, kSampleRate)) {
        std::fprintf(stderr, "%s: cannot write the file\n", o.out.c_str());
        return kExitWriteFailed;
    }
    std::printf("\"%s\", %d channels, %.3f s\n", xm::SongTitle(*loaded.song).c_str(), xm::SongChannels(*loaded.song),
                static_cast<double>(frames) / kSampleRate);
    return 0;
}
