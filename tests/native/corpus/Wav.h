#pragma once
// 16-bit PCM WAV files as float stereo, the way the corpus tests compare them.

#include <cstdint>
#include <string>
#include <vector>

struct StereoSignal {
    int32_t sampleRate = 48000;
    std::vector<float> left, right;  // full scale is [-1, 1): sample / 32768
    size_t Frames() const { return left.size(); }
};

// Reads a 16-bit PCM WAV (mono is duplicated onto both channels). Returns
// false with a one-line reason in error when the file cannot be used.
bool ReadWav(const std::string& path, StereoSignal& signal, std::string& error);
