#include "tests/native/corpus/Wav.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

uint32_t Le16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (Le16(p + 2) << 16); }

}  // namespace

bool ReadWav(const std::string& path, StereoSignal& signal, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        error = path + " is not a RIFF WAVE file";
        return false;
    }
    uint32_t channels = 0, bits = 0, format = 0;
    const uint8_t* data = nullptr;
    size_t dataSize = 0;
    // Chunks are walked by their own sizes; a data chunk whose size runs past
    // the end (some writers leave it unfinished) is cut to what is there.
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint8_t* chunk = bytes.data() + at;
        size_t size = Le32(chunk + 4);
        size_t body = at + 8;
        size_t avail = bytes.size() - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && avail >= 16) {
            format = Le16(chunk + 8);
            channels = Le16(chunk + 10);
            signal.sampleRate = static_cast<int32_t>(Le32(chunk + 12));
            bits = Le16(chunk + 22);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            data = chunk + 8;
            dataSize = size < avail ? size : avail;
        }
        at = body + size + (size & 1);
    }
    if (format != 1 || bits != 16 || (channels != 1 && channels != 2) || data == nullptr) {
        error = path + ": not 16-bit PCM mono or stereo with a data chunk";
        return false;
    }
    size_t frames = dataSize / (2 * channels);
    signal.left.resize(frames);
    signal.right.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        const uint8_t* frame = data + i * 2 * channels;
        signal.left[i] = static_cast<int16_t>(Le16(frame)) / 32768.0f;
        signal.right[i] = static_cast<int16_t>(Le16(frame + 2 * (channels - 1))) / 32768.0f;
    }
    return true;
}
