#pragma once
// The rows a one-pass render has played, each with the part of FT2's state
// that decides where playback goes from there: a row reached again counts
// as a revisit only when that state is the same, so the replay would be too.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/player/XmSong.h"

namespace xm {

// What sends playback elsewhere once a row has been read: the pattern-loop
// counts (FT2 keeps them per channel, across patterns and the song's restart)
// and the row a loop jump leaves for the next pattern to start at.
struct RowState {
    uint8_t order = 0, row = 0;
    uint8_t breakRow = 0;
    std::array<uint8_t, kMaxChannels / 2> loopCounts{};  // 0..15 each, two channels a byte

    void SetLoopCount(int32_t channel, int32_t count);
    // No loop counting and no row left for the next pattern: the usual case.
    bool Plain() const;
    bool operator==(const RowState& other) const;
};

class PlayedRows {
public:
    PlayedRows();  // allocates all it will ever use
    // Marks the row as played in this state. True when it was played in the
    // same state before, and also once the table of looping states is full,
    // which bounds a song whose loops never settle.
    bool Visit(const RowState& state);

private:
    bool VisitLooping(const RowState& state);

    std::vector<uint8_t> plain_;  // one flag per (order, row) played in the plain state
    struct Slot {
        bool used = false;
        RowState state;
    };
    std::vector<Slot> looping_;  // open addressing, hashed on the whole state
    int32_t loopingCount_ = 0;
};

}  // namespace xm
