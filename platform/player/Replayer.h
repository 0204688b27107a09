#pragma once
// FastTracker 2's tick engine: on a row's first tick read the row, trigger
// notes and run first-tick effects; on the other ticks run per-tick effects;
// then envelopes, fadeout and auto-vibrato; then move on to the next row.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/player/PlayedRows.h"
#include "platform/player/XmSong.h"

namespace xm {

// One channel's play state, FT2's names in tracker words.
struct Channel {
    const Instrument* instrument = nullptr;
    const Sample* sample = nullptr;
    int32_t instrumentNumber = 0;  // 0..128, last one given
    int32_t note = 0;              // 1..96, last one played
    int32_t relativeNote = 0;
    int32_t finetune = 0;          // -128..127
    Cell cell;                     // the row's cell (note/instrument as read)
    uint8_t effect = 0, param = 0, volumeColumn = 0;

    int32_t realVolume = 0, volume = 0;  // 0..64: set/slid value, value heard this tick
    int32_t sampleVolume = 0, samplePanning = 128;  // defaults a new note or instrument recalls
    int32_t panning = 128;               // 0..255
    int32_t finalVolume = 0;             // 0..65535 after global volume, envelope, fadeout
    int32_t finalPanning = 128;          // 0..255 after the panning envelope
    int32_t realPeriod = 0, period = 0, finalPeriod = 0;  // set/slid, heard (vibrato, arpeggio), + auto-vibrato
    int32_t portaTarget = 0, portaDirection = 0, portaSpeed = 0;  // direction: 0 none, 1 up, 2 down

    // Effect memories, each kept apart as FT2 keeps them.
    int32_t portaUpSpeed = 0, portaDownSpeed = 0, finePortaUpSpeed = 0, finePortaDownSpeed = 0;
    int32_t extraFinePortaUpSpeed = 0, extraFinePortaDownSpeed = 0;
    int32_t volumeSlideSpeed = 0, fineVolumeUpSpeed = 0, fineVolumeDownSpeed = 0;
    int32_t globalVolumeSlideSpeed = 0, panningSlideSpeed = 0;
    int32_t retrigSpeed = 0, retrigVolume = 0, retrigCount = 0;
    int32_t tremorMemory = 0, tremorPosition = 0;
    int32_t sampleOffset = 0;

    int32_t vibratoPosition = 0, vibratoSpeed = 0, vibratoDepth = 0;  // position 0..255
    int32_t tremoloPosition = 0, tremoloSpeed = 0, tremoloDepth = 0;
    int32_t waveControl = 0;  // low nibble vibrato, high nibble tremolo
    int32_t glissando = 0;
    int32_t loopRow = 0, loopCount = 0;  // E6x

    struct EnvelopeState {
        int32_t tick = 0, point = 0;  // position: ticks, current point
        int32_t value = 0, delta = 0;  // 8.8 fixed value 0..64, step per tick
    } volumeEnvelope, panningEnvelope;
    bool sustained = true;  // key not released yet
    int32_t fadeoutVolume = 32768, fadeoutSpeed = 0;
    int32_t autoVibratoPosition = 0, autoVibratoDepth = 0, autoVibratoSweep = 0;  // depth 8.8

    bool trigger = false;   // start the sample this tick
    bool quickRamp = false; // this tick's volume change ramps in 5 ms, not over the tick
    int32_t sampleStart = 0;
};

struct PlayPosition {
    int32_t order = 0, pattern = 0, row = 0, tick = 0;
};

class Replayer {
public:
    Replayer(const Song& song, bool looping, bool stopOnRevisit);
    // Runs one tick; false once the song has ended (nothing was played).
    bool Tick();
    bool Ended() const { return ended_; }
    int32_t Tempo() const { return tempo_; }  // BPM: a tick lasts 2.5 / tempo seconds
    const PlayPosition& Position() const { return position_; }  // of the last tick run
    int32_t GlobalVolume() const { return globalVolume_; }
    int32_t ChannelCount() const { return song_.channels; }
    bool LinearPeriods() const { return song_.linearPeriods; }
    // Channel state after the last tick; the mixer clears the trigger flags.
    Channel& ChannelAt(int32_t i) { return channels_[i]; }

private:
    // Rows and notes (Replayer.cpp).
    void ReadRow();
    void ReadCell(Channel& ch, const Cell& cell);
    void StartNote(Channel& ch, int32_t note, uint8_t effect, uint8_t param);
    void SetTonePortaTarget(Channel& ch, const Cell& cell, bool instrument);
    void RecallVolume(Channel& ch);
    void ResetEnvelopesAndVibrato(Channel& ch);
    void KeyOff(Channel& ch);
    void NextPosition();
    void EnterOrder(int32_t order);
    bool RowPlayedBefore();
    // Effects (ReplayerEffects.cpp).
    void FirstTickEffects(Channel& ch);
    int32_t FirstTickVolumeColumn(Channel& ch);
    void FirstTickExtended(Channel& ch);
    void SongEffects(Channel& ch);
    void PatternLoop(Channel& ch);
    void PerTickEffects(Channel& ch);
    void PerTickVolumeColumn(Channel& ch);
    void PerTickExtended(Channel& ch);
    void Arpeggio(Channel& ch);
    void PortaUp(Channel& ch);
    void PortaDown(Channel& ch);
    void TonePorta(Channel& ch);
    void Vibrato(Channel& ch);
    void VibratoStep(Channel& ch);
    void Tremolo(Channel& ch);
    void VolumeSlide(Channel& ch);
    void GlobalVolumeSlide(Channel& ch);
    void PanningSlide(Channel& ch);
    void MultiRetrig(Channel& ch);
    void Tremor(Channel& ch);
    void NoteDelay(Channel& ch);
    int32_t SnapToNote(const Channel& ch, int32_t period, int32_t semitones) const;
    // Envelopes, fadeout, auto-vibrato (ReplayerEnvelopes.cpp).
    void UpdateEnvelopesAndVibrato(Channel& ch);
    void SetEnvelopePosition(Channel& ch);
    int32_t TickInRow() const { return speed_ - timer_; }

    const Song& song_;
    const bool looping_;
    std::vector<Channel> channels_;
    std::unique_ptr<PlayedRows> played_;  // only when stopping on a revisit
    PlayPosition position_;
    int32_t speed_, tempo_, timer_ = 1;  // ticks per row, BPM, ticks left in the row
    int32_t globalVolume_ = 64;
    int32_t order_ = 0, pattern_ = 0, row_ = 0, rows_ = kDefaultRows;
    int32_t patternDelay_ = 0, patternDelayLeft_ = 0;
    int32_t breakRow_ = 0;
    bool loopJump_ = false, orderJump_ = false, jumpPastEnd_ = false;
    bool endPending_ = false, ended_ = false;
};

}  // namespace xm
