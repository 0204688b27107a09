#pragma once
// Program-wide state: set up by StartProgram, written after start-up only by
// the About window, touched only on the user-interface thread.

#include <cstdint>

#include "app/Text.h"

extern TextArray CreditLines;  // the credit lines of the latest About opening
extern int32_t LineCount;      // elements of CreditLines
extern int32_t CurrentLine;    // 1-based line being typed or shown
extern int32_t TypedBytes;     // bytes of the current line on the label
extern int32_t LineBytes;      // byte length of the current line

// The exit routine: releases CreditLines (each element text, then the array).
void ReleaseGlobals();
