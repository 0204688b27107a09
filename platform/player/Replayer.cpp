// Position, row reading and note triggering, in FT2's order.

#include "platform/player/Replayer.h"

#include <algorithm>

#include "platform/player/PeriodTables.h"

namespace xm {
namespace {

enum Effect : uint8_t {
    kTonePorta = 0x3, kTonePortaVolumeSlide = 0x5, kSampleOffset = 0x9,
    kExtended = 0xE, kKeyOff = 0x14,
};
constexpr uint8_t kNoteDelayFirst = 0xD1, kNoteDelayLast = 0xDF, kRetrigZero = 0x90;
constexpr int32_t kNotesPlayable = 120;  // note + relative note must stay below

const Cell kBlankCell{};

}  // namespace

Replayer::Replayer(const Song& song, bool looping, bool stopOnRevisit)
    : song_(song), looping_(looping),
      channels_(song.channels), played_(stopOnRevisit ? std::make_unique<PlayedRows>() : nullptr),
      speed_(song.speed), tempo_(song.tempo) {
    for (Channel& ch : channels_) ch.instrument = &song_.instruments[0];
    EnterOrder(0);
}

void Replayer::EnterOrder(int32_t order) {
    order_ = order;
    pattern_ = song_.orders[order];
    rows_ = song_.patterns[pattern_].rows;
}

bool Replayer::Tick() {
    if (endPending_) ended_ = true;
    if (ended_) return false;
    bool newRow = --timer_ == 0;
    if (newRow) timer_ = speed_;
    bool readRow = newRow && patternDelayLeft_ == 0;
    if (readRow && played_ && RowPlayedBefore()) {
        ended_ = true;
        return false;
    }
    position_ = {order_, pattern_, row_, TickInRow()};
    if (readRow) ReadRow();
    for (Channel& ch : channels_) {
        if (!readRow) PerTickEffects(ch);
        UpdateEnvelopesAndVibrato(ch);
    }
    NextPosition();
    return true;
}

bool Replayer::RowPlayedBefore() {
    RowState state;
    state.order = static_cast<uint8_t>(order_);
    state.row = static_cast<uint8_t>(row_);
    state.breakRow = static_cast<uint8_t>(breakRow_);
    for (int32_t i = 0; i < song_.channels; ++i) state.SetLoopCount(i, channels_[i].loopCount);
    return played_->Visit(state);
}

void Replayer::ReadRow() {
    const Pattern& p = song_.patterns[pattern_];
    for (int32_t i = 0; i < song_.channels; ++i) {
        const Cell& cell = p.cells.empty() ? kBlankCell : p.cells[static_cast<size_t>(row_) * song_.channels + i];
        ReadCell(channels_[i], cell);
    }
}

void Replayer::ReadCell(Channel& ch, const Cell& cell) {
    ch.volumeColumn = cell.volume;
    // An arpeggio or a vibrato that ends here leaves the period where it was set.
    bool vibrating = ch.effect == 0x4 || ch.effect == 0x6;
    if ((ch.effect == 0 && ch.param != 0) || (vibrating && cell.effect != 0x4 && cell.effect != 0x6))
        ch.period = ch.realPeriod;
    ch.effect = cell.effect;
    ch.param = cell.param;
    ch.cell = cell;

    bool instrument = cell.instrument > 0 && cell.instrument <= kMaxInstruments;
    if (instrument) ch.instrumentNumber = cell.instrument;

    if (cell.effect == kExtended && cell.param >= kNoteDelayFirst && cell.param <= kNoteDelayLast)
        return;  // the note delay does it all on its tick
    bool retrigZero = cell.effect == kExtended && cell.param == kRetrigZero;
    if (!retrigZero) {
        if ((cell.volume & 0xF0) == 0xF0) {  // volume-column tone portamento
            if (cell.volume & 0x0F) ch.portaSpeed = (cell.volume & 0x0F) << 6;
            SetTonePortaTarget(ch, cell, instrument);
            FirstTickEffects(ch);
            return;
        }
        if (cell.effect == kTonePorta || cell.effect == kTonePortaVolumeSlide) {
            if (cell.effect == kTonePorta && cell.param != 0) ch.portaSpeed = cell.param << 2;
            SetTonePortaTarget(ch, cell, instrument);
            FirstTickEffects(ch);
            return;
        }
        if (cell.effect == kKeyOff && cell.param == 0) {  // K00 is a key-off on the first tick
            KeyOff(ch);
            if (instrument) RecallVolume(ch);
            FirstTickEffects(ch);
            return;
        }
        if (cell.note == 0) {
            if (instrument) {
                RecallVolume(ch);
                ResetEnvelopesAndVibrato(ch);
            }
            FirstTickEffects(ch);
            return;
        }
    }
    if (cell.note == kNoteOff)
        KeyOff(ch);
    else
        StartNote(ch, cell.note, cell.effect, cell.param);
    if (instrument) {
        RecallVolume(ch);
        if (cell.note != kNoteOff) ResetEnvelopesAndVibrato(ch);
    }
    FirstTickEffects(ch);
}

// Note 0 replays the channel's last note (retrigger, note delay).
void Replayer::StartNote(Channel& ch, int32_t note, uint8_t effect, uint8_t param) {
    if (note == kNoteOff) {
        KeyOff(ch);
        return;
    }
    if (note == 0) note = ch.note;
    if (note == 0) return;
    ch.note = note;
    int32_t number = ch.instrumentNumber < static_cast<int32_t>(song_.instruments.size()) ? ch.instrumentNumber : 0;
    ch.instrument = &song_.instruments[number];
    const Sample& s = ch.instrument->samples[ch.instrument->keymap[std::min(note, kKeymapNotes) - 1]];
    ch.sample = &s;
    ch.relativeNote = s.relativeNote;
    int32_t played = (note + ch.relativeNote) & 0xFF;  // FT2 wraps below note 0
    if (played >= kNotesPlayable) return;
    ch.sampleVolume = s.volume;
    ch.samplePanning = s.panning;
    bool setFinetune = effect == kExtended && (param & 0xF0) == 0x50;  // E5x
    ch.finetune = setFinetune ? ((param & 0x0F) << 4) - 128 : s.finetune;
    if (played > 0) {
        // FT2 ignores the lowest three bits of the finetune.
        int32_t index = ((played - 1) << 4) + (((ch.finetune >> 3) + 16) & 0xFF);
        if (index < kPeriodTableSize) ch.realPeriod = ch.period = NotePeriod(song_.linearPeriods, index);
    }
    ch.trigger = true;
    ch.quickRamp = true;
    if (effect == kSampleOffset) {
        if (param) ch.sampleOffset = param;
        ch.sampleStart = ch.sampleOffset * 256;
    } else {
        ch.sampleStart = 0;
    }
}

void Replayer::SetTonePortaTarget(Channel& ch, const Cell& cell, bool instrument) {
    if (cell.note == kNoteOff) {
        KeyOff(ch);
    } else if (cell.note > 0) {
        int32_t index = (((cell.note - 1) + ch.relativeNote) & 0xFF) * 16 + (((ch.finetune >> 3) + 16) & 0xFF);
        if (index < kPeriodTableSize) {
            ch.portaTarget = NotePeriod(song_.linearPeriods, index);
            ch.portaDirection = ch.portaTarget == ch.realPeriod ? 0 : ch.portaTarget > ch.realPeriod ? 1 : 2;
        }
    }
    if (instrument) {
        RecallVolume(ch);
        if (cell.note != kNoteOff) ResetEnvelopesAndVibrato(ch);
    }
}

// An instrument number recalls the sample's default volume and panning.
void Replayer::RecallVolume(Channel& ch) {
    ch.realVolume = ch.volume = ch.sampleVolume;
    ch.panning = ch.samplePanning;
    ch.quickRamp = true;
}

void Replayer::ResetEnvelopesAndVibrato(Channel& ch) {
    if (!(ch.waveControl & 0x04)) ch.vibratoPosition = 0;
    if (!(ch.waveControl & 0x40)) ch.tremoloPosition = 0;
    ch.retrigCount = 0;
    ch.tremorPosition = 0;
    ch.sustained = true;
    const Instrument& ins = *ch.instrument;
    // The envelope steps before it is read, so the first tick shows point 0.
    if (ins.volumeEnvelope.flags & kEnvelopeOn) ch.volumeEnvelope.tick = 0xFFFF, ch.volumeEnvelope.point = 0;
    if (ins.panningEnvelope.flags & kEnvelopeOn) ch.panningEnvelope.tick = 0xFFFF, ch.panningEnvelope.point = 0;
    ch.fadeoutSpeed = ins.fadeout;
    ch.fadeoutVolume = 32768;
    if (ins.vibratoDepth > 0) {
        ch.autoVibratoPosition = 0;
        if (ins.vibratoSweep > 0) {
            ch.autoVibratoDepth = 0;
            ch.autoVibratoSweep = (ins.vibratoDepth << 8) / ins.vibratoSweep;
        } else {
            ch.autoVibratoDepth = ins.vibratoDepth << 8;
            ch.autoVibratoSweep = 0;
        }
    }
}

void Replayer::KeyOff(Channel& ch) {
    ch.sustained = false;
    const Instrument& ins = *ch.instrument;
    // FT2 clamps the panning envelope's position only when that envelope is off.
    const Envelope& pan = ins.panningEnvelope;
    int32_t panPoint = std::min(ch.panningEnvelope.point, kEnvelopePoints - 1);
    if (!(pan.flags & kEnvelopeOn) && ch.panningEnvelope.tick >= pan.tick[panPoint])
        ch.panningEnvelope.tick = (pan.tick[panPoint] - 1) & 0xFFFF;
    const Envelope& vol = ins.volumeEnvelope;
    int32_t volPoint = std::min(ch.volumeEnvelope.point, kEnvelopePoints - 1);
    if (vol.flags & kEnvelopeOn) {
        if (ch.volumeEnvelope.tick >= vol.tick[volPoint]) ch.volumeEnvelope.tick = (vol.tick[volPoint] - 1) & 0xFFFF;
    } else {
        ch.realVolume = ch.volume = 0;
        ch.quickRamp = true;
    }
}

void Replayer::NextPosition() {
    if (timer_ != 1) return;
    ++row_;
    if (patternDelay_ > 0) {
        patternDelayLeft_ = patternDelay_;
        patternDelay_ = 0;
    }
    if (patternDelayLeft_ > 0 && --patternDelayLeft_ > 0) --row_;
    if (loopJump_) {
        loopJump_ = false;
        row_ = breakRow_;
    }
    if (row_ < rows_ && !orderJump_) return;
    row_ = breakRow_;
    breakRow_ = 0;
    orderJump_ = false;
    int32_t next = order_ + 1;
    if (jumpPastEnd_) {
        jumpPastEnd_ = false;
        next = 0;
    } else if (next >= song_.length) {
        if (!looping_) endPending_ = true;
        next = song_.restart < song_.length ? song_.restart : 0;
    }
    EnterOrder(next);
    // A pattern break or loop can point past the next pattern's last row.
    if (row_ >= rows_) row_ = 0;
}

}  // namespace xm
