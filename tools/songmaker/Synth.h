#pragma once
// Sample synthesis from a few named recipes. Every recipe sounds middle C
// (or the drum's own pitch) when the note C-4 plays it.
//
//   drum    pitch-swept sine with a noise click: kick, tom, zap, rim
//   noise   filtered noise with an optional tone and bursts: snare, hats, clap, crash
//   wave    one looped, band-limited waveform (saw, square, pulse, triangle,
//           sine, or given harmonics), optionally detuned against itself
//
// Parameters come as name=value text; oct=k plays the sample at 8363 * 2^k Hz
// for C-4 (so a wave cycle holds 32 * 2^k samples). An unknown parameter is
// an error, so a typo in the score cannot pass silently.

#include <map>
#include <string>

#include "tools/songmaker/XmModule.h"

namespace songmaker {

struct SynthSpec {
    std::string kind;
    std::map<std::string, std::string> params;
};

// The sample of the recipe; length, when positive, replaces the recipe's own
// length (recipes without one refuse it).
Sample Synthesize(const SynthSpec& spec, int32_t length = 0);

// The length the recipe gives when none is imposed.
int32_t RecipeLength(const SynthSpec& spec);

}  // namespace songmaker
