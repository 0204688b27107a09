#pragma once
// Frame-wise spectral similarity of two renders of one module: 2048-sample
// Hann frames, hop 1024, on mid and side; magnitudes as log(1 + |X| / a) with
// a 30 dB below the reference's level; per frame the cosine of the
// concatenated mid and side spectra, averaged over the frames where the
// reference is above -60 dBFS, after one file-wide gain match.

#include "tests/native/corpus/Wav.h"

#include <cstdint>

struct Similarity {
    bool scored = false;  // false when no reference frame is above the silence level
    double score = 0;     // mean per-frame cosine; 1 = same spectra
    int32_t frames = 0;   // frames that were scored
    double gainDb = 0;    // level of test relative to reference, removed before scoring
};

Similarity CompareSpectra(const StereoSignal& reference, const StereoSignal& test);

// Left channel (a player's own output) against the right (FastTracker 2's
// recording in most OpenMPT tests), each taken as a centred mono signal.
Similarity CompareLeftWithRight(const StereoSignal& render);

// Level of both channels together once each channel's mean is removed, in
// dBFS; minus infinity for an empty or all-constant signal.
double RmsDbfsWithoutDc(const StereoSignal& signal);
