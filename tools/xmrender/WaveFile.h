#pragma once
// 16-bit stereo PCM WAV files.

#include <cstdint>
#include <string>
#include <vector>

// Writes interleaved L, R samples; false when the file cannot be written.
bool WriteWave(const std::string& path, const std::vector<int16_t>& samples, int32_t sampleRate);
