#pragma once
// Reads a song score: the module's settings, one synthesis recipe and
// envelope set per instrument, short phrases of tracker cells, and patterns
// built from phrases channel by channel.
//
//   title <name>
//   song tempo=6 bpm=130 restart=3 channels=10 size=<bytes> fit=<instrument>
//   order 0 1 2 ...
//   instrument <name>
//     synth <recipe> key=value ...          (see Synth.h)
//     sample volume=64 pan=128 finetune=0
//     volenv tick:value ... [sustain=i] [loop=a-b]     (panenv the same)
//     vibrato type=0 sweep=0 depth=0 rate=0
//     fadeout <n>
//   phrase <name> ins=<instrument>
//     <cells, one per row, over as many lines as wanted>
//   pattern <n> rows=64
//     <channel> <phrase>[+-semitones][@instrument][*repeats] ...   (filling exactly the rows)
//     <channel> echo <source channel> <delay rows> v<volume> p<panning>
//
// A cell is "." (empty), ".N" (N empty rows), a note such as C-4 or F#3, or
// "==" (key off), followed by any of "/vXX" (volume column, hex 00..40) and
// "/EXX" (effect letter 0-9 A-Z, hex parameter); "./A04" is an effect alone.
// A token starting with "#" begins a comment.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/songmaker/Synth.h"
#include "tools/songmaker/XmModule.h"

namespace songmaker {

struct Score {
    XmModule module;               // instruments still without sample data
    std::vector<SynthSpec> synths;  // one per instrument, in order
    int64_t size = 0;               // the file's required length in bytes
    int32_t fit = -1;               // index of the instrument whose length makes it so
};

// Throws std::runtime_error naming the line at fault.
Score ReadScore(const std::string& text);

}  // namespace songmaker
