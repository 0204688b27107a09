#include "platform/player/WaveOut_win.h"

#include <mmsystem.h>

#include <new>

namespace {

WAVEFORMATEX StereoPcm16() {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = WaveOut::kSampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2 * 2;
    format.nAvgBytesPerSec = WaveOut::kSampleRate * format.nBlockAlign;
    return format;
}

}  // namespace

bool WaveOut::Open() {
    constexpr int32_t kValuesPerBuffer = kBufferFrames * 2;
    samples_.reset(new (std::nothrow) int16_t[kBufferCount * kValuesPerBuffer]);
    bufferReturned_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX format = StereoPcm16();
    if (!samples_ || !bufferReturned_ ||
        waveOutOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(bufferReturned_), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        device_ = nullptr;
        Close();
        return false;
    }
    for (; prepared_ < kBufferCount; ++prepared_) {
        WAVEHDR& header = headers_[prepared_];
        header = {};
        header.lpData = reinterpret_cast<LPSTR>(&samples_[prepared_ * kValuesPerBuffer]);
        header.dwBufferLength = kValuesPerBuffer * sizeof(int16_t);
        if (waveOutPrepareHeader(device_, &header, sizeof header) != MMSYSERR_NOERROR) {
            Close();
            return false;
        }
    }
    next_ = 0;
    return true;
}

void WaveOut::Close() {
    if (device_) {
        waveOutReset(device_);
        for (int32_t i = 0; i < prepared_; ++i) waveOutUnprepareHeader(device_, &headers_[i], sizeof headers_[i]);
        waveOutClose(device_);
        device_ = nullptr;
    }
    prepared_ = 0;
    if (bufferReturned_) CloseHandle(bufferReturned_);
    bufferReturned_ = nullptr;
    samples_.reset();
}

int16_t* WaveOut::NextFree() {
    // The device clears WHDR_INQUEUE from its own thread.
    const volatile DWORD& flags = headers_[next_].dwFlags;
    if (flags & WHDR_INQUEUE) return nullptr;
    return reinterpret_cast<int16_t*>(headers_[next_].lpData);
}

bool WaveOut::WriteNext() {
    if (waveOutWrite(device_, &headers_[next_], sizeof headers_[next_]) != MMSYSERR_NOERROR) return false;
    next_ = (next_ + 1) % kBufferCount;
    return true;
}
