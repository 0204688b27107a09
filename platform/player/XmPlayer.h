#pragma once
// The XM engine's public face: load a module image, render 16-bit stereo.
// Pure C++; ModulePlayer, xmrender, the benchmarks and the fuzz target use
// only this header.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/player/XmSong.h"  // the read-only song model the loader makes

namespace xm {

struct Song;

enum class Interpolation { Nearest, Linear, Cubic, Sinc };

struct LoadResult {
    std::unique_ptr<const Song> song;  // null when the image cannot be read
    std::string error;                 // one line naming what is wrong, when song is null
};

// Reads an XM image. Never reads outside [image, image + length) and never
// allocates more than the image can justify.
LoadResult LoadSong(const uint8_t* image, size_t length);

std::string SongTitle(const Song& song);
int32_t SongChannels(const Song& song);

struct RenderSettings {
    int32_t sampleRate = 48000;
    Interpolation interpolation = Interpolation::Sinc;  // the product's choice: the best, and cheap enough
    bool volumeRamp = true;
    // At the end of the order list: go on at the restart position (true) or stop.
    bool looping = true;
    // Stop as soon as playback would come back to a row already played with
    // the same pattern-loop counts and break row, so it would replay the same
    // way (one pass; with looping it goes on through the restart position first).
    bool stopOnRevisit = false;
};

// Plays one song from its first order. The song must outlive the renderer.
class Renderer {
public:
    Renderer(const Song& song, const RenderSettings& settings);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Writes up to frames interleaved stereo frames (L, R). Returns how many
    // were written: fewer only once the song has ended. Allocates nothing.
    int32_t Render(int16_t* out, int32_t frames);
    bool Ended() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace xm
