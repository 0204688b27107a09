// player_bench [--runs N]: seconds of audio rendered per CPU second by our
// engine, libopenmpt and libxmp on the corpus songs, at matched
// interpolation, with the ratios. Each figure is the median of N runs of
// load + one whole pass of every song at 48 kHz 16-bit stereo. Then the
// About song with our engine alone, as the share of one core that playing
// it in real time takes.
#include "platform/player/XmPlayer.h"

#include <libopenmpt/libopenmpt.hpp>
#include <xmp.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int32_t kRate = 48000;
constexpr int32_t kBlock = 1024;  // frames per render call, as an output thread would ask
const char* const kSongs[] = {"milky.xm", "slumberjack.xm"};

using Image = std::vector<uint8_t>;
// Renders one pass of a song; returns the frames rendered (0 on failure).
using Player = std::function<int64_t(const Image&)>;

double CpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

Player Ours(xm::Interpolation interpolation) {
    return [interpolation](const Image& image) -> int64_t {
        xm::LoadResult loaded = xm::LoadSong(image.data(), image.size());
        if (!loaded.song) return 0;
        xm::RenderSettings settings;
        settings.sampleRate = kRate;
        settings.interpolation = interpolation;
        settings.looping = false;
        settings.stopOnRevisit = true;
        xm::Renderer renderer(*loaded.song, settings);
        std::vector<int16_t> block(2 * kBlock);
        int64_t frames = 0;
        while (!renderer.Ended()) {
            int32_t got = renderer.Render(block.data(), kBlock);
            if (got == 0) break;
            frames += got;
        }
        return frames;
    };
}

// filter: libopenmpt's interpolation filter length (1 nearest, 2 linear, 4 cubic, 8 sinc).
Player Openmpt(int32_t filter) {
    return [filter](const Image& image) -> int64_t {
        openmpt::module module(image.data(), image.size());
        module.set_repeat_count(0);
        module.ctl_set_text("play.at_end", "stop");
        module.set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, filter);
        std::vector<int16_t> block(2 * kBlock);
        int64_t frames = 0;
        for (size_t got; (got = module.read_interleaved_stereo(kRate, kBlock, block.data())) > 0;) frames += got;
        return frames;
    };
}

Player Xmp(int32_t interpolation) {
    return [interpolation](const Image& image) -> int64_t {
        xmp_context context = xmp_create_context();
        int64_t frames = 0;
        if (xmp_load_module_from_memory(context, image.data(), static_cast<long>(image.size())) == 0) {
            if (xmp_start_player(context, kRate, 0) == 0) {
                xmp_set_player(context, XMP_PLAYER_INTERP, interpolation);
                std::vector<int16_t> block(2 * kBlock);
                // loop = 1: stop once the song has played through once
                while (xmp_play_buffer(context, block.data(), static_cast<int>(block.size() * 2), 1) == 0)
                    frames += kBlock;
                xmp_end_player(context);
            }
            xmp_release_module(context);
        }
        xmp_free_context(context);
        return frames;
    };
}

// Audio seconds per CPU second of one run of play over every song.
double OneRun(const Player& play, const std::vector<Image>& songs) {
    int64_t frames = 0;
    double start = CpuSeconds();
    for (const Image& song : songs) frames += play(song);
    double spent = CpuSeconds() - start;
    return frames / static_cast<double>(kRate) / spent;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Setting {
    const char* name;
    xm::Interpolation interpolation;
    Player ours, openmpt, xmp;
    const char* openmptName;
    const char* xmpName;
};

bool ReadFile(const std::string& path, Image& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int32_t runs = 5;
    if (argc == 3 && std::strcmp(argv[1], "--runs") == 0) runs = std::max(1, std::atoi(argv[2]));
    std::vector<Image> songs;
    double seconds = 0;
    for (const char* name : kSongs) {
        Image image;
        if (!ReadFile(std::string(CORPUS_DIR) + "/" + name, image)) {
            std::printf("NOTICE: %s/%s not found, nothing to measure\n", CORPUS_DIR, name);
            return 0;
        }
        seconds += Ours(xm::Interpolation::Nearest)(image) / static_cast<double>(kRate);
        songs.push_back(std::move(image));
    }
    const Setting settings[] = {
        {"nearest", xm::Interpolation::Nearest, Ours(xm::Interpolation::Nearest), Openmpt(1), Xmp(XMP_INTERP_NEAREST), "nearest", "nearest"},
        {"linear", xm::Interpolation::Linear, Ours(xm::Interpolation::Linear), Openmpt(2), Xmp(XMP_INTERP_LINEAR), "linear", "linear"},
        {"cubic", xm::Interpolation::Cubic, Ours(xm::Interpolation::Cubic), Openmpt(4), Xmp(XMP_INTERP_SPLINE), "cubic", "spline"},
        {"sinc", xm::Interpolation::Sinc, Ours(xm::Interpolation::Sinc), Openmpt(8), Xmp(XMP_INTERP_SPLINE), "8-tap sinc", "spline"},
    };
    std::printf("songs: milky.xm + slumberjack.xm, %.1f s of audio; median of %d runs; "
                "figures are seconds of audio per CPU second\n",
                seconds, runs);
    std::printf("%-8s %10s %10s %10s %12s %12s   libopenmpt / libxmp setting, audio s per run\n", "interp",
                "ours", "libopenmpt", "libxmp", "ours/openmpt", "ours/xmp");
    for (const Setting& s : settings) {
        const Player* players[] = {&s.ours, &s.openmpt, &s.xmp};
        double audio[3] = {};
        for (int32_t p = 0; p < 3; ++p)  // one pass each first: warms caches and the allocator
            for (const Image& song : songs) audio[p] += (*players[p])(song) / static_cast<double>(kRate);
        // The players take turns run by run, so a change in the machine's
        // load falls on all three alike.
        std::vector<double> speeds[3];
        for (int32_t r = 0; r < runs; ++r)
            for (int32_t p = 0; p < 3; ++p) speeds[p].push_back(OneRun(*players[p], songs));
        double ours = Median(speeds[0]), openmpt = Median(speeds[1]), xmp = Median(speeds[2]);
        std::printf("%-8s %10.0f %10.0f %10.0f %12.2f %12.2f   %s / %s, %.1f / %.1f / %.1f\n", s.name, ours, openmpt,
                    xmp, ours / openmpt, ours / xmp, s.openmptName, s.xmpName, audio[0], audio[1], audio[2]);
        std::fflush(stdout);
    }
    std::vector<Image> about(1);
    if (!ReadFile(ABOUT_SONG, about[0])) {
        std::printf("NOTICE: %s not found\n", ABOUT_SONG);
        return 0;
    }
    const xm::Interpolation product = xm::RenderSettings{}.interpolation;
    std::printf("About song, %.1f s of audio, ours alone: audio s per CPU s, share of one core in real time\n",
                Ours(product)(about[0]) / static_cast<double>(kRate));
    for (const Setting& s : settings) {
        std::vector<double> speeds;
        for (int32_t r = 0; r < runs; ++r) speeds.push_back(OneRun(s.ours, about));
        double speed = Median(speeds);
        std::printf("%-8s %10.0f %9.3f %%%s\n", s.name, speed, 100.0 / speed,
                    s.interpolation == product ? "   the product's setting" : "");
    }
    return 0;
}
