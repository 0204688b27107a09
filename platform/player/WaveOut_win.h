#pragma once
// The default wave output device, opened for 48 kHz 16-bit stereo PCM, with
// a ring of prepared buffers that the mixing thread fills in turn. The device
// hands buffers back in the order they were written, so the ring only ever
// waits on the oldest one.

#include <windows.h>

#include <cstdint>
#include <memory>

class WaveOut {
public:
    static constexpr int32_t kSampleRate = 48000;
    static constexpr int32_t kBufferCount = 4;
    static constexpr int32_t kBufferFrames = 2048;  // about 43 ms each

    WaveOut() = default;
    ~WaveOut() { Close(); }
    WaveOut(const WaveOut&) = delete;
    WaveOut& operator=(const WaveOut&) = delete;

    // Opens WAVE_MAPPER and prepares the buffers. False: nothing is held.
    bool Open();
    // Drops whatever is queued, unprepares the buffers and closes the
    // device. Does nothing when the device is not open.
    void Close();

    // Auto-reset event the device sets whenever a buffer comes back; anyone
    // else may set it to wake the thread waiting on it.
    HANDLE BufferReturned() const { return bufferReturned_; }
    // The next buffer of the ring (kBufferFrames interleaved stereo frames),
    // or null while the device still holds it.
    int16_t* NextFree();
    // Queues the buffer NextFree gave out and moves on to the next one.
    // False: the device refused it.
    bool WriteNext();

private:
    HWAVEOUT device_ = nullptr;
    HANDLE bufferReturned_ = nullptr;
    std::unique_ptr<int16_t[]> samples_;
    WAVEHDR headers_[kBufferCount] = {};
    int32_t prepared_ = 0;  // headers_[0 .. prepared_) are prepared
    int32_t next_ = 0;      // the ring's next buffer to fill
};
