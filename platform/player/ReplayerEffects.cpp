// Effects: the first tick of a row, then every other tick, as FT2 runs them.

#include <algorithm>

#include "platform/player/PeriodTables.h"
#include "platform/player/Replayer.h"

namespace xm {
namespace {

enum Effect : uint8_t {
    kArpeggio = 0x0, kPortaUp = 0x1, kPortaDown = 0x2, kTonePorta = 0x3, kVibrato = 0x4,
    kTonePortaVolumeSlide = 0x5, kVibratoVolumeSlide = 0x6, kTremolo = 0x7, kSetPanning = 0x8,
    kVolumeSlide = 0xA, kPositionJump = 0xB, kSetVolume = 0xC, kPatternBreak = 0xD,
    kExtended = 0xE, kSetSpeed = 0xF, kSetGlobalVolume = 0x10, kGlobalVolumeSlide = 0x11,
    kKeyOff = 0x14, kSetEnvelopePosition = 0x15, kPanningSlide = 0x19, kMultiRetrig = 0x1B,
    kTremor = 0x1D, kExtraFinePorta = 0x21, kEffectCount = 36,
};

int32_t SlideVolume(int32_t volume, int32_t by) { return std::clamp(volume + by, 0, 64); }

}  // namespace

// ---- first tick ----------------------------------------------------------

// Returns what FT2 leaves of the volume byte after using it: Rxy retriggers
// on the first tick only when that is 0.
int32_t Replayer::FirstTickVolumeColumn(Channel& ch) {
    uint8_t v = ch.volumeColumn;
    int32_t x = v & 0x0F;
    if (v >= 0x10 && v <= 0x50) {  // set volume
        ch.realVolume = ch.volume = v - 0x10;
        ch.quickRamp = true;
        return v - 0x10;
    }
    switch (v >> 4) {
    case 0x8:  // fine volume slide down
        ch.realVolume = ch.volume = SlideVolume(ch.realVolume, -x);
        return ch.volume;
    case 0x9:  // fine volume slide up
        ch.realVolume = ch.volume = SlideVolume(ch.realVolume, x);
        return ch.volume;
    case 0xA:  // set vibrato speed; A0 keeps it
        if (x) ch.vibratoSpeed = x << 2;
        return x << 2;
    case 0xC:  // set panning: value x 16
        ch.panning = x << 4;
        return x << 4;
    default:
        return v;
    }
}

void Replayer::FirstTickEffects(Channel& ch) {
    int32_t volumeLeft = FirstTickVolumeColumn(ch);
    if (ch.effect == 0 && ch.param == 0) return;
    int32_t x = ch.param & 0x0F;
    switch (ch.effect) {
    case kSetVolume:  // Cxx
        ch.realVolume = ch.volume = std::min<int32_t>(ch.param, 64);
        ch.quickRamp = true;
        return;
    case kSetPanning:  // 8xx
        ch.panning = ch.param;
        return;
    case kMultiRetrig:  // Rxy: retriggers on the first tick only without a volume column
        if (x) ch.retrigSpeed = x;
        if (ch.param >> 4) ch.retrigVolume = ch.param >> 4;
        if (volumeLeft == 0) MultiRetrig(ch);
        return;
    case kExtraFinePorta:  // X1x, X2x
        if ((ch.param & 0xF0) == 0x10) {
            if (x) ch.extraFinePortaUpSpeed = x;
            ch.realPeriod = ch.period = std::max(1, ch.realPeriod - ch.extraFinePortaUpSpeed);
        } else if ((ch.param & 0xF0) == 0x20) {
            if (x) ch.extraFinePortaDownSpeed = x;
            ch.realPeriod = ch.period = std::min(kMaxPeriod, ch.realPeriod + ch.extraFinePortaDownSpeed);
        }
        return;
    default:
        SongEffects(ch);
    }
}

// Effects that change the song's position, speed or global state, and Exy.
void Replayer::SongEffects(Channel& ch) {
    switch (ch.effect) {
    case kPositionJump:  // Bxx
        if (ch.param == 0 || ch.param > song_.length)
            jumpPastEnd_ = true;
        else
            order_ = ch.param - 1;
        breakRow_ = 0;
        orderJump_ = true;
        break;
    case kPatternBreak: {  // Dxx: the parameter is decimal
        int32_t row = (ch.param >> 4) * 10 + (ch.param & 0x0F);
        breakRow_ = row <= 63 ? row : 0;
        orderJump_ = true;
        break;
    }
    case kExtended:
        FirstTickExtended(ch);
        break;
    case kSetSpeed:  // Fxx: below 32 ticks per row, from 32 BPM
        if (ch.param >= 32) {
            tempo_ = ch.param;
        } else if (ch.param == 0) {
            endPending_ = true;  // FT2 stops the song at F00
        } else {
            speed_ = timer_ = ch.param;
        }
        break;
    case kSetGlobalVolume:  // Gxx
        globalVolume_ = std::min<int32_t>(ch.param, 64);
        break;
    case kSetEnvelopePosition:  // Lxx
        SetEnvelopePosition(ch);
        break;
    default:
        break;
    }
}

void Replayer::PatternLoop(Channel& ch) {
    if ((ch.param & 0x0F) == 0) {  // E60 marks the loop start
        ch.loopRow = row_;
        return;
    }
    if (ch.loopCount == 0) {
        ch.loopCount = ch.param & 0x0F;
    } else if (--ch.loopCount == 0) {
        return;
    }
    breakRow_ = ch.loopRow;
    loopJump_ = true;
}

void Replayer::FirstTickExtended(Channel& ch) {
    int32_t x = ch.param & 0x0F;
    switch (ch.param >> 4) {
    case 0x1:  // E1x fine porta up
        if (x) ch.finePortaUpSpeed = x;
        ch.realPeriod = ch.period = std::max(1, ch.realPeriod - ch.finePortaUpSpeed * 4);
        break;
    case 0x2:  // E2x fine porta down
        if (x) ch.finePortaDownSpeed = x;
        ch.realPeriod = ch.period = std::min(kMaxPeriod, ch.realPeriod + ch.finePortaDownSpeed * 4);
        break;
    case 0x3:  // E3x glissando
        ch.glissando = x;
        break;
    case 0x4:  // E4x vibrato waveform
        ch.waveControl = (ch.waveControl & 0xF0) | x;
        break;
    case 0x6:  // E6x pattern loop
        PatternLoop(ch);
        break;
    case 0x7:  // E7x tremolo waveform
        ch.waveControl = (x << 4) | (ch.waveControl & 0x0F);
        break;
    case 0xA:  // EAx fine volume slide up
        if (x) ch.fineVolumeUpSpeed = x;
        ch.realVolume = ch.volume = SlideVolume(ch.realVolume, ch.fineVolumeUpSpeed);
        break;
    case 0xB:  // EBx fine volume slide down
        if (x) ch.fineVolumeDownSpeed = x;
        ch.realVolume = ch.volume = SlideVolume(ch.realVolume, -ch.fineVolumeDownSpeed);
        break;
    case 0xC:  // EC0 cuts at once
        if (x == 0) {
            ch.realVolume = ch.volume = 0;
            ch.quickRamp = true;
        }
        break;
    case 0xE:  // EEx pattern delay
        if (patternDelayLeft_ == 0) patternDelay_ = x + 1;
        break;
    default:  // E5x is read with the note; E9x, EDx run on later ticks
        break;
    }
}

// ---- other ticks ---------------------------------------------------------

void Replayer::PerTickVolumeColumn(Channel& ch) {
    uint8_t v = ch.volumeColumn;
    int32_t x = v & 0x0F;
    switch (v >> 4) {
    case 0x6:  // volume slide down
        ch.realVolume = ch.volume = SlideVolume(ch.realVolume, -x);
        break;
    case 0x7:  // volume slide up
        ch.realVolume = ch.volume = SlideVolume(ch.realVolume, x);
        break;
    case 0xB:  // vibrato (depth)
        if (x) ch.vibratoDepth = x;
        VibratoStep(ch);
        break;
    case 0xD:  // panning slide left; FT2 slides all the way at D0
        ch.panning = (x == 0 || ch.panning < x) ? 0 : ch.panning - x;
        break;
    case 0xE:  // panning slide right
        ch.panning = std::min(255, ch.panning + x);
        break;
    case 0xF:  // tone portamento
        TonePorta(ch);
        break;
    default:
        break;
    }
}

void Replayer::PerTickEffects(Channel& ch) {
    PerTickVolumeColumn(ch);
    if ((ch.effect == 0 && ch.param == 0) || ch.effect >= kEffectCount) return;
    switch (ch.effect) {
    case kArpeggio: Arpeggio(ch); break;
    case kPortaUp: PortaUp(ch); break;
    case kPortaDown: PortaDown(ch); break;
    case kTonePorta: TonePorta(ch); break;
    case kVibrato: Vibrato(ch); break;
    case kTonePortaVolumeSlide: TonePorta(ch); VolumeSlide(ch); break;
    case kVibratoVolumeSlide: VibratoStep(ch); VolumeSlide(ch); break;
    case kTremolo: Tremolo(ch); break;
    case kVolumeSlide: VolumeSlide(ch); break;
    case kExtended: PerTickExtended(ch); break;
    case kGlobalVolumeSlide: GlobalVolumeSlide(ch); break;
    case kKeyOff:  // Kxx
        if ((TickInRow() & 31) == (ch.param & 0x0F)) KeyOff(ch);
        break;
    case kPanningSlide: PanningSlide(ch); break;
    case kMultiRetrig: MultiRetrig(ch); break;
    case kTremor: Tremor(ch); break;
    default: break;
    }
}

void Replayer::PerTickExtended(Channel& ch) {
    int32_t x = ch.param & 0x0F;
    switch (ch.param >> 4) {
    case 0x9:  // E9x retrigger every x ticks
        if (x && TickInRow() % x == 0) {
            StartNote(ch, 0, 0, 0);
            ResetEnvelopesAndVibrato(ch);
        }
        break;
    case 0xC:  // ECx note cut
        if ((TickInRow() & 0xFF) == x) {
            ch.realVolume = ch.volume = 0;
            ch.quickRamp = true;
        }
        break;
    case 0xD:  // EDx note delay
        if ((TickInRow() & 0xFF) == x) NoteDelay(ch);
        break;
    default:
        break;
    }
}

void Replayer::NoteDelay(Channel& ch) {
    StartNote(ch, ch.cell.note, 0, 0);
    if (ch.cell.instrument) RecallVolume(ch);
    ResetEnvelopesAndVibrato(ch);
    uint8_t v = ch.volumeColumn;
    if (v >= 0x10 && v <= 0x50)
        ch.realVolume = ch.volume = v - 0x10;
    else if (v >= 0xC0 && v <= 0xCF)
        ch.panning = (v & 0x0F) << 4;
}

// Finds the note of the channel's finetune nearest below period, then moves
// it by semitones: arpeggio and glissando work in whole notes.
int32_t Replayer::SnapToNote(const Channel& ch, int32_t period, int32_t semitones) const {
    const bool linear = song_.linearPeriods;
    int32_t fine = ((ch.finetune >> 3) + 16) << 1;
    int32_t low = 0, high = (8 * 12 * 16) * 2;
    for (int32_t i = 0; i < 8; ++i) {  // binary search, in FT2's half-index steps
        int32_t probe = (((low + high) >> 1) & ~31) + fine;
        int32_t index = std::clamp((probe - 16) >> 1, 0, kPeriodTableSize - 1);
        if (period >= NotePeriod(linear, index))
            high = (probe - fine) & ~31;
        else
            low = (probe - fine) & ~31;
    }
    int32_t target = std::max(0, low + fine + (semitones << 5));
    if (target >= (8 * 12 * 16 + 15) * 2 - 1) target = (8 * 12 * 16 + 15) * 2;  // FT2's edge case
    return NotePeriod(linear, target >> 1);
}

void Replayer::Arpeggio(Channel& ch) {  // 0xy
    // FT2 indexes its arpeggio table by the ticks left in the row, and reads
    // past the table's end from 16 on.
    int32_t left = timer_;
    int32_t step = left < 16 ? left % 3 : left == 16 ? 0 : 2;
    if (step == 0)
        ch.period = ch.realPeriod;
    else
        ch.period = SnapToNote(ch, ch.realPeriod, step == 1 ? ch.param >> 4 : ch.param & 0x0F);
}

void Replayer::PortaUp(Channel& ch) {  // 1xx
    if (ch.param) ch.portaUpSpeed = ch.param;
    ch.realPeriod = ch.period = std::max(1, ch.realPeriod - ch.portaUpSpeed * 4);
}

void Replayer::PortaDown(Channel& ch) {  // 2xx
    if (ch.param) ch.portaDownSpeed = ch.param;
    ch.realPeriod = ch.period = std::min(kMaxPeriod, ch.realPeriod + ch.portaDownSpeed * 4);
}

void Replayer::TonePorta(Channel& ch) {  // 3xx, 5xy, volume column Fx
    if (ch.portaDirection == 0) return;
    if (ch.portaDirection == 2) {
        ch.realPeriod -= ch.portaSpeed;
        if (ch.realPeriod <= ch.portaTarget) ch.portaDirection = 1, ch.realPeriod = ch.portaTarget;
    } else {
        ch.realPeriod += ch.portaSpeed;
        if (ch.realPeriod >= ch.portaTarget) ch.portaDirection = 1, ch.realPeriod = ch.portaTarget;
    }
    ch.period = ch.glissando ? SnapToNote(ch, ch.realPeriod, 0) : ch.realPeriod;
}

void Replayer::Vibrato(Channel& ch) {  // 4xy
    if (ch.param & 0x0F) ch.vibratoDepth = ch.param & 0x0F;
    if (ch.param & 0xF0) ch.vibratoSpeed = (ch.param >> 4) * 4;
    VibratoStep(ch);
}

void Replayer::VibratoStep(Channel& ch) {
    int32_t step = (ch.vibratoPosition >> 2) & 0x1F;
    int32_t depth;
    switch (ch.waveControl & 3) {
    case 0: depth = VibratoSine(step); break;
    case 1: depth = (step * 8) ^ (ch.vibratoPosition >= 128 ? 0xFF : 0); break;  // ramp
    default: depth = 255; break;  // square
    }
    depth = (depth * ch.vibratoDepth) >> 5;
    ch.period = ch.vibratoPosition >= 128 ? ch.realPeriod - depth : ch.realPeriod + depth;
    ch.vibratoPosition = (ch.vibratoPosition + ch.vibratoSpeed) & 0xFF;
}

void Replayer::Tremolo(Channel& ch) {  // 7xy
    if (ch.param & 0x0F) ch.tremoloDepth = ch.param & 0x0F;
    if (ch.param & 0xF0) ch.tremoloSpeed = (ch.param >> 4) * 4;
    int32_t step = (ch.tremoloPosition >> 2) & 0x1F;
    int32_t depth;
    switch ((ch.waveControl >> 4) & 3) {
    case 0: depth = VibratoSine(step); break;
    // FT2 turns the ramp down by the vibrato position, not the tremolo's.
    case 1: depth = ((step * 8) ^ (ch.vibratoPosition >= 128 ? 0xFF : 0)) & 0xFF; break;
    default: depth = 255; break;
    }
    depth = (depth * ch.tremoloDepth) >> 6;
    ch.volume = ch.tremoloPosition >= 128 ? std::max(0, ch.realVolume - depth) : std::min(64, ch.realVolume + depth);
    ch.tremoloPosition = (ch.tremoloPosition + ch.tremoloSpeed) & 0xFF;
}

void Replayer::VolumeSlide(Channel& ch) {  // Axy
    if (ch.param) ch.volumeSlideSpeed = ch.param;
    int32_t up = ch.volumeSlideSpeed >> 4;
    ch.realVolume = ch.volume = SlideVolume(ch.realVolume, up ? up : -(ch.volumeSlideSpeed & 0x0F));
}

void Replayer::GlobalVolumeSlide(Channel& ch) {  // Hxy
    if (ch.param) ch.globalVolumeSlideSpeed = ch.param;
    int32_t up = ch.globalVolumeSlideSpeed >> 4;
    globalVolume_ = SlideVolume(globalVolume_, up ? up : -(ch.globalVolumeSlideSpeed & 0x0F));
}

void Replayer::PanningSlide(Channel& ch) {  // Pxy
    if (ch.param) ch.panningSlideSpeed = ch.param;
    int32_t right = ch.panningSlideSpeed >> 4;
    ch.panning = std::clamp(ch.panning + (right ? right : -(ch.panningSlideSpeed & 0x0F)), 0, 255);
}

void Replayer::MultiRetrig(Channel& ch) {  // Rxy
    if (++ch.retrigCount < ch.retrigSpeed) return;
    ch.retrigCount = 0;
    int32_t v = ch.realVolume;
    switch (ch.retrigVolume) {
    case 0x1: v -= 1; break;
    case 0x2: v -= 2; break;
    case 0x3: v -= 4; break;
    case 0x4: v -= 8; break;
    case 0x5: v -= 16; break;
    case 0x6: v = (v >> 1) + (v >> 3) + (v >> 4); break;
    case 0x7: v >>= 1; break;
    case 0x9: v += 1; break;
    case 0xA: v += 2; break;
    case 0xB: v += 4; break;
    case 0xC: v += 8; break;
    case 0xD: v += 16; break;
    case 0xE: v = (v >> 1) + v; break;
    case 0xF: v += v; break;
    default: break;
    }
    ch.realVolume = ch.volume = std::clamp(v, 0, 64);
    uint8_t col = ch.volumeColumn;
    if (col >= 0x10 && col <= 0x50)
        ch.realVolume = ch.volume = col - 0x10;
    else if (col >= 0xC0 && col <= 0xCF)
        ch.panning = (col & 0x0F) << 4;
    StartNote(ch, 0, 0, 0);
}

void Replayer::Tremor(Channel& ch) {  // Txy: on for x+1 ticks, off for y+1
    if (ch.param) ch.tremorMemory = ch.param;
    int32_t on = ch.tremorPosition & 0x80;
    int32_t left = ((ch.tremorPosition & 0x7F) - 1) & 0xFF;
    if (left & 0x80) {
        if (on) {
            on = 0;
            left = ch.tremorMemory & 0x0F;
        } else {
            on = 0x80;
            left = ch.tremorMemory >> 4;
        }
    }
    ch.tremorPosition = left | on;
    ch.volume = on ? ch.realVolume : 0;
    ch.quickRamp = true;
}

}  // namespace xm
