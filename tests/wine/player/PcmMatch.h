#pragma once
// Finding the engine's own render in what the sound device was given.

#include <cstdint>
#include <string>
#include <vector>

// Interleaved 16-bit stereo frames.
using Pcm = std::vector<int16_t>;

inline int32_t Frames(const Pcm& pcm) { return static_cast<int32_t>(pcm.size() / 2); }

// The engine rendering the image in-process, with the player's settings.
Pcm RenderReference(const std::vector<uint8_t>& image, int32_t frames, bool looping);

// What ALSA's file device has written since the device was last opened:
// the raw file named by VELLUMAR_PLAYER_CAPTURE. Empty when unreadable.
Pcm ReadCapture();
std::string CapturePath();

struct PcmMatch {
    int32_t offset = -1;       // frames of the capture before the reference starts
    int32_t frames = 0;        // frames compared from there
    double correlation = 0;    // normalised cross-correlation over those frames
    double worstBlock = 0;     // the lowest correlation of any 50 ms block with sound in either
    int32_t worstBlockAt = 0;  // where that block starts in the reference, in frames
};

// Slides the reference's first half second along the first maxOffset
// frames of the capture, then scores the best offset over the whole overlap.
PcmMatch FindReference(const Pcm& capture, const Pcm& reference, int32_t maxOffset);

// The square root of the mean square of frames [from, to), both channels.
double Rms(const Pcm& pcm, int32_t from, int32_t to);
