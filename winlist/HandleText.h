#pragma once
// Window handles as decimal text, the form in which the enumeration hands
// them to the list. No Windows here.

#include <cstdint>
#include <vector>

#include "app/Text.h"

// Signed decimal of the 32-bit value, as "%d" writes it: at most 11 bytes.
Text HandleToText(int32_t handle);
// Reads an optional "-", digits and an optional fraction; the number is
// truncated toward zero and its low 32 bits taken as a signed value. Text
// with no leading digits reads as 0. HandleToText's texts read back exactly.
int32_t TextToHandle(const Text& text);
// One text per handle, in the same order.
TextArray HandleTexts(const std::vector<int32_t>& handles);
