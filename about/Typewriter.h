#pragma once
// The credits typewriter of the About window: one character per tick, each
// followed by "_", a pause after every line, then the next line, without end.
// No Windows here; the timer and the label come in through two small
// interfaces so the steps can be driven tick by tick.

#include <cstdint>

#include "app/Text.h"

// The five values the typewriter runs on. They belong to the caller (the
// program keeps them as globals); the typewriter only reads and writes them.
struct CreditsState {
    TextArray& lines;      // the credit lines, numbered from 1
    int32_t& lineCount;    // elements of lines
    int32_t& currentLine;  // 1..lineCount: the line being typed or shown
    int32_t& typedBytes;   // bytes of the current line on the label (may end one above lineBytes)
    int32_t& lineBytes;    // byte length of the current line
};

// A timer whose tick calls TypeCreditsTick. A positive period that differs
// from the current one restarts the countdown; the same period leaves it
// running; 0 or less stops the timer.
struct CreditsTimer {
    virtual ~CreditsTimer() = default;
    virtual void SetPeriod(int32_t milliseconds) = 0;
};

// The label the lines are typed into; it keeps its own copy of the caption.
struct CreditsLabel {
    virtual ~CreditsLabel() = default;
    virtual void SetCaption(const Text& caption) = 0;
};

constexpr int32_t kFirstTickPeriod = 100;  // ms from opening to the first character
constexpr int32_t kTypingPeriod = 80;      // ms between characters
constexpr int32_t kLinePause = 3000;       // ms from a line's switch tick to the next line's first character

// The window has opened: starts the timer and begins again at line 1 of the
// credits split at "|", replacing the previous lines. The label is left as
// it is (empty in a new window).
void StartCredits(CreditsState state, const Text& credits, CreditsTimer& timer);

// One tick: types one more character of the current line, or, once the line
// is complete, moves on to the next one (after the last comes the first) and
// pauses with the finished line still on the label.
void TypeCreditsTick(CreditsState state, CreditsTimer& timer, CreditsLabel& label);

// Bytes of the line shown once one more character has been typed: a byte
// from 0x80 to 0xFE starts a two-byte character, any other byte is one.
int32_t TypeOneMore(const Text& line, int32_t typed);
