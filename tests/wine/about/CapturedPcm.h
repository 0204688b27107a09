#pragma once
// What ALSA's file device received from vellumar.exe (see this folder's
// CMakeLists.txt), against the engine's own render of AboutSong.

#include <cstdint>
#include <string>
#include <vector>

// Interleaved 16-bit stereo frames.
using Pcm = std::vector<int16_t>;
constexpr int32_t kRate = 48000;
constexpr int32_t kBytesPerFrame = 4;

inline int32_t Frames(const Pcm& pcm) { return static_cast<int32_t>(pcm.size() / 2); }

// The raw file named by VELLUMAR_ABOUT_CAPTURE, as a Windows path on Z:,
// or empty when the test runs without a sound device.
std::string CapturePath();
// The file's size in bytes; -1 when it does not exist.
int64_t CaptureBytes();
// The whole file; empty when it cannot be read.
Pcm ReadCapture();

// The first frames of AboutSong as the engine renders it with the player's
// settings (48 kHz, looping).
Pcm RenderAboutSong(int32_t frames);

struct SongMatch {
    int32_t offset = -1;     // frames of the capture before the song starts
    int32_t frames = 0;      // frames compared from there
    double correlation = 0;  // normalised cross-correlation over those frames
};

// Finds the reference's first half second within the capture's first
// maxOffset frames, then scores that offset over the whole overlap.
SongMatch FindSongStart(const Pcm& capture, const Pcm& reference, int32_t maxOffset);
