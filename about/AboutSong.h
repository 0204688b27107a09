#pragma once
// The About window's song: one FastTracker 2 module (assets/AboutSong.xm),
// embedded at build time.

#include <cstdint>

extern const uint8_t AboutSong[];
extern const int32_t AboutSongLength;
