#include "platform/player/ModulePlayer_win.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <memory>

#include "platform/player/WaveOut_win.h"
#include "platform/player/XmPlayer.h"

namespace {

// One song playing. Members are destroyed bottom-up after the destructor
// has ended the thread: the device first, then the renderer, then the song.
struct Playback {
    std::unique_ptr<const xm::Song> song;
    std::unique_ptr<xm::Renderer> renderer;
    WaveOut out;
    HANDLE thread = nullptr;
    std::atomic<bool> stopRequested{false};

    ~Playback() {
        if (!thread) return;
        stopRequested = true;
        SetEvent(out.BufferReturned());
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
};

Playback* Current = nullptr;  // the song playing, or null

// Fills the oldest free buffer and queues it, or sleeps until one comes
// back. Once the song has ended (looping off) it only waits to be stopped.
void MixUntilStopped(Playback& playback) {
    bool ended = false;
    while (!playback.stopRequested) {
        int16_t* buffer = ended ? nullptr : playback.out.NextFree();
        if (!buffer) {
            WaitForSingleObject(playback.out.BufferReturned(), INFINITE);
            continue;
        }
        int32_t frames = playback.renderer->Render(buffer, WaveOut::kBufferFrames);
        std::memset(buffer + 2 * frames, 0, (WaveOut::kBufferFrames - frames) * 2 * sizeof(int16_t));
        bool written = playback.out.WriteNext();
        ended = !written || frames < WaveOut::kBufferFrames;
    }
}

DWORD WINAPI MixingThread(void* parameter) {
    try {
        MixUntilStopped(*static_cast<Playback*>(parameter));
    } catch (...) {
    }
    return 0;
}

bool StartMixingThread(Playback& playback) {
    playback.thread = CreateThread(nullptr, 0, MixingThread, &playback, CREATE_SUSPENDED, nullptr);
    if (!playback.thread) return false;
    bool raised = SetThreadPriority(playback.thread, THREAD_PRIORITY_TIME_CRITICAL);
    // A thread that may not run at its priority is told to stop before it starts.
    if (!raised) playback.stopRequested = true;
    ResumeThread(playback.thread);
    return raised;
}

std::unique_ptr<Playback> StartPlayback(const uint8_t* image, int32_t length, bool looping) {
    std::unique_ptr<Playback> playback(new Playback);
    if (!playback->out.Open()) return nullptr;
    xm::LoadResult loaded = xm::LoadSong(image, static_cast<size_t>(length));
    if (!loaded.song) return nullptr;
    playback->song = std::move(loaded.song);
    xm::RenderSettings settings;
    settings.sampleRate = WaveOut::kSampleRate;
    settings.looping = looping;
    playback->renderer = std::make_unique<xm::Renderer>(*playback->song, settings);
    if (!StartMixingThread(*playback)) return nullptr;
    return playback;
}

}  // namespace

bool PlayModule(const uint8_t* image, int32_t length, bool looping) {
    if (length <= 0) return false;
    StopModule();
    try {
        Current = StartPlayback(image, length, looping).release();
    } catch (...) {  // no memory: whatever was taken went with the unwinding
    }
    return Current != nullptr;
}

void StopModule() {
    delete Current;
    Current = nullptr;
}
