#pragma once
// What ALSA's file device received from a player under test (see
// vellumar_capture_home in this folder's CMakeLists.txt), against the
// engine's own render.

#include <cstdint>
#include <string>
#include <vector>

// Interleaved 16-bit stereo frames.
using Pcm = std::vector<int16_t>;
constexpr int32_t kRate = 48000;
constexpr int32_t kBytesPerFrame = 4;

inline int32_t Frames(const Pcm& pcm) { return static_cast<int32_t>(pcm.size() / 2); }

// The engine rendering the image in-process, with the player's settings.
Pcm RenderReference(const std::vector<uint8_t>& image, int32_t frames, bool looping);

// The raw file named by VELLUMAR_CAPTURE, as a Windows path on Z:, or
// empty when the test runs without a sound device.
std::string CapturePath();
// The file's size in bytes; -1 when it does not exist.
int64_t CaptureBytes();
// What the device has written since it was last opened; empty when unreadable.
Pcm ReadCapture();

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
