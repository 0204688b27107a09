#pragma once
// A small XM image built in code, so the tests need no module file.

#include <cstdint>
#include <vector>

// Two channels, one 16-row pattern at speed 5 and 125 BPM (1.6 s, which
// is no whole number of the player's buffers), one looped saw-wave instrument. Each row plays another note at another
// volume, so no stretch of the output repeats within the pattern.
std::vector<uint8_t> TinyXmSong();
