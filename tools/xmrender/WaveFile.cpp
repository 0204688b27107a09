#include "tools/xmrender/WaveFile.h"

#include <cstdio>

namespace {

void PutU16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& b, uint32_t v) {
    PutU16(b, v & 0xFFFF);
    PutU16(b, v >> 16);
}

void PutTag(std::vector<uint8_t>& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

}  // namespace

bool WriteWave(const std::string& path, const std::vector<int16_t>& samples, int32_t sampleRate) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> header;
    PutTag(header, "RIFF");
    PutU32(header, 36 + dataBytes);
    PutTag(header, "WAVE");
    PutTag(header, "fmt ");
    PutU32(header, 16);
    PutU16(header, 1);  // PCM
    PutU16(header, 2);  // stereo
    PutU32(header, static_cast<uint32_t>(sampleRate));
    PutU32(header, static_cast<uint32_t>(sampleRate) * 4);
    PutU16(header, 4);
    PutU16(header, 16);
    PutTag(header, "data");
    PutU32(header, dataBytes);
    std::vector<uint8_t> body;
    body.reserve(dataBytes);
    for (int16_t s : samples) PutU16(body, static_cast<uint16_t>(s));
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size() &&
              std::fwrite(body.data(), 1, body.size(), f) == body.size();
    return std::fclose(f) == 0 && ok;
}
